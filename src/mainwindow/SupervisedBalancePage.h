#pragma once
// Page 3 of the main window (TabSheet4): the balance the bank supervises,
// on a chosen day.
#include <QWidget>

#include <optional>

#include "mainwindow/PageControls.h"
#include "mainwindow/PageOrders.h"

class QComboBox;
class QDateEdit;
class QFrame;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vantrel {

struct TBankInfo;

class SupervisedBalancePage : public QWidget {
    Q_OBJECT
public:
    explicit SupervisedBalancePage(QWidget* parent = nullptr);

    void setTradeId(const QString& tradeId);
    void load(const TBankInfo& account, const QString& bankName, bool withMoneyType);
    void setMoneyKinds(const QStringList& kinds);
    // The clear button: both passwords and the memo.
    void clear();
    void setQueryEnabled(bool enabled);
    void showBankPassword(bool shown);
    // The bank password when its panel shows, else the fund password.
    void focusPassword();
    // Account, trade number, and the bank password when its panel shows.
    std::optional<BalanceQuery> order();

signals:
    void queryAsked();
    void clearAsked();
    void accountSearchAsked(QWidget* field);

private:
    page::AccountFields account_;
    QComboBox* txtMonMB3 = nullptr;
    QLineEdit *txtMoneyPass3 = nullptr, *txtBankPass3 = nullptr;
    QFrame* PanBankPwdMask4 = nullptr;
    QDateEdit* txtDate = nullptr;
    QPlainTextEdit* txtMemo3 = nullptr;
    QPushButton *btnOk3 = nullptr, *btnClear3 = nullptr;
};

}  // namespace vantrel
