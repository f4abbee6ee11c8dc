#include "CliArguments.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "CliExport.h"
#include "CommandTable.h"
#include "common/AppPaths.h"
#include "common/Money.h"

namespace vantrel::cli {
namespace {

bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

bool ValidDate(const std::string& text) {
    if (text.size() != 8 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    const int year = std::stoi(text.substr(0, 4));
    const int month = std::stoi(text.substr(4, 2));
    const int day = std::stoi(text.substr(6, 2));
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1900 || month < 1 || month > 12 || day < 1) return false;
    const int last = kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
    return day <= last;
}

// Options with a value: the global ones, then those a command may take.
const std::vector<std::string> kGlobalValueOptions = {"app-path", "server", "format", "trade", "password",
                                                      "bank-password", "tls-ca", "tls-pin"};
const std::vector<std::string> kCommandValueOptions = {"bank", "account", "amount", "memo", "date", "new",
                                                       "prefix", "export"};
const std::vector<std::string> kFlags = {"help", "version", "verbose", "password-stdin", "bank-password-stdin",
                                         "new-password-stdin"};

Error Usage(const std::string& text) { return Error{text}; }

Status CheckCommand(CliArguments& parsed, const CommandSpec& command, const std::vector<std::string>& words) {
    const auto& name = command.name;
    if (command.words.empty()) {
        if (!words.empty()) return Usage("unexpected argument '" + words.front() + "' after " + name);
    } else {
        std::string choices;
        for (const auto& word : command.words) choices += (choices.empty() ? "" : "|") + word;
        if (words.empty()) return Usage(name + " needs one of " + choices);
        if (!Contains(command.words, words.front()))
            return Usage(name + " takes " + choices + ", not '" + words.front() + "'");
        if (words.size() > 1) return Usage("unexpected argument '" + words[1] + "' after " + name);
        parsed.word = words.front();
    }

    if (parsed.has("export")) {
        if (!FindExportTarget(name))
            return Usage("--export does not apply to " + name + ": no result grid shows its answer");
        if (auto path = CheckExportPath(parsed.option("export")); !path.ok()) return Usage(path.error());
    }
    for (const auto& [option, value] : parsed.options)
        if (option != "export" && !Contains(command.options, option))
            return Usage("--" + option + " does not apply to " + name);
    for (const auto& option : command.required)
        if (!parsed.has(option)) return Usage(name + " needs --" + option);
    if (command.bankWithAccount && parsed.has("bank") != parsed.has("account"))
        return Usage(name + ": give --bank and --account together, or neither");
    if ((parsed.bankPassword || parsed.bankPasswordStdin) && !command.takesBankPassword)
        return Usage("a bank password does not apply to " + name);
    if (parsed.newPasswordStdin && name != "change-password")
        return Usage("--new-password-stdin does not apply to " + name);
    if (name == "change-password") {
        if (parsed.has("new") && parsed.newPasswordStdin)
            return Usage("give the new password with --new or --new-password-stdin, not both");
        if (parsed.has("new")) parsed.newPassword = parsed.option("new");
    }
    for (const auto& option : {"bank", "account"})
        if (parsed.has(option) && parsed.option(option).empty()) return Usage(std::string("--") + option + " is empty");

    if (parsed.has("amount")) {
        auto cents = YuanToCents(parsed.option("amount"));
        if (!cents.ok()) return Usage("--amount: " + cents.error());
        parsed.amountCents = cents.value();
    }
    if (parsed.has("date") && !ValidDate(parsed.option("date")))
        return Usage("--date must be a date written yyyymmdd, not '" + parsed.option("date") + "'");

    if (command.needsLogin) {
        if (!parsed.trade) return Usage(name + " needs --trade");
        if (parsed.trade->empty()) return Usage("--trade is empty");
        if (parsed.password && parsed.passwordStdin)
            return Usage("give the fund password with --password or --password-stdin, not both");
    } else {
        if (parsed.trade || parsed.password || parsed.passwordStdin)
            return Usage(name + " needs no login: leave out --trade and the password");
        if (parsed.server) return Usage(name + " reads its servers from Bank.ini: leave out --server");
    }
    if (parsed.bankPassword && parsed.bankPasswordStdin)
        return Usage("give the bank password with --bank-password or --bank-password-stdin, not both");
    return Status::success();
}

}  // namespace

TlsSettings WithCommandLineTls(TlsSettings tls, const CliArguments& args) {
    if (args.tlsCaFile) {
        tls.Enabled = true;
        tls.CaFile = PathToUtf8(std::filesystem::absolute(PathFromUtf8(*args.tlsCaFile)));
    }
    if (args.tlsPin) {
        tls.Enabled = true;
        tls.Pin = *args.tlsPin;
    }
    return tls;
}

Result<ServerAddress> ParseServerAddress(const std::string& text) {
    const auto colon = text.rfind(':');
    if (colon == std::string::npos) return Usage("--server must be HOST:PORT, not '" + text + "'");
    std::string host = text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    const auto portText = text.substr(colon + 1);
    int port = 0;
    const auto [end, error] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (host.empty() || portText.empty() || error != std::errc() || end != portText.data() + portText.size() ||
        port < 1 || port > 65535)
        return Usage("--server must be HOST:PORT with a port from 1 to 65535, not '" + text + "'");
    return ServerAddress{host, port};
}

Result<CliArguments> ParseArguments(const std::vector<std::string>& args) {
    CliArguments parsed;
    std::vector<std::string> words;
    std::vector<std::string> seen;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const auto& arg = args[i];
        if (arg == "-h") {
            parsed.help = true;
            continue;
        }
        if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            if (!arg.empty() && arg[0] == '-' && arg != "-") return Usage("unknown option " + arg);
            if (parsed.command.empty())
                parsed.command = arg;
            else
                words.push_back(arg);
            continue;
        }
        std::string name = arg.substr(2);
        std::optional<std::string> value;
        if (const auto equals = name.find('='); equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        const bool takesValue = Contains(kGlobalValueOptions, name) || Contains(kCommandValueOptions, name);
        if (!takesValue && !Contains(kFlags, name)) return Usage("unknown option --" + name);
        if (Contains(seen, name)) return Usage("--" + name + " is given twice");
        seen.push_back(name);

        if (!takesValue) {
            if (value) return Usage("--" + name + " takes no value");
            if (name == "help") parsed.help = true;
            else if (name == "version") parsed.version = true;
            else if (name == "verbose") parsed.verbose = true;
            else if (name == "password-stdin") parsed.passwordStdin = true;
            else if (name == "bank-password-stdin") parsed.bankPasswordStdin = true;
            else if (name == "new-password-stdin") parsed.newPasswordStdin = true;
            continue;
        }
        if (!value) {
            // A following option is a forgotten value, never the value.
            if (i + 1 >= args.size() || args[i + 1].compare(0, 2, "--") == 0)
                return Usage("--" + name + " needs a value");
            value = args[++i];
        }
        if (name == "app-path") parsed.appPath = *value;
        else if (name == "server") {
            auto server = ParseServerAddress(*value);
            if (!server.ok()) return Error{server.error()};
            parsed.server = server.value();
        } else if (name == "format") {
            if (*value == "table") parsed.format = OutputFormat::Table;
            else if (*value == "tsv") parsed.format = OutputFormat::Tsv;
            else if (*value == "json") parsed.format = OutputFormat::Json;
            else return Usage("--format must be table, tsv or json, not '" + *value + "'");
        } else if (name == "tls-ca") {
            if (value->empty()) return Usage("--tls-ca is empty");
            parsed.tlsCaFile = *value;
        } else if (name == "tls-pin") {
            auto pin = NormalisePin(*value);
            if (!pin.ok()) return Usage("--tls-pin: " + pin.error());
            parsed.tlsPin = pin.value();
        } else if (name == "trade") parsed.trade = *value;
        else if (name == "password") parsed.password = *value;
        else if (name == "bank-password") parsed.bankPassword = *value;
        else parsed.options[name] = *value;
    }

