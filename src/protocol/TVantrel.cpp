#include "protocol/TVantrel.h"

#include "protocol/FunctionCodes.h"

namespace vantrel {

TVantrel::TVantrel(Session& session, LogSink* owner) : TBankTransfer(session, owner) {
    body_ = {{"CustBankAcctNo", &CustBankAcctNo}, {"CustTradeID", &CustTradeID}, {"CustBankPass", &CustBankPass},
             {"CustMoneyPwd", &CustMoneyPwd}, {"BusinType", &BusinType}, {"MoneySty", &MoneySty},
             {"MoneyType", &MoneyType}, {"ChangeMoney", &ChangeMoney}, {"Memo", &Memo}, {kTradeDate}, {kTradeTime}};
}

bool TVantrel::Execute() {
    // The name is chosen first so that every report of this call carries it.
    OperationName = Settings.OperationNames[Direction == 1 ? 3 : 4];
    return SendBody(Direction == 1 ? FunctionCode::Deposit : FunctionCode::Withdraw);
}

}  // namespace vantrel
