#include "mainwindow/OperationPage.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "protocol/SessionTypes.h"

namespace vantrel {

OperationPage::OperationPage(const char* name, QWidget* parent) : QWidget(parent) {
    setObjectName(QLatin1String(name));
}

QPushButton* OperationPage::makeClearButton(const char* name, int x, int y) {
    QPushButton* button = page::Button(this, name, QStringLiteral("重  填"), x, y);
    connect(button, &QPushButton::clicked, this, &OperationPage::clearAsked);
    return button;
}

AccountPage::AccountPage(const char* name, int suffix, bool namedLabels, QWidget* parent)
    : OperationPage(name, parent) {
    account_.build(this, suffix, namedLabels);
    connect(account_.searchAction(), &QAction::triggered, this, [this] { emit accountSearchAsked(account_.bankNo); });
}

void AccountPage::setTradeId(const QString& tradeId) { account_.setTradeId(tradeId); }

void AccountPage::load(const TBankInfo& account, const QString& bankName, bool withMoneyType) {
    account_.show(account, bankName);
    if (withMoneyType && moneyType_) moneyType_->setCurrentIndex(account.MoneyType);
}

void AccountPage::setMoneyKinds(const QStringList& kinds) {
    if (!moneyType_) return;
    moneyType_->clear();
    moneyType_->addItems(kinds);
}

QComboBox* AccountPage::makeMoneyTypeBox(const char* name, const QStringList& items) {
    moneyType_ = page::Combo(this, name, 0, 0, items, false);
    moneyType_->hide();
    return moneyType_;
}

}  // namespace vantrel
