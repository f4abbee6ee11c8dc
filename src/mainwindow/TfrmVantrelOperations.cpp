// The operations the main window's pages ask for: the transfer, the
// queries, the fund password change, foreign exchange and online deposit.
// The page checks its fields and hands them over; the window fills its
// request and runs it; the request reports its own outcome through the
// window's log notices.
#include <QLabel>
#include <QTabWidget>

#include "common/ErrorLog.h"
#include "common/TextUtil.h"
#include "grid/DBGrid.h"
#include "mainwindow/BankBalancePage.h"
#include "mainwindow/DetailsPage.h"
#include "mainwindow/ForexPage.h"
#include "mainwindow/MarketFundsPage.h"
#include "mainwindow/PageRequests.h"
#include "mainwindow/PasswordPage.h"
#include "mainwindow/TfrmVantrel.h"
#include "mainwindow/TransferPage.h"
#include "protocol/OnlineBankAddress.h"
#include "protocol/Session.h"
#include "widgets/UserPrompts.h"
#include "widgets/WaitCursorGuard.h"

namespace vantrel {
namespace {

// Each line of the transfer summary ends with CR, LF, CR.
const QString kSummaryLineEnd = QStringLiteral("\r\n\r");

// The account fields of a page onto a request that names the account.
template <class Request>
void FillAccount(Request& request, const AccountInput& account) {
    request.BankCode = account.bankId;
    request.CustBankAcctNo = account.bankAcctNo;
    request.CustTradeID = account.tradeId;
}

// A query on the bank account: the account, money kind 0 and the page's memo.
template <class Request, class Order>
void FillAccountQuery(Request& request, const Order& order) {
    FillAccount(request, order.account);
    request.MoneyType = "0";
    request.Memo = order.memo;
}

// The fund password sent: the login's in bank password mode, else the page's.
std::string FundPassword(const Passwords& passwords, const std::string& loginPassword) {
    return passwords.bankPasswordMode ? loginPassword : passwords.fund;
}

// A request on the bank account: the account, both passwords, money kind 0
// and the page's memo.
template <class Request, class Order>
void FillBankAccess(Request& request, const Order& order, const std::string& moneyPwd) {
    FillAccountQuery(request, order);
    request.CustBankPass = order.passwords.bank;
    request.CustMoneyPwd = moneyPwd;
    request.MoneySty = "0";
}

// A request on the market account alone: the bank, trade number and fund password.
template <class Request>
void FillTradeAccount(Request& request, const std::string& bankId, const std::string& tradeId,
                      const std::string& moneyPwd) {
    request.BankCode = bankId;
    request.CustTradeID = tradeId;
    request.CustMoneyPwd = moneyPwd;
}

}  // namespace

void TfrmVantrel::guarded(void (TfrmVantrel::*operation)()) {
    // Nothing may leave a Qt handler; the one failure a request lets through
    // is a transfer log that could not be written. No request runs before
    // the session's requests are made.
    if (!requests_) return;
    try {
        (this->*operation)();
    } catch (const std::exception& failure) {
        ShowMsg(QStringLiteral("转账日志写入失败，本次业务的结果请以转账明细为准：") + QString::fromUtf8(failure.what()),
                MbOk, SystemPromptTitle());
    }
}

bool TfrmVantrel::execute(TBankTransfer& request) {
    request.Settings.CustTradeID = session_.ActiveServer.TradeID;
    WaitCursorGuard wait;
    return request.Execute();
}

void TfrmVantrel::showResult(DBGrid* grid, TBankTransfer& request) { grid->setTable(&request.ResultSource()); }

void TfrmVantrel::runQuery(TBankTransfer& request, OperationPage* page, DBGrid* grid) {
    if (!execute(request)) return;
    page->clear();
    showResult(grid, request);
}

bool TfrmVantrel::offerCheckAfterLostAnswer(const QString& what) {
    const QString question = QStringLiteral("没有收到本次%1的应答，结果未知。\r\n是否现在查询明细，确认是否已经成交?").arg(what);
    return ShowMsg(question, MbYesNo, SystemPromptTitle()) == IdYes;
}

// ---------------------------------------------------------------- page 0

void TfrmVantrel::transfer() {
    const auto order = transferPage_->order();
    if (!order) return;
    const auto& session = session_.CustomerSession;
    const std::string moneyPwd = FundPassword(order->passwords, session.MoneyPwd);
    QString commission;
    if (offer_.Commission) {
        auto& request = requests_->commission;
        FillTradeAccount(request, session.BankID, order->account.tradeId, moneyPwd);
        request.Memo = order->cents.toStdString();
        request.Direction = order->direction;
        if (!execute(request)) {
            ShowMsg(QString::fromStdString(request.LastMessage), MbOk, SystemPromptTitle());
            return;
        }
        commission = QString::fromStdString(request.CommissionText());
    }

    QString summary = QStringLiteral("确定要划转吗?") + kSummaryLineEnd + order->summary.join(kSummaryLineEnd);
    if (offer_.Commission)
        summary += kSummaryLineEnd + QString::fromStdString(requests_->commission.OperationName) + " : " + commission;
    if (ShowMsg(summary, MbYesNo, SystemPromptTitle()) != IdYes) return;

    auto& transfer = requests_->transfer;
    FillBankAccess(transfer, *order, moneyPwd);
    transfer.ChangeMoney = order->cents.toStdString();
    transfer.Direction = order->direction;
    const bool done = execute(transfer);
    const bool lost = !done && transfer.AnswerLost;
    const bool query = (done && autoQuery_) || (lost && offerCheckAfterLostAnswer(QStringLiteral("划转")));
    if (query) {
        auto& details = requests_->transferDetails;
        FillAccount(details, order->account);
        if (execute(details)) showResult(grids_[0], details);
    }
    transferPage_->clear();
    // The answer of a lost transfer is looked for in the details.
    if (lost && query) PageControl->setCurrentIndex(PageDetails);
}

// ---------------------------------------------------------------- queries

void TfrmVantrel::listTransferDetails() {
    const auto order = detailsPage_->order();
    if (!order) return;
    auto& request = requests_->transferDetails;
    FillAccountQuery(request, *order);
    runQuery(request, detailsPage_, grids_[0]);
}

void TfrmVantrel::querySupervisedBalance() {
    const auto order = supervisedPage_->order();
    if (!order) return;
    auto& request = requests_->supervisedBalance;
    FillAccountQuery(request, *order);
    request.CustBankPass = order->passwords.bank;
    request.QueryDate = order->date;
    runQuery(request, supervisedPage_, grids_[1]);
}

void TfrmVantrel::queryCardBalance() {
    const auto order = cardPage_->order();
    if (!order) return;
    auto& request = requests_->cardBalance;
    FillBankAccess(request, *order, FundPassword(order->passwords, session_.CustomerSession.MoneyPwd));
    runQuery(request, cardPage_, grids_[2]);
}

void TfrmVantrel::queryMarketFunds() {
    const auto order = marketPage_->order();
    if (!order) return;
    auto& request = requests_->marketFunds;
    FillTradeAccount(request, session_.CustomerSession.BankID, order->tradeId, order->fundPassword);
    request.MoneySty = "0";
    request.MoneyType = "0";
    request.Memo = order->memo;
    if (execute(request)) showResult(grids_[4], request);
    marketPage_->clear();
}

// ---------------------------------------------------------------- page 2

void TfrmVantrel::changeFundPassword() {
    const auto order = passwordPage_->order();
    if (!order) return;
    auto& request = requests_->passwordChange;
    FillTradeAccount(request, session_.CustomerSession.BankID, order->tradeId, order->oldPassword);
    request.NCustMoneyPwd = order->newPassword;
    if (!execute(request)) return;
    session_.CustomerSession.MoneyPwd = order->newPassword;
    passwordPage_->clear();
}

// ---------------------------------------------------------------- page 5

void TfrmVantrel::exchangeForex() {
    const auto order = forexPage_->order();
    if (!order) return;
    const std::string moneyPwd = FundPassword(order->passwords, session_.CustomerSession.MoneyPwd);
    auto& exchange = requests_->exchange;
    FillBankAccess(exchange, *order, moneyPwd);
    exchange.ChangeMoney = order->cents.toStdString();
    exchange.BaseMoneyType = "1";
    exchange.Direction = order->direction;
    const bool done = execute(exchange);
    const bool lost = !done && exchange.AnswerLost;
    if ((done && autoQuery_) || (lost && offerCheckAfterLostAnswer(QStringLiteral("购汇结汇"))))
        if (runExchangeRecords(*order, moneyPwd)) showResult(grids_[3], requests_->exchangeRecords);
    forexPage_->clear();
}

void TfrmVantrel::listExchangeRecords() {
    const auto query = forexPage_->recordsQuery();
    if (!query) return;
    if (!runExchangeRecords(*query, query->passwords.fund)) return;
    forexPage_->clear();
    showResult(grids_[3], requests_->exchangeRecords);
}

bool TfrmVantrel::runExchangeRecords(const ExchangeOrder& order, const std::string& moneyPwd) {
    auto& records = requests_->exchangeRecords;
    FillAccount(records, order.account);
    records.CustMoneyPwd = moneyPwd;
    records.Memo = order.memo;
    return execute(records);
}

// ---------------------------------------------------------------- online deposit

QString TfrmVantrel::onlineDepositAddress() {
    if (!requests_) return {};
    const auto& session = session_.CustomerSession;
    auto& request = requests_->orderId;
    request.CustTradeID = session_.ActiveServer.TradeID;
    request.BankCode = session.BankID;
    const bool found = execute(request);
    std::string orderId;
    MemoryTable& rows = request.ResultTable;
    if (found && rows.recordCount() > 0 && rows.fieldCount() > 0) {
        rows.first();
        orderId = Trim(rows.fieldText(0));
    }
    const auto address = FillOnlineBankAddress(session.Url, orderId, request.CustTradeID);
    if (!address.ok()) {
        // The customer gets the short notice; the reason goes to the error log.
        try {
            WriteErrorLog("uVantrel -> NetBankAddress -> " + address.error());
        } catch (const std::exception&) {
        }
        ShowMsg(QString::fromUtf8(kNetBankAddressError), MbOk, SystemPromptTitle());
        return {};
    }
    return QString::fromStdString(address.value());
}

void TfrmVantrel::openOnlineDeposit() {
    const QString address = onlineDepositAddress();
    if (address.trimmed().isEmpty()) {
        PanTips->clear();
        return;
    }
    Prompts().openUrl(address.trimmed());
}

}  // namespace vantrel
