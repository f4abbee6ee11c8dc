// The request classes: what each sends, and the read-outs of the system
// parameter and commission answers.
#include <gtest/gtest.h>

#include <memory>

#include "EngineFixture.h"
#include "common/Clock.h"
#include "common/TextUtil.h"
#include "protocol/PacketCodec.h"
#include "ProcessSession.h"
#include "protocol/QueryRequests.h"
#include "protocol/TBuyBalanceRate.h"
#include "protocol/TQueryIOCommValue.h"
#include "protocol/TQuerySysParam.h"
#include "protocol/TVantrel.h"

namespace vantrel::test {
namespace {

using RequestCatalogue = EngineFixture;

// Body items of a request payload (header stripped).
std::vector<std::string> BodyItems(const std::string& payload) {
    return SplitBody(std::string_view(payload).substr(kHeaderSize));
}

TEST_F(RequestCatalogue, TransferDirectionChoosesFunctionCodeAndName) {
    login();
    server->enqueue({AnswerFrame({"A", "1"}, 1)});
    server->enqueue({AnswerFrame({"A", "1"}, 1)});
    TVantrel transfer(Process());
    transfer.OwnerWindow = &sink;
    transfer.Direction = 1;
    transfer.CustBankAcctNo = "6222001";
    transfer.CustTradeID = "8001234";
    transfer.ChangeMoney = "12345";
    ASSERT_TRUE(transfer.Execute());
    EXPECT_EQ(transfer.LastMessage, "入金成功");
    transfer.Direction = 0;
    ASSERT_TRUE(transfer.Execute());
    EXPECT_EQ(transfer.LastMessage, "出金成功");

    const auto requests = server->requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].substr(0, 5), "90004");
    EXPECT_EQ(requests[2].substr(0, 5), "90005");
    EXPECT_EQ(static_cast<unsigned char>(requests[1][56]), 11u);
    const auto items = BodyItems(requests[1]);
    ASSERT_EQ(items.size(), 22u);
    EXPECT_EQ(items[0], "CustBankAcctNo");
    EXPECT_EQ(items[10], "TradeTime");
    EXPECT_EQ(items[11], "6222001");
    EXPECT_EQ(items[15], "0");  // BusinType
    EXPECT_EQ(items[18], "12345");
    EXPECT_EQ(items[20], FormatYmd(ToLocal(Now())));
    EXPECT_NE(sink.blocks[0].text.find("【入金】"), std::string::npos);
}

// Every request but the transfer, with its function code and body names.
struct Case {
    std::unique_ptr<TBankTransfer> request;
    std::string code;
    std::vector<std::string> names;
};

std::vector<Case> Catalogue() {
    std::vector<Case> cases;
    cases.push_back({std::make_unique<TQueryTransferMore>(Process()), "90002",
                     {"CustBankAcctNo", "CustTradeID", "CustMoneyPwd", "MoneyType", "Memo", "TradeDate", "TradeTime"}});
    cases.push_back({std::make_unique<TModifyMoneyPassWord>(Process()), "90003",
                     {"CustTradeID", "CustMoneyPwd", "NCustMoneyPwd", "TradeDate", "TradeTime"}});
    cases.push_back({std::make_unique<TQueryBankMoney>(Process()), "50015",
                     {"CustBankAcctNo", "CustTradeID", "CustBankPass", "BusinType", "MoneyType", "Memo", "TradeDate",
                      "TradeTime", "QueryDate"}});
    cases.push_back({std::make_unique<TQueryOrderID>(Process()), "90007", {"CustTradeID"}});
    cases.push_back({std::make_unique<TQuerySysParam>(Process()), "70002",
                     {"CustTradeID", "CustMoneyPwd", "Memo", "TradeDate", "TradeTime"}});
    cases.push_back({std::make_unique<TQueryCardMoeny>(Process()), "90006",
                     {"CustBankAcctNo", "CustTradeID", "CustBankPass", "CustMoneyPwd", "BusinType", "MoneySty",
                      "MoneyType", "Memo", "TradeDate", "TradeTime"}});
    cases.push_back({std::make_unique<TBuyBalanceRate>(Process()), "90008",
                     {"CustBankAcctNo", "CustTradeID", "CustBankPass", "CustMoneyPwd", "BusinType", "MoneySty",
                      "BaseMoneyType", "ChangeMoney", "MoneyType", "Memo", "TradeDate", "TradeTime"}});
    cases.push_back({std::make_unique<TQueryRateMore>(Process()), "90010",
                     {"CustBankAcctNo", "CustTradeID", "CustMoneyPwd", "Memo", "TradeDate", "TradeTime"}});
    cases.push_back({std::make_unique<TQueryMarketMoney>(Process()), "90011",
                     {"CustTradeID", "CustMoneyPwd", "BusinType", "MoneySty", "MoneyType", "Memo", "TradeDate",
                      "TradeTime"}});
    return cases;
}

