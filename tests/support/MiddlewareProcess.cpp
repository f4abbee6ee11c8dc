#include "MiddlewareProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace vantrel::test {
namespace {

constexpr auto kStartTimeout = std::chrono::seconds(10);

struct Pipe {
    int read = -1, write = -1;
    Pipe() {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
        read = fds[0];
        write = fds[1];
    }
    ~Pipe() {
        if (read >= 0) close(read);
        if (write >= 0) close(write);
    }
};

pid_t Spawn(const std::vector<std::string>& args, int stdoutFd, int stderrFd) {
    std::vector<char*> argv;
    const std::string binary = MiddlewareProcess::Binary();
    argv.push_back(const_cast<char*>(binary.c_str()));
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
    if (stderrFd >= 0) posix_spawn_file_actions_adddup2(&actions, stderrFd, STDERR_FILENO);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + binary);
    return pid;
}

// Reads until the pipe closes or the deadline passes.
std::string ReadAll(int fd, std::chrono::steady_clock::time_point deadline, bool stopAtNewline) {
    std::string text;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (poll(&p, 1, static_cast<int>(std::max<long long>(left.count(), 1))) <= 0) continue;
        char buffer[512];
        const auto n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
        if (stopAtNewline && text.find('\n') != std::string::npos) break;
    }
    return text;
}

int WaitExit(pid_t pid, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (done < 0 || std::chrono::steady_clock::now() > deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace

std::string MiddlewareProcess::Binary() {
#ifdef VANTREL_BIN_DIR
    return std::string(VANTREL_BIN_DIR) + "/vantrel-middleware";
#else
    const char* dir = std::getenv("VANTREL_BIN_DIR");
    return std::string(dir ? dir : ".") + "/vantrel-middleware";
#endif
}

MiddlewareProcess::MiddlewareProcess(std::vector<std::string> args, std::string db) : args_(std::move(args)) {
    if (db.empty()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-mw-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
        folder_ = pattern;
        db = folder_ + "/ledger.db";
    }
    db_ = std::move(db);
    start(args_);
}

MiddlewareProcess::~MiddlewareProcess() {
    if (pid_ > 0 && stop() < 0) kill();
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

void MiddlewareProcess::start(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--listen", "127.0.0.1:0", "--db", db_};
    all.insert(all.end(), args.begin(), args.end());
    Pipe out;
    pid_ = Spawn(all, out.write, -1);
    close(out.write);
    out.write = -1;
    const auto line = ReadAll(out.read, std::chrono::steady_clock::now() + kStartTimeout, true);
    const std::string marker = "listening on ";
    const auto at = line.find(marker);
    const auto colon = line.rfind(':');
    if (at == std::string::npos || colon == std::string::npos || colon < at) {
        kill();
        throw std::runtime_error("the simulator did not start: \"" + line + "\"");
    }
    port_ = std::stoi(line.substr(colon + 1));
}

void MiddlewareProcess::kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    WaitExit(pid_, std::chrono::seconds(10));
    pid_ = -1;
}

int MiddlewareProcess::stop() {
    if (pid_ <= 0) return -1;
    ::kill(pid_, SIGTERM);
    const int status = WaitExit(pid_, std::chrono::seconds(5));
    if (status >= 0) pid_ = -1;
    return status;
}

void MiddlewareProcess::restart() {
    if (pid_ > 0) kill();
    args_.erase(std::remove(args_.begin(), args_.end(), "--reset"), args_.end());
    start(args_);
}

int MiddlewareProcess::RunToExit(const std::vector<std::string>& args, std::string* errors) {
    Pipe err;
    const pid_t pid = Spawn(args, -1, err.write);
    close(err.write);
    err.write = -1;
    const auto text = ReadAll(err.read, std::chrono::steady_clock::now() + kStartTimeout, false);
    if (errors) *errors = text;
    const int status = WaitExit(pid, std::chrono::seconds(5));
    if (status < 0) {
        ::kill(pid, SIGKILL);
        WaitExit(pid, std::chrono::seconds(5));
    }
    return status;
}

}  // namespace vantrel::test
