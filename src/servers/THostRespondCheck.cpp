#include "servers/THostRespondCheck.h"

#include "servers/TScanThread.h"

#include <asio.hpp>

#include <algorithm>
#include <string>

namespace vantrel {

namespace {

// Four decimal parts of 0-255 without leading zeros. asio's parser is the
// system's: Windows also takes the old short forms ("1.2.3" is 1.2.0.3),
// which would probe a host the list does not name.
bool IsDottedQuad(const std::string& ip) {
    int parts = 0;
    std::size_t pos = 0;
    while (parts < 4) {
        std::size_t end = pos;
        while (end < ip.size() && ip[end] >= '0' && ip[end] <= '9') ++end;
        const std::size_t digits = end - pos;
        if (digits == 0 || digits > 3 || (digits > 1 && ip[pos] == '0')) return false;
        if (std::stoi(ip.substr(pos, digits)) > 255) return false;
        ++parts;
        if (parts < 4) {
            if (end >= ip.size() || ip[end] != '.') return false;
            pos = end + 1;
        } else if (end != ip.size()) {
            return false;
        }
    }
    return true;
}

}  // namespace

THostRespondCheck::THostRespondCheck() : random_(std::random_device{}()) {}

THostRespondCheck::~THostRespondCheck() {
    StopCheck();
    ClearHosts();
}

bool THostRespondCheck::AddHost(int32_t hostId, const std::string& ip, int32_t port, const TlsSettings& tls) {
    // Strict dotted quad only; the limited broadcast address is no server either.
    asio::error_code ec;
    const auto address = asio::ip::make_address_v4(ip, ec);
    std::lock_guard lock(mutex_);
    if (ec || !IsDottedQuad(ip) || address == asio::ip::address_v4::broadcast()) {
        lastError_ = "无效的IP地址";
        return false;
    }
    for (const auto& host : hosts_) {
        if (host.HostID == hostId) {
            lastError_ = "该主机信息已经存在";
            return false;
        }
    }
    THostInfo host;
    host.HostID = hostId;
    host.IP = ip;
    host.Port = port;
    host.Tls = tls;
    hosts_.push_back(std::move(host));
    lastError_.clear();
    return true;
}

void THostRespondCheck::ClearHosts() {
    // Workers address records by index; they must be gone before the list is.
    StopCheck();
    std::lock_guard lock(mutex_);
    hosts_.clear();
}

std::string THostRespondCheck::LastError() const {
    std::lock_guard lock(mutex_);
    return lastError_;
}

int THostRespondCheck::HostCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(hosts_.size());
}

int THostRespondCheck::IndexOfHost(int32_t hostId) const {
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < hosts_.size(); ++i)
        if (hosts_[i].HostID == hostId) return static_cast<int>(i);
    return -1;
}

std::optional<THostInfo> THostRespondCheck::HostAt(int index) const {
    std::lock_guard lock(mutex_);
    if (index < 0 || static_cast<size_t>(index) >= hosts_.size()) return std::nullopt;
    return hosts_[static_cast<size_t>(index)];
}

std::optional<THostInfo> THostRespondCheck::FindHost(int32_t hostId) const {
    std::lock_guard lock(mutex_);
    for (const auto& host : hosts_)
        if (host.HostID == hostId) return host;
    return std::nullopt;
}

bool THostRespondCheck::IsChecking() const {
    std::lock_guard lock(mutex_);
    return running_;
}

void THostRespondCheck::SetMaxTries(uint16_t tries) {
    std::lock_guard lock(mutex_);
    maxTries_ = std::max<uint16_t>(tries, 1);
}

uint16_t THostRespondCheck::MaxTries() const {
    std::lock_guard lock(mutex_);
    return maxTries_;
}

void THostRespondCheck::SetTolerance(int64_t ms) {
    std::lock_guard lock(mutex_);
    tolerance_ = std::max<int64_t>(ms, 0);
}

int64_t THostRespondCheck::Tolerance() const {
    std::lock_guard lock(mutex_);
    return tolerance_;
}

std::string THostRespondCheck::StatusText(int code) {
    switch (code) {
    case hsStart: return "开始检测";
    case hsUntested: return "该主机未测试";
    case hsChecking: return "正在检测";
    case hsConnected: return "连接成功";
    case hsTimeout: return "连接超时";
    case hsInterrupted: return "检测中断";
    case hsComplete: return "检测完成";
    default: return "未知状态";
    }
}

bool THostRespondCheck::StartCheck(uint16_t workerCount) {
    // A run still going is ended properly (workers joined, its end notice
    // sent) so that nothing of it can touch the new run.
    StopCheck();
    uint64_t generation = 0;
    {
        std::lock_guard lock(mutex_);
        stopping_ = false;
        firstConnected_ = -1;
        for (auto& host : hosts_) {
            host.Tries = 0;
            host.RespondTime = 0;
            host.State = hsUntested;
        }
        generation = ++generation_;
        running_ = workerCount > 0;
        activeWorkers_ = workerCount;
    }
    Notify({{Notice::Status, hsStart, 0}});

    for (uint16_t i = 0; i < workerCount; ++i)
        workers_.push_back(std::make_unique<TScanThread>(*this, generation, connectTimeout_, hooks_));
    int failed = 0;
    for (auto& worker : workers_) {
        try {
            worker->Start();
        } catch (const std::system_error&) {
            ++failed;  // no thread: counts as a worker that found nothing
        }
    }
    if (failed > 0) {
        bool ended = false;
        {
            std::lock_guard lock(mutex_);
            if (generation_ == generation && running_) {
                activeWorkers_ -= failed;
                if (activeWorkers_ <= 0) {
                    running_ = false;
                    ended = true;
                }
            }
        }
        if (ended) Notify({{Notice::End, hsInterrupted, 0}});
    }
    return true;
}

