#include "mainwindow/BankBalancePage.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace vantrel {

using namespace page;

namespace {

// The objectNames and soft keyboard tags of the two pages.
struct Names {
    const char *sheet, *fund, *fundKey, *panel, *bank, *bankKey, *memo, *query, *clear, *moneyType;
    int suffix, fundTag, bankTag;
};

const Names kSupervised{"TabSheet4", "txtMoneyPass3", "btnKey5", "PanBankPwdMask4", "txtBankPass3", "RzRapidFireButton1",
                        "txtMemo3", "btnOk3", "btnClear3", "txtMonMB3", 3, 6, 5};
const Names kCard{"TabSheet5", "txtMoneyPass5", "btnKey7", "PanBankPwdMask5", "txtBankPass5", "btnKey6",
                  "txtMemo5", "btnOK5", "btnClear5", "txtMonMB5", 5, 8, 7};

}  // namespace

BankBalancePage::BankBalancePage(Kind kind, QWidget* parent)
    : AccountPage(kind == Supervised ? kSupervised.sheet : kCard.sheet,
                  kind == Supervised ? kSupervised.suffix : kCard.suffix, false, parent),
      kind_(kind) {
    const Names& n = kind == Supervised ? kSupervised : kCard;
    QWidget* p = this;
    Caption(p, nullptr, QStringLiteral("资金密码"), kRightLabelX, RowY(0), true);
    fundPassword_ = Password(p, n.fund, kRightFieldX, RowY(0), 25, 140);
    KeyButton(p, n.fundKey, kRightFieldX + 151, RowY(0), n.fundTag, fundPassword_);
    bankPasswordPanel_ = BankPasswordPanel(p, n.panel, n.bank, n.bankKey, n.bankTag, RowY(0) - 1, &bankPassword_);
    int memoRow = 1;
    if (kind == Supervised) {
        Caption(p, nullptr, QStringLiteral("日期  "), kRightLabelX, RowY(1));
        date_ = new QDateEdit(QDate(2008, 11, 10), p);
        date_->setObjectName(QStringLiteral("txtDate"));
        date_->setCalendarPopup(true);
        date_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        date_->setGeometry(kRightFieldX, RowY(1), 140, 21);
        memoRow = 2;
    }
    Caption(p, nullptr, QStringLiteral("备注  "), kRightLabelX, RowY(memoRow));
    memo_ = Memo(p, n.memo, kRightFieldX, RowY(memoRow), 47);
    query_ = Button(p, n.query, QStringLiteral("查  询"), kButtonX, RowY(0));
    makeClearButton(n.clear, kButtonX, RowY(1) + 6);
    // The supervision page takes page 0's currencies at start-up.
    makeMoneyTypeBox(n.moneyType, kind == Supervised ? QStringList() : MoneyKinds());

    connect(query_, &QPushButton::clicked, this, &BankBalancePage::queryAsked);
}

void BankBalancePage::clear() {
    bankPassword_->clear();
    fundPassword_->clear();
    memo_->clear();
}

void BankBalancePage::setQueryEnabled(bool enabled) { query_->setEnabled(enabled); }

void BankBalancePage::showBankPassword(bool shown) { bankPasswordPanel_->setVisible(shown); }

void BankBalancePage::focusPassword() {
    FocusIfPossible(bankPasswordPanel_->isVisible() ? bankPassword_ : fundPassword_);
}

std::optional<BalanceQuery> BankBalancePage::order() {
    const bool bankMode = !bankPasswordPanel_->isHidden();
    const auto refuse = [this](const QString& message, QWidget* field) {
        Refuse(this, message, field);
        return std::nullopt;
    };
    if (Blank(account_.bankNo)) return refuse(kChooseAccount, account_.bankNo);
    if (Blank(account_.tradeNo)) return refuse(kChooseAccount, account_.tradeNo);
    if (kind_ == Card && !bankMode && Blank(fundPassword_)) return refuse(kFundPassword, fundPassword_);
    if (bankMode && Blank(bankPassword_)) return refuse(kBankPassword, bankPassword_);
    BalanceQuery query;
    query.account = account_.input();
    query.passwords = {PasswordText(fundPassword_), PasswordText(bankPassword_), bankMode};
    query.memo = MemoText(memo_);
    if (date_) query.date = date_->date().toString(QStringLiteral("yyyyMMdd")).toStdString();
    return query;
}

}  // namespace vantrel
