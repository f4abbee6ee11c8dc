#pragma once
// Page 0 of the main window (TabSheet1): deposit and withdrawal, and the
// online deposit button.
#include <QWidget>

#include <optional>
#include <string>

#include "mainwindow/PageControls.h"
#include "mainwindow/PageOrders.h"
#include "protocol/BankPolicy.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vantrel {

struct TBankInfo;

class TransferPage : public QWidget {
    Q_OBJECT
public:
    explicit TransferPage(QWidget* parent = nullptr);

    void setTradeId(const QString& tradeId);
    // The account's fields; `withMoneyType` also selects its currency.
    void load(const TBankInfo& account, const QString& bankName, bool withMoneyType);
    // The clear button: amount, memo and both passwords.
    void clear();

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
    void clearAsked();
    // The customer chose a direction.
    void directionChosen();
    void accountSearchAsked(QWidget* field);

private:
    page::AccountFields account_;
    QComboBox *txtIO1 = nullptr, *txtMonMB1 = nullptr, *txtMoneyType1 = nullptr;
    QLabel *lblIOKind1 = nullptr, *lblMoney1 = nullptr;
    QLineEdit *txtMoneyPass1 = nullptr, *txtBankPass1 = nullptr, *txtMoney1 = nullptr;
    QFrame* PanBankPwdMask1 = nullptr;
    QPlainTextEdit* txtMemo1 = nullptr;
    QPushButton *btnHttp = nullptr, *btnOk1 = nullptr, *btnClear1 = nullptr;
};

}  // namespace vantrel
