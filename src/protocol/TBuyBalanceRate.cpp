#include "protocol/TBuyBalanceRate.h"

namespace vantrel {

TBuyBalanceRate::TBuyBalanceRate() { OperationName = Settings.OperationNames[8]; }

bool TBuyBalanceRate::Execute() {
    return RunRequest(Direction == 1 ? "90009" : "90008", [this] {
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
