#include "protocol/QueryRequests.h"

namespace vantrel {

TQueryTransferMore::TQueryTransferMore() {
    FormatMode = 1;
    OperationName = Settings.OperationNames[1];
}

bool TQueryTransferMore::Execute() {
    return RunRequest("90002", [this] {
        return RequestFields{{"CustBankAcctNo", CustBankAcctNo},
                             {"CustTradeID", CustTradeID},
                             {"CustMoneyPwd", CustMoneyPwd},
                             {"MoneyType", MoneyType},
                             {"Memo", Memo},
                             {"TradeDate", TodayText()},
                             {"TradeTime", NowText()}};
    });
}

TQueryBankMoney::TQueryBankMoney() : QueryDate(TodayText()) {
    FormatMode = 2;
    OperationName = Settings.OperationNames[5];
}

bool TQueryBankMoney::Execute() {
    return RunRequest("50015", [this] {
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

TQueryOrderID::TQueryOrderID() { OperationName = Settings.OperationNames[6]; }

bool TQueryOrderID::Execute() {
    return RunRequest("90007", [this] { return RequestFields{{"CustTradeID", CustTradeID}}; });
}

TQueryCardMoeny::TQueryCardMoeny() {
    FormatMode = 3;
    OperationName = Settings.OperationNames[7];
}

bool TQueryCardMoeny::Execute() {
    return RunRequest("90006", [this] {
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

TQueryRateMore::TQueryRateMore() {
    FormatMode = 4;
    OperationName = Settings.OperationNames[9];
}

bool TQueryRateMore::Execute() {
    return RunRequest("90010", [this] {
        return RequestFields{{"CustBankAcctNo", CustBankAcctNo},
                             {"CustTradeID", CustTradeID},
                             {"CustMoneyPwd", CustMoneyPwd},
                             {"Memo", Memo},
                             {"TradeDate", TodayText()},
                             {"TradeTime", NowText()}};
    });
}

TQueryMarketMoney::TQueryMarketMoney() {
    FormatMode = 5;
    OperationName = Settings.OperationNames[11];
}

bool TQueryMarketMoney::Execute() {
    return RunRequest("90011", [this] {
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

TModifyMoneyPassWord::TModifyMoneyPassWord() { OperationName = Settings.OperationNames[2]; }

bool TModifyMoneyPassWord::Execute() {
    return RunRequest("90003", [this] {
        return RequestFields{{"CustTradeID", CustTradeID},
                             {"CustMoneyPwd", CustMoneyPwd},
                             {"NCustMoneyPwd", NCustMoneyPwd},
                             {"TradeDate", TodayText()},
                             {"TradeTime", NowText()}};
    });
}

}  // namespace vantrel
