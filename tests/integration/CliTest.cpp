// The built vantrel program against a running simulator: every command,
// spawned as a user would run it, with the sample Bank.ini.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "MiddlewareProcess.h"
#include "TestFolder.h"
#include "TlsFrontEnd.h"
#include "common/TextCodec.h"
#include "common/TextUtil.h"
#include "protocol/TlsSettings.h"

namespace vantrel::test {
namespace {

constexpr const char* kTrader = "8001234";
constexpr const char* kIcbcAccount = "6222020200112345678";   // bank 005
constexpr const char* kCcbAccount = "6217000010012345678";    // bank 007, bank password for withdrawals
constexpr const char* kForexAccount = "6222020200198765432";  // bank 999

struct Ran {
    int status = -1;
    std::string out, err;
};

// Rows of a tsv answer, each a map from column name to value.
std::vector<std::map<std::string, std::string>> TsvRows(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    std::vector<std::string> header;
    std::vector<std::map<std::string, std::string>> rows;
    auto split = [](const std::string& l) {
        std::vector<std::string> cells;
        std::size_t start = 0;
        for (;;) {
            const auto tab = l.find('\t', start);
            cells.push_back(l.substr(start, tab - start));
            if (tab == std::string::npos) return cells;
            start = tab + 1;
        }
    };
    if (std::getline(lines, line)) header = split(line);
    while (std::getline(lines, line)) {
        const auto cells = split(line);
        std::map<std::string, std::string> row;
        for (std::size_t i = 0; i < header.size() && i < cells.size(); ++i) row[header[i]] = cells[i];
        rows.push_back(std::move(row));
    }
    return rows;
}

class CliProgram : public ::testing::Test {
protected:
    void SetUp() override {
        sim = std::make_unique<MiddlewareProcess>(std::vector<std::string>{"--reset"});
        // The sample Bank.ini as shipped, pointed at this simulator's port.
        std::ifstream sample(std::string(VANTREL_SOURCE_DIR) + "/examples/Bank.ini", std::ios::binary);
        std::stringstream bytes;
        bytes << sample.rdbuf();
        auto text = GbkToUtf8(bytes.str());
        ASSERT_TRUE(text.ok()) << text.error();
        const auto ini = ReplaceAll(text.value(), "Port=17990", "Port=" + std::to_string(sim->port()));
        ASSERT_NE(ini, text.value());
        folder.write("Bank.ini", Utf8ToGbk(ini).value());
    }

