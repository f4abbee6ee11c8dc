#pragma once
// One probe worker of a THostRespondCheck: takes untested hosts from the
// checker and connects to them, one at a time, with a TCP client of its own.
#include "servers/THostRespondCheck.h"

#include <asio.hpp>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>

namespace vantrel {

class TlsStream;

class TScanThread {
public:
    TScanThread(THostRespondCheck& owner, uint64_t generation,
                std::chrono::milliseconds connectTimeout, THostRespondCheck::ProbeHooks hooks);
    ~TScanThread();  // terminates and joins
    TScanThread(const TScanThread&) = delete;
    TScanThread& operator=(const TScanThread&) = delete;

    void Start();
    // Thread-safe; also aborts a connect in progress.
    void Terminate();
    void Join();
    bool Terminated() const { return terminated_.load(); }
    uint64_t Generation() const { return generation_; }
    int64_t Now() const;

private:
    void Run();
    bool Connect(const THostInfo& host);
    bool Handshake(const THostInfo& host, std::chrono::steady_clock::time_point deadline);
    void Disconnect();

    THostRespondCheck& owner_;
    const uint64_t generation_;
    const std::chrono::milliseconds connectTimeout_;
    const THostRespondCheck::ProbeHooks hooks_;
    std::atomic<bool> terminated_{false};
    asio::io_context io_;
    asio::ip::tcp::socket socket_;
    std::unique_ptr<TlsStream> tls_;  // the current host's, when it takes TLS
    std::thread thread_;
};

}  // namespace vantrel
