// Host response check over 64 loopback hosts, one worker per host, default
// settings (three tries, 2 s connect time-out). Each iteration is timed from
// StartCheck to the end notice and compared with the run's bound, three connect
// time-outs, read from the same checker. Threads are counted twice: the worker
// threads seen in notices, and the process's thread count sampled from
// /proc/self/status while the run lasts.
#include "servers/THostRespondCheck.h"
#include "support/LoopbackPorts.h"

#include <asio.hpp>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kHosts = 64;

int ProcessThreads() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Threads:", 0) == 0) return std::stoi(line.substr(8));
    return -1;
}

// Polls the process's thread count until stopped and keeps the highest value.
class ThreadSampler {
public:
    ThreadSampler() : thread_([this] { Loop(); }) {
        // The sampler's own thread is part of the baseline.
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return started_; });
        baseline_ = ProcessThreads();
    }
    ~ThreadSampler() {
        stop_ = true;
        thread_.join();
    }
    int Baseline() const { return baseline_; }
    void Reset() { peak_ = 0; }
    int Peak() const { return peak_.load(); }

private:
    void Loop() {
        {
            std::lock_guard lock(mutex_);
            started_ = true;
        }
        ready_.notify_one();
        while (!stop_) {
            const int now = ProcessThreads();
            int seen = peak_.load();
            while (now > seen && !peak_.compare_exchange_weak(seen, now)) {
            }
            std::this_thread::sleep_for(100us);
        }
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    bool started_ = false;
    int baseline_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> peak_{0};
    std::thread thread_;
};

// Records what the run did: which threads sent notices, how many connects were
// in flight at once, when the end notice came.
class RunWatch : public vantrel::HostCheckListener {
public:
    void checkStatus(int32_t hostId, int code, const std::string&) override {
        std::lock_guard lock(mutex_);
        if (hostId != 0) workers_.insert(std::this_thread::get_id());
        if (code == vantrel::hsChecking) {
            inFlight_.insert(hostId);
            peakInFlight_ = std::max(peakInFlight_, inFlight_.size());
        } else {
            // A give-up notice names a host with no attempt running; erase is a no-op then.
            inFlight_.erase(hostId);
        }
    }
    void checkFirst() override {}
    void checkEnd(const std::string&) override {
        std::lock_guard lock(mutex_);
        endedAt_ = Clock::now();
        ended_ = true;
        changed_.notify_all();
    }

    // False when no end notice came within the limit.
    bool WaitEnd(Clock::duration limit) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [this] { return ended_; });
    }
    Clock::time_point EndedAt() const { return Locked([this] { return endedAt_; }); }
    size_t WorkersSeen() const { return Locked([this] { return workers_.size(); }); }
    size_t PeakInFlight() const { return Locked([this] { return peakInFlight_; }); }

private:
    template <class Read>
    auto Locked(Read read) const -> decltype(read()) {
        std::lock_guard lock(mutex_);
        return read();
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool ended_ = false;
    Clock::time_point endedAt_;
    std::set<std::thread::id> workers_;
    std::set<int32_t> inFlight_;
    size_t peakInFlight_ = 0;
};

enum class Unreachable { Refused, Stalled };

// Baseline for the fast case: the connects a run makes (one per open host,
// three per refused one), one after another on this thread with no checker.
// Returns seconds, or a negative value when the outcome is not the expected one.
double SequentialConnects(const std::vector<uint16_t>& open, const std::vector<uint16_t>& refused) {
    asio::io_context io;
    auto attempt = [&io](uint16_t port) {
        asio::ip::tcp::socket socket(io);
        asio::error_code ec;
        socket.connect({asio::ip::address_v4::loopback(), port}, ec);
        return !ec;
    };
    bool expected = true;
    const auto started = Clock::now();
    for (const uint16_t port : open) expected &= attempt(port);
    for (const uint16_t port : refused)
        for (int i = 0; i < vantrel::THostRespondCheck::DefaultMaxTries; ++i) expected &= !attempt(port);
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    return expected ? seconds : -1;
}

