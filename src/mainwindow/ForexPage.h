#pragma once
// Page 5 of the main window (TabSheet7): buying and settling foreign
// exchange over the exchange account, and its records.
#include <optional>

#include "mainwindow/OperationPage.h"
#include "mainwindow/PageOrders.h"
#include "protocol/BankPolicy.h"

class QComboBox;
class QFrame;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vantrel {

class ForexPage : public AccountPage {
    Q_OBJECT
public:
    explicit ForexPage(QWidget* parent = nullptr);

    // Both passwords, the amount and the memo.
    void clear() override;
    // Bank.ini's directions (section prefix + name), the first one chosen.
    void loadChoices(const QString& prefix);
    // Which directions the bank offers; a single one is chosen and names the button.
    void setDirections(OnlyDirection directions);
    // 0 buys, 1 settles, -1 none chosen.
    int direction() const;
    void showBankPassword(bool shown);
    void focusDirection();

    // Account, trade number, fund password (panel hidden), amount, then the
    // bank password (panel shown).
    std::optional<ExchangeOrder> order();
    // The records need only the trade number; the typed fund password goes.
    std::optional<ExchangeOrder> recordsQuery();

signals:
    void exchangeAsked();
    void recordsAsked();
    // A direction was chosen, by the customer or by loadChoices.
    void directionChosen();

private:
    void directionSelected();
    ExchangeOrder fields(bool bankMode) const;

    QComboBox* txtRate6 = nullptr;
    QLineEdit *txtMoneyPass6 = nullptr, *txtBankPass6 = nullptr, *txtMoney6 = nullptr;
    QFrame* PanBankPwdMask6 = nullptr;
    QPlainTextEdit* txtMemo6 = nullptr;
    QPushButton *btnOk6 = nullptr, *btnFind6 = nullptr;
};

}  // namespace vantrel
