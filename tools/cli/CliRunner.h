#pragma once
// The whole program behind a function, so that tests run it in-process.
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

#include "protocol/LogSink.h"

namespace vantrel::cli {

// Asks the user for a secret without echo; none when nothing can be asked.
using PasswordPrompt = std::function<std::optional<std::string>(const std::string& prompt)>;

// Exit status: 0 success, 1 the login, the request or the probe failed (or
// an unexpected error, written to the error log), 2 a usage error. Without
// a prompt a missing password is a usage error.
int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err, std::istream& in,
           const PasswordPrompt& prompt = {});

// The requests' owner window: silent, or with verbose each logged message
// on `err`. Never given a password: requests do not log them.
class CliLogSink : public LogSink {
public:
    CliLogSink(std::ostream& err, bool verbose) : err_(err), verbose_(verbose) {}
    void LogBlock(const std::string&, int) override {}
    void LogText(const std::string& message, int level) override;
    // The last message logged: a failure's log entry may carry its cause
    // (the transport's error) behind the LastMessage text.
    const std::string& LastText() const { return lastText_; }

private:
    std::ostream& err_;
    bool verbose_;
    std::string lastText_;
};

}  // namespace vantrel::cli
