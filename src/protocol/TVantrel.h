#pragma once
// The transfer between the signed bank account and the market account:
// Direction 1 deposits into the market account, 0 withdraws from it.
#include "protocol/TBankTransfer.h"

namespace vantrel {

class TVantrel : public TBankTransfer {
public:
    explicit TVantrel(Session& session, LogSink* owner = nullptr);
    bool Execute() override;

    std::string CustBankAcctNo;
    std::string CustTradeID;
    std::string CustBankPass;
    std::string CustMoneyPwd;
    std::string BusinType = "0";
    std::string MoneySty = "0";
    std::string MoneyType = "0";
    std::string ChangeMoney;  // whole cents
    std::string Memo;
    uint8_t Direction = 0;

protected:
    std::string OutcomeRecords() const override { return OperationNameOr(1, "转账明细查询"); }
};

}  // namespace vantrel
