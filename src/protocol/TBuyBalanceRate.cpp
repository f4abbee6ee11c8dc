#include "protocol/TBuyBalanceRate.h"

#include "protocol/FunctionCodes.h"

namespace vantrel {

TBuyBalanceRate::TBuyBalanceRate(Session& session, LogSink* owner) : TBankTransfer(session, owner, 8) {
    body_ = {{"CustBankAcctNo", &CustBankAcctNo}, {"CustTradeID", &CustTradeID}, {"CustBankPass", &CustBankPass},
             {"CustMoneyPwd", &CustMoneyPwd}, {"BusinType", &BusinType}, {"MoneySty", &MoneySty},
             {"BaseMoneyType", &BaseMoneyType}, {"ChangeMoney", &ChangeMoney}, {"MoneyType", &MoneyType},
             {"Memo", &Memo}, {kTradeDate}, {kTradeTime}};
}

bool TBuyBalanceRate::Execute() {
    return SendBody(Direction == 1 ? FunctionCode::SettleForex : FunctionCode::BuyForex);
}

}  // namespace vantrel
