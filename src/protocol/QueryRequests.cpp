#include "protocol/QueryRequests.h"

#include "protocol/FunctionCodes.h"

namespace vantrel {

TQueryTransferMore::TQueryTransferMore(Session& session, LogSink* owner) : TBankTransfer(session, owner, 1, 1) {
    body_ = {{"CustBankAcctNo", &CustBankAcctNo}, {"CustTradeID", &CustTradeID}, {"CustMoneyPwd", &CustMoneyPwd},
             {"MoneyType", &MoneyType}, {"Memo", &Memo}, {kTradeDate}, {kTradeTime}};
}

bool TQueryTransferMore::Execute() { return SendBody(FunctionCode::TransferDetails); }

TQueryBankMoney::TQueryBankMoney(Session& session, LogSink* owner)
    : TBankTransfer(session, owner, 5, 2), QueryDate(TodayText()) {
    body_ = {{"CustBankAcctNo", &CustBankAcctNo}, {"CustTradeID", &CustTradeID}, {"CustBankPass", &CustBankPass},
             {"BusinType", &BusinType}, {"MoneyType", &MoneyType}, {"Memo", &Memo}, {kTradeDate}, {kTradeTime},
             {"QueryDate", &QueryDate}};
}

bool TQueryBankMoney::Execute() { return SendBody(FunctionCode::SupervisedBalance); }

TQueryOrderID::TQueryOrderID(Session& session, LogSink* owner) : TBankTransfer(session, owner, 6) {
    body_ = {{"CustTradeID", &CustTradeID}};
}

bool TQueryOrderID::Execute() { return SendBody(FunctionCode::OrderId); }

TQueryCardMoeny::TQueryCardMoeny(Session& session, LogSink* owner) : TBankTransfer(session, owner, 7, 3) {
    body_ = {{"CustBankAcctNo", &CustBankAcctNo}, {"CustTradeID", &CustTradeID}, {"CustBankPass", &CustBankPass},
             {"CustMoneyPwd", &CustMoneyPwd}, {"BusinType", &BusinType}, {"MoneySty", &MoneySty},
             {"MoneyType", &MoneyType}, {"Memo", &Memo}, {kTradeDate}, {kTradeTime}};
}

bool TQueryCardMoeny::Execute() { return SendBody(FunctionCode::CardBalance); }

TQueryRateMore::TQueryRateMore(Session& session, LogSink* owner) : TBankTransfer(session, owner, 9, 4) {
    body_ = {{"CustBankAcctNo", &CustBankAcctNo}, {"CustTradeID", &CustTradeID}, {"CustMoneyPwd", &CustMoneyPwd},
             {"Memo", &Memo}, {kTradeDate}, {kTradeTime}};
}

bool TQueryRateMore::Execute() { return SendBody(FunctionCode::ExchangeRecords); }

TQueryMarketMoney::TQueryMarketMoney(Session& session, LogSink* owner) : TBankTransfer(session, owner, 11, 5) {
    body_ = {{"CustTradeID", &CustTradeID}, {"CustMoneyPwd", &CustMoneyPwd}, {"BusinType", &BusinType},
             {"MoneySty", &MoneySty}, {"MoneyType", &MoneyType}, {"Memo", &Memo}, {kTradeDate}, {kTradeTime}};
}

bool TQueryMarketMoney::Execute() { return SendBody(FunctionCode::MarketFunds); }

TModifyMoneyPassWord::TModifyMoneyPassWord(Session& session, LogSink* owner) : TBankTransfer(session, owner, 2) {
    body_ = {{"CustTradeID", &CustTradeID}, {"CustMoneyPwd", &CustMoneyPwd}, {"NCustMoneyPwd", &NCustMoneyPwd},
             {kTradeDate}, {kTradeTime}};
}

bool TModifyMoneyPassWord::Execute() { return SendBody(FunctionCode::ChangePassword); }

}  // namespace vantrel
