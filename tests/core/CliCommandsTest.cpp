// vantrel's commands run in-process against the scripted loopback server:
// the fields each sends, what it prints, and how failures end.
#include <gtest/gtest.h>

#include <asio.hpp>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>

#include "CliRunner.h"
#include "EngineFixture.h"
#include "ScriptedServer.h"
#include "TestFolder.h"
#include "common/AppPaths.h"
#include "common/Clock.h"
#include "common/DailyLog.h"
#include "common/TextCodec.h"
#include "common/Version.h"
#include "protocol/PacketCodec.h"

namespace vantrel::test {
namespace {

struct Outcome {
    int status;
    std::string out, err;
};

const std::vector<std::string> kAccountAnswer = {
    "BankID", "BankName", "CustBankAcctNo", "MoneyType", "CompId", "BankType", "Url",
    "005",    "建设银行", "6222001",        "0",         "C01",    "0",        "",
    "999",    "外汇账户", "FX001",          "1",         "C01",    "0",        ""};

std::vector<std::string> BodyItems(const std::string& payload) {
    return SplitBody(std::string_view(payload).substr(kHeaderSize));
}

// Value of a named field in a request payload (names first, then values).
std::string Sent(const std::string& payload, const std::string& name) {
    const auto items = BodyItems(payload);
    const auto half = items.size() / 2;
    for (std::size_t i = 0; i < half; ++i)
        if (items[i] == name) return GbkToUtf8(items[half + i]).valueOr("<not GBK>");
    return "<missing>";
}

class CliCommands : public ::testing::Test {
protected:
    void SetUp() override {
        auto gbk = Utf8ToGbk(kStandardBankIni);
        ASSERT_TRUE(gbk.ok());
        folder.write("Bank.ini", gbk.value());
    }

    Outcome Vantrel(std::vector<std::string> args, const std::string& input = "123456\n") {
        args.insert(args.begin(), {"vantrel", "--app-path", folder.appPath()});
        std::vector<const char*> argv;
        for (const auto& arg : args) argv.push_back(arg.c_str());
        std::ostringstream out, err;
        std::istringstream in(input);
        const int status = cli::RunCli(static_cast<int>(argv.size()), argv.data(), out, err, in);
        return {status, out.str(), err.str()};
    }

    // The common head: this server, this trade number, password on stdin.
    std::vector<std::string> Login(std::vector<std::string> rest) {
        std::vector<std::string> args = {"--server", "127.0.0.1:" + std::to_string(server.port()), "--trade",
                                         "8001234", "--password-stdin"};
        args.insert(args.end(), rest.begin(), rest.end());
        return args;
    }

    void ExpectAccountsLogin() { server.enqueue({AnswerFrame(kAccountAnswer, 7)}); }

    // Every file under logs/, decoded, so a test can look for secrets.
    std::string AllLogs() const {
        std::string text;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path() / "logs"))
            text += GbkToUtf8(folder.read("logs/" + entry.path().filename().string())).valueOr("<not GBK>");
        return text;
    }

    TestFolder folder;
    // RunCli sets the variable for --app-path; the test gives it back.
    ScopedAppPath appPath{folder};
    ScriptedServer server;
};

TEST_F(CliCommands, LoginSendsTheCredentialsAndPrintsTheSignedAccounts) {
    ExpectAccountsLogin();
    const auto outcome = Vantrel(Login({"login", "--format", "tsv"}), "s3cret!\n");
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out,
              "BankID\tBankName\tCustBankAcctNo\tMoneyType\tCompId\tBankType\tUrl\n"
              "005\t建设银行\t6222001\t0\tC01\t0\t\n"
              "999\t外汇账户\tFX001\t1\tC01\t0\t\n");
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].substr(0, 5), "90001");
    EXPECT_EQ(Sent(requests[0], "CustTradeID"), "8001234");
    EXPECT_EQ(Sent(requests[0], "CustMoneyPwd"), "s3cret!");
    // The transfer log records the login, never the password.
    const auto logs = AllLogs();
    EXPECT_NE(logs.find("【登录】"), std::string::npos);
    EXPECT_EQ(logs.find("s3cret!"), std::string::npos);
}

