#pragma once
// Page 6 of the main window (TabSheet8): the customer's funds at the market.
#include <QWidget>

#include <optional>

#include "mainwindow/PageOrders.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vantrel {

class MarketFundsPage : public QWidget {
    Q_OBJECT
public:
    explicit MarketFundsPage(QWidget* parent = nullptr);

    void setTradeId(const QString& tradeId);
    // The clear button: the fund password (the memo stays).
    void clear();
    // Trade number and fund password.
    std::optional<MarketQuery> order();

signals:
    void queryAsked();
    void clearAsked();

private:
    QLineEdit *txtTradeNo7 = nullptr, *txtMoneyPass7 = nullptr;
    QPlainTextEdit* txtMemo7 = nullptr;
    QPushButton *BitBtn1 = nullptr, *BitBtn2 = nullptr;
};

}  // namespace vantrel
