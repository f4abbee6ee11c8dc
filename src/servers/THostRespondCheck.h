#pragma once
// Parallel TCP responsiveness probe of a list of servers: one worker thread per
// host, a bare connect (with its TLS handshake where the server takes TLS),
// three tries each. Used by the login dialog to pick a
// fast server and by the speed-test window to show progress.
#include "servers/THostInfo.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace vantrel {

class TScanThread;

// Receives the checker's notices. Called from worker threads (and from the
// thread calling StartCheck/StopCheck), never while the checker's lock is held,
// so an implementation may call FindHost/HostAt/ChooseBestHost/IsChecking. It
// must not call StartCheck, StopCheck, ClearHosts or destroy the checker; a GUI
// adapter forwards each call to its own thread with a queued invocation.
class HostCheckListener {
public:
    virtual ~HostCheckListener() = default;
    // A run started (hostId 0, code hsStart) or a worker stepped on a host:
    // taken (hsChecking), failed attempt or given up (hsTimeout), connected.
    virtual void checkStatus(int32_t hostId, int code, const std::string& text) = 0;
    // The first host of the run connected; once per run.
    virtual void checkFirst() = 0;
    // The run ended, by StopCheck or because the work ran out; once per run.
    virtual void checkEnd(const std::string& text) = 0;
};

class THostRespondCheck {
public:
    static constexpr int64_t DefaultTolerance = 50;
    static constexpr std::chrono::milliseconds DefaultConnectTimeout{2000};
    static constexpr uint16_t DefaultMaxTries = 3;

    // Replacements for the clock and the TCP connect, so tests can dictate
    // response times. Unset members keep the real behaviour.
    struct ProbeHooks {
        std::function<int64_t()> tick;  // monotonic milliseconds
        std::function<bool(const THostInfo& host, std::chrono::milliseconds timeout)> connect;
    };

    THostRespondCheck();
    ~THostRespondCheck();
    THostRespondCheck(const THostRespondCheck&) = delete;
    THostRespondCheck& operator=(const THostRespondCheck&) = delete;

    // The receiver of notices (the speed-test window, the login dialog). It must
    // outlive the checker or be reset to nullptr before it goes away.
    void SetListener(HostCheckListener* listener) { listener_.store(listener); }
    HostCheckListener* Listener() const { return listener_.load(); }

    // Owner-thread operations.
    bool AddHost(int32_t hostId, const std::string& ip, int32_t port, const TlsSettings& tls = {});
    void ClearHosts();  // ends a running run first
    bool StartCheck(uint16_t workerCount);
    void StopCheck();

    // Safe from any thread, including listener callbacks. Records are copies.
    std::string LastError() const;
    int HostCount() const;
    int IndexOfHost(int32_t hostId) const;
    std::optional<THostInfo> HostAt(int index) const;
    std::optional<THostInfo> FindHost(int32_t hostId) const;
    bool IsChecking() const;
    std::optional<THostInfo> ChooseBestHost();

    static std::string StatusText(int code);

    // Settings; take effect at the next StartCheck (tries and tolerance at once).
    void SetConnectTimeout(std::chrono::milliseconds timeout) { connectTimeout_ = timeout; }
    std::chrono::milliseconds ConnectTimeout() const { return connectTimeout_; }
    void SetMaxTries(uint16_t tries);
    uint16_t MaxTries() const;
    void SetTolerance(int64_t ms);
    int64_t Tolerance() const;
    void SetProbeHooks(ProbeHooks hooks) { hooks_ = std::move(hooks); }

private:
    friend class TScanThread;

    struct Notice {
        enum Kind { Status, First, End } kind;
        int code = 0;
        int32_t hostId = 0;
    };
    struct Assignment {
        size_t index = 0;
        THostInfo host;
    };

    // Worker side, each taking the lock briefly and notifying after releasing it.
    std::optional<Assignment> TakeHost(const TScanThread& worker, int64_t reference);
    void ReportAttempt(const TScanThread& worker, const Assignment& job, bool connected,
                       bool aborted, int64_t elapsed);
    void WorkerDone(const TScanThread& worker);

    void Notify(const std::vector<Notice>& notices);
    void JoinWorkers(bool terminate);

    std::atomic<HostCheckListener*> listener_{nullptr};
    std::chrono::milliseconds connectTimeout_{DefaultConnectTimeout};
    ProbeHooks hooks_;

    mutable std::mutex mutex_;  // guards everything below except workers_
    std::string lastError_;
    std::vector<THostInfo> hosts_;
    int scanCursor_ = -1;
    int firstConnected_ = -1;
    int64_t tolerance_ = DefaultTolerance;
    uint16_t maxTries_ = DefaultMaxTries;
    bool stopping_ = false;
    bool running_ = false;    // from StartCheck until the run's end notice is decided
    int activeWorkers_ = 0;   // workers of the current run not yet done
    uint64_t generation_ = 0; // results of other runs are dropped
    std::mt19937 random_;

    // Touched only by the owner thread; finished workers wait here to be joined.
    std::vector<std::unique_ptr<TScanThread>> workers_;
};

}  // namespace vantrel
