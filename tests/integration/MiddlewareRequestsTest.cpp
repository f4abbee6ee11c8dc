// Every function code of the simulator through the real request classes:
// answer columns, ledger effects and the refusals.
#include <gtest/gtest.h>

#include <set>

#include "SimulatorFixture.h"
#include "protocol/QueryRequests.h"
#include "protocol/TBuyBalanceRate.h"
#include "protocol/TQueryIOCommValue.h"
#include "protocol/TQuerySysParam.h"
#include "protocol/TVantrel.h"

namespace vantrel::test {
namespace {

std::vector<std::string> Columns(const MemoryTable& table) {
    std::vector<std::string> names;
    for (const auto& field : table.fields()) names.push_back(field.name);
    return names;
}

class Simulator : public SimulatorFixture {
protected:
    void SetUp() override { startAll(5000, {}); }
};

TEST_F(Simulator, LoginListsEverySignedAccountWithTheForexAccountLast) {
    TBankLogin request(Process());
    ASSERT_TRUE(login(request)) << request.LastMessage;
    const auto& t = request.ResultTable;
    EXPECT_EQ(Columns(t), (std::vector<std::string>{"BankID", "BankName", "CustBankAcctNo", "MoneyType", "CompId",
                                                    "BankType", "Url"}));
    ASSERT_EQ(t.recordCount(), 3);
    EXPECT_EQ(t.text(0, "BankID"), "005");
    EXPECT_EQ(t.text(0, "BankName"), "中国工商银行");
    EXPECT_EQ(t.text(1, "CustBankAcctNo"), kCcbAccount);
    EXPECT_EQ(t.text(2, "BankID"), "999");
}

TEST_F(Simulator, LoginRefusesWrongPasswordAndUnknownTrader) {
    TBankLogin wrong(Process());
    EXPECT_FALSE(login(wrong, kTrader, "654321"));
    EXPECT_EQ(wrong.LastReturnCode, "E1002");
    EXPECT_EQ(wrong.LastMessage, "E1002 : 资金密码错误");
    TBankLogin empty(Process());
    EXPECT_FALSE(login(empty, kTrader, ""));
    EXPECT_EQ(empty.LastReturnCode, "E1002");
    TBankLogin unknown(Process());
    EXPECT_FALSE(login(unknown, "7000001"));
    EXPECT_EQ(unknown.LastMessage, "E1001 : 交易商号不存在");
}

TEST_F(Simulator, BankPasswordIsDemandedOnlyWhereTheBankListsTheOperation) {
    loginOk();
    TVantrel request(Process());
    EXPECT_FALSE(transfer(request, kCcbAccount, 0, "5000"));
    EXPECT_EQ(request.LastMessage, "E1003 : 银行密码错误");
    EXPECT_FALSE(transfer(request, kCcbAccount, 0, "5000", "111111"));
    EXPECT_EQ(request.LastReturnCode, "E1003");
    EXPECT_TRUE(transfer(request, kCcbAccount, 0, "5000", "888888")) << request.LastMessage;
    // Deposits on the same bank are not listed, the 005 bank lists nothing.
    EXPECT_TRUE(transfer(request, kCcbAccount, 1, "5000")) << request.LastMessage;
    EXPECT_TRUE(transfer(request, kIcbcAccount, 0, "5000")) << request.LastMessage;
}

TEST_F(Simulator, AmountsThatAreNotPositiveWholeCentsAreRefused) {
    loginOk();
    TVantrel request(Process());
    for (const std::string amount : {"0", "-5", "1.5", "abc", "", "1e3", "+5"}) {
        for (uint8_t direction : {0, 1}) {
            EXPECT_FALSE(transfer(request, kIcbcAccount, direction, amount)) << amount;
            EXPECT_EQ(request.LastMessage, "E1007 : 金额必须是大于零的整数分") << amount;
        }
    }
    TQueryTransferMore details(Process());
    details.CustTradeID = kTrader;
    ASSERT_TRUE(details.Execute());
    EXPECT_EQ(details.ResultTable.recordCount(), 2);  // the seeded history only
}

TEST_F(Simulator, SwitchedOffOperationsAnswerE1006) {
    loginOk();
    TVantrel deposit(Process());
    EXPECT_FALSE(transfer(deposit, kForexAccount, 1, "100"));
    EXPECT_EQ(deposit.LastMessage, "E1006 : 该业务未开通");

    TQueryMarketMoney market(Process());
    market.BankCode = "007";
    market.CustTradeID = kTrader;
    ExpectRefused(market, "E1006");

    TBuyBalanceRate buy(Process());  // forex on a bank that is not the forex account
    buy.CustBankAcctNo = kIcbcAccount;
    buy.CustTradeID = kTrader;
    buy.CustMoneyPwd = "123456";
    buy.ChangeMoney = "72000";
    ExpectRefused(buy, "E1006");

    loginOk(kSecondTrader);
    TQueryCardMoeny card(Process());
    card.CustBankAcctNo = kAbcAccount;
    card.CustTradeID = kSecondTrader;
    ExpectRefused(card, "E1006");
}

TEST_F(Simulator, BalancesLimitTransfersAndUnknownAccountsAreRefused) {
    loginOk();
    TVantrel request(Process());
    EXPECT_FALSE(transfer(request, kIcbcAccount, 1, "20000001"));  // bank holds 200000.00
    EXPECT_EQ(request.LastMessage, "E1005 : 银行账户余额不足");
    EXPECT_FALSE(transfer(request, "6222000000000000000", 1, "100"));
    EXPECT_EQ(request.LastMessage, "E1008 : 签约账户不存在");
    request.BankCode = "007";  // header bank must match the account's
    EXPECT_FALSE(transfer(request, kIcbcAccount, 1, "100"));
    EXPECT_EQ(request.LastReturnCode, "E1008");
    request.BankCode.clear();
    // Another customer's account is unknown to this one.
    EXPECT_FALSE(transfer(request, kAbcAccount, 1, "100"));
    EXPECT_EQ(request.LastReturnCode, "E1008");
    request.CustMoneyPwd = "";
    request.CustBankAcctNo = kIcbcAccount;
    request.ChangeMoney = "100";
    EXPECT_FALSE(request.Execute());  // money never moves without the fund password
    EXPECT_EQ(request.LastReturnCode, "E1002");
}

TEST_F(Simulator, QueriesAnswerWithTheirColumns) {
    loginOk();
    TQueryBankMoney supervise(Process());
    supervise.CustBankAcctNo = kIcbcAccount;
    supervise.CustTradeID = kTrader;
    supervise.QueryDate = "20240301";
    ASSERT_TRUE(supervise.Execute()) << supervise.LastMessage;
    EXPECT_EQ(Columns(supervise.ResultTable),
              (std::vector<std::string>{"BankID", "CustBankAcctNo", "QueryDate", "SuperviseMoney", "AvailableMoney"}));
    EXPECT_EQ(supervise.ResultTable.text(0, "QueryDate"), "20240301");

    TQueryCardMoeny card(Process());
    card.CustBankAcctNo = kCcbAccount;
    card.CustTradeID = kTrader;
    ASSERT_TRUE(card.Execute()) << card.LastMessage;
    EXPECT_EQ(Columns(card.ResultTable),
              (std::vector<std::string>{"BankID", "CustBankAcctNo", "BankBalance", "AvailableBalance"}));
    EXPECT_EQ(card.ResultTable.text(0, "BankID"), "007");

    TQueryOrderID order(Process());
    order.CustTradeID = kTrader;
    std::set<std::string> ids;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(order.Execute()) << order.LastMessage;
        EXPECT_EQ(order.ResultTable.text(0, "OrderID").size(), 16u);
        ids.insert(order.ResultTable.text(0, "OrderID"));
    }
    EXPECT_EQ(ids.size(), 3u);
    order.CustTradeID = "7000001";
    ExpectRefused(order, "E1001");

