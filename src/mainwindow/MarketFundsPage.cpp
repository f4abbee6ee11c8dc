#include "mainwindow/MarketFundsPage.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>


namespace vantrel {

using namespace page;

MarketFundsPage::MarketFundsPage(QWidget* parent) : OperationPage("TabSheet8", parent) {
    QWidget* p = this;
    Caption(p, nullptr, QStringLiteral("市场账号"), kLabelX, RowY(0), true);
    txtTradeNo7 = Edit(p, "txtTradeNo7", kFieldX, RowY(0), 25, true);
    Caption(p, nullptr, QStringLiteral("资金密码"), kLabelX, RowY(1), true);
    txtMoneyPass7 = Password(p, "txtMoneyPass7", kFieldX, RowY(1), 25, 140);
    KeyButton(p, "RzRapidFireButton4", kFieldX + 151, RowY(1), 11, txtMoneyPass7);
    Caption(p, nullptr, QStringLiteral("备注  "), kRightLabelX, RowY(0));
    txtMemo7 = Memo(p, "txtMemo7", kRightFieldX, RowY(0), 73);
    BitBtn1 = Button(p, "BitBtn1", QStringLiteral("查  询"), kButtonX, RowY(0));
    makeClearButton("BitBtn2", kButtonX, RowY(1) + 6);

    connect(BitBtn1, &QPushButton::clicked, this, &MarketFundsPage::queryAsked);
}

void MarketFundsPage::setTradeId(const QString& tradeId) { txtTradeNo7->setText(tradeId); }

void MarketFundsPage::clear() { txtMoneyPass7->clear(); }

std::optional<MarketQuery> MarketFundsPage::order() {
    if (Blank(txtTradeNo7)) {
        Refuse(this, kChooseAccount, txtTradeNo7);
        return std::nullopt;
    }
    if (Blank(txtMoneyPass7)) {
        Refuse(this, kFundPassword, txtMoneyPass7);
        return std::nullopt;
    }
    return MarketQuery{Text(txtTradeNo7), PasswordText(txtMoneyPass7), MemoText(txtMemo7)};
}

}  // namespace vantrel
