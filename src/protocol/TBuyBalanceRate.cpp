#include "protocol/TBuyBalanceRate.h"

#include "protocol/FunctionCodes.h"

namespace vantrel {

TBuyBalanceRate::TBuyBalanceRate(Session& session, LogSink* owner) : TBankTransfer(session, owner) { OperationName = Settings.OperationNames[8]; }

bool TBuyBalanceRate::Execute() {
    return SendBody(Direction == 1 ? FunctionCode::SettleForex : FunctionCode::BuyForex);
}

std::vector<BodyField> TBuyBalanceRate::Body() {
    return {{"CustBankAcctNo", &CustBankAcctNo}, {"CustTradeID", &CustTradeID}, {"CustBankPass", &CustBankPass},
            {"CustMoneyPwd", &CustMoneyPwd}, {"BusinType", &BusinType}, {"MoneySty", &MoneySty},
            {"BaseMoneyType", &BaseMoneyType}, {"ChangeMoney", &ChangeMoney}, {"MoneyType", &MoneyType},
            {"Memo", &Memo}, {kTradeDate}, {kTradeTime}};
}

}  // namespace vantrel
