#pragma once
// The request each command sends, filled from the command line: every value
// the arguments give goes to the input field sent under its name, where the
// request has one.
#include <memory>
#include <string>

#include "protocol/TBankTransfer.h"

namespace vantrel {
class LogSink;
struct Session;
}  // namespace vantrel

namespace vantrel::cli {

struct CliArguments;

struct Secrets {
    std::string password, bankPassword, newPassword;
};

// None for a command without a request of its own (login, probe).
std::unique_ptr<TBankTransfer> CommandRequest(const CliArguments& args, const Secrets& secrets, Session& session,
                                              LogSink* sink);

}  // namespace vantrel::cli