TEST_F(CliCommands, DepositSendsEveryTransferFieldInCents) {
    ExpectAccountsLogin();
    server.enqueue({AnswerFrame({"SerialNo", "TradeType", "ChangeMoney", "MarketBalance", "BankBalance", "TradeDate",
                                 "TradeTime", "42", "1", "10050", "10050", "989950", "20240305", "093005"},
                                7)});
    const auto outcome = Vantrel(Login({"deposit", "--bank", "005", "--account", "6222001", "--amount", "100.5",
                                    "--bank-password-stdin", "--memo", "备用金", "--format", "json"}),
                             "123456\n888888\n");
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    const auto& deposit = requests[1];
    EXPECT_EQ(deposit.substr(0, 5), "90004");
    EXPECT_EQ(deposit.substr(48, 3), "005");  // bank code of the header
    const std::vector<std::string> expected = {
        "CustBankAcctNo", "CustTradeID", "CustBankPass", "CustMoneyPwd", "BusinType", "MoneySty",
        "MoneyType",      "ChangeMoney", "Memo",         "TradeDate",    "TradeTime"};
    const auto items = BodyItems(deposit);
    ASSERT_EQ(items.size(), 22u);
    EXPECT_EQ(std::vector<std::string>(items.begin(), items.begin() + 11), expected);
    EXPECT_EQ(Sent(deposit, "CustBankAcctNo"), "6222001");
    EXPECT_EQ(Sent(deposit, "CustTradeID"), "8001234");
    EXPECT_EQ(Sent(deposit, "CustBankPass"), "888888");
    EXPECT_EQ(Sent(deposit, "CustMoneyPwd"), "123456");
    EXPECT_EQ(Sent(deposit, "ChangeMoney"), "10050");
    EXPECT_EQ(Sent(deposit, "Memo"), "备用金");
    EXPECT_EQ(outcome.out.rfind("[\n  {\"SerialNo\": \"42\", \"TradeType\": \"1\", \"ChangeMoney\": \"10050\"", 0), 0u)
        << outcome.out;
    EXPECT_EQ(AllLogs().find("888888"), std::string::npos);
}

TEST_F(CliCommands, WithdrawForexAndCommissionPickTheirCodesFromTheWord) {
    ExpectAccountsLogin();
    server.enqueue({AnswerFrame({"SerialNo", "1"}, 1)});
    EXPECT_EQ(Vantrel(Login({"withdraw", "--bank", "005", "--account", "6222001", "--amount", "0.29"})).status, 0);
    ExpectAccountsLogin();
    server.enqueue({AnswerFrame({"SerialNo", "2"}, 1)});
    EXPECT_EQ(Vantrel(Login({"forex", "settle", "--bank", "999", "--account", "FX001", "--amount", "3"})).status, 0);
    ExpectAccountsLogin();
    server.enqueue({AnswerFrame({"ProRet", "CommRate", "250", "0.1%, min 1.00"}, 2)});
    const auto commission = Vantrel(Login({"commission", "deposit", "--bank", "005", "--amount", "2500"}));
    ASSERT_EQ(commission.status, 0) << commission.err;
    EXPECT_NE(commission.out.find("手续费查询：2.50"), std::string::npos) << commission.out;

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 6u);
    EXPECT_EQ(requests[1].substr(0, 5), "90005");
    EXPECT_EQ(Sent(requests[1], "ChangeMoney"), "29");
    EXPECT_EQ(requests[3].substr(0, 5), "90009");
    EXPECT_EQ(Sent(requests[3], "ChangeMoney"), "300");
    EXPECT_EQ(requests[3].substr(48, 3), "999");
    EXPECT_EQ(requests[5].substr(0, 7), "7000211");  // sub-code "1" + deposit
    EXPECT_EQ(Sent(requests[5], "Memo"), "250000");
}

TEST_F(CliCommands, QueriesSendTheirOwnFields) {
    ExpectAccountsLogin();
    server.enqueue({AnswerFrame({"OrderCode", "Param", "ProRet", "ParamName", "005", "50005", "0", "入金"}, 4)});
    ASSERT_EQ(Vantrel(Login({"sys-params"})).status, 0);
    ExpectAccountsLogin();
    server.enqueue({AnswerFrame({"BankID", "SuperviseMoney", "005", "100"}, 2)});
    ASSERT_EQ(Vantrel(Login({"supervision", "--bank", "005", "--account", "6222001", "--date", "20240229"})).status, 0);
    ExpectAccountsLogin();
    server.enqueue({AnswerFrame({"Code", "Message", "00000", "资金密码修改成功"}, 2)});
    ASSERT_EQ(Vantrel(Login({"change-password", "--new-password-stdin"}), "123456\nabc789\n").status, 0);

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 6u);
    EXPECT_EQ(requests[1].substr(0, 7), "700020 ");  // sub-code "0", blank-padded
    EXPECT_EQ(requests[3].substr(0, 5), "50015");
    EXPECT_EQ(Sent(requests[3], "QueryDate"), "20240229");
    EXPECT_EQ(requests[5].substr(0, 5), "90003");
    EXPECT_EQ(Sent(requests[5], "CustMoneyPwd"), "123456");
    EXPECT_EQ(Sent(requests[5], "NCustMoneyPwd"), "abc789");
}

