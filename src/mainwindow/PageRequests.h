#pragma once
// The requests of the main window's pages, made together for the window's
// session at start-up and freed together when it closes.
#include "protocol/QueryRequests.h"
#include "protocol/TBuyBalanceRate.h"
#include "protocol/TQueryIOCommValue.h"
#include "protocol/TQuerySysParam.h"
#include "protocol/TVantrel.h"

namespace vantrel {

struct PageRequests {
    PageRequests(Session& session, LogSink* owner)
        : transferDetails(session, owner),
          passwordChange(session, owner),
          transfer(session, owner),
          supervisedBalance(session, owner),
          cardBalance(session, owner),
          exchange(session, owner),
          exchangeRecords(session, owner),
          orderId(session, owner),
          commission(session, owner),
          marketFunds(session, owner),
          sysParam(session, owner) {}

    // In this order: the last one made hears the connection's notices.
    TQueryTransferMore transferDetails;
    TModifyMoneyPassWord passwordChange;
    TVantrel transfer;
    TQueryBankMoney supervisedBalance;
    TQueryCardMoeny cardBalance;
    TBuyBalanceRate exchange;
    TQueryRateMore exchangeRecords;
    TQueryOrderID orderId;
    TQueryIOCommValue commission;
    TQueryMarketMoney marketFunds;
    TQuerySysParam sysParam;
};

}  // namespace vantrel