    TQueryMarketMoney market(Process());
    market.CustTradeID = kTrader;
    market.CustMoneyPwd = "123456";
    ASSERT_TRUE(market.Execute()) << market.LastMessage;
    EXPECT_EQ(Columns(market.ResultTable),
              (std::vector<std::string>{"CustTradeID", "MarketMoney", "FrozenMoney", "AvailableMoney", "TradeDate"}));
    EXPECT_EQ(market.ResultTable.text(0, "MarketMoney"), "50000.00");
    market.CustMoneyPwd = "000000";  // a query checks the password it is given
    ExpectRefused(market, "E1002");
}

TEST_F(Simulator, UserDefinedCharactersInAMemoComeBackInTheTransferDetails) {
    loginOk();
    TVantrel deposit(Process());
    // One character of each user-defined area, as a rare name needs them.
    const std::string memo = "张\uE000\uE234\uE4C6";
    deposit.Memo = memo;
    ASSERT_TRUE(transfer(deposit, kIcbcAccount, 1, "10000")) << deposit.LastMessage;
    TQueryTransferMore details(Process());
    details.OwnerWindow = &sink;
    details.CustTradeID = kTrader;
    details.CustBankAcctNo = kIcbcAccount;
    ASSERT_TRUE(details.Execute()) << details.LastMessage;
    ASSERT_GT(details.ResultTable.recordCount(), 0);
    EXPECT_EQ(details.ResultTable.text(details.ResultTable.recordCount() - 1, "Memo"), memo);
    for (const auto& event : sink.outcomes()) EXPECT_EQ(event.level, LogInfo) << event.text;
}

TEST_F(Simulator, SystemParametersAndCommissionFollowTheBanks) {
    loginOk();
    TQuerySysParam params(Process());
    params.CustTradeID = kTrader;
    params.SubCode = "0";
    ASSERT_TRUE(params.Execute()) << params.LastMessage;
    EXPECT_EQ(Columns(params.ResultTable), (std::vector<std::string>{"OrderCode", "Param", "ProRet", "ParamName"}));
    EXPECT_EQ(params.ResultTable.recordCount(), 27);  // nine parameters of three banks
    bool on = false;
    EXPECT_EQ(params.ParamSwitch("50005", "005", on), "0");
    EXPECT_TRUE(on);
    EXPECT_EQ(params.ParamSwitch("90011", "007", on), "1");
    EXPECT_FALSE(on);
    EXPECT_EQ(params.FindParam("PASSWORD", "007"), "50006");
    EXPECT_EQ(params.FindParam("PASSWORD", "005"), "");
    EXPECT_EQ(params.ParamSwitch("90008", "999", on), "0");
    EXPECT_EQ(params.FindParam("50005", "003"), "");  // another customer's bank

    TQueryIOCommValue commission(Process());
    commission.CustTradeID = kTrader;
    commission.Direction = 1;
    commission.Memo = "500000";  // 5000.00 at 0.1%
    ASSERT_TRUE(commission.Execute()) << commission.LastMessage;
    EXPECT_EQ(commission.CommissionText(), "5.00");
    EXPECT_EQ(commission.ResultTable.text(0, "CommRate"), "0.1%, min 1.00");
    commission.Memo = "5000";  // the minimum applies
    ASSERT_TRUE(commission.Execute());
    EXPECT_EQ(commission.CommissionText(), "1.00");
    commission.BankCode = "007";  // IFRATE off there
    ExpectRefused(commission, "E1006");
    commission.BankCode = "005";
    commission.Memo = "-5";
    ExpectRefused(commission, "E1007");
}

TEST_F(Simulator, ForexBuysAndSettlesOnTheForexAccountAndListsTheRecords) {
    loginOk();
    TBuyBalanceRate exchange(Process());
    exchange.CustBankAcctNo = kForexAccount;
    exchange.CustTradeID = kTrader;
    exchange.CustMoneyPwd = "123456";
    exchange.ChangeMoney = "72000";  // 720.00 yuan at 7.2 buys 100.00
    exchange.Direction = 0;
    ASSERT_TRUE(exchange.Execute()) << exchange.LastMessage;
    EXPECT_EQ(Columns(exchange.ResultTable), (std::vector<std::string>{"SerialNo", "ExchangeType", "ChangeMoney",
                                                                       "Rate", "ExchangeMoney", "TradeDate", "TradeTime"}));
    EXPECT_EQ(exchange.ResultTable.text(0, "ExchangeMoney"), "10000");
    EXPECT_EQ(exchange.ResultTable.text(0, "Rate"), "7.2000");
    exchange.Direction = 1;
    exchange.ChangeMoney = "10000";  // 100.00 sold at 7.1
    ASSERT_TRUE(exchange.Execute()) << exchange.LastMessage;
    EXPECT_EQ(exchange.ResultTable.text(0, "ExchangeType"), "1");
    EXPECT_EQ(exchange.ResultTable.text(0, "ExchangeMoney"), "71000");
    exchange.ChangeMoney = "100000000";
    ExpectRefused(exchange, "E1005");
    exchange.Direction = 0;
    ExpectRefused(exchange, "E1004");

    TQueryRateMore records(Process());
    records.CustBankAcctNo = kForexAccount;
    records.CustTradeID = kTrader;
    ASSERT_TRUE(records.Execute()) << records.LastMessage;
    EXPECT_EQ(Columns(records.ResultTable),
              (std::vector<std::string>{"SerialNo", "BankID", "CustBankAcctNo", "TradeDate", "TradeTime",
                                        "ExchangeType", "ChangeMoney", "Rate", "ExchangeMoney", "State"}));
    ASSERT_EQ(records.ResultTable.recordCount(), 3);  // seeded one + two
    EXPECT_EQ(records.ResultTable.text(2, "ExchangeType"), "1");
}

TEST_F(Simulator, PasswordChangeTakesEffectAndRefusesBadPasswords) {
    loginOk();
    TModifyMoneyPassWord change(Process());
    change.CustTradeID = kTrader;
    change.CustMoneyPwd = "123456";
    for (const std::string bad : {"", "12345", "123456789", "12 456", "密码密码12"}) {
        change.NCustMoneyPwd = bad;
        EXPECT_FALSE(change.Execute()) << bad;
        EXPECT_EQ(change.LastMessage, "E1010 : 新资金密码不符合要求") << bad;
    }
    change.NCustMoneyPwd = "abc12345";
    ASSERT_TRUE(change.Execute()) << change.LastMessage;
    EXPECT_EQ(Columns(change.ResultTable), (std::vector<std::string>{"Code", "Message"}));
    EXPECT_EQ(change.ResultTable.text(0, "Message"), "资金密码修改成功");
    EXPECT_FALSE(change.Execute());  // the old password is gone
    EXPECT_EQ(change.LastReturnCode, "E1002");
    TBankLogin relogin(Process());
    EXPECT_TRUE(login(relogin, kTrader, "abc12345")) << relogin.LastMessage;
}

// The core scenario under every framing the simulator offers.
struct Framing {
    const char* name;
    std::vector<std::string> args;
    bool keepConnection;
};

class SimulatorFraming : public SimulatorFixture, public ::testing::WithParamInterface<Framing> {
protected:
    void SetUp() override {
        startAll(5000, GetParam().args);
        setConnectStyle(GetParam().keepConnection);
    }
};

TEST_P(SimulatorFraming, DepositRecordsOneTransferAndRaisesMarketFunds) {
    loginOk();
    TQueryTransferMore details(Process());
    details.CustTradeID = kTrader;
    details.CustBankAcctNo = kIcbcAccount;
    ASSERT_TRUE(details.Execute()) << details.LastMessage;
    const auto before = details.ResultTable.recordCount();
    TQueryMarketMoney market(Process());
    market.CustTradeID = kTrader;
    ASSERT_TRUE(market.Execute()) << market.LastMessage;
    EXPECT_EQ(market.ResultTable.text(0, "MarketMoney"), "50000.00");

    TVantrel deposit(Process());
    ASSERT_TRUE(transfer(deposit, kIcbcAccount, 1, "10000")) << deposit.LastMessage;
    EXPECT_EQ(Columns(deposit.ResultTable), (std::vector<std::string>{"SerialNo", "TradeType", "ChangeMoney",
                                                                      "MarketBalance", "BankBalance", "TradeDate", "TradeTime"}));
    EXPECT_EQ(deposit.ResultTable.text(0, "MarketBalance"), "5010000");
    EXPECT_EQ(deposit.ResultTable.text(0, "BankBalance"), "19990000");

    ASSERT_TRUE(details.Execute()) << details.LastMessage;
    ASSERT_EQ(details.ResultTable.recordCount(), before + 1);
    EXPECT_EQ(details.ResultTable.text(before, "TradeType"), "1");
    EXPECT_EQ(details.ResultTable.text(before, "ChangeMoney"), "100.00");
    EXPECT_EQ(details.ResultTable.text(before, "SerialNo"), deposit.ResultTable.text(0, "SerialNo"));
    EXPECT_EQ(details.ResultTable.text(0, "TradeDate"), "2024-01-02");  // oldest first
    ASSERT_TRUE(market.Execute());
    EXPECT_EQ(market.ResultTable.text(0, "MarketMoney"), "50100.00");

    TVantrel withdrawal(Process());
    EXPECT_FALSE(transfer(withdrawal, kIcbcAccount, 0, "5010001"));
    EXPECT_EQ(withdrawal.LastMessage, "E1004 : 资金余额不足");
    withdrawal.ChangeMoney = "5010000";
    EXPECT_TRUE(withdrawal.Execute()) << withdrawal.LastMessage;

    // Without an account: every record of the trade number.
    details.CustBankAcctNo.clear();
    ASSERT_TRUE(details.Execute());
    EXPECT_EQ(details.ResultTable.recordCount(), before + 2);
    EXPECT_EQ(details.ResultTable.text(before + 1, "TradeType"), "0");
}

INSTANTIATE_TEST_SUITE_P(
    Modes, SimulatorFraming,
    ::testing::Values(Framing{"Plain", {}, false}, Framing{"Scramble1", {"--scramble", "1"}, false},
                      Framing{"Scramble2", {"--scramble", "2"}, false}, Framing{"Scramble3", {"--scramble", "3"}, false},
                      Framing{"Scramble2Kept", {"--scramble", "2"}, true},
                      Framing{"Scramble3Kept", {"--scramble", "3"}, true},
                      Framing{"TwoRowsPerFrame", {"--rows-per-frame", "2"}, false},
                      Framing{"OneRowScrambled3Kept", {"--rows-per-frame", "1", "--scramble", "3"}, true}),
    [](const ::testing::TestParamInfo<Framing>& info) { return std::string(info.param.name); });

TEST_F(Simulator, LongAnswersAreSplitAcrossFramesOfAtMost9999Bytes) {
    RawMiddlewareClient client(sim->port());
    for (int i = 0; i < 250; ++i) ASSERT_EQ(RawNumber(RawTransfer(client, kTrader, kIcbcAccount, true, 1), "ChangeMoney"), 1);
    auto details = client.request({"90002", "", ""}, {{"CustBankAcctNo", ""}, {"CustTradeID", kTrader}});
    ASSERT_TRUE(details.ok()) << details.error();
    EXPECT_EQ(details.value().rows.size(), 252u);
    EXPECT_GT(details.value().frames, 1u);
}

}  // namespace
}  // namespace vantrel::test
