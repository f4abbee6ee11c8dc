#pragma once
// Runs vantrel-middleware as a child process on a free loopback port, for
// integration tests and benchmarks. The ledger lives in a private temporary
// folder unless a file is given; the process is stopped in the destructor.
#include <sys/types.h>

#include <string>
#include <vector>

namespace vantrel::test {

class MiddlewareProcess {
public:
    // Starts `--listen 127.0.0.1:0 --db <ledger> <args...>` and waits for its
    // "listening on" line. Throws std::runtime_error when it does not start.
    explicit MiddlewareProcess(std::vector<std::string> args = {}, std::string db = {});
    ~MiddlewareProcess();
    MiddlewareProcess(const MiddlewareProcess&) = delete;
    MiddlewareProcess& operator=(const MiddlewareProcess&) = delete;

    int port() const { return port_; }
    const std::string& db() const { return db_; }
    bool running() const { return pid_ > 0; }

    // SIGKILL, as a crash: nothing is flushed or closed by the process.
    void kill();
    // SIGTERM and wait; returns the exit status (-1 when it did not exit).
    int stop();
    // Starts again on the same ledger with the same arguments (minus
    // --reset); the port is a new one.
    void restart();

    // The simulator binary: VANTREL_BIN_DIR at build time, or the
    // environment variable of that name.
    static std::string Binary();

    // Runs the binary with `args` to completion; returns its exit status and
    // its stderr in `errors`. For usage checks.
    static int RunToExit(const std::vector<std::string>& args, std::string* errors = nullptr);

private:
    void start(const std::vector<std::string>& args);

    std::vector<std::string> args_;
    std::string folder_;  // owned temporary folder, removed at the end
    std::string db_;
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace vantrel::test
