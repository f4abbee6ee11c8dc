#pragma once
// The system parameter table ("70002", sub-code "0"): which pages and
// directions are switched on for a bank. BankPolicy reads the answer.
#include "protocol/TBankTransfer.h"

namespace vantrel {

class TQuerySysParam : public TBankTransfer {
public:
    explicit TQuerySysParam(Session& session, LogSink* owner = nullptr);
    bool Execute() override;

    std::string CustTradeID, CustMoneyPwd, Memo;

    // ProRet of the first row whose OrderCode and Param match; empty when
    // none does.
    std::string FindParam(std::string_view param, std::string_view orderCode);
    // ProRet of the last matching row, "1" when none matches. `isZero` is
    // set only when the table has rows.
    std::string ParamSwitch(std::string_view param, std::string_view orderCode, bool& isZero);
};

}  // namespace vantrel
