#include "protocol/TQuerySysParam.h"

#include "common/TextUtil.h"
#include "protocol/BankPolicy.h"
#include "protocol/FunctionCodes.h"

namespace vantrel {

TQuerySysParam::TQuerySysParam(Session& session, LogSink* owner) : TBankTransfer(session, owner) {
    SubCode.assign(1, '0');
    body_ = {{"CustTradeID", &CustTradeID}, {"CustMoneyPwd", &CustMoneyPwd}, {"Memo", &Memo}, {kTradeDate}, {kTradeTime}};
}

bool TQuerySysParam::Execute() { return SendBody(FunctionCode::SystemParams); }

std::string TQuerySysParam::FindParam(std::string_view param, std::string_view orderCode) {
    return BankPolicy(ResultTable).FindParam(param, orderCode);
}

std::string TQuerySysParam::ParamSwitch(std::string_view param, std::string_view orderCode, bool& isZero) {
    const BankPolicy policy(ResultTable);
    if (policy.empty()) return "1";
    std::string value = policy.LastParam(param, orderCode);
    isZero = value == "0";
    return value;
}

}  // namespace vantrel
