// vantrel's command line: what is accepted, and every mistake ending with
// status 2 and one line on standard error before anything is sent.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "CliArguments.h"
#include "CliRunner.h"
#include "TestFolder.h"
#include "common/Version.h"

namespace vantrel::cli {
namespace {

struct Outcome {
    int status;
    std::string out, err;
};

Outcome Vantrel(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), "vantrel");
    std::vector<const char*> argv;
    for (const auto& arg : args) argv.push_back(arg.c_str());
    std::ostringstream out, err;
    std::istringstream in(input);
    const int status = RunCli(static_cast<int>(argv.size()), argv.data(), out, err, in);
    return {status, out.str(), err.str()};
}

TEST(CliArguments, OptionsMayComeOnEitherSideOfTheCommandInBothForms) {
    auto parsed = ParseArguments({"deposit", "--bank=005", "--trade", "8001234", "--account", "6222001",
                                  "--format=json", "--amount", "100.5", "--password-stdin", "--memo", "工资"});
    ASSERT_TRUE(parsed.ok()) << parsed.error();
    const auto& args = parsed.value();
    EXPECT_EQ(args.command, "deposit");
    EXPECT_EQ(args.option("bank"), "005");
    EXPECT_EQ(args.option("account"), "6222001");
    EXPECT_EQ(args.option("memo"), "工资");
    EXPECT_EQ(args.amountCents, 10050);
    EXPECT_EQ(*args.trade, "8001234");
    EXPECT_TRUE(args.passwordStdin);
    EXPECT_EQ(args.format, OutputFormat::Json);

    auto forex = ParseArguments({"--trade", "1", "--password", "p", "forex", "settle", "--bank", "999",
                                 "--account", "A", "--amount", "0.29", "--server", "[::1]:17990"});
    ASSERT_TRUE(forex.ok()) << forex.error();
    EXPECT_EQ(forex.value().word, "settle");
    EXPECT_EQ(forex.value().amountCents, 29);
    EXPECT_EQ(forex.value().server->host, "::1");
    EXPECT_EQ(forex.value().server->port, 17990);
}

TEST(CliArguments, MistakesAreUsageErrorsWithOneLineSayingWhy) {
    const std::vector<std::string> login = {"--trade", "8001234", "--password", "123456"};
    auto with = [&](std::vector<std::string> rest) {
        auto args = login;
        args.insert(args.end(), rest.begin(), rest.end());
        return args;
    };
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "no command"},
        {with({"lgoin"}), "unknown command 'lgoin'"},
        {with({"login", "--verbos"}), "unknown option --verbos"},
        {with({"login", "-x"}), "unknown option -x"},
        {with({"login", "extra"}), "unexpected argument 'extra'"},
        {with({"login", "--amount", "5"}), "--amount does not apply to login"},
        {with({"deposit", "--account", "1", "--amount", "5"}), "deposit needs --bank"},
        {with({"deposit", "--bank", "005", "--account", "1", "--amount", "1.005"}), "两位小数"},
        {with({"deposit", "--bank", "005", "--account", "1", "--amount", "1e3"}), "--amount"},
        {with({"withdraw", "--bank", "005", "--account", "1", "--amount", "-1"}), "--amount"},
        {with({"withdraw", "--bank", "005", "--account", "1", "--amount", "0"}), "大于零"},
        {with({"withdraw", "--bank", "005", "--account", "1", "--amount", "1000000000"}), "上限"},
        {with({"deposit", "--bank", "", "--account", "1", "--amount", "1"}), "--bank is empty"},
        {with({"transfers", "--bank", "005"}), "--bank and --account together"},
        {with({"supervision", "--bank", "005", "--account", "1", "--date", "20230229"}), "yyyymmdd"},
        {with({"forex", "--bank", "999", "--account", "1", "--amount", "5"}), "forex needs one of buy|settle"},
        {with({"forex", "sell", "--bank", "999", "--account", "1", "--amount", "5"}), "not 'sell'"},
        {with({"commission", "deposit", "--bank", "005"}), "commission needs --amount"},
        {with({"market-funds", "--bank-password", "1"}), "bank password does not apply"},
        {with({"login", "--format", "xml"}), "--format must be table, tsv or json"},
        {with({"login", "--server", "localhost"}), "HOST:PORT"},
        {with({"login", "--server", "localhost:70000"}), "1 to 65535"},
        {with({"login", "--password-stdin"}), "not both"},
        {with({"login", "--trade", "2"}), "--trade is given twice"},
        {{"--trade", "1", "--password", "--verbose", "login"}, "--password needs a value"},
        {{"--password", "1", "login"}, "login needs --trade"},
        {{"--trade", "", "--password", "1", "login"}, "--trade is empty"},
        {with({"probe"}), "probe needs no login"},
        {{"probe", "--server", "127.0.0.1:1"}, "leave out --server"},
        {with({"login", "--app-path", "/nonexistent/vantrel"}), "is not a folder"},
        {with({"change-password", "--new", "a", "--new-password-stdin"}), "not both"},
        {with({"login", "--new-password-stdin"}), "does not apply to login"},
        {with({"login", "--tls-pin", "12:34"}), "--tls-pin: TlsPin \"12:34\" has 4 hex digits"},
        {with({"login", "--tls-ca", ""}), "--tls-ca is empty"},
    };
    for (const auto& [args, expected] : cases) {
        const auto outcome = Vantrel(args);
        std::string shown;
        for (const auto& arg : args) shown += arg + " ";
        EXPECT_EQ(outcome.status, 2) << shown;
        EXPECT_NE(outcome.err.find(expected), std::string::npos) << shown << "-> " << outcome.err;
        EXPECT_EQ(outcome.err.rfind("vantrel: ", 0), 0u) << outcome.err;
        EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << "one line: " << outcome.err;
        EXPECT_EQ(outcome.out, "") << shown;
    }
}