TEST_F(CliCommands, BankRulesRefuseWhatTheMainWindowWouldBeforeSendingIt) {
    // Bank 005: withdrawals on and wanting the bank password, the commission
    // off, and no deposit switch at all (off, as the window reads it).
    const std::vector<std::string> params = {"OrderCode", "Param", "ProRet", "005", "50006",  "0",
                                             "005",       "PASSWORD", "50006", "005", "IFRATE", "1"};
    const std::vector<std::string> withdraw = {"withdraw", "--bank", "005", "--account", "6222001", "--amount", "1"};
    struct Case {
        std::vector<std::string> args;
        std::string refusal;
    };
    const std::vector<Case> cases = {
        {withdraw, "bank 005 asks for its bank password for withdrawals: give --bank-password-stdin (or "
                   "--bank-password)"},
        {{"commission", "deposit", "--bank", "005", "--amount", "1"}, "bank 005 does not offer the commission query"},
        {{"deposit", "--bank", "005", "--account", "6222001", "--amount", "1"}, "bank 005 does not offer deposits"},
    };
    for (const auto& c : cases) {
        ExpectAccountsLogin();
        server.enqueue({AnswerFrame(params, 3)});
        auto args = c.args;
        args.push_back("--bank-rules");
        const auto outcome = Vantrel(Login(args));
        EXPECT_EQ(outcome.status, 1) << c.refusal;
        EXPECT_EQ(outcome.err, "vantrel: " + c.refusal + "\n");
    }
    ExpectAccountsLogin();
    server.enqueue({AnswerFrame(params, 3)});
    server.enqueue({AnswerFrame({"SerialNo", "1"}, 1)});
    auto allowed = withdraw;
    allowed.insert(allowed.end(), {"--bank-password-stdin", "--bank-rules"});
    EXPECT_EQ(Vantrel(Login(allowed), "123456\n888888\n").status, 0);

    // A refused command sends the login and the parameter query only.
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 9u);
    EXPECT_EQ(requests[1].substr(0, 7), "700020 ");
    EXPECT_EQ(requests[7].substr(0, 7), "700020 ");
    EXPECT_EQ(requests[8].substr(0, 5), "90005");
}

TEST_F(CliCommands, AFailedRequestPrintsTheMessageOnStandardErrorAndExitsOne) {
    ExpectAccountsLogin();
    server.enqueue({AnswerFrame({"Code", "Message", "E1004", "资金余额不足"}, 2, "E1004")});
    const auto outcome = Vantrel(Login({"withdraw", "--bank", "005", "--account", "6222001", "--amount", "1000"}));
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "vantrel: E1004 : 资金余额不足\n");
}

TEST_F(CliCommands, AFailedLoginSendsNothingElse) {
    server.enqueue({AnswerFrame({"Code", "Message", "E1009", "wrong"}, 2, "E1009")});
    const auto outcome = Vantrel(Login({"market-funds"}), "bad\n");
    EXPECT_EQ(outcome.status, 1);
    // No [ReturnCode] entry for E1009: the server's own description.
    EXPECT_EQ(outcome.err, "vantrel: E1009 : wrong\n");
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(CliCommands, AnUnreachableServerIsAFailureWithTheConnectText) {
    asio::io_context io;
    asio::ip::tcp::acceptor probe(io, asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0));
    const auto closedPort = probe.local_endpoint().port();
    probe.close();
    const auto outcome = Vantrel({"--server", "127.0.0.1:" + std::to_string(closedPort), "--trade", "8001234",
                              "--password-stdin", "login"});
    EXPECT_EQ(outcome.status, 1);
    // The Bank.ini text and the transport's cause.
    EXPECT_EQ(outcome.err.rfind("vantrel: 连接服务器失败:Connecting to 127.0.0.1:", 0), 0u) << outcome.err;
    EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << outcome.err;
}

TEST_F(CliCommands, VerboseShowsTheLoggedStepsAndQuietShowsNone) {
    ExpectAccountsLogin();
    server.enqueue({AnswerFrame({"CustTradeID", "ChangeMoney", "8001234", "10000"}, 2)});
    const auto verbose = Vantrel(Login({"market-funds", "--verbose"}));
    ASSERT_EQ(verbose.status, 0) << verbose.err;
    EXPECT_NE(verbose.err.find("连接服务器 "), std::string::npos) << verbose.err;
    EXPECT_NE(verbose.err.find("登录成功\n"), std::string::npos) << verbose.err;
    EXPECT_NE(verbose.err.find("市场资金查询成功\n"), std::string::npos) << verbose.err;
    EXPECT_NE(verbose.out.find("100.00"), std::string::npos) << verbose.out;  // money formatted

    ExpectAccountsLogin();
    server.enqueue({AnswerFrame({"CustTradeID", "ChangeMoney", "8001234", "10000"}, 2)});
    EXPECT_EQ(Vantrel(Login({"market-funds"})).err, "");
}

