#include "mainwindow/ForexPage.h"

#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "mainwindow/InputRules.h"
#include "widgets/TfrmNoneForm.h"

namespace vantrel {

using namespace page;

ForexPage::ForexPage(QWidget* parent) : AccountPage("TabSheet7", 6, false, parent) {
    QWidget* p = this;
    Caption(p, nullptr, QStringLiteral("购汇/结汇  "), kLabelX, RowY(3), true);
    txtRate6 = Combo(p, "txtRate6", kFieldX, RowY(3), {QStringLiteral("0.购汇"), QStringLiteral("1.结汇")});
    PanBankPwdMask6 = BankPasswordPanel(p, "PanBankPwdMask6", "txtBankPass6", "RzRapidFireButton3", 9, RowY(0) - 1,
                                        &txtBankPass6);
    Caption(p, nullptr, QStringLiteral("资金密码"), kRightLabelX, RowY(0), true);
    txtMoneyPass6 = Password(p, "txtMoneyPass6", kRightFieldX, RowY(0), 25, 140);
    KeyButton(p, "RzRapidFireButton2", kRightFieldX + 151, RowY(0), 10, txtMoneyPass6);
    PanBankPwdMask6->raise();  // lies over the fund password row while it shows
    Caption(p, nullptr, QStringLiteral("金额  "), kRightLabelX, RowY(1), true);
    txtMoney6 = Amount(p, "txtMoney6", kRightFieldX, RowY(1));
    Caption(p, nullptr, QStringLiteral("备注  "), kRightLabelX, RowY(2));
    txtMemo6 = Memo(p, "txtMemo6", kRightFieldX, RowY(2), 47);
    btnOk6 = Button(p, "btnOk6", QStringLiteral("购汇结汇"), kButtonX, RowY(0));
    makeClearButton("btnClear6", kButtonX, RowY(1) + 6);
    btnFind6 = Button(p, "btnFind6", QStringLiteral("查询明细"), kButtonX, RowY(2) + 12);

    connect(btnOk6, &QPushButton::clicked, this, &ForexPage::exchangeAsked);
    connect(btnFind6, &QPushButton::clicked, this, &ForexPage::recordsAsked);
    // The customer's choice only: the window's own selections apply their
    // rules where they are made.
    connect(txtRate6, &QComboBox::activated, this, &ForexPage::directionSelected);
}

void ForexPage::clear() {
    txtBankPass6->clear();
    txtMoneyPass6->clear();
    txtMoney6->clear();
    txtMemo6->clear();
}

void ForexPage::loadChoices(const QString& prefix) {
    LoadComboItems(prefix, txtRate6);
    if (txtRate6->count() > 0) {
        txtRate6->setCurrentIndex(0);
        directionSelected();
    }
}

void ForexPage::directionSelected() {
    if (txtRate6->currentIndex() < 0) return;
    btnOk6->setText(txtRate6->currentText());
    emit directionChosen();
}

void ForexPage::setDirections(OnlyDirection directions) {
    ShowDirections(txtRate6, btnOk6, directions);
    // The button names the one direction there is.
    if (directions != OnlyDirection::Both) btnOk6->setText(txtRate6->currentText());
}

int ForexPage::direction() const { return txtRate6->currentIndex(); }

void ForexPage::showBankPassword(bool shown) { PanBankPwdMask6->setVisible(shown); }

void ForexPage::focusDirection() { FocusIfPossible(txtRate6); }

ExchangeOrder ForexPage::fields(bool bankMode) const {
    ExchangeOrder order;
    order.account = account_.input();
    order.passwords = {PasswordText(txtMoneyPass6), PasswordText(txtBankPass6), bankMode};
    order.memo = MemoText(txtMemo6);
    order.direction = txtRate6->currentIndex() == 1 ? 1 : 0;
    return order;
}

std::optional<ExchangeOrder> ForexPage::order() {
    const bool bankMode = !PanBankPwdMask6->isHidden();
    const auto refuse = [this](const QString& message, QWidget* field, bool onlyIfFocusable = false) {
        Refuse(this, message, field, onlyIfFocusable);
        return std::nullopt;
    };
    if (Blank(account_.bankNo)) return refuse(kChooseAccount, account_.bankNo);
    if (Blank(account_.tradeNo)) return refuse(kChooseAccount, account_.tradeNo);
    if (!bankMode && Blank(txtMoneyPass6)) return refuse(kFundPassword, txtMoneyPass6);
    const QString cents = AmountCents(txtMoney6->text());
    if (cents.isEmpty()) return refuse(kAmount, txtMoney6);
    if (bankMode && Blank(txtBankPass6)) return refuse(kBankPassword, txtBankPass6, true);
    ExchangeOrder order = fields(bankMode);
    order.cents = cents;
    return order;
}

std::optional<ExchangeOrder> ForexPage::recordsQuery() {
    if (Blank(account_.tradeNo)) {
        Refuse(this, kChooseAccount, account_.tradeNo);
        return std::nullopt;
    }
    return fields(false);
}

}  // namespace vantrel
