#include "protocol/QueryRequests.h"

#include "protocol/FunctionCodes.h"

namespace vantrel {

TQueryTransferMore::TQueryTransferMore(Session& session, LogSink* owner) : TBankTransfer(session, owner) {
    FormatMode = 1;
    OperationName = Settings.OperationNames[1];
}

bool TQueryTransferMore::Execute() {
    return RunRequest(FunctionCode::TransferDetails, [this] {
        return RequestFields{{"CustBankAcctNo", CustBankAcctNo},
                             {"CustTradeID", CustTradeID},
                             {"CustMoneyPwd", CustMoneyPwd},
                             {"MoneyType", MoneyType},
                             {"Memo", Memo},
                             {"TradeDate", TodayText()},
                             {"TradeTime", NowText()}};
    });
}

TQueryBankMoney::TQueryBankMoney(Session& session, LogSink* owner) : TBankTransfer(session, owner), QueryDate(TodayText()) {
    FormatMode = 2;
    OperationName = Settings.OperationNames[5];
}

bool TQueryBankMoney::Execute() {
    return RunRequest(FunctionCode::SupervisedBalance, [this] {
        return RequestFields{{"CustBankAcctNo", CustBankAcctNo},
                             {"CustTradeID", CustTradeID},
                             {"CustBankPass", CustBankPass},
                             {"BusinType", BusinType},
                             {"MoneyType", MoneyType},
                             {"Memo", Memo},
                             {"TradeDate", TodayText()},
                             {"TradeTime", NowText()},
                             {"QueryDate", QueryDate}};
    });
}

TQueryOrderID::TQueryOrderID(Session& session, LogSink* owner) : TBankTransfer(session, owner) { OperationName = Settings.OperationNames[6]; }

bool TQueryOrderID::Execute() {
    return RunRequest(FunctionCode::OrderId, [this] { return RequestFields{{"CustTradeID", CustTradeID}}; });
}

TQueryCardMoeny::TQueryCardMoeny(Session& session, LogSink* owner) : TBankTransfer(session, owner) {
    FormatMode = 3;
    OperationName = Settings.OperationNames[7];
}

bool TQueryCardMoeny::Execute() {
    return RunRequest(FunctionCode::CardBalance, [this] {
        return RequestFields{{"CustBankAcctNo", CustBankAcctNo},
                             {"CustTradeID", CustTradeID},
                             {"CustBankPass", CustBankPass},
                             {"CustMoneyPwd", CustMoneyPwd},
                             {"BusinType", BusinType},
                             {"MoneySty", MoneySty},
                             {"MoneyType", MoneyType},
                             {"Memo", Memo},
                             {"TradeDate", TodayText()},
                             {"TradeTime", NowText()}};
    });
}

TQueryRateMore::TQueryRateMore(Session& session, LogSink* owner) : TBankTransfer(session, owner) {
    FormatMode = 4;
    OperationName = Settings.OperationNames[9];
}

bool TQueryRateMore::Execute() {
    return RunRequest(FunctionCode::ExchangeRecords, [this] {
        return RequestFields{{"CustBankAcctNo", CustBankAcctNo},
                             {"CustTradeID", CustTradeID},
                             {"CustMoneyPwd", CustMoneyPwd},
                             {"Memo", Memo},
                             {"TradeDate", TodayText()},
                             {"TradeTime", NowText()}};
    });
}

TQueryMarketMoney::TQueryMarketMoney(Session& session, LogSink* owner) : TBankTransfer(session, owner) {
    FormatMode = 5;
    OperationName = Settings.OperationNames[11];
}

bool TQueryMarketMoney::Execute() {
    return RunRequest(FunctionCode::MarketFunds, [this] {
        return RequestFields{{"CustTradeID", CustTradeID},
                             {"CustMoneyPwd", CustMoneyPwd},
                             {"BusinType", BusinType},
                             {"MoneySty", MoneySty},
                             {"MoneyType", MoneyType},
                             {"Memo", Memo},
                             {"TradeDate", TodayText()},
                             {"TradeTime", NowText()}};
    });
}

TModifyMoneyPassWord::TModifyMoneyPassWord(Session& session, LogSink* owner) : TBankTransfer(session, owner) { OperationName = Settings.OperationNames[2]; }

bool TModifyMoneyPassWord::Execute() {
    return RunRequest(FunctionCode::ChangePassword, [this] {
        return RequestFields{{"CustTradeID", CustTradeID},
                             {"CustMoneyPwd", CustMoneyPwd},
                             {"NCustMoneyPwd", NCustMoneyPwd},
                             {"TradeDate", TodayText()},
                             {"TradeTime", NowText()}};
    });
}

}  // namespace vantrel
