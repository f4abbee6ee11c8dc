#pragma once
// Foreign exchange: Direction 0 buys ("90008"), 1 settles ("90009").
#include "protocol/TBankTransfer.h"

namespace vantrel {

class TBuyBalanceRate : public TBankTransfer {
public:
    explicit TBuyBalanceRate(Session& session, LogSink* owner = nullptr);
    bool Execute() override;

    std::string CustBankAcctNo, CustTradeID, CustBankPass, CustMoneyPwd, BusinType = "1",
        MoneySty = "0", BaseMoneyType = "1", ChangeMoney, MoneyType = "0", Memo;
    uint8_t Direction = 0;

protected:
    std::string OutcomeRecords() const override { return OperationNameOr(9, "外汇明细查询"); }
};

}  // namespace vantrel
