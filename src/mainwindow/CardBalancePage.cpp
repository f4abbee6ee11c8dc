#include "mainwindow/CardBalancePage.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "protocol/SessionTypes.h"

namespace vantrel {

using namespace page;

CardBalancePage::CardBalancePage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabSheet5"));
    QWidget* p = this;
    account_.build(p, 5);
    Caption(p, nullptr, QStringLiteral("资金密码"), kRightLabelX, RowY(0), true);
    txtMoneyPass5 = Password(p, "txtMoneyPass5", kRightFieldX, RowY(0), 25, 140);
    KeyButton(p, "btnKey7", kRightFieldX + 151, RowY(0), 8, txtMoneyPass5);
    PanBankPwdMask5 = BankPasswordPanel(p, "PanBankPwdMask5", "txtBankPass5", "btnKey6", 7, RowY(0) - 1,
                                        &txtBankPass5);
    Caption(p, nullptr, QStringLiteral("备注  "), kRightLabelX, RowY(1));
    txtMemo5 = Memo(p, "txtMemo5", kRightFieldX, RowY(1), 47);
    btnOK5 = Button(p, "btnOK5", QStringLiteral("查  询"), kButtonX, RowY(0));
    btnClear5 = Button(p, "btnClear5", QStringLiteral("重  填"), kButtonX, RowY(1) + 6);
    txtMonMB5 = Combo(p, "txtMonMB5", 0, 0, MoneyKinds(), false);
    txtMonMB5->hide();

    connect(btnOK5, &QPushButton::clicked, this, &CardBalancePage::queryAsked);
    connect(btnClear5, &QPushButton::clicked, this, &CardBalancePage::clearAsked);
    connect(account_.searchAction(), &QAction::triggered, this, [this] { emit accountSearchAsked(account_.bankNo); });
}

void CardBalancePage::setTradeId(const QString& tradeId) { account_.setTradeId(tradeId); }

void CardBalancePage::load(const TBankInfo& account, const QString& bankName, bool withMoneyType) {
    account_.show(account, bankName);
    if (withMoneyType) txtMonMB5->setCurrentIndex(account.MoneyType);
}

void CardBalancePage::clear() {
    txtBankPass5->clear();
    txtMoneyPass5->clear();
    txtMemo5->clear();
}

void CardBalancePage::setQueryEnabled(bool enabled) { btnOK5->setEnabled(enabled); }

void CardBalancePage::showBankPassword(bool shown) { PanBankPwdMask5->setVisible(shown); }

void CardBalancePage::focusPassword() {
    FocusIfPossible(PanBankPwdMask5->isVisible() ? txtBankPass5 : txtMoneyPass5);
}

std::optional<BalanceQuery> CardBalancePage::order() {
    const bool bankMode = !PanBankPwdMask5->isHidden();
    const auto refuse = [this](const QString& message, QWidget* field) {
        Refuse(this, message, field);
        return std::nullopt;
    };
    if (Blank(account_.bankNo)) return refuse(kChooseAccount, account_.bankNo);
    if (Blank(account_.tradeNo)) return refuse(kChooseAccount, account_.tradeNo);
    if (!bankMode && Blank(txtMoneyPass5)) return refuse(kFundPassword, txtMoneyPass5);
    if (bankMode && Blank(txtBankPass5)) return refuse(kBankPassword, txtBankPass5);
    BalanceQuery query;
    query.account = account_.input();
    query.passwords = {PasswordText(txtMoneyPass5), PasswordText(txtBankPass5), bankMode};
    query.memo = MemoText(txtMemo5);
    return query;
}

}  // namespace vantrel