TEST_F(RequestCatalogue, EveryRequestSendsItsFunctionCodeAndFieldList) {
    login();
    auto cases = Catalogue();
    for (auto& c : cases) {
        server->enqueue({AnswerFrame({"A", "1"}, 1)});
        ASSERT_TRUE(c.request->Execute()) << c.code << ": " << c.request->LastMessage;
        const auto payload = server->requests().back();
        EXPECT_EQ(payload.substr(0, 5), c.code);
        EXPECT_EQ(static_cast<unsigned char>(payload[56]), c.names.size()) << c.code;
        const auto items = BodyItems(payload);
        ASSERT_EQ(items.size(), 2 * c.names.size()) << c.code;
        EXPECT_EQ(std::vector<std::string>(items.begin(), items.begin() + c.names.size()), c.names) << c.code;
    }
    // The system parameter query is the only one with sub-code "0".
    EXPECT_EQ(server->requests()[5].substr(5, 2), "0 ");
}

TEST_F(RequestCatalogue, EachInputIsSentUnderItsOwnName) {
    login();
    auto cases = Catalogue();
    cases.push_back({std::make_unique<TVantrel>(Process()), "90005",
                     {"CustBankAcctNo", "CustTradeID", "CustBankPass", "CustMoneyPwd", "BusinType", "MoneySty",
                      "MoneyType", "ChangeMoney", "Memo", "TradeDate", "TradeTime"}});
    for (auto& c : cases) {
        for (const auto& name : c.names) {
            if (auto* input = c.request->Input(name))
                *input = "v-" + name;
            else
                EXPECT_TRUE(name == "TradeDate" || name == "TradeTime") << c.code << " has no input " << name;
        }
        EXPECT_EQ(c.request->Input("NoSuchField"), nullptr) << c.code;
        server->enqueue({AnswerFrame({"A", "1"}, 1)});
        ASSERT_TRUE(c.request->Execute()) << c.code << ": " << c.request->LastMessage;
        const auto items = BodyItems(server->requests().back());
        const auto half = items.size() / 2;
        for (std::size_t i = 0; i < half; ++i) {
            if (items[i] != "TradeDate" && items[i] != "TradeTime") {
                EXPECT_EQ(items[half + i], "v-" + items[i]) << c.code;
            }
        }
    }
}

TEST_F(RequestCatalogue, ExchangeDirectionKeepsItsNameAndSelectsTheCode) {
    login();
    server->enqueue({AnswerFrame({"A", "1"}, 1)});
    TBuyBalanceRate exchange(Process());
    exchange.Direction = 1;
    ASSERT_TRUE(exchange.Execute());
    EXPECT_EQ(server->requests().back().substr(0, 5), "90009");
    EXPECT_EQ(exchange.LastMessage, "外汇买卖成功");
    const auto items = BodyItems(server->requests().back());
    EXPECT_EQ(items[12 + 4], "1");  // BusinType starts as "1"
    EXPECT_EQ(items[12 + 6], "1");  // BaseMoneyType
}

