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

}  // namespace

void TfrmVantrel::guarded(void (TfrmVantrel::*operation)()) {
    // Nothing may leave a Qt handler; the one failure a request lets through
    // is a transfer log that could not be written.
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

bool TfrmVantrel::offerCheckAfterLostAnswer(const QString& what) {
    const QString question = QStringLiteral("没有收到本次%1的应答，结果未知。\r\n是否现在查询明细，确认是否已经成交?").arg(what);
    return ShowMsg(question, MbYesNo, SystemPromptTitle()) == IdYes;
}

// ---------------------------------------------------------------- page 0

void TfrmVantrel::transfer() {
    if (!requests_) return;
    const auto order = transferPage_->order();
    if (!order) return;
    const auto& session = session_.CustomerSession;
    const std::string moneyPwd = order->passwords.bankPasswordMode ? session.MoneyPwd : order->passwords.fund;
    QString commission;
    if (offer_.Commission) {
        auto& request = requests_->commission;
        request.BankCode = session.BankID;
        request.CustTradeID = order->account.tradeId;
        request.CustMoneyPwd = moneyPwd;
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
    FillAccount(transfer, order->account);
    transfer.CustBankPass = order->passwords.bank;
    transfer.CustMoneyPwd = moneyPwd;
    transfer.MoneySty = "0";
    transfer.MoneyType = "0";
    transfer.ChangeMoney = order->cents.toStdString();
    transfer.Memo = order->memo;
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
    if (!requests_) return;
    const auto order = detailsPage_->order();
    if (!order) return;
    auto& request = requests_->transferDetails;
    FillAccount(request, order->account);
    request.MoneyType = "0";
    request.Memo = order->memo;
    if (!execute(request)) return;
    detailsPage_->clear();
    showResult(grids_[0], request);
}

void TfrmVantrel::querySupervisedBalance() {
    if (!requests_) return;
    const auto order = supervisedPage_->order();
    if (!order) return;
    auto& request = requests_->supervisedBalance;
    FillAccount(request, order->account);
    request.CustBankPass = order->passwords.bank;
    request.MoneyType = "0";
    request.Memo = order->memo;
    request.QueryDate = order->date;
    if (!execute(request)) return;
    supervisedPage_->clear();
    showResult(grids_[1], request);
}

void TfrmVantrel::queryCardBalance() {
    if (!requests_) return;
    const auto order = cardPage_->order();
    if (!order) return;
    auto& request = requests_->cardBalance;
    FillAccount(request, order->account);
    request.CustBankPass = order->passwords.bank;
    request.CustMoneyPwd = order->passwords.bankPasswordMode ? session_.CustomerSession.MoneyPwd : order->passwords.fund;
    request.MoneySty = "0";
    request.MoneyType = "0";
    request.Memo = order->memo;
    if (!execute(request)) return;
    cardPage_->clear();
    showResult(grids_[2], request);
}

void TfrmVantrel::queryMarketFunds() {
    if (!requests_) return;
    const auto order = marketPage_->order();
    if (!order) return;
    auto& request = requests_->marketFunds;
    request.BankCode = session_.CustomerSession.BankID;
    request.CustTradeID = order->tradeId;
    request.CustMoneyPwd = order->fundPassword;
    request.MoneySty = "0";
    request.MoneyType = "0";
    request.Memo = order->memo;
    if (execute(request)) showResult(grids_[4], request);
    marketPage_->clear();
}

// ---------------------------------------------------------------- page 2

void TfrmVantrel::changeFundPassword() {
    if (!requests_) return;
    const auto order = passwordPage_->order();
    if (!order) return;
    auto& request = requests_->passwordChange;
    request.BankCode = session_.CustomerSession.BankID;
    request.CustTradeID = order->tradeId;
    request.CustMoneyPwd = order->oldPassword;
    request.NCustMoneyPwd = order->newPassword;
    if (!execute(request)) return;
    session_.CustomerSession.MoneyPwd = order->newPassword;
    passwordPage_->clear();
}

// ---------------------------------------------------------------- page 5

void TfrmVantrel::exchangeForex() {
    if (!requests_) return;
    const auto order = forexPage_->order();
    if (!order) return;
    const std::string moneyPwd =
        order->passwords.bankPasswordMode ? session_.CustomerSession.MoneyPwd : order->passwords.fund;
    auto& exchange = requests_->exchange;
    FillAccount(exchange, order->account);
    exchange.CustBankPass = order->passwords.bank;
    exchange.CustMoneyPwd = moneyPwd;
    exchange.ChangeMoney = order->cents.toStdString();
    exchange.MoneySty = "0";
    exchange.BaseMoneyType = "1";
    exchange.MoneyType = "0";
    exchange.Memo = order->memo;
    exchange.Direction = order->direction;
    const bool done = execute(exchange);
    const bool lost = !done && exchange.AnswerLost;
    if ((done && autoQuery_) || (lost && offerCheckAfterLostAnswer(QStringLiteral("购汇结汇"))))
        if (runExchangeRecords(*order, moneyPwd)) showResult(grids_[3], requests_->exchangeRecords);
    forexPage_->clear();
}

void TfrmVantrel::listExchangeRecords() {
    if (!requests_) return;
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
