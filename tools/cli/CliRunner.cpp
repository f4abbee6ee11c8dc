#include "CliRunner.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <istream>
#include <memory>
#include <mutex>
#include <ostream>
#include <stdexcept>
#include <vector>

#include "CliArguments.h"
#include "CliExport.h"
#include "TextTable.h"
#include "common/AppPaths.h"
#include "common/Environment.h"
#include "common/ErrorLog.h"
#include "common/Money.h"
#include "common/Profile.h"
#include "common/TextUtil.h"
#include "common/Version.h"
#include "protocol/ProcessState.h"
#include "protocol/QueryRequests.h"
#include "protocol/TBankLogin.h"
#include "protocol/TBuyBalanceRate.h"
#include "protocol/TQueryIOCommValue.h"
#include "protocol/TQuerySysParam.h"
#include "protocol/TVantrel.h"
#include "servers/ServerList.h"
#include "servers/THostRespondCheck.h"

namespace vantrel::cli {
namespace {

constexpr int kSuccess = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

struct UsageError {
    std::string text;
};

// One line of standard input without its line end; none at the end of input.
std::optional<std::string> ReadLine(std::istream& in) {
    std::string line;
    if (!std::getline(in, line)) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

struct Secrets {
    std::string password, bankPassword, newPassword;
};

// Standard input carries, one per line and in this order, the fund password,
// the bank password and the new password, each only when asked for.
Secrets ReadSecrets(const CliArguments& args, std::istream& in, const PasswordPrompt& prompt) {
    Secrets secrets;
    auto fromStdin = [&](const char* what) {
        auto line = ReadLine(in);
        if (!line) throw UsageError{std::string("standard input ended before the ") + what};
        return *line;
    };
    if (args.passwordStdin) secrets.password = fromStdin("fund password");
    if (args.bankPasswordStdin) secrets.bankPassword = fromStdin("bank password");
    if (args.newPasswordStdin) secrets.newPassword = fromStdin("new password");
    if (args.password) secrets.password = *args.password;
    if (args.bankPassword) secrets.bankPassword = *args.bankPassword;
    if (args.newPassword) secrets.newPassword = *args.newPassword;

    if (!args.password && !args.passwordStdin) {
        auto asked = prompt ? prompt("Fund password: ") : std::nullopt;
        if (!asked) throw UsageError{"no fund password: give --password-stdin (or --password)"};
        secrets.password = *asked;
    }
    if (args.command == "change-password" && !args.newPassword && !args.newPasswordStdin) {
        auto first = prompt ? prompt("New fund password: ") : std::nullopt;
        if (!first) throw UsageError{"change-password needs --new or --new-password-stdin"};
        auto again = prompt("New fund password again: ");
        if (!again || *again != *first) throw UsageError{"the two new passwords differ"};
        secrets.newPassword = *first;
    }
    return secrets;
}

class CommandRun {
public:
    CommandRun(const CliArguments& args, Secrets secrets, std::ostream& out, std::ostream& err)
        : args_(args), secrets_(std::move(secrets)), out_(out), err_(err), sink_(err, args.verbose) {}

    int Run() {
        if (!Login()) return kFailed;
        const auto& name = args_.command;
        if (name == "login") return Finish(*login_, true);
        if (name == "deposit" || name == "withdraw") return Transfer(name == "deposit" ? 1 : 0);
        if (name == "transfers") return Transfers();
        if (name == "supervision") return Supervision();
        if (name == "card-balance") return CardBalance();
        if (name == "market-funds") return MarketFunds();
        if (name == "forex") return Forex(args_.word == "settle" ? 1 : 0);
        if (name == "forex-records") return ForexRecords();
        if (name == "order-id") return OrderId();
        if (name == "sys-params") return SysParams();
        if (name == "commission") return Commission(args_.word == "deposit" ? 1 : 0);
        if (name == "change-password") return ChangePassword();
        throw std::logic_error("command without a handler: " + name);
    }

private:
    // Every request carries the login's credentials.
    void Prepare(TBankTransfer& request) {
        request.Settings.CustTradeID = *args_.trade;
        request.Settings.CustMoneyPwd = secrets_.password;
    }

    bool Login() {
        login_ = std::make_unique<TBankLogin>(session_, &sink_);
        Prepare(*login_);
        if (args_.server) {
            login_->Settings.Host = args_.server->host;
            login_->Settings.Port = args_.server->port;
        }
        login_->Settings.Tls = WithCommandLineTls(login_->Settings.Tls, args_);
        if (!login_->Execute()) {
            Fail(*login_, "login");
            return false;
        }
        session_.SignedBankTable.copyFrom(login_->ResultTable);
        session_.CustomerSession.MoneyPwd = secrets_.password;
        return true;
    }

    void Fail(const TBankTransfer& request, const std::string& what) {
        // The logged form of the failure adds its cause ("connection
        // refused") to the text; without Bank.ini texts a failure may have
        // no words of its own.
        auto message = request.LastMessage;
        const auto& logged = sink_.LastText();
        if (!message.empty() && logged.size() > message.size() && logged.compare(0, message.size(), message) == 0)
            message = logged;
        message = Trim(message);
        err_ << "vantrel: " << (message.empty() ? what + " failed" : message) << '\n';
    }

    int Finish(TBankTransfer& request, bool ok) {
        if (!ok) {
            Fail(request, args_.command);
            return kFailed;
        }
        return Print(request);
    }

    int Print(TBankTransfer& request) {
        WriteTable(out_, FromMemoryTable(request.ResultTable), args_.format);
        return args_.has("export") ? Export(request) : kSuccess;
    }

    // The answer as the grid that shows it exports it. Parsing has checked
    // that the command has a grid and the path a known extension.
    int Export(const TBankTransfer& request) {
        const auto* target = FindExportTarget(args_.command);
        if (!target) throw std::logic_error("--export without a grid: " + args_.command);
        std::vector<std::string> warnings;
        const auto written = ExportQueryResult(*target, args_.option("export"), request.ResultTable, warnings);
        for (const auto& line : warnings) err_ << "vantrel: [" << target->section() << "] " << line << '\n';
        if (!written.ok()) {
            err_ << "vantrel: cannot export to " << args_.option("export") << ": " << written.error() << '\n';
            return kFailed;
        }
        return kSuccess;
    }

    // A line beside the rows: on standard output with the table, on standard
    // error with tsv and json so that their output stays machine-readable.
    void Note(const std::string& text) { (args_.format == OutputFormat::Table ? out_ : err_) << text << '\n'; }

    int Transfer(uint8_t direction) {
        TVantrel request(session_, &sink_);
        Prepare(request);
        request.BankCode = args_.option("bank");
        request.CustBankAcctNo = args_.option("account");
        request.CustTradeID = *args_.trade;
        request.CustBankPass = secrets_.bankPassword;
        request.CustMoneyPwd = secrets_.password;
        request.ChangeMoney = CentsText(args_.amountCents);
        request.Memo = args_.option("memo");
        request.Direction = direction;
        return Finish(request, request.Execute());
    }

    int Transfers() {
        TQueryTransferMore request(session_, &sink_);
        Prepare(request);
        request.BankCode = args_.option("bank");
        request.CustBankAcctNo = args_.option("account");
        request.CustTradeID = *args_.trade;
        request.CustMoneyPwd = secrets_.password;
        request.Memo = args_.option("memo");
        return Finish(request, request.Execute());
    }

    int Supervision() {
        TQueryBankMoney request(session_, &sink_);
        Prepare(request);
        request.BankCode = args_.option("bank");
        request.CustBankAcctNo = args_.option("account");
        request.CustTradeID = *args_.trade;
        request.CustBankPass = secrets_.bankPassword;
        request.QueryDate = args_.option("date");
        return Finish(request, request.Execute());
    }

    int CardBalance() {
        TQueryCardMoeny request(session_, &sink_);
        Prepare(request);
        request.BankCode = args_.option("bank");
        request.CustBankAcctNo = args_.option("account");
        request.CustTradeID = *args_.trade;
        request.CustBankPass = secrets_.bankPassword;
        request.CustMoneyPwd = secrets_.password;
        return Finish(request, request.Execute());
    }

    int MarketFunds() {
        TQueryMarketMoney request(session_, &sink_);
        Prepare(request);
        request.CustTradeID = *args_.trade;
        request.CustMoneyPwd = secrets_.password;
        return Finish(request, request.Execute());
    }

    int Forex(uint8_t direction) {
        TBuyBalanceRate request(session_, &sink_);
        Prepare(request);
        request.BankCode = args_.option("bank");
        request.CustBankAcctNo = args_.option("account");
        request.CustTradeID = *args_.trade;
        request.CustBankPass = secrets_.bankPassword;
        request.CustMoneyPwd = secrets_.password;
        request.ChangeMoney = CentsText(args_.amountCents);
        request.Memo = args_.option("memo");
        request.Direction = direction;
        return Finish(request, request.Execute());
    }

    int ForexRecords() {
        TQueryRateMore request(session_, &sink_);
        Prepare(request);
        request.BankCode = args_.option("bank");
        request.CustBankAcctNo = args_.option("account");
        request.CustTradeID = *args_.trade;
        request.CustMoneyPwd = secrets_.password;
        return Finish(request, request.Execute());
    }

    int OrderId() {
        TQueryOrderID request(session_, &sink_);
        Prepare(request);
        request.BankCode = args_.option("bank");
        request.CustTradeID = *args_.trade;
        return Finish(request, request.Execute());
    }

    int SysParams() {
        TQuerySysParam request(session_, &sink_);
        Prepare(request);
        request.SubCode = "0";
        request.CustTradeID = *args_.trade;
        request.CustMoneyPwd = secrets_.password;
        return Finish(request, request.Execute());
    }

    int Commission(uint8_t direction) {
        TQueryIOCommValue request(session_, &sink_);
        Prepare(request);
        request.BankCode = args_.option("bank");
        request.CustTradeID = *args_.trade;
        request.CustMoneyPwd = secrets_.password;
        request.Memo = CentsText(args_.amountCents);
        request.Direction = direction;
        const int status = Finish(request, request.Execute());
        if (status == kSuccess) {
            const auto name = request.OperationName.empty() ? std::string("手续费") : request.OperationName;
            Note(name + "：" + request.CommissionText());
        }
        return status;
    }

    int ChangePassword() {
        TModifyMoneyPassWord request(session_, &sink_);
        Prepare(request);
        request.CustTradeID = *args_.trade;
        request.CustMoneyPwd = secrets_.password;
        request.NCustMoneyPwd = secrets_.newPassword;
        return Finish(request, request.Execute());
    }

    const CliArguments& args_;
    Secrets secrets_;
    std::ostream& out_;
    std::ostream& err_;
    CliLogSink sink_;
    // The login of this run.
    Session session_;
    std::unique_ptr<TBankLogin> login_;
};

// Waits for the checker's end notice; with verbose, shows each step.
class ProbeListener : public HostCheckListener {
public:
    ProbeListener(std::ostream& err, bool verbose) : err_(err), verbose_(verbose) {}

    void checkStatus(int32_t hostId, int, const std::string& text) override {
        if (!verbose_ || hostId == 0) return;
        std::lock_guard lock(mutex_);
        err_ << "server " << hostId << ": " << text << '\n';
    }
    void checkFirst() override {}
    void checkEnd(const std::string&) override {
        std::lock_guard lock(mutex_);
        ended_ = true;
        changed_.notify_all();
    }
    bool WaitForEnd(std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [this] { return ended_; });
    }

private:
    std::ostream& err_;
    bool verbose_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool ended_ = false;
};

struct ServerRow {
    int number = 0;
    std::string name, ip, portText;
    std::string refusal;  // why it was not probed; empty when it was
};

std::optional<int32_t> ParsePort(const std::string& text) {
    // An empty port is port 0, as the speed-test window reads it.
    if (text.empty()) return 0;
    const auto value = ParseProfileInteger(text);
    if (!value || *value < 0 || *value > 65535) return std::nullopt;
    return *value;
}

int RunProbe(const CliArguments& args, std::ostream& out, std::ostream& err) {
    const std::string prefix = args.has("prefix") ? args.option("prefix") : "MoneyServer";
    const auto iniFile = BankIniPath();
    const auto ini = Profile::Load(PathFromUtf8(iniFile));
    if (!ini.hasSection(prefix) || StoredServerCount(ini, prefix) <= 0)
        throw UsageError{"no server list: [" + prefix + "] Count is missing or 0 in " + iniFile};
    const auto sections = ReadServerSections(ini, prefix);
    if (!sections) throw UsageError{sections.error()};

    ProbeListener listener(err, args.verbose);
    THostRespondCheck checker;  // destroyed before the listener
    checker.SetListener(&listener);

    std::vector<ServerRow> rows;
    for (const auto& server : *sections) {
        const int n = server.Number;
        ServerRow row{n, server.ServerName, Trim(server.ServerIP), Trim(server.Port), {}};
        const auto port = ParsePort(row.portText);
        if (row.ip.empty())
            row.refusal = THostRespondCheck::StatusText(hsUntested);
        else if (!port)
            row.refusal = "无效的端口";
        else if (!checker.AddHost(n, row.ip, *port,
                                  WithCommandLineTls(ReadServerTls(ini, ServerSection(prefix, n), AppPath()), args)))
            row.refusal = checker.LastError();
        rows.push_back(std::move(row));
    }

    if (checker.HostCount() > 0) {
        checker.StartCheck(static_cast<uint16_t>(checker.HostCount()));
        // Every host gives up after its tries; the margin covers slow threads.
        const auto limit = checker.ConnectTimeout() * (checker.MaxTries() + 1) + std::chrono::seconds(5);
        if (!listener.WaitForEnd(limit)) checker.StopCheck();
    }

    TextTable table;
    table.columns = {"序号", "交易服名称", "交易服IP", "端口", "尝试次数", "响应时间", "状态"};
    for (const auto& row : rows) {
        std::vector<std::string> cells = {std::to_string(row.number), row.name, row.ip, row.portText, "", "", row.refusal};
        if (const auto host = checker.FindHost(row.number); host && row.refusal.empty()) {
            cells[4] = std::to_string(host->Tries);
            cells[5] = host->RespondTime > 0 ? std::to_string(host->RespondTime) + " ms" : "<1 ms";
            cells[6] = THostRespondCheck::StatusText(host->State);
        }
        table.rows.push_back(std::move(cells));
    }
    WriteTable(out, table, args.format);

    auto& notes = args.format == OutputFormat::Table ? out : err;
    const auto best = checker.ChooseBestHost();
    if (!best) {
        notes << "没有可连接的服务器\n";
        return kFailed;
    }
    const auto& row = rows[static_cast<std::size_t>(best->HostID - 1)];
    notes << "选用服务器：" << row.number << " " << row.name << " " << best->IP << ":" << best->Port << '\n';
    return kSuccess;
}

int Execute(const CliArguments& args, std::ostream& out, std::ostream& err, std::istream& in,
            const PasswordPrompt& prompt) {
    if (args.command == "probe") return RunProbe(args, out, err);
    CommandRun run(args, ReadSecrets(args, in, prompt), out, err);
    return run.Run();
}

}  // namespace

void CliLogSink::LogText(const std::string& message, int) {
    lastText_ = message;
    if (verbose_) err_ << message << '\n';
}

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err, std::istream& in,
           const PasswordPrompt& prompt) {
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) words.emplace_back(argv[i]);
    auto parsed = ParseArguments(words);
    if (!parsed.ok()) {
        err << "vantrel: " << parsed.error() << '\n';
        return kUsage;
    }
    const auto& args = parsed.value();
    if (args.help) {
        out << HelpText();
        return kSuccess;
    }
    if (args.version) {
        out << VersionText() << '\n';
        return kSuccess;
    }
    if (args.appPath) {
        std::error_code ec;
        const auto folder = std::filesystem::absolute(PathFromUtf8(*args.appPath), ec);
        if (ec || !std::filesystem::is_directory(folder, ec)) {
            err << "vantrel: --app-path " << *args.appPath << " is not a folder\n";
            return kUsage;
        }
        // Before anything reads the application folder.
        SetEnvironmentUtf8("VANTREL_APP_PATH", PathToUtf8(folder));
    }

    int status = kFailed;
    try {
        StartLibrary();
        status = Execute(args, out, err, in, prompt);
    } catch (const UsageError& usage) {
        err << "vantrel: " << usage.text << '\n';
        status = kUsage;
    } catch (const std::exception& error) {
        try {
            WriteErrorLog(std::string("vantrel: ") + error.what());
        } catch (const std::exception& logFailure) {
            err << "vantrel: cannot write the error log: " << logFailure.what() << '\n';
        }
        err << "vantrel: unexpected error: " << error.what() << '\n';
        status = kFailed;
    }
    StopLibrary();
    out.flush();
    return status;
}

}  // namespace vantrel::cli
