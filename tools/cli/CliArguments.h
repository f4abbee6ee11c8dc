#pragma once
// The command line of vantrel, parsed and checked. Everything that can be
// checked without the network or standard input is checked here, so that a
// mistake costs no login.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/Result.h"
#include "protocol/TlsSettings.h"
#include "TextTable.h"

namespace vantrel::cli {

struct ServerAddress {
    std::string host;
    int32_t port = 0;
};

struct CliArguments {
    bool help = false;
    bool version = false;
    bool verbose = false;
    std::optional<std::string> appPath;
    std::optional<ServerAddress> server;
    // --tls-ca FILE and --tls-pin HEX (normalised); either asks for TLS
    // over what Bank.ini says.
    std::optional<std::string> tlsCaFile;
    std::optional<std::string> tlsPin;
    OutputFormat format = OutputFormat::Table;

    std::string command;
    std::string word;  // buy|settle, deposit|withdraw

    std::optional<std::string> trade;
    std::optional<std::string> password;
    std::optional<std::string> bankPassword;
    std::optional<std::string> newPassword;
    bool passwordStdin = false;
    bool bankPasswordStdin = false;
    bool newPasswordStdin = false;

    // Command options by name without "--" (bank, account, amount, memo,
    // date, prefix), as given.
    std::map<std::string, std::string> options;
    int64_t amountCents = 0;  // --amount, checked

    std::string option(const std::string& name) const {
        const auto found = options.find(name);
        return found == options.end() ? std::string() : found->second;
    }
    bool has(const std::string& name) const { return options.count(name) != 0; }
};

// Options may come before or after the command, as "--name value" or
// "--name=value". The error is one line for standard error.
Result<CliArguments> ParseArguments(const std::vector<std::string>& args);

// Bank.ini's TLS settings with the command line's over them.
TlsSettings WithCommandLineTls(TlsSettings tls, const CliArguments& args);

// "HOST:PORT" or "[v6-address]:PORT", port 1..65535.
Result<ServerAddress> ParseServerAddress(const std::string& text);

// The --help text.
std::string HelpText();

}  // namespace vantrel::cli
