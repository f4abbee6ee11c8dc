#pragma once
// Pages 3 and 4 of the main window: the balance the bank supervises, on a
// chosen day (TabSheet4), and the balance of the bank card (TabSheet5).
// Both ask the bank for a balance of the account, with the fund password or,
// where the bank wants it, the bank password.
#include <optional>

#include "mainwindow/OperationPage.h"
#include "mainwindow/PageOrders.h"

class QDateEdit;
class QFrame;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vantrel {

class BankBalancePage : public AccountPage {
    Q_OBJECT
public:
    enum Kind { Supervised, Card };
    explicit BankBalancePage(Kind kind, QWidget* parent = nullptr);

    // Both passwords and the memo.
    void clear() override;
    void setQueryEnabled(bool enabled);
    void showBankPassword(bool shown);
    // The bank password when its panel shows, else the fund password.
    void focusPassword();
    // Account, trade number, then the bank password when its panel shows;
    // the card balance wants the fund password when it does not.
    std::optional<BalanceQuery> order();

signals:
    void queryAsked();

private:
    Kind kind_;
    QLineEdit *fundPassword_ = nullptr, *bankPassword_ = nullptr;
    QFrame* bankPasswordPanel_ = nullptr;
    QDateEdit* date_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QPushButton* query_ = nullptr;
};

}  // namespace vantrel