    if (parsed.help || parsed.version) return parsed;
    if (parsed.appPath && parsed.appPath->empty()) return Usage("--app-path is empty");
    if (parsed.command.empty()) return Usage("no command given (try --help)");
    const auto* command = FindCommand(parsed.command);
    if (!command) return Usage("unknown command '" + parsed.command + "' (try --help)");
    if (auto checked = CheckCommand(parsed, *command, words); !checked.ok()) return Error{checked.error()};
    return parsed;
}

std::string HelpText() {
    std::string text =
        "usage: vantrel [--app-path DIR] [--server HOST:PORT] [--tls-ca FILE] [--tls-pin HEX]\n"
        "               [--format table|tsv|json] [--verbose]\n"
        "               --trade ID (--password PW | --password-stdin) COMMAND [OPTIONS]\n"
        "       vantrel [--app-path DIR] [--format table|tsv|json] probe [--prefix MoneyServer]\n"
        "       vantrel --help | --version\n"
        "\n"
        "Every command except probe logs in first and then runs one request at the fund\n"
        "middleware; the answer rows are printed in the chosen format (default table).\n"
        "\n"
        "Commands:\n";
    for (const auto& command : CommandTable()) {
        std::string line = "  " + command.name + (command.usage.empty() ? "" : " " + command.usage);
        text += line + "\n      " + command.summary + "\n";
    }
    text +=
        "\n"
        "Options:\n"
        "  --app-path DIR          folder of Bank.ini and logs/ (default: the program's folder)\n"
        "  --server HOST:PORT      log in to this server instead of Bank.ini [system] Host/Port\n"
        "  --tls-ca FILE           connect with TLS, trusting the certificates in FILE (PEM)\n"
        "  --tls-pin HEX           connect with TLS; the server's public key must have this\n"
        "                          SHA-256 fingerprint (hex, colons optional)\n"
        "  --format FORMAT         table (aligned), tsv or json\n"
        "  --verbose               print each logged step (connection, outcome) on standard error\n"
        "  --trade ID              the trade number\n"
        "  --password PW           the fund password (visible to other users: prefer --password-stdin)\n"
        "  --password-stdin        read the fund password from the first line of standard input\n"
        "  --bank-password PW      the bank password, where the bank asks for it\n"
        "  --bank-password-stdin   read the bank password from standard input (after the fund\n"
        "                          password's line when both are read)\n"
        "  --new-password-stdin    change-password: read the new password from standard input\n"
        "                          (after the other passwords' lines)\n"
        "  --export PATH           queries: also write the answer as its result grid exports it;\n"
        "                          PATH ends in .xls (worksheet), .xlsx (Excel 2007 workbook),\n"
        "                          .htm (page) or .txt (tab-separated)\n"
        "\n"
        "Amounts are yuan with at most two decimals (100, 100.5, 0.29), up to 999999999.99.\n"
        "On a terminal a missing fund password is asked for without echo.\n"
        "\n"
        "Exit status: 0 success, 1 the login or the request failed, 2 usage error.\n";
    return text;
}

}  // namespace vantrel::cli
