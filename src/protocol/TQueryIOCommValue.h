#pragma once
// The commission of a deposit or withdrawal ("70002", sub-code "1" plus the
// direction).
#include "protocol/TBankTransfer.h"

namespace vantrel {

class TQueryIOCommValue : public TBankTransfer {
public:
    explicit TQueryIOCommValue(Session& session, LogSink* owner = nullptr);
    bool Execute() override;

    std::string CustTradeID, CustMoneyPwd, Memo = "0";
    uint8_t Direction = 0;  // 0 withdrawal, 1 deposit

    // The commission of the current row in currency units ("%.2f"); "0"
    // when there is none or it is not a number.
    std::string CommissionText();
};

}  // namespace vantrel