TEST_F(RequestCatalogue, CommissionQueryPutsTheDirectionIntoTheSubCode) {
    login();
    server->enqueue({AnswerFrame({"ProRet", "250"}, 1)});
    server->enqueue({AnswerFrame({"ProRet"}, 1)});
    TQueryIOCommValue commission(Process());
    commission.SubCode = "99";
    commission.Direction = 1;
    ASSERT_TRUE(commission.Execute());
    EXPECT_EQ(server->requests().back().substr(5, 2), "11");
    EXPECT_EQ(commission.CommissionText(), "2.50");
    commission.Direction = 0;
    ASSERT_TRUE(commission.Execute());
    EXPECT_EQ(server->requests().back().substr(5, 2), "10");
    // The second answer redefined the columns and had no rows.
    EXPECT_EQ(commission.CommissionText(), "0");
}

TEST_F(RequestCatalogue, CommissionTextIsZeroWithoutRowsOrANumber) {
    TQueryIOCommValue commission(Process());
    EXPECT_EQ(commission.CommissionText(), "0");
    login();
    server->enqueue({AnswerFrame({"ProRet", "n/a"}, 1)});
    ASSERT_TRUE(commission.Execute());
    EXPECT_EQ(commission.CommissionText(), "0");
}

TEST_F(RequestCatalogue, BankBalanceQuerySendsTheDayItWasCreated) {
    using namespace std::chrono;
    auto day = [](int d) {
        std::tm t{};
        t.tm_year = 124; t.tm_mon = 2; t.tm_mday = d; t.tm_hour = 12; t.tm_isdst = -1;
        return system_clock::from_time_t(std::mktime(&t));
    };
    SetClockForTesting([&] { return day(5); });
    login();
    TQueryBankMoney query(Process());
    SetClockForTesting([&] { return day(6); });
    server->enqueue({AnswerFrame({"A", "1"}, 1)});
    ASSERT_TRUE(query.Execute());
    const auto items = BodyItems(server->requests().back());
    EXPECT_EQ(items[9 + 6], "20240306");  // TradeDate
    EXPECT_EQ(items[9 + 8], "20240305");  // QueryDate
}

class SysParamTable : public RequestCatalogue {
protected:
    void load(std::vector<std::string> items, unsigned columns) {
        login();
        // Made after SetUp, so that its log goes to the test's folder.
        params_ = std::make_unique<TQuerySysParam>(Process());
        server->enqueue({AnswerFrame(std::move(items), columns)});
        ASSERT_TRUE(params().Execute());
    }
    // The request goes before the session it runs over.
    void TearDown() override {
        params_.reset();
        RequestCatalogue::TearDown();
    }
    TQuerySysParam& params() { return *params_; }
    std::unique_ptr<TQuerySysParam> params_;
};

TEST_F(SysParamTable, FindParamTakesTheFirstMatchAndParamSwitchTheLast) {
    load({"OrderCode", "Param", "ProRet", "005", "50005", "0", " 005 ", "50005", "1", "005", "ifrate", " 7 "}, 3);
    EXPECT_EQ(params().FindParam("50005", "005"), "0");
    bool isZero = true;
    EXPECT_EQ(params().ParamSwitch("50005", "005", isZero), "1");
    EXPECT_FALSE(isZero);
    EXPECT_EQ(params().FindParam("IFRATE", "005"), "7");
    EXPECT_EQ(params().FindParam("50005", "006"), "");
    isZero = true;
    EXPECT_EQ(params().ParamSwitch("50006", "005", isZero), "1");
    EXPECT_FALSE(isZero);
}

TEST_F(SysParamTable, MissingColumnsMatchNothing) {
    load({"Param", "ProRet", "50005", "0"}, 2);
    EXPECT_EQ(params().FindParam("50005", "005"), "");
    bool isZero = true;
    EXPECT_EQ(params().ParamSwitch("50005", "005", isZero), "1");
    EXPECT_FALSE(isZero);
}

TEST_F(SysParamTable, AnEmptyTableLeavesTheCallersFlag) {
    TQuerySysParam empty(Process());
    bool isZero = true;
    EXPECT_EQ(empty.ParamSwitch("50005", "005", isZero), "1");
    EXPECT_TRUE(isZero);
    EXPECT_EQ(empty.FindParam("50005", "005"), "");
}

