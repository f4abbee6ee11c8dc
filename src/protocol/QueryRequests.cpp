#include "protocol/QueryRequests.h"

#include "protocol/FunctionCodes.h"

namespace vantrel {

TQueryTransferMore::TQueryTransferMore(Session& session, LogSink* owner) : TBankTransfer(session, owner) {
    FormatMode = 1;
    OperationName = Settings.OperationNames[1];
}

bool TQueryTransferMore::Execute() { return SendBody(FunctionCode::TransferDetails); }

std::vector<BodyField> TQueryTransferMore::Body() {
    return {{"CustBankAcctNo", &CustBankAcctNo}, {"CustTradeID", &CustTradeID}, {"CustMoneyPwd", &CustMoneyPwd},
            {"MoneyType", &MoneyType}, {"Memo", &Memo}, {kTradeDate}, {kTradeTime}};
}

TQueryBankMoney::TQueryBankMoney(Session& session, LogSink* owner) : TBankTransfer(session, owner), QueryDate(TodayText()) {
    FormatMode = 2;
    OperationName = Settings.OperationNames[5];
}

bool TQueryBankMoney::Execute() { return SendBody(FunctionCode::SupervisedBalance); }

std::vector<BodyField> TQueryBankMoney::Body() {
    return {{"CustBankAcctNo", &CustBankAcctNo}, {"CustTradeID", &CustTradeID}, {"CustBankPass", &CustBankPass},
            {"BusinType", &BusinType}, {"MoneyType", &MoneyType}, {"Memo", &Memo}, {kTradeDate}, {kTradeTime},
            {"QueryDate", &QueryDate}};
}

TQueryOrderID::TQueryOrderID(Session& session, LogSink* owner) : TBankTransfer(session, owner) { OperationName = Settings.OperationNames[6]; }

bool TQueryOrderID::Execute() { return SendBody(FunctionCode::OrderId); }

std::vector<BodyField> TQueryOrderID::Body() { return {{"CustTradeID", &CustTradeID}}; }

TQueryCardMoeny::TQueryCardMoeny(Session& session, LogSink* owner) : TBankTransfer(session, owner) {
    FormatMode = 3;
    OperationName = Settings.OperationNames[7];
}

bool TQueryCardMoeny::Execute() { return SendBody(FunctionCode::CardBalance); }

std::vector<BodyField> TQueryCardMoeny::Body() {
    return {{"CustBankAcctNo", &CustBankAcctNo}, {"CustTradeID", &CustTradeID}, {"CustBankPass", &CustBankPass},
            {"CustMoneyPwd", &CustMoneyPwd}, {"BusinType", &BusinType}, {"MoneySty", &MoneySty},
            {"MoneyType", &MoneyType}, {"Memo", &Memo}, {kTradeDate}, {kTradeTime}};
}

TQueryRateMore::TQueryRateMore(Session& session, LogSink* owner) : TBankTransfer(session, owner) {
    FormatMode = 4;
    OperationName = Settings.OperationNames[9];
}

bool TQueryRateMore::Execute() { return SendBody(FunctionCode::ExchangeRecords); }

std::vector<BodyField> TQueryRateMore::Body() {
    return {{"CustBankAcctNo", &CustBankAcctNo}, {"CustTradeID", &CustTradeID}, {"CustMoneyPwd", &CustMoneyPwd},
            {"Memo", &Memo}, {kTradeDate}, {kTradeTime}};
}

TQueryMarketMoney::TQueryMarketMoney(Session& session, LogSink* owner) : TBankTransfer(session, owner) {
    FormatMode = 5;
    OperationName = Settings.OperationNames[11];
}

bool TQueryMarketMoney::Execute() { return SendBody(FunctionCode::MarketFunds); }

std::vector<BodyField> TQueryMarketMoney::Body() {
    return {{"CustTradeID", &CustTradeID}, {"CustMoneyPwd", &CustMoneyPwd}, {"BusinType", &BusinType},
            {"MoneySty", &MoneySty}, {"MoneyType", &MoneyType}, {"Memo", &Memo}, {kTradeDate}, {kTradeTime}};
}

TModifyMoneyPassWord::TModifyMoneyPassWord(Session& session, LogSink* owner) : TBankTransfer(session, owner) { OperationName = Settings.OperationNames[2]; }

bool TModifyMoneyPassWord::Execute() { return SendBody(FunctionCode::ChangePassword); }

std::vector<BodyField> TModifyMoneyPassWord::Body() {
    return {{"CustTradeID", &CustTradeID}, {"CustMoneyPwd", &CustMoneyPwd}, {"NCustMoneyPwd", &NCustMoneyPwd},
            {kTradeDate}, {kTradeTime}};
}

}  // namespace vantrel