void BM_HostCheck(benchmark::State& state, Unreachable unreachable) {
    ThreadSampler sampler;
    double ratioSum = 0, worstRatio = 0, usedSum = 0, peakSum = 0, inFlightSum = 0;
    double sequentialSum = 0, checkSum = 0, startSum = 0;
    int peakMax = 0;
    double boundSeconds = 0;

    for (auto _ : state) {
        vantrel::test::LoopbackPorts net;
        vantrel::THostRespondCheck check;
        RunWatch watch;
        check.SetListener(&watch);
        std::vector<uint16_t> open, unreachablePorts;
        for (int32_t id = 1; id <= kHosts; ++id) {
            const bool reachable = id % 2 == 1;  // interleaved, so scans meet both kinds
            const uint16_t port = reachable ? net.Open()
                                  : unreachable == Unreachable::Refused ? net.Refused()
                                                                        : net.Stalled();
            (reachable ? open : unreachablePorts).push_back(port);
            check.AddHost(id, "127.0.0.1", port);
        }
        if (unreachable == Unreachable::Refused) {
            const double sequential = SequentialConnects(open, unreachablePorts);
            if (sequential < 0) {
                state.SkipWithError("plain connects did not find exactly the listening half");
                break;
            }
            sequentialSum += sequential;
        }
        const auto bound = check.MaxTries() * check.ConnectTimeout();
        boundSeconds = std::chrono::duration<double>(bound).count();

        sampler.Reset();
        const auto started = Clock::now();
        check.StartCheck(static_cast<uint16_t>(check.HostCount()));
        startSum += std::chrono::duration<double>(Clock::now() - started).count();
        if (!watch.WaitEnd(bound * 3)) {
            state.SkipWithError("no end notice within three times the bound");
            break;
        }
        const double seconds = std::chrono::duration<double>(watch.EndedAt() - started).count();
        state.SetIterationTime(seconds);
        const int peakThreads = sampler.Peak() - sampler.Baseline();
        check.StopCheck();  // joins the finished workers; outside the timed span

        int connected = 0, timedOut = 0;
        for (int32_t id = 1; id <= kHosts; ++id) {
            const auto host = check.FindHost(id);
            connected += host->State == vantrel::hsConnected;
            timedOut += host->State == vantrel::hsTimeout;
        }
        if (connected != kHosts / 2 || timedOut != kHosts / 2) {
            state.SkipWithError("the run did not find exactly the listening half");
            break;
        }

        checkSum += seconds;
        const double ratio = seconds / boundSeconds;
        ratioSum += ratio;
        worstRatio = std::max(worstRatio, ratio);
        usedSum += static_cast<double>(watch.WorkersSeen());
        peakSum += peakThreads;
        peakMax = std::max(peakMax, peakThreads);
        inFlightSum += static_cast<double>(watch.PeakInFlight());
    }

    const auto n = static_cast<double>(state.iterations());
    if (n == 0) return;
    state.counters["hosts"] = kHosts;
    state.counters["bound_s"] = boundSeconds;
    state.counters["ratio_to_bound"] = ratioSum / n;
    state.counters["worst_ratio"] = worstRatio;
    state.counters["threads_used"] = usedSum / n;     // workers that sent a notice
    state.counters["peak_threads"] = peakSum / n;     // sampled, above the baseline
    state.counters["peak_threads_max"] = peakMax;
    state.counters["peak_probes"] = inFlightSum / n;  // connects in flight at once
    state.counters["start_share"] = startSum / checkSum;  // time inside StartCheck
    if (sequentialSum > 0) state.counters["ratio_to_sequential"] = checkSum / sequentialSum;
}

// Refused ports fail within microseconds: the run costs little more than
// starting the workers, and is compared with the same connects made plainly.
BENCHMARK_CAPTURE(BM_HostCheck, open_and_refused, Unreachable::Refused)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

// Every unreachable host waits out all three time-outs: the run should end
// right at the bound, about 6 s per iteration.
BENCHMARK_CAPTURE(BM_HostCheck, open_and_stalled, Unreachable::Stalled)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
