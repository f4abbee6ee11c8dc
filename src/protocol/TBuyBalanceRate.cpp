#include "protocol/TBuyBalanceRate.h"

#include "protocol/FunctionCodes.h"

namespace vantrel {

TBuyBalanceRate::TBuyBalanceRate(Session& session, LogSink* owner) : TBankTransfer(session, owner) { OperationName = Settings.OperationNames[8]; }

bool TBuyBalanceRate::Execute() {
    return RunRequest(Direction == 1 ? FunctionCode::SettleForex : FunctionCode::BuyForex, [this] {
        return RequestFields{{"CustBankAcctNo", CustBankAcctNo},
                             {"CustTradeID", CustTradeID},
                             {"CustBankPass", CustBankPass},
                             {"CustMoneyPwd", CustMoneyPwd},
                             {"BusinType", BusinType},
                             {"MoneySty", MoneySty},
                             {"BaseMoneyType", BaseMoneyType},
                             {"ChangeMoney", ChangeMoney},
                             {"MoneyType", MoneyType},
                             {"Memo", Memo},
                             {"TradeDate", TodayText()},
                             {"TradeTime", NowText()}};
    });
}

}  // namespace vantrel