TEST_F(CliCommands, ATransferLogThatCannotBeWrittenIsReportedAndLoggedAsAnError) {
    // A folder where today's transfer log should be makes every append fail.
    const auto now = ToLocal(Now());
    const auto logs = folder.appPath() + "logs/";
    std::filesystem::create_directories(DailyFileName(logs, ".mlog", now));
    ExpectAccountsLogin();
    const auto outcome = Vantrel(Login({"login"}));
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("vantrel: unexpected error: "), std::string::npos) << outcome.err;
    const auto errorLog = GbkToUtf8(folder.read("logs/" + FormatYmd(now) + ".log")).valueOr("");
    EXPECT_NE(errorLog.find("  vantrel: "), std::string::npos) << errorLog;
}

// ---- probe

class CliProbe : public CliCommands {
protected:
    void WriteServers(const std::string& list) {
        auto gbk = Utf8ToGbk(std::string(kStandardBankIni) + list);
        ASSERT_TRUE(gbk.ok());
        folder.write("Bank.ini", gbk.value());
    }
    static int ClosedPort() {
        asio::io_context io;
        asio::ip::tcp::acceptor acceptor(io, asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0));
        return acceptor.local_endpoint().port();
    }
};

TEST_F(CliProbe, ListsEveryServerAndChoosesTheOneThatAnswers) {
    WriteServers("[MoneyServer]\nCount=3\n"
                 "[MoneyServer1]\nServerName=关闭的\nServerIP=127.0.0.1\nPort=" + std::to_string(ClosedPort()) + "\n"
                 "[MoneyServer2]\nServerName=演示\nServerIP=127.0.0.1\nPort=" + std::to_string(server.port()) + "\n"
                 "[MoneyServer3]\nServerName=名字\nServerIP=demo.example\nPort=1\n");
    const auto outcome = Vantrel({"probe", "--format", "tsv"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const auto port = std::to_string(server.port());
    std::istringstream lines(outcome.out);
    std::string header, first, second, third;
    std::getline(lines, header);
    std::getline(lines, first);
    std::getline(lines, second);
    std::getline(lines, third);
    EXPECT_EQ(header, "序号\t交易服名称\t交易服IP\t端口\t尝试次数\t响应时间\t状态");
    EXPECT_NE(first.find("\t3\t"), std::string::npos) << first;  // three tries
    EXPECT_NE(first.find("\t连接超时"), std::string::npos) << first;
    EXPECT_EQ(second.rfind("2\t演示\t127.0.0.1\t" + port + "\t1\t", 0), 0u) << second;
    EXPECT_NE(second.find(" ms\t连接成功"), std::string::npos) << second;
    EXPECT_EQ(third, "3\t名字\tdemo.example\t1\t\t\t无效的IP地址");
    // With tsv the choice goes to standard error, leaving the rows clean.
    EXPECT_EQ(outcome.err, "选用服务器：2 演示 127.0.0.1:" + port + "\n");
}

TEST_F(CliProbe, NoAnsweringServerIsAFailureAndNoListAUsageError) {
    WriteServers("[MoneyServer]\nCount=1\n[MoneyServer1]\nServerName=关闭的\nServerIP=127.0.0.1\nPort=" +
                 std::to_string(ClosedPort()) + "\n");
    const auto none = Vantrel({"probe"});
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.out.find("没有可连接的服务器"), std::string::npos) << none.out;

    WriteServers("");
    const auto missing = Vantrel({"probe"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("no server list"), std::string::npos) << missing.err;

    WriteServers("[Backup]\nCount=1\n[Backup1]\nServerName=备用\nServerIP=127.0.0.1\nPort=" +
                 std::to_string(server.port()) + "\n");
    const auto other = Vantrel({"probe", "--prefix", "Backup"});
    EXPECT_EQ(other.status, 0) << other.err;
    EXPECT_NE(other.out.find("选用服务器：1 备用"), std::string::npos) << other.out;
}

// ---- the built program

TEST(CliProgram, VersionOfTheBuiltProgram) {
#ifdef _WIN32
    // Beside this test program; the build folder's name is a path of the build host.
    const std::string command = "\"" + ExecutablePath() + "vantrel.exe\" --version";
#else
    const std::string command = std::string(VANTREL_BIN_DIR) + "/vantrel --version";
#endif
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    ASSERT_TRUE(pipe);
    std::string output;
    char buffer[256];
    while (const auto read = std::fread(buffer, 1, sizeof buffer, pipe.get())) output.append(buffer, read);
    EXPECT_EQ(pclose(pipe.release()), 0);
    EXPECT_EQ(output, std::string(VersionText()) + "\n");
}

}  // namespace
}  // namespace vantrel::test