    // Runs build/bin/vantrel with the trade number (unless `login` is
    // false) and the lines of `input` on standard input.
    Ran Vantrel(std::vector<std::string> args, const std::string& input = "123456\n", bool login = true) {
        std::vector<std::string> all = {std::string(VANTREL_BIN_DIR) + "/vantrel", "--app-path", folder.appPath(),
                                        "--format", "tsv"};
        if (login) all.insert(all.end(), {"--trade", kTrader, "--password-stdin"});
        all.insert(all.end(), args.begin(), args.end());
        const auto in = folder.write("stdin.txt", input).string();
        const auto out = (folder.path() / "stdout.txt").string();
        const auto err = (folder.path() / "stderr.txt").string();

        const pid_t child = fork();
        if (child == 0) {
            auto redirect = [](const std::string& file, int flags, int fd) {
                const int opened = open(file.c_str(), flags, 0600);
                if (opened < 0 || dup2(opened, fd) < 0) _exit(126);
                close(opened);
            };
            redirect(in, O_RDONLY, STDIN_FILENO);
            redirect(out, O_WRONLY | O_CREAT | O_TRUNC, STDOUT_FILENO);
            redirect(err, O_WRONLY | O_CREAT | O_TRUNC, STDERR_FILENO);
            std::vector<char*> argv;
            for (auto& arg : all) argv.push_back(arg.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        Ran ran;
        int status = 0;
        if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) ran.status = WEXITSTATUS(status);
        ran.out = folder.read("stdout.txt");
        ran.err = folder.read("stderr.txt");
        return ran;
    }

    std::vector<std::map<std::string, std::string>> Rows(std::vector<std::string> args) {
        const auto ran = Vantrel(std::move(args));
        EXPECT_EQ(ran.status, 0) << ran.err;
        return TsvRows(ran.out);
    }

    std::string MarketMoney() {
        const auto rows = Rows({"market-funds"});
        return rows.size() == 1 ? rows[0].at("MarketMoney") : "<no row>";
    }

    TestFolder folder;
    std::unique_ptr<MiddlewareProcess> sim;
};

TEST_F(CliProgram, TlsOptionsLogInThroughAFrontEndAndAWrongPinSendsNothing) {
    if (!TlsSupported()) GTEST_SKIP() << "built without OpenSSL";
    TestCertificates certificates(folder.path());
    RecordingRelay backend(sim->port());
    StunnelProcess stunnel(folder.path(), certificates, backend.port());
    const auto server = "127.0.0.1:" + std::to_string(stunnel.port());
    const auto ca = certificates.caFile.string();

    const auto ok = Vantrel({"--server", server, "--tls-ca", ca, "--tls-pin", certificates.serverPin, "login"});
    EXPECT_EQ(ok.status, 0) << ok.err;
    EXPECT_EQ(TsvRows(ok.out).size(), 3u);
    const auto wrong = Vantrel({"--server", server, "--tls-ca", ca, "--tls-pin", std::string(64, '0'), "login"});
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.err.find("does not match TlsPin"), std::string::npos) << wrong.err;
    // One login frame reached the simulator: the first one.
    const auto plain = backend.sent();
    EXPECT_NE(plain.find("90001"), std::string::npos);
    EXPECT_EQ(plain.find("90001"), plain.rfind("90001"));
}

TEST_F(CliProgram, LoginListsTheAccountsAndAWrongPasswordFails) {
    const auto accounts = Rows({"login"});
    ASSERT_EQ(accounts.size(), 3u);
    EXPECT_EQ(accounts[0].at("CustBankAcctNo"), kIcbcAccount);
    EXPECT_EQ(accounts[2].at("BankID"), "999");

    const auto wrong = Vantrel({"login"}, "654321\n");
    EXPECT_EQ(wrong.status, 1);
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(wrong.err, "vantrel: E1002 : 资金密码错误\n");
}

TEST_F(CliProgram, ADepositAddsOneTransferRowAndRaisesTheMarketFunds) {
    const auto before = Rows({"transfers", "--bank", "005", "--account", kIcbcAccount});
    EXPECT_EQ(MarketMoney(), "50000.00");

    const auto deposit = Vantrel({"deposit", "--bank", "005", "--account", kIcbcAccount, "--amount", "100.00",
                                  "--memo", "命令行入金"});
    ASSERT_EQ(deposit.status, 0) << deposit.err;
    const auto answer = TsvRows(deposit.out);
    ASSERT_EQ(answer.size(), 1u);
    EXPECT_EQ(answer[0].at("ChangeMoney"), "10000");  // the transfer answer is not formatted
    EXPECT_EQ(answer[0].at("TradeType"), "1");

    const auto after = Rows({"transfers", "--bank", "005", "--account", kIcbcAccount});
    ASSERT_EQ(after.size(), before.size() + 1);
    EXPECT_EQ(after.back().at("TradeType"), "1");
    EXPECT_EQ(after.back().at("ChangeMoney"), "100.00");
    EXPECT_EQ(after.back().at("Memo"), "命令行入金");
    EXPECT_EQ(MarketMoney(), "50100.00");
    // Without an account every record of the trade number.
    EXPECT_GE(Rows({"transfers"}).size(), after.size());
}

TEST_F(CliProgram, AWithdrawalAboveTheBalanceFailsWithTheSimulatorsText) {
    const auto ran = Vantrel({"withdraw", "--bank", "005", "--account", kIcbcAccount, "--amount", "50000.01"});
    EXPECT_EQ(ran.status, 1);
    EXPECT_EQ(ran.out, "");
    EXPECT_EQ(ran.err, "vantrel: E1004 : 资金余额不足\n");
    EXPECT_EQ(MarketMoney(), "50000.00");
}

TEST_F(CliProgram, TheBankThatWantsItsPasswordGetsItFromStandardInput) {
    const std::vector<std::string> withdraw = {"withdraw", "--bank", "007", "--account", kCcbAccount,
                                               "--amount", "10"};
    const auto without = Vantrel(withdraw);
    EXPECT_EQ(without.status, 1);
    EXPECT_EQ(without.err, "vantrel: E1003 : 银行密码错误\n");

    auto with = withdraw;
    with.push_back("--bank-password-stdin");
    const auto accepted = Vantrel(with, "123456\n888888\n");
    EXPECT_EQ(accepted.status, 0) << accepted.err;
    EXPECT_EQ(MarketMoney(), "49990.00");
}

TEST_F(CliProgram, TheQueriesAnswerWithTheirColumns) {
    const auto supervision = Rows({"supervision", "--bank", "005", "--account", kIcbcAccount, "--date", "20240301"});
    ASSERT_EQ(supervision.size(), 1u);
    EXPECT_EQ(supervision[0].at("QueryDate"), "2024-03-01");

    const auto card = Rows({"card-balance", "--bank", "007", "--account", kCcbAccount});
    ASSERT_EQ(card.size(), 1u);
    EXPECT_EQ(card[0].at("BankBalance"), "80000.00");

    const auto order = Rows({"order-id", "--bank", "005"});
    ASSERT_EQ(order.size(), 1u);
    EXPECT_EQ(order[0].at("OrderID").size(), 16u);

    const auto params = Rows({"sys-params"});
    EXPECT_EQ(params.size(), 27u);
    bool ifrate = false;
    for (const auto& row : params) ifrate = ifrate || (row.at("OrderCode") == "005" && row.at("Param") == "IFRATE");
    EXPECT_TRUE(ifrate);

    const auto commission = Vantrel({"commission", "deposit", "--bank", "005", "--amount", "5000"});
    ASSERT_EQ(commission.status, 0) << commission.err;
    EXPECT_EQ(TsvRows(commission.out).at(0).at("ProRet"), "500");
    EXPECT_EQ(commission.err, "手续费查询：5.00\n");  // beside tsv rows: on standard error
    const auto switchedOff = Vantrel({"commission", "withdraw", "--bank", "007", "--amount", "5000"});
    EXPECT_EQ(switchedOff.status, 1);
    EXPECT_EQ(switchedOff.err, "vantrel: E1006 : 该业务未开通\n");
}

TEST_F(CliProgram, ForexBuysSettlesAndListsItsRecords) {
    const auto before = Rows({"forex-records", "--bank", "999", "--account", kForexAccount});
    const auto buy = Vantrel({"forex", "buy", "--bank", "999", "--account", kForexAccount, "--amount", "720"});
    ASSERT_EQ(buy.status, 0) << buy.err;
    EXPECT_EQ(TsvRows(buy.out).at(0).at("ExchangeMoney"), "10000");
    const auto settle = Vantrel({"forex", "settle", "--bank", "999", "--account", kForexAccount, "--amount", "100"});
    ASSERT_EQ(settle.status, 0) << settle.err;
    EXPECT_EQ(TsvRows(settle.out).at(0).at("ExchangeType"), "1");
    const auto after = Rows({"forex-records", "--bank", "999", "--account", kForexAccount});
    EXPECT_EQ(after.size(), before.size() + 2);
    EXPECT_EQ(Rows({"forex-records"}).size(), after.size());
}

TEST_F(CliProgram, ChangedPasswordIsTheOneThatLogsIn) {
    const auto changed = Vantrel({"change-password", "--new-password-stdin"}, "123456\nabc789\n");
    ASSERT_EQ(changed.status, 0) << changed.err;
    EXPECT_EQ(TsvRows(changed.out).at(0).at("Message"), "资金密码修改成功");
    EXPECT_EQ(Vantrel({"login"}, "123456\n").status, 1);
    EXPECT_EQ(Vantrel({"login"}, "abc789\n").status, 0);
    const auto refused = Vantrel({"change-password", "--new", "a"}, "abc789\n");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "vantrel: E1010 : 新资金密码不符合要求\n");
}

TEST_F(CliProgram, ProbeFindsTheSimulatorInTheServerList) {
    const auto ran = Vantrel({"probe"}, "", false);
    ASSERT_EQ(ran.status, 0) << ran.err;
    const auto rows = TsvRows(ran.out);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("状态"), "连接成功");
    EXPECT_EQ(rows[0].at("端口"), std::to_string(sim->port()));
    EXPECT_EQ(ran.err, "选用服务器：1 演示模拟服务器 127.0.0.1:" + std::to_string(sim->port()) + "\n");
}

