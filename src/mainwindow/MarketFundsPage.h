#pragma once
// Page 6 of the main window (TabSheet8): the customer's funds at the market.
#include <optional>

#include "mainwindow/OperationPage.h"
#include "mainwindow/PageOrders.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vantrel {

class MarketFundsPage : public OperationPage {
    Q_OBJECT
public:
    explicit MarketFundsPage(QWidget* parent = nullptr);

    void setTradeId(const QString& tradeId) override;
    // the fund password (the memo stays).
    void clear() override;
    // Trade number and fund password.
    std::optional<MarketQuery> order();

signals:
    void queryAsked();

private:
    QLineEdit *txtTradeNo7 = nullptr, *txtMoneyPass7 = nullptr;
    QPlainTextEdit* txtMemo7 = nullptr;
    QPushButton* BitBtn1 = nullptr;
};

}  // namespace vantrel
