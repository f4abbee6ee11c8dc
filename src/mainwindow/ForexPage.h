#pragma once
// Page 5 of the main window (TabSheet7): buying and settling foreign
// exchange over the exchange account, and its records.
#include <QWidget>

#include <optional>

#include "mainwindow/PageControls.h"
#include "mainwindow/PageOrders.h"
#include "protocol/BankPolicy.h"

class QComboBox;
class QFrame;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vantrel {

struct TBankInfo;

class ForexPage : public QWidget {
    Q_OBJECT
public:
    explicit ForexPage(QWidget* parent = nullptr);

    void setTradeId(const QString& tradeId);
    void load(const TBankInfo& account, const QString& bankName);
    // The clear button: both passwords, the amount and the memo.
    void clear();
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
    void clearAsked();
    // A direction was chosen, by the customer or by loadChoices.
    void directionChosen();
    void accountSearchAsked(QWidget* field);

private:
    void directionSelected();
    ExchangeOrder fields(bool bankMode) const;

    page::AccountFields account_;
    QComboBox* txtRate6 = nullptr;
    QLineEdit *txtMoneyPass6 = nullptr, *txtBankPass6 = nullptr, *txtMoney6 = nullptr;
    QFrame* PanBankPwdMask6 = nullptr;
    QPlainTextEdit* txtMemo6 = nullptr;
    QPushButton *btnOk6 = nullptr, *btnClear6 = nullptr, *btnFind6 = nullptr;
};

}  // namespace vantrel
