#pragma once
// Page 4 of the main window (TabSheet5): the balance of the bank card.
#include <QWidget>

#include <optional>

#include "mainwindow/PageControls.h"
#include "mainwindow/PageOrders.h"

class QComboBox;
class QFrame;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vantrel {

struct TBankInfo;

class CardBalancePage : public QWidget {
    Q_OBJECT
public:
    explicit CardBalancePage(QWidget* parent = nullptr);

    void setTradeId(const QString& tradeId);
    void load(const TBankInfo& account, const QString& bankName, bool withMoneyType);
    // The clear button: both passwords and the memo.
    void clear();
    void setQueryEnabled(bool enabled);
    void showBankPassword(bool shown);
    // The bank password when its panel shows, else the fund password.
    void focusPassword();
    // Account, trade number, then the fund password or, with the panel
    // showing, the bank password.
    std::optional<BalanceQuery> order();

signals:
    void queryAsked();
    void clearAsked();
    void accountSearchAsked(QWidget* field);

private:
    page::AccountFields account_;
    QComboBox* txtMonMB5 = nullptr;
    QLineEdit *txtMoneyPass5 = nullptr, *txtBankPass5 = nullptr;
    QFrame* PanBankPwdMask5 = nullptr;
    QPlainTextEdit* txtMemo5 = nullptr;
    QPushButton *btnOK5 = nullptr, *btnClear5 = nullptr;
};

}  // namespace vantrel
