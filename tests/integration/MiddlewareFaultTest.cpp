// The simulator's fault switches against the request engine, and its
// command line.
#include <gtest/gtest.h>

#include <memory>

#include "SimulatorFixture.h"
#include "protocol/QueryRequests.h"
#include "protocol/TVantrel.h"

namespace vantrel::test {
namespace {

constexpr int kReadTimeOut = 300;

class SimulatorFault : public SimulatorFixture {
protected:
    void start(std::vector<std::string> args) { startAll(kReadTimeOut, std::move(args)); }

    // The last level-2 outcome logged to the window.
    std::string lastErrorText() const {
        for (auto it = sink.texts.rbegin(); it != sink.texts.rend(); ++it)
            if (it->level == LogError) return it->text;
        return {};
    }
    // A deposit of 100.00 to the ICBC account, reporting to the test's sink.
    void fillDeposit(TVantrel& deposit) {
        deposit.OwnerWindow = &sink;
        deposit.CustBankAcctNo = kIcbcAccount;
        deposit.CustTradeID = kTrader;
        deposit.CustMoneyPwd = "123456";
        deposit.ChangeMoney = "10000";
        deposit.Direction = 1;
    }
    // A login against the simulator started with `fault`; it must fail.
    std::unique_ptr<TBankLogin> failedLogin(const std::string& fault) {
        start({"--fault", fault});
        auto request = std::make_unique<TBankLogin>(Process());
        EXPECT_FALSE(login(*request)) << fault;
        return request;
    }
    bool errorBlockLogged() const {
        for (const auto& block : sink.blocks)
            if (block.level == LogError) return true;
        return false;
    }
};

TEST_F(SimulatorFault, CloseMidFrameIsATransportFailure) {
    const auto request = failedLogin("close-mid-frame");
    EXPECT_EQ(request->LastMessage, request->OperationName + "通讯失败:");
    EXPECT_TRUE(errorBlockLogged());
    // The log names what went wrong after the message itself.
    EXPECT_GT(lastErrorText().size(), request->LastMessage.size());
    EXPECT_EQ(lastErrorText().rfind(request->LastMessage, 0), 0u);
}

TEST_F(SimulatorFault, LeftAlignedAnswerLengthIsRefused) {
    const auto request = failedLogin("bad-length");
    EXPECT_EQ(request->LastMessage, "登录通讯失败:");
    EXPECT_TRUE(errorBlockLogged());
    EXPECT_GT(lastErrorText().size(), request->LastMessage.size());
}

TEST_F(SimulatorFault, CloseBeforeAnswerIsATransportFailure) {
    const auto request = failedLogin("close-before-answer");
    EXPECT_EQ(request->LastMessage, "登录通讯失败:");
    EXPECT_TRUE(errorBlockLogged());
}

TEST_F(SimulatorFault, AnswerLaterThanTheReadTimeOutIsATimeOut) {
    const auto request = failedLogin("delay:1500");
    EXPECT_EQ(request->LastMessage, "登录通讯失败:服务器在 1 秒内没有应答");
    EXPECT_TRUE(errorBlockLogged());
}

TEST_F(SimulatorFault, ShortDelayIsStillAnAnswer) {
    start({"--fault", "delay:50"});
    TBankLogin request(Process());
    EXPECT_TRUE(login(request)) << request.LastMessage;
}

TEST_F(SimulatorFault, UnansweredDepositWarnsThatItsOutcomeIsUnknown) {
    start({"--fault", "never-answer@90004"});
    loginOk();  // the fault touches deposits only
    TVantrel deposit(Process());
    fillDeposit(deposit);
    EXPECT_FALSE(deposit.Execute());
    EXPECT_EQ(deposit.LastMessage.rfind("入金通讯失败:服务器在 1 秒内没有应答", 0), 0u) << deposit.LastMessage;
    EXPECT_NE(deposit.LastMessage.find("本次业务结果未知"), std::string::npos);
    EXPECT_TRUE(errorBlockLogged());
    EXPECT_TRUE(deposit.AnswerLost);

    // A withdrawal the simulator answers (here: refused) is no lost answer,
    // and the flag of the deposit before does not linger.
    deposit.Direction = 0;
    deposit.CustMoneyPwd = "000000";
    EXPECT_FALSE(deposit.Execute());
    EXPECT_FALSE(deposit.AnswerLost);
    // Nor is a request that never left: a value the wire cannot carry.
    deposit.Direction = 1;
    deposit.CustMoneyPwd = "123456";
    deposit.Memo = "a\nb";
    EXPECT_FALSE(deposit.Execute());
    EXPECT_FALSE(deposit.AnswerLost);
}

TEST_F(SimulatorFault, AConnectionLostMidAnswerLeavesATransferUnknown) {
    start({"--fault", "close-mid-frame@90004"});
    loginOk();
    TVantrel deposit(Process());
    fillDeposit(deposit);
    EXPECT_FALSE(deposit.Execute());
    EXPECT_TRUE(deposit.AnswerLost);
    // A query that loses its answer moves nothing: nothing to check.
    TQueryMarketMoney funds(Process());
    funds.OwnerWindow = &sink;
    funds.CustTradeID = kTrader;
    EXPECT_TRUE(funds.Execute()) << funds.LastMessage;
    EXPECT_FALSE(funds.AnswerLost);
}

TEST_F(SimulatorFault, AnAnswerWithAnUnknownFlagLeavesNothingForTheNextRequest) {
    start({"--fault", "bad-flag@90011"});
    setConnectStyle(true);
    loginOk();
    TQueryMarketMoney funds(Process());
    funds.OwnerWindow = &sink;
    funds.CustTradeID = kTrader;
    EXPECT_FALSE(funds.Execute());
    EXPECT_EQ(funds.LastMessage, "市场资金查询通讯失败:");
    EXPECT_NE(lastErrorText().find("\"9\""), std::string::npos) << lastErrorText();

    // The rest of that answer is still on its way; the deposit reads its own.
    TVantrel deposit(Process());
    fillDeposit(deposit);
    ASSERT_TRUE(deposit.Execute()) << deposit.LastMessage;
    EXPECT_EQ(deposit.LastMessage, "入金成功");
    EXPECT_EQ(deposit.ResultTable.text(0, "ChangeMoney"), "10000");
}

TEST_F(SimulatorFault, NeverAnswerTimesOutTheLogin) {
    const auto request = failedLogin("never-answer");
    EXPECT_EQ(request->LastMessage, "登录通讯失败:服务器在 1 秒内没有应答");
}

TEST(SimulatorCommandLine, RefusesRemoteAddressesAndBadOptionsWithExitTwo) {
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    const std::vector<Case> cases = {
        {{"--listen", "10.1.2.3:0", "--db", "/tmp/x.db"}, "not a loopback address"},
        {{"--listen", "0.0.0.0:0", "--db", "/tmp/x.db"}, "not a loopback address"},
        {{"--listen", "localhost:0", "--db", "/tmp/x.db"}, "not an IP address"},
        {{"--listen", "127.0.0.1:70000", "--db", "/tmp/x.db"}, "port"},
        {{"--listen", "127.0.0.1:0"}, "--db"},
        {{"--listen", "127.0.0.1:0", "--db", "/tmp/x.db", "--scramble", "4"}, "--scramble"},
        {{"--listen", "127.0.0.1:0", "--db", "/tmp/x.db", "--fault", "explode"}, "unknown fault"},
        {{"--listen", "127.0.0.1:0", "--db", "/tmp/x.db", "--rows-per-frame", "0"}, "--rows-per-frame"},
    };
    for (const auto& c : cases) {
        std::string errors;
        EXPECT_EQ(MiddlewareProcess::RunToExit(c.args, &errors), 2) << c.args[1];
        EXPECT_NE(errors.find(c.says), std::string::npos) << errors;
    }
}

TEST(SimulatorCommandLine, StopsCleanlyOnSigtermAndKeepsItsLedger) {
    MiddlewareProcess sim({"--reset"});
    const auto db = sim.db();
    RawMiddlewareClient client(sim.port());
    ASSERT_EQ(RawNumber(RawTransfer(client, kTrader, kIcbcAccount, true, 12345), "ChangeMoney"), 12345);
    EXPECT_EQ(sim.stop(), 0);
    sim.restart();
    RawMiddlewareClient again(sim.port());
    EXPECT_EQ(RawNumber(again.request({"90011", "", ""}, {{"CustTradeID", kTrader}}), "MarketMoney"), 5000000 + 12345);
}

}  // namespace
}  // namespace vantrel::test