TEST_F(RequestCatalogue, SettingsFallBackToTheirDefaults) {
    writeBankIni("[system]\nTimeOut=abc\nConnectStyle=2\nPort=x\n");
    TQueryMarketMoney query(Process());
    EXPECT_EQ(query.Settings.TimeOut, 5000);
    EXPECT_EQ(query.Settings.Port, 12345);
    EXPECT_EQ(query.Settings.Host, "127.0.0.1");
    EXPECT_TRUE(query.Settings.ConnectStyle);
    EXPECT_TRUE(KeepConnection());
    EXPECT_EQ(query.Settings.ReadTimeOut, 60000);
    EXPECT_EQ(query.OperationName, "");
    query.OwnerWindow = &sink;
    query.LogEvent("x", LogInfo);
    EXPECT_EQ(sink.blocks[0].text.substr(0, 27 + 6 + 27), std::string(27, '=') + "【】" + std::string(27, '='));
}

TEST_F(RequestCatalogue, LoginAdoptsTheServerAndResetsTheKey) {
    PacketKey() = "something else";
    TBankLogin login(Process());
    EXPECT_EQ(PacketKey(), DefaultPacketKey);
    login.Settings.Host = "127.0.0.1";
    login.Settings.Port = server->port();
    login.Settings.CustTradeID = "8001234";
    login.Settings.CustMoneyPwd = "654321";
    server->enqueue({AnswerFrame({"BankID", "BankName", "005", "测试银行", "999", "外汇账户"}, 2)});
    ASSERT_TRUE(login.Execute()) << login.LastMessage;
    EXPECT_EQ(ActiveServer().Port, server->port());
    EXPECT_EQ(ActiveServer().TradeID, "8001234");
    EXPECT_EQ(login.ResultTable.recordCount(), 2u);
    EXPECT_EQ(login.ResultTable.text(1, "BankName"), "外汇账户");
    const auto items = BodyItems(server->requests()[0]);
    ASSERT_EQ(items.size(), 8u);
    EXPECT_EQ(items[4], "8001234");
    EXPECT_EQ(items[5], "654321");
}

TEST_F(RequestCatalogue, LoginNoticesNameThisLoginsServerAndTradeNumber) {
    // An earlier session with another customer on another server.
    ActiveServer() = TLoginInfo{"127.0.0.2", 4321, "8009999", 500};
    TBankLogin login(Process());
    login.OwnerWindow = &sink;
    login.Settings.Host = "127.0.0.1";
    login.Settings.Port = server->port();
    login.Settings.CustTradeID = "8001234";
    login.Settings.CustMoneyPwd = "654321";
    server->enqueue({AnswerFrame({"BankID", "005"}, 1)});
    ASSERT_TRUE(login.Execute()) << login.LastMessage;
    ASSERT_FALSE(sink.texts.empty());
    EXPECT_EQ(sink.texts[0].text, "连接服务器 127.0.0.1:" + std::to_string(server->port()) + " 成功");
    ASSERT_FALSE(sink.blocks.empty());
    EXPECT_NE(sink.blocks[0].text.find("交易商：8001234\r\n"), std::string::npos) << sink.blocks[0].text;

    // A refused connect is reported with the trade number that tried.
    sink.blocks.clear();
    TBankLogin refused(Process());
    refused.OwnerWindow = &sink;
    refused.Settings.Host = "127.0.0.1";
    refused.Settings.Port = 1;
    refused.Settings.TimeOut = 500;
    refused.Settings.CustTradeID = "8001235";
    refused.Settings.CustMoneyPwd = "1";
    EXPECT_FALSE(refused.Execute());
    ASSERT_FALSE(sink.blocks.empty());
    EXPECT_NE(sink.blocks.back().text.find("交易商：8001235\r\n"), std::string::npos) << sink.blocks.back().text;
}

}  // namespace
}  // namespace vantrel::test
