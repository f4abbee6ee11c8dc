#include "mainwindow/SupervisedBalancePage.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "protocol/SessionTypes.h"

namespace vantrel {

using namespace page;

SupervisedBalancePage::SupervisedBalancePage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabSheet4"));
    QWidget* p = this;
    account_.build(p, 3);
    Caption(p, nullptr, QStringLiteral("资金密码"), kRightLabelX, RowY(0), true);
    txtMoneyPass3 = Password(p, "txtMoneyPass3", kRightFieldX, RowY(0), 25, 140);
    KeyButton(p, "btnKey5", kRightFieldX + 151, RowY(0), 6, txtMoneyPass3);
    PanBankPwdMask4 = BankPasswordPanel(p, "PanBankPwdMask4", "txtBankPass3", "RzRapidFireButton1", 5, RowY(0) - 1,
                                        &txtBankPass3);
    Caption(p, nullptr, QStringLiteral("日期  "), kRightLabelX, RowY(1));
    txtDate = new QDateEdit(QDate(2008, 11, 10), p);
    txtDate->setObjectName(QStringLiteral("txtDate"));
    txtDate->setCalendarPopup(true);
    txtDate->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    txtDate->setGeometry(kRightFieldX, RowY(1), 140, 21);
    Caption(p, nullptr, QStringLiteral("备注  "), kRightLabelX, RowY(2));
    txtMemo3 = Memo(p, "txtMemo3", kRightFieldX, RowY(2), 47);
    btnOk3 = Button(p, "btnOk3", QStringLiteral("查  询"), kButtonX, RowY(0));
    btnClear3 = Button(p, "btnClear3", QStringLiteral("重  填"), kButtonX, RowY(1) + 6);
    txtMonMB3 = Combo(p, "txtMonMB3", 0, 0, {}, false);
    txtMonMB3->hide();

    connect(btnOk3, &QPushButton::clicked, this, &SupervisedBalancePage::queryAsked);
    connect(btnClear3, &QPushButton::clicked, this, &SupervisedBalancePage::clearAsked);
    connect(account_.searchAction(), &QAction::triggered, this, [this] { emit accountSearchAsked(account_.bankNo); });
}

void SupervisedBalancePage::setTradeId(const QString& tradeId) { account_.setTradeId(tradeId); }

void SupervisedBalancePage::load(const TBankInfo& account, const QString& bankName, bool withMoneyType) {
    account_.show(account, bankName);
    if (withMoneyType) txtMonMB3->setCurrentIndex(account.MoneyType);
}

void SupervisedBalancePage::setMoneyKinds(const QStringList& kinds) {
    txtMonMB3->clear();
    txtMonMB3->addItems(kinds);
}

void SupervisedBalancePage::clear() {
    txtBankPass3->clear();
    txtMoneyPass3->clear();
    txtMemo3->clear();
}

void SupervisedBalancePage::setQueryEnabled(bool enabled) { btnOk3->setEnabled(enabled); }

void SupervisedBalancePage::showBankPassword(bool shown) { PanBankPwdMask4->setVisible(shown); }

void SupervisedBalancePage::focusPassword() {
    FocusIfPossible(PanBankPwdMask4->isVisible() ? txtBankPass3 : txtMoneyPass3);
}

std::optional<BalanceQuery> SupervisedBalancePage::order() {
    const bool bankMode = !PanBankPwdMask4->isHidden();
    const auto refuse = [this](const QString& message, QWidget* field) {
        Refuse(this, message, field);
        return std::nullopt;
    };
    if (Blank(account_.bankNo)) return refuse(kChooseAccount, account_.bankNo);
    if (Blank(account_.tradeNo)) return refuse(kChooseAccount, account_.tradeNo);
    if (bankMode && Blank(txtBankPass3)) return refuse(kBankPassword, txtBankPass3);
    BalanceQuery query;
    query.account = account_.input();
    query.passwords = {PasswordText(txtMoneyPass3), PasswordText(txtBankPass3), bankMode};
    query.memo = MemoText(txtMemo3);
    query.date = txtDate->date().toString(QStringLiteral("yyyyMMdd")).toStdString();
    return query;
}

}  // namespace vantrel
