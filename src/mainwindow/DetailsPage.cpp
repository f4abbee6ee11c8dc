#include "mainwindow/DetailsPage.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "protocol/SessionTypes.h"

namespace vantrel {

using namespace page;

DetailsPage::DetailsPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabSheet2"));
    QWidget* p = this;
    account_.build(p, 2);
    Caption(p, nullptr, QStringLiteral("备注  "), kRightLabelX, RowY(0));
    txtMemo2 = Memo(p, "txtMemo2", kRightFieldX, RowY(0), 73);
    btnOk2 = Button(p, "btnOk2", QStringLiteral("查  询"), kButtonX, RowY(0));
    btnClear2 = Button(p, "btnClear2", QStringLiteral("重  填"), kButtonX, RowY(1) + 6);
    txtMonMB2 = Combo(p, "txtMonMB2", 0, 0, {}, false);
    txtMonMB2->hide();

    connect(btnOk2, &QPushButton::clicked, this, &DetailsPage::queryAsked);
    connect(btnClear2, &QPushButton::clicked, this, &DetailsPage::clearAsked);
    connect(account_.searchAction(), &QAction::triggered, this, [this] { emit accountSearchAsked(account_.bankNo); });
}

void DetailsPage::setTradeId(const QString& tradeId) { account_.setTradeId(tradeId); }

void DetailsPage::load(const TBankInfo& account, const QString& bankName, bool withMoneyType) {
    account_.show(account, bankName);
    if (withMoneyType) txtMonMB2->setCurrentIndex(account.MoneyType);
}

void DetailsPage::setMoneyKinds(const QStringList& kinds) {
    txtMonMB2->clear();
    txtMonMB2->addItems(kinds);
}

void DetailsPage::clear() {
    txtMemo2->clear();
    FocusIfPossible(account_.bankNo);
}

std::optional<AccountQuery> DetailsPage::order() {
    if (Blank(account_.tradeNo)) {
        Refuse(this, kChooseAccount, account_.tradeNo);
        return std::nullopt;
    }
    return AccountQuery{account_.input(), MemoText(txtMemo2)};
}

}  // namespace vantrel
