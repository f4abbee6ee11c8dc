#include "MiddlewareOptions.h"

#include <asio/ip/address.hpp>

namespace vantrel::middleware {

const char* const kMiddlewareUsage =
    "usage: vantrel-middleware --listen HOST:PORT --db FILE [--reset] [--scramble 0|1|2|3]\n"
    "                          [--rows-per-frame N] [--fault NAME[@CODE]] [--allow-remote]\n"
    "                          [--tls-cert FILE --tls-key FILE]\n"
    "faults: delay:MS, close-before-answer, close-mid-frame, bad-length, bad-flag, never-answer";

namespace {

Result<unsigned long> Number(const std::string& text, unsigned long max, const std::string& what) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return Error{what + " must be a whole number, not \"" + text + "\""};
    const auto value = std::stoul(text);
    if (value > max) return Error{what + " must be at most " + std::to_string(max)};
    return value;
}

Status ParseListen(const std::string& text, bool allowRemote, MiddlewareOptions& options) {
    const auto colon = text.rfind(':');
    if (colon == std::string::npos) return Error{"--listen needs HOST:PORT, not \"" + text + "\""};
    std::string host = text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    asio::error_code error;
    const auto address = asio::ip::make_address(host, error);
    if (error) return Error{"--listen: \"" + host + "\" is not an IP address"};
    if (!allowRemote && !address.is_loopback())
        return Error{"--listen: " + host + " is not a loopback address; add --allow-remote to listen on it"};
    auto port = Number(text.substr(colon + 1), 65535, "the port");
    if (!port) return Error{port.error()};
    options.host = host;
    options.port = static_cast<std::uint16_t>(port.value());
    return {};
}

Status ParseFault(const std::string& text, MiddlewareOptions& options) {
    std::string name = text;
    if (const auto at = name.find('@'); at != std::string::npos) {
        options.faultFunction = name.substr(at + 1);
        name.resize(at);
        if (options.faultFunction.size() != 5 ||
            options.faultFunction.find_first_not_of("0123456789") != std::string::npos)
            return Error{"--fault: \"" + options.faultFunction + "\" is not a five-digit function code"};
    }
    if (name.rfind("delay:", 0) == 0) {
        auto ms = Number(name.substr(6), 3600000, "the delay");
        if (!ms) return Error{ms.error()};
        options.fault = Fault::Delay;
        options.delay = std::chrono::milliseconds(ms.value());
    } else if (name == "close-before-answer") {
        options.fault = Fault::CloseBeforeAnswer;
    } else if (name == "close-mid-frame") {
        options.fault = Fault::CloseMidFrame;
    } else if (name == "bad-length") {
        options.fault = Fault::BadLength;
    } else if (name == "bad-flag") {
        options.fault = Fault::BadFlag;
    } else if (name == "never-answer") {
        options.fault = Fault::NeverAnswer;
    } else {
        return Error{"--fault: unknown fault \"" + name + "\""};
    }
    return {};
}

}  // namespace

Result<MiddlewareOptions> ParseMiddlewareOptions(const std::vector<std::string>& args) {
    MiddlewareOptions options;
    std::string listen;
    bool haveFault = false;
    std::string fault;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const auto& arg = args[i];
        auto value = [&]() -> Result<std::string> {
            if (i + 1 >= args.size()) return Error{arg + " needs a value"};
            return args[++i];
        };
        if (arg == "--reset") { options.reset = true; continue; }
        if (arg == "--allow-remote") { options.allowRemote = true; continue; }
        auto v = value();
        if (!v) return Error{v.error()};
        if (arg == "--listen") {
            listen = v.value();
        } else if (arg == "--db") {
            options.db = v.value();
        } else if (arg == "--scramble") {
            auto mode = Number(v.value(), 3, "--scramble");
            if (!mode) return Error{mode.error()};
            options.scramble = static_cast<int>(mode.value());
        } else if (arg == "--rows-per-frame") {
            auto rows = Number(v.value(), 100000, "--rows-per-frame");
            if (!rows || rows.value() == 0) return Error{"--rows-per-frame must be a whole number from 1"};
            options.rowsPerFrame = rows.value();
        } else if (arg == "--tls-cert") {
            options.tlsCert = v.value();
        } else if (arg == "--tls-key") {
            options.tlsKey = v.value();
        } else if (arg == "--fault") {
            haveFault = true;
            fault = v.value();
        } else {
            return Error{"unknown option " + arg};
        }
    }
    if (listen.empty()) return Error{"--listen HOST:PORT is required"};
    if (options.db.empty()) return Error{"--db FILE is required"};
    if (options.tlsCert.empty() != options.tlsKey.empty())
        return Error{"--tls-cert and --tls-key go together"};
    if (auto s = ParseListen(listen, options.allowRemote, options); !s) return Error{s.error()};
    if (haveFault)
        if (auto s = ParseFault(fault, options); !s) return Error{s.error()};
    return options;
}

}  // namespace vantrel::middleware