TEST_F(CliProgram, NoPasswordEverReachesTheLogs) {
    ASSERT_EQ(Vantrel({"withdraw", "--bank", "007", "--account", kCcbAccount, "--amount", "1",
                       "--bank-password-stdin"}, "123456\n888888\n").status, 0);
    ASSERT_EQ(Vantrel({"login"}, "wrongpw\n").status, 1);
    std::string logs;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path() / "logs"))
        logs += folder.read("logs/" + entry.path().filename().string());
    EXPECT_NE(logs.find(kTrader), std::string::npos);
    for (const char* secret : {"123456", "888888", "wrongpw"}) EXPECT_EQ(logs.find(secret), std::string::npos) << secret;
}

}  // namespace
}  // namespace vantrel::test

namespace vantrel::test {
namespace {

// Lines of a GBK text export (CR LF between lines, none after the last).
std::vector<std::string> ExportLines(const std::string& bytes) {
    const auto text = GbkToUtf8(bytes).valueOr("<not GBK>");
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const auto end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) return lines;
        start = end + 2;
    }
}

TEST_F(CliProgram, ExportsWriteEveryQueryAsItsGridWithTheSampleLayout) {
    const auto transfers = Vantrel({"transfers", "--export", (folder.path() / "transfers.txt").string()});
    ASSERT_EQ(transfers.status, 0) << transfers.err;
    EXPECT_EQ(transfers.err, "");  // no logged layout failure either
    const auto lines = ExportLines(folder.read("transfers.txt"));
    ASSERT_EQ(lines.size(), 4u);  // titles, the two seeded transfers, footer
    EXPECT_EQ(lines[0], "流水号\t银行代码\t银行名称\t银行账号\t交易日期\t交易时间\t金额\t类型\t状态\t备注");
    EXPECT_NE(lines[1].find("\t10000.00\t入金\t成功\t"), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("\t2000.00\t出金\t成功\t"), std::string::npos) << lines[2];
    EXPECT_EQ(lines[3], "合计\t\t\t2\t\t\t12000.00\t\t\t");

    // Every other query into each of the three formats.
    struct Query {
        std::vector<std::string> args;
        std::string file, says;
    };
    const std::vector<Query> queries = {
        {{"login"}, "accounts.htm", "中国工商银行"},
        {{"supervision", "--bank", "005", "--account", kIcbcAccount, "--date", "20240301"}, "supervision.txt",
         "监管余额"},
        {{"card-balance", "--bank", "007", "--account", kCcbAccount}, "card.txt", "80000.00"},
        {{"market-funds"}, "market.htm", "可用资金"},
        {{"forex-records", "--bank", "999", "--account", kForexAccount}, "forex.txt", "购汇"},
        {{"sys-params"}, "params.txt", "IFRATE"},
        {{"order-id", "--bank", "005"}, "order.txt", "订单号"},
    };
    for (const auto& query : queries) {
        auto args = query.args;
        args.insert(args.end(), {"--export", (folder.path() / query.file).string()});
        const auto ran = Vantrel(args);
        ASSERT_EQ(ran.status, 0) << query.file << ": " << ran.err;
        EXPECT_EQ(ran.err, "") << query.file;
        const auto text = GbkToUtf8(folder.read(query.file)).valueOr("<not GBK>");
        EXPECT_NE(text.find(query.says), std::string::npos) << query.file << ":\n" << text;
    }

    const auto xls = Vantrel({"market-funds", "--export", (folder.path() / "market.xls").string()});
    ASSERT_EQ(xls.status, 0) << xls.err;
    const auto sheet = folder.read("market.xls");
    ASSERT_GE(sheet.size(), 8u);
    EXPECT_EQ(sheet.substr(0, 4), std::string("\x09\x08\x08\x00", 4));
    EXPECT_NE(sheet.find(Utf8ToGbk("市场资金").value()), std::string::npos);

    // A deposit's answer has no grid: refused before the login.
    const auto deposit = Vantrel({"deposit", "--bank", "005", "--account", kIcbcAccount, "--amount", "1", "--export",
                                  (folder.path() / "d.txt").string()});
    EXPECT_EQ(deposit.status, 2);
    EXPECT_FALSE(folder.exists("d.txt"));
}

}  // namespace
}  // namespace vantrel::test
