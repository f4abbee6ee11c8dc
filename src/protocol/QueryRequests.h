#pragma once
// The plain query requests: each sends its fields and shows the answer rows.
#include "protocol/TBankTransfer.h"

namespace vantrel {

// Transfer details ("90002"); money, date and time columns formatted.
class TQueryTransferMore : public TBankTransfer {
public:
    explicit TQueryTransferMore(Session& session, LogSink* owner = nullptr);
    bool Execute() override;
    std::string CustBankAcctNo, CustTradeID, CustMoneyPwd, MoneyType = "0", Memo;
};

// Balance held under bank supervision ("50015").
class TQueryBankMoney : public TBankTransfer {
public:
    explicit TQueryBankMoney(Session& session, LogSink* owner = nullptr);
    bool Execute() override;
    std::string CustBankAcctNo, CustTradeID, CustBankPass, BusinType = "0", MoneyType = "0", Memo;
    std::string QueryDate;  // the day of creation unless the owner sets it
};

// Order id for an online deposit ("90007").
class TQueryOrderID : public TBankTransfer {
public:
    explicit TQueryOrderID(Session& session, LogSink* owner = nullptr);
    bool Execute() override;
    std::string CustTradeID;
};

// Bank card balance ("90006").
class TQueryCardMoeny : public TBankTransfer {
public:
    explicit TQueryCardMoeny(Session& session, LogSink* owner = nullptr);
    bool Execute() override;
    std::string CustBankAcctNo, CustTradeID, CustBankPass, CustMoneyPwd, BusinType = "0",
        MoneySty = "0", MoneyType = "0", Memo;
};

// Foreign exchange records ("90010").
class TQueryRateMore : public TBankTransfer {
public:
    explicit TQueryRateMore(Session& session, LogSink* owner = nullptr);
    bool Execute() override;
    std::string CustBankAcctNo, CustTradeID, CustMoneyPwd, Memo;
};

// Funds in the market account ("90011").
class TQueryMarketMoney : public TBankTransfer {
public:
    explicit TQueryMarketMoney(Session& session, LogSink* owner = nullptr);
    bool Execute() override;
    std::string CustTradeID, CustMoneyPwd, BusinType = "0", MoneySty = "0", MoneyType = "0", Memo;
};

// Fund password change ("90003").
class TModifyMoneyPassWord : public TBankTransfer {
public:
    explicit TModifyMoneyPassWord(Session& session, LogSink* owner = nullptr);
    bool Execute() override;
    std::string CustTradeID, CustMoneyPwd, NCustMoneyPwd;
};

}  // namespace vantrel
