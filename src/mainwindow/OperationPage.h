#pragma once
// What the operation pages of the main window share: the trade number, the
// clear button and its clear(); the pages with an account also the account
// rows, their search action and load().
#include <QWidget>

#include "mainwindow/PageControls.h"

class QComboBox;
class QPushButton;

namespace vantrel {

struct TBankInfo;

class OperationPage : public QWidget {
    Q_OBJECT
public:
    virtual void setTradeId(const QString& tradeId) = 0;
    // Empties what the page's clear button empties.
    virtual void clear() = 0;

signals:
    void clearAsked();

protected:
    OperationPage(const char* name, QWidget* parent);
    // The clear button ("重  填"), asking for clear().
    QPushButton* makeClearButton(const char* name, int x, int y);
};

class AccountPage : public OperationPage {
    Q_OBJECT
public:
    void setTradeId(const QString& tradeId) override;
    // The account's fields; `withMoneyType` also selects its currency.
    void load(const TBankInfo& account, const QString& bankName, bool withMoneyType = false);
    // The items of the hidden currency box.
    void setMoneyKinds(const QStringList& kinds);

signals:
    // The account field's search action: the picker opens under `field`.
    void accountSearchAsked(QWidget* field);

protected:
    // Builds the account rows, named by `suffix`, first on the page.
    AccountPage(const char* name, int suffix, bool namedLabels, QWidget* parent);
    // The hidden currency box, made by the page where it has one.
    QComboBox* makeMoneyTypeBox(const char* name, const QStringList& items);

    page::AccountFields account_;

private:
    QComboBox* moneyType_ = nullptr;
};

}  // namespace vantrel
