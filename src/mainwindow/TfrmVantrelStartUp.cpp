// The main window's start-up steps and the account in use: which pages and
// directions the bank's switches leave, mapped onto the pages.
#include <QShowEvent>
#include <QTabWidget>

#include <stdexcept>

#include "common/BankIni.h"
#include "common/TextUtil.h"
#include "grid/DBGrid.h"
#include "grid/GridCodeTables.h"
#include "grid/TFormatDBGrid.h"
#include "mainwindow/BankBalancePage.h"
#include "mainwindow/DetailsPage.h"
#include "mainwindow/ForexPage.h"
#include "mainwindow/PageRequests.h"
#include "mainwindow/TfrmVantrel.h"
#include "mainwindow/TransferPage.h"
#include "protocol/AccountRow.h"
#include "protocol/FunctionCodes.h"
#include "protocol/Session.h"
#include "widgets/TRedTabSet.h"

namespace vantrel {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

void TfrmVantrel::showEvent(QShowEvent* event) {
    TfrmNoneForm::showEvent(event);
    if (!formShown_) {
        formShown_ = true;
        FormShow();
    }
}

void TfrmVantrel::FormShow() {
    try {
        startUpSteps();
    } catch (const std::exception& failure) {
        // The remaining steps are skipped; the window opens with what was set up.
        Prompts().messageBox(this, QString::fromStdString(failure.what()), windowTitle(), MbOk);
    }
    emit shown();
}

void TfrmVantrel::startUpSteps() {
    policy_ = BankPolicy();
    offer_ = BankOffer();
    setAttribute(Qt::WA_OpaquePaintEvent, false);

    // 1
    autoQuery_ = IniReadBool("system", "AutoQueryFlag", false);

    // 2
    requests_ = std::make_unique<PageRequests>(session_, logSink());

    // 3
    LoadBankPolicy();

    // 4
    for (std::size_t i = 0; i < formatters_.size(); ++i) {
        auto created = TFormatDBGrid::Create();
        if (!created.ok()) throw std::runtime_error(created.error());
        formatters_[i] = std::move(created).value();
        formatters_[i]->setNodeHead(QStringLiteral("Money"));
        if (i == 0) formatters_[i]->SpaceColFlag = false;
        const Status formatted = formatters_[i]->FormatDBGrid(grids_[i], true, false, true);
        if (!formatted.ok()) throw std::runtime_error(formatted.error());
    }

    // 5
    attachCodeTables();

    // 6: the grids share the result area's layout; only the visible one takes room.

    // 7
    const auto captions = SectionValues("MoneyMGKind", "Bank.ini");
    if (captions && captions->size() == static_cast<std::size_t>(PageControl->count()))
        for (int page = 0; page < PageControl->count(); ++page)
            PageControl->setTabText(page, Q(captions->at(static_cast<std::size_t>(page))));

    // 8
    PageControl->setCurrentIndex(PageTransfer);

    // 9, 10, 11
    loadChoices();

    // 12
    formatters_[4]->ResizeSpaceCol();

    // 13
    policy_.UpdateForex(offer_, kExchangeBankId);
    PageControl->setTabVisible(PageForex, offer_.BuyForex || offer_.SettleForex);

    // 14, 15
    MemoryTable& accounts = session_.SignedBankTable;
    // A table without columns was never filled by a login: "not open".
    if (accounts.fieldCount() > 0) {
        static_cast<void>(accounts.setFilter("BANKID<>999"));
        try {
            accountSteps();
        } catch (const std::exception&) {
            // An unreadable account row ends the step; what was done stays.
        }
    }

    // 16
    if (RTBIOKind->count() > 0 && RTBIOKind->tabIndex() != 0) RTBIOKind->setTabIndex(0);
}

void TfrmVantrel::loadChoices() {
    // The combo boxes' items from [frmVantrel<combo>], the direction caption,
    // the default selections; the details and supervision pages take page 0's
    // currencies.
    const QStringList moneyKinds =
        transferPage_->loadChoices(objectName(), Q(CaptionFor("lblIOKind1", "入金/出金")));
    forexPage_->loadChoices(objectName());
    detailsPage_->setMoneyKinds(moneyKinds);
    supervisedPage_->setMoneyKinds(moneyKinds);
}

void TfrmVantrel::LoadBankPolicy() {
    // The outcome is not examined; a failed fetch leaves an empty table.
    TQuerySysParam& query = requests_->sysParam;
    query.LogEvents = false;
    query.CustTradeID = session_.ActiveServer.TradeID;
    query.Settings.CustTradeID = session_.ActiveServer.TradeID;
    query.SubCode = "0";
    query.Execute();
    policy_ = BankPolicy(query.ResultTable);
}

void TfrmVantrel::attachCodeTables() {
    // One list of code tables serves the window and the command-line export.
    const auto list = [](const std::string& section) {
        return SectionValues(section, "Bank.ini").value_or(std::vector<std::string>{});
    };
    for (const auto& table : ResultGridCodeTables()) {
        auto* grid = findChild<DBGrid*>(QString::fromStdString(table.grid));
        if (!grid) continue;
        GridModel* model = grid->gridModel();
        int found = -1;
        for (int c = 0; c < model->columnCount(); ++c)
            if (EqualsNoCase(model->column(c).fieldName, table.field)) found = c;
        if (found < 0) {
            if (!table.required) continue;
            throw std::runtime_error("网格 " + table.grid + " 没有字段 " + table.field);
        }
        model->column(found).keyList = list(table.keySection);
        model->column(found).pickList = list(table.valueSection);
    }
    for (std::size_t i = 0; i < 4; ++i) grids_[i]->viewport()->update();
}

void TfrmVantrel::accountSteps() {
    MemoryTable& accounts = session_.SignedBankTable;
    auto& session = session_.CustomerSession;
    if (accounts.recordCount() == 0) {
        for (int page : {PageTransfer, PageDetails, PageSupervise, PageCard, PageMarket})
            PageControl->setTabVisible(page, false);
        PageControl->setCurrentIndex(PagePassword);
        return;
    }
    accounts.first();
    ReadAccountRow(accounts, requests_->transfer.Settings.NetBank, session);
    const std::string bank = session.BankID;
    policy_.UpdateTransfer(offer_, bank);
    // With several accounts the query pages wait for the customer's choice.
    if (accounts.recordCount() > 1) return;

    policy_.UpdateQueries(offer_, bank);
    PageControl->setTabVisible(PageSupervise, offer_.SupervisedBalance);
    PageControl->setTabVisible(PageCard, offer_.CardBalance);
    PageControl->setTabVisible(PageMarket, offer_.MarketFunds);
    transferPage_->showOnlineDeposit(session.BankType != 0);
    const QString bankName = Q(session.BankName);
    transferPage_->load(session, bankName, false);
    detailsPage_->load(session, bankName, false);
    supervisedPage_->load(session, bankName, false);
    cardPage_->load(session, bankName, false);
    applyDirectionRules();
    applyTransferPasswordPanel();
    supervisedPage_->showBankPassword(policy_.BankPasswordRequired(ParamCode::SupervisedBalance, bank));
    cardPage_->showBankPassword(policy_.BankPasswordRequired(ParamCode::CardBalance, bank));
    applyForexPasswordPanel();
    PageControl->setCurrentIndex(PageTransfer);
}

void TfrmVantrel::useAccount(const TBankInfo& account) {
    session_.CustomerSession = account;
    const auto& session = session_.CustomerSession;
    const QString shownName = QStringLiteral("%1(%2)").arg(Q(session.BankName), Q(session.BankID));
    const std::string bank = session.BankID;
    switch (PageControl->currentIndex()) {
    case PageTransfer:
        transferPage_->load(session, shownName, true);
        transferPage_->showOnlineDeposit(session.BankType != 0);
        policy_.UpdateTransfer(offer_, bank);
        policy_.Update(offer_.SupervisedBalance, ParamCode::SupervisedBalance, bank);
        applyDirectionRules();
        applyTransferPasswordPanel();
        transferPage_->focusDirection();
        break;
    case PageDetails: detailsPage_->load(session, shownName, true); break;
    case PageSupervise:
        useAccountOnBalancePage(supervisedPage_, offer_.SupervisedBalance, ParamCode::SupervisedBalance, shownName);
        break;
    case PageCard: useAccountOnBalancePage(cardPage_, offer_.CardBalance, ParamCode::CardBalance, shownName); break;
    case PageForex:
        forexPage_->load(session, shownName);
        policy_.UpdateForex(offer_, bank);
        applyForexDirectionRules();
        forexPage_->focusDirection();
        break;
    default: break;
    }
}

void TfrmVantrel::useAccountOnBalancePage(BankBalancePage* page, bool& offered, std::string_view param,
                                          const QString& shownName) {
    const std::string& bank = session_.CustomerSession.BankID;
    page->load(session_.CustomerSession, shownName, true);
    policy_.Update(offered, param, bank);
    page->setQueryEnabled(offered);
    page->showBankPassword(policy_.BankPasswordRequired(param, bank));
    page->focusPassword();
}

void TfrmVantrel::applyDirectionRules() {
    transferPage_->setDirections(DirectionsOf(offer_.Withdraw, offer_.Deposit));
}

void TfrmVantrel::applyForexDirectionRules() {
    forexPage_->setDirections(DirectionsOf(offer_.BuyForex, offer_.SettleForex));
    applyForexPasswordPanel();
}

void TfrmVantrel::applyTransferPasswordPanel() {
    const int direction = transferPage_->direction();
    if (direction == 0 || direction == 1)
        transferPage_->showBankPassword(
            policy_.TransferNeedsBankPassword(direction == 1, session_.CustomerSession.BankID));
}

void TfrmVantrel::applyForexPasswordPanel() {
    const int direction = forexPage_->direction();
    if (direction == 0 || direction == 1)
        forexPage_->showBankPassword(policy_.ForexNeedsBankPassword(direction == 0, session_.CustomerSession.BankID));
}

bool TfrmVantrel::BankPasswordRequired(const QString& code, const QString& bankId) const {
    return policy_.BankPasswordRequired(code.toStdString(), bankId.toStdString());
}

}  // namespace vantrel
