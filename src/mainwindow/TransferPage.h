#pragma once
// Page 0 of the main window (TabSheet1): deposit and withdrawal, and the
// online deposit button.
#include <optional>
#include <string>

#include "mainwindow/OperationPage.h"
#include "mainwindow/PageOrders.h"
#include "protocol/BankPolicy.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vantrel {

class TransferPage : public AccountPage {
    Q_OBJECT
public:
    explicit TransferPage(QWidget* parent = nullptr);

    // Amount, memo and both passwords.
    void clear() override;

    // Bank.ini's items of the page's combo boxes (section prefix + name), the
    // direction caption and the default selections; returns the currencies.
    QStringList loadChoices(const QString& prefix, const QString& directionCaption);
    // Which directions the bank offers for the account.
    void setDirections(OnlyDirection directions);
    // 0 withdraws, 1 deposits, -1 none chosen.
    int direction() const;
    void showBankPassword(bool shown);
    void showOnlineDeposit(bool shown);
    void focusDirection();

    // The fields checked in order; the first failure is told and focused.
    std::optional<TransferOrder> order();

signals:
    void transferAsked();
    void onlineDepositAsked();
    // The customer chose a direction.
    void directionChosen();

private:
    QComboBox *txtIO1 = nullptr, *txtMonMB1 = nullptr, *txtMoneyType1 = nullptr;
    QLabel *lblIOKind1 = nullptr, *lblMoney1 = nullptr;
    QLineEdit *txtMoneyPass1 = nullptr, *txtBankPass1 = nullptr, *txtMoney1 = nullptr;
    QFrame* PanBankPwdMask1 = nullptr;
    QPlainTextEdit* txtMemo1 = nullptr;
    QPushButton *btnHttp = nullptr, *btnOk1 = nullptr;
};

}  // namespace vantrel