void THostRespondCheck::StopCheck() {
    bool wasRunning = false;
    {
        std::lock_guard lock(mutex_);
        if (running_ && !stopping_) {
            wasRunning = true;
            stopping_ = true;
            running_ = false;  // from here no worker may end the run itself
            activeWorkers_ = 0;
        }
    }
    // Also reaps the threads of a run that already ended on its own.
    JoinWorkers(wasRunning);
    if (wasRunning) Notify({{Notice::End, hsInterrupted, 0}});
}

void THostRespondCheck::JoinWorkers(bool terminate) {
    auto workers = std::move(workers_);
    workers_.clear();
    if (terminate)
        for (auto& worker : workers) worker->Terminate();
    for (auto& worker : workers) {
        try {
            worker->Join();
        } catch (const std::system_error&) {
            // one worker's failure must not keep the others alive
        }
    }
}

std::optional<THostInfo> THostRespondCheck::ChooseBestHost() {
    std::lock_guard lock(mutex_);
    std::vector<const THostInfo*> connected;
    for (const auto& host : hosts_)
        if (host.State == hsConnected) connected.push_back(&host);
    if (connected.empty()) return std::nullopt;

    int64_t fastest = connected.front()->RespondTime;
    for (const auto* host : connected) fastest = std::min(fastest, host->RespondTime);
    std::vector<const THostInfo*> candidates;
    for (const auto* host : connected)
        if (host->RespondTime - fastest <= tolerance_) candidates.push_back(host);

    std::uniform_int_distribution<size_t> pick(0, candidates.size() - 1);
    return *candidates[pick(random_)];
}

std::optional<THostRespondCheck::Assignment> THostRespondCheck::TakeHost(
    const TScanThread& worker, int64_t reference) {
    std::vector<Notice> notices;
    std::optional<Assignment> job;
    {
        std::lock_guard lock(mutex_);
        if (worker.Generation() != generation_) return std::nullopt;
        for (scanCursor_ = 0; static_cast<size_t>(scanCursor_) < hosts_.size(); ++scanCursor_) {
            if (worker.Terminated()) break;
            auto& host = hosts_[static_cast<size_t>(scanCursor_)];
            if (host.State != hsUntested) continue;  // being probed, connected or given up
            if (host.Tries < maxTries_) {
                host.State = hsChecking;
                ++host.Tries;
                host.RespondTime = worker.Now() - reference;
                job = Assignment{static_cast<size_t>(scanCursor_), host};
                notices.push_back({Notice::Status, hsChecking, host.HostID});
                break;
            }
            // Last attempt failed: give up, once. A host whose last attempt
            // connected or is still running keeps its state.
            host.State = hsTimeout;
            host.RespondTime = worker.Now() - reference;
            notices.push_back({Notice::Status, hsTimeout, host.HostID});
        }
        scanCursor_ = -1;
    }
    Notify(notices);
    return job;
}

void THostRespondCheck::ReportAttempt(const TScanThread& worker, const Assignment& job,
                                      bool connected, bool aborted, int64_t elapsed) {
    std::vector<Notice> notices;
    {
        std::lock_guard lock(mutex_);
        if (worker.Generation() != generation_ || job.index >= hosts_.size()) return;
        auto& host = hosts_[job.index];
        if (host.HostID != job.host.HostID || host.State != hsChecking) return;
        if (connected) {
            host.State = hsConnected;
            host.RespondTime = elapsed;
            notices.push_back({Notice::Status, hsConnected, host.HostID});
            if (firstConnected_ == -1) {
                firstConnected_ = static_cast<int>(job.index);
                notices.push_back({Notice::First, 0, 0});
            }
        } else {
            // A connect cut short by StopCheck tells nothing about the host.
            if (!aborted) notices.push_back({Notice::Status, hsTimeout, host.HostID});
            host.State = hsUntested;
        }
    }
    Notify(notices);
}

void THostRespondCheck::WorkerDone(const TScanThread& worker) {
    bool ended = false;
    {
        std::lock_guard lock(mutex_);
        if (worker.Generation() == generation_ && running_ && --activeWorkers_ == 0) {
            running_ = false;
            ended = true;
        }
    }
    // The thread itself is joined later by the owner (StartCheck, StopCheck or
    // the destructor), which keeps this notice ahead of the next run's start.
    if (ended) Notify({{Notice::End, hsInterrupted, 0}});
}

void THostRespondCheck::Notify(const std::vector<Notice>& notices) {
    HostCheckListener* listener = listener_.load();
    if (!listener) return;
    for (const auto& notice : notices) {
        try {
            switch (notice.kind) {
            case Notice::Status:
                listener->checkStatus(notice.hostId, notice.code, StatusText(notice.code));
                break;
            case Notice::First: listener->checkFirst(); break;
            case Notice::End: listener->checkEnd(StatusText(hsInterrupted)); break;
            }
        } catch (...) {
            // A receiver's failure must not kill a worker or skip the run's end.
        }
    }
}

}  // namespace vantrel
