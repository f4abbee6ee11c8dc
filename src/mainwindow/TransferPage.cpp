#include "mainwindow/TransferPage.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "mainwindow/InputRules.h"
#include "widgets/TfrmNoneForm.h"

namespace vantrel {

using namespace page;

TransferPage::TransferPage(QWidget* parent) : AccountPage("TabSheet1", 1, true, parent) {
    QWidget* p = this;
    lblIOKind1 = Caption(p, "lblIOKind1", QStringLiteral("入金/出金"), kLabelX, RowY(3), true);
    txtIO1 = Combo(p, "txtIO1", kFieldX, RowY(3), {QStringLiteral("0.出金"), QStringLiteral("1.入金")});

    Caption(p, nullptr, QStringLiteral("资金密码"), kRightLabelX, RowY(0), true);
    txtMoneyPass1 = Password(p, "txtMoneyPass1", kRightFieldX, RowY(0), 25, 140);
    KeyButton(p, "btnKey1", kRightFieldX + 151, RowY(0), 1, txtMoneyPass1);
    PanBankPwdMask1 = BankPasswordPanel(p, "PanBankPwdMask1", "txtBankPass1", "btnKey8", 0, RowY(0) - 1,
                                        &txtBankPass1);
    lblMoney1 = Caption(p, "lblMoney1", QStringLiteral("划转金额"), kRightLabelX, RowY(1), true);
    txtMoney1 = Amount(p, "txtMoney1", kRightFieldX, RowY(1));
    Caption(p, nullptr, QStringLiteral("备注"), kRightLabelX, RowY(2));
    txtMemo1 = Memo(p, "txtMemo1", kRightFieldX, RowY(2), 47);
    btnHttp = Button(p, "btnHttp", QStringLiteral("网上入金"), kButtonX, RowY(0));
    btnOk1 = Button(p, "btnOk1", QStringLiteral("划  转"), kButtonX, RowY(1) + 6);
    makeClearButton("btnClear1", kButtonX, RowY(2) + 12);

    // Kept for the operations, not shown.
    txtMonMB1 = makeMoneyTypeBox("txtMonMB1", MoneyKinds());
    txtMoneyType1 = Combo(p, "txtMoneyType1", 0, 0, {QStringLiteral("0.保证金"), QStringLiteral("1.货款")});
    txtMoneyType1->hide();

    connect(btnOk1, &QPushButton::clicked, this, &TransferPage::transferAsked);
    connect(btnHttp, &QPushButton::clicked, this, &TransferPage::onlineDepositAsked);
    // The customer's choice only: the window's own selections apply their
    // rules where they are made.
    connect(txtIO1, &QComboBox::activated, this, &TransferPage::directionChosen);
}

void TransferPage::clear() {
    txtMoney1->clear();
    txtMemo1->clear();
    txtMoneyPass1->clear();
    txtBankPass1->clear();
    FocusIfPossible(txtMoneyPass1);
}

QStringList TransferPage::loadChoices(const QString& prefix, const QString& directionCaption) {
    for (QComboBox* combo : {txtIO1, txtMonMB1, txtMoneyType1}) LoadComboItems(prefix, combo);
    lblIOKind1->setText(directionCaption);
    if (txtIO1->count() > 1) txtIO1->setCurrentIndex(1);
    if (txtMoneyType1->count() > 0) txtMoneyType1->setCurrentIndex(0);
    QStringList moneyKinds;
    for (int i = 0; i < txtMonMB1->count(); ++i) moneyKinds << txtMonMB1->itemText(i);
    return moneyKinds;
}

void TransferPage::setDirections(OnlyDirection directions) {
    ShowDirections(txtIO1, btnOk1, directions);
    // The transfer shows no direction when the bank offers none.
    if (directions == OnlyDirection::Neither) txtIO1->setCurrentIndex(-1);
}

int TransferPage::direction() const { return txtIO1->currentIndex(); }

void TransferPage::showBankPassword(bool shown) { PanBankPwdMask1->setVisible(shown); }

void TransferPage::showOnlineDeposit(bool shown) { btnHttp->setVisible(shown); }

void TransferPage::focusDirection() { FocusIfPossible(txtIO1); }

std::optional<TransferOrder> TransferPage::order() {
    const bool bankMode = !PanBankPwdMask1->isHidden();
    const auto refuse = [this](const QString& message, QWidget* field) {
        Refuse(this, message, field, true);
        return std::nullopt;
    };
    if (Blank(account_.bankNo)) return refuse(kChooseAccount, account_.bankNo);
    if (Blank(account_.tradeNo)) return refuse(kChooseAccount, account_.tradeNo);
    if (!bankMode && Blank(txtMoneyPass1)) return refuse(kFundPassword, txtMoneyPass1);
    if (bankMode && Blank(txtBankPass1)) return refuse(kBankPassword, txtBankPass1);
    const QString cents = AmountCents(txtMoney1->text());
    if (cents.isEmpty()) return refuse(kAmount, txtMoney1);

    TransferOrder order;
    order.account = account_.input();
    order.passwords = {PasswordText(txtMoneyPass1), PasswordText(txtBankPass1), bankMode};
    order.cents = cents;
    order.memo = MemoText(txtMemo1);
    order.direction = txtIO1->currentIndex() == 1 ? 1 : 0;
    const auto line = [](const QLabel* label, const QLineEdit* field) {
        return label->text().trimmed() + " : " + field->text();
    };
    order.summary = {line(account_.bankNoLabel, account_.bankNo), line(account_.bankNameLabel, account_.bankName),
                     line(account_.tradeLabel, account_.tradeNo), line(lblMoney1, txtMoney1)};
    return order;
}

}  // namespace vantrel
