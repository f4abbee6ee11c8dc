#pragma once
// Command line of vantrel-middleware.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "common/Result.h"

namespace vantrel::middleware {

enum class Fault { None, Delay, CloseBeforeAnswer, CloseMidFrame, BadLength, BadFlag, NeverAnswer };

struct MiddlewareOptions {
    std::string host;
    std::uint16_t port = 0;
    std::string db;
    bool reset = false;
    int scramble = 0;
    std::size_t rowsPerFrame = 0;
    Fault fault = Fault::None;
    std::chrono::milliseconds delay{0};
    std::string faultFunction;  // empty: every request
    bool allowRemote = false;
    // Both set: serve TLS with this certificate chain and key (PEM).
    std::string tlsCert;
    std::string tlsKey;
};

// Parses argv[1..]; the error is one line for the usage message.
Result<MiddlewareOptions> ParseMiddlewareOptions(const std::vector<std::string>& args);

extern const char* const kMiddlewareUsage;

}  // namespace vantrel::middleware