TEST(CliArguments, TlsOptionsSwitchTlsOnOverWhatBankIniSays) {
    const std::string pin(64, 'A');
    auto parsed = ParseArguments({"login", "--trade", "1", "--password", "2", "--tls-ca", "certs/ca.pem",
                                  "--tls-pin", pin});
    ASSERT_TRUE(parsed.ok()) << parsed.error();
    TlsSettings fromIni;
    fromIni.ServerName = "mw.example";
    const auto tls = WithCommandLineTls(fromIni, parsed.value());
    EXPECT_TRUE(tls.Enabled);
    EXPECT_TRUE(std::filesystem::path(tls.CaFile).is_absolute()) << tls.CaFile;
    EXPECT_EQ(std::filesystem::path(tls.CaFile).filename(), "ca.pem");
    EXPECT_EQ(tls.Pin, std::string(64, 'a'));
    EXPECT_EQ(tls.ServerName, "mw.example");

    auto without = ParseArguments({"login", "--trade", "1", "--password", "2"});
    ASSERT_TRUE(without.ok());
    EXPECT_EQ(WithCommandLineTls(fromIni, without.value()), fromIni);
}

TEST(CliArguments, PasswordsComeFromStandardInputOrItIsAUsageError) {
    test::TestFolder folder;
    test::ScopedAppPath appPath(folder);  // RunCli sets it from --app-path
    const std::vector<std::string> base = {"--app-path", folder.appPath(), "--trade", "8001234"};
    auto args = [&](std::vector<std::string> rest) {
        auto all = base;
        all.insert(all.end(), rest.begin(), rest.end());
        return all;
    };
    // Nothing to ask on: no terminal prompt in these runs.
    auto missing = Vantrel(args({"market-funds"}));
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("no fund password"), std::string::npos) << missing.err;

    auto ended = Vantrel(args({"market-funds", "--password-stdin"}), "");
    EXPECT_EQ(ended.status, 2);
    EXPECT_NE(ended.err.find("ended before the fund password"), std::string::npos) << ended.err;

    auto noBank = Vantrel(args({"card-balance", "--bank", "005", "--account", "1", "--password-stdin",
                            "--bank-password-stdin"}), "123456\n");
    EXPECT_EQ(noBank.status, 2);
    EXPECT_NE(noBank.err.find("bank password"), std::string::npos) << noBank.err;

    auto noNew = Vantrel(args({"change-password", "--password", "123456"}));
    EXPECT_EQ(noNew.status, 2);
    EXPECT_NE(noNew.err.find("--new-password-stdin"), std::string::npos) << noNew.err;
}

TEST(CliArguments, HelpAndVersionAnswerWithoutAnythingElse) {
    auto help = Vantrel({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    for (const char* word : {"usage: vantrel", "probe", "commission deposit|withdraw", "--password-stdin",
                             "Exit status"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    // --help wins over a broken rest of the line.
    EXPECT_EQ(Vantrel({"deposit", "--amount", "x", "-h"}).status, 0);

    auto version = Vantrel({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string(VersionText()) + "\n");
}

}  // namespace
}  // namespace vantrel::cli
