#include "servers/TScanThread.h"

#include <memory>

#include "protocol/TlsStream.h"

namespace vantrel {

TScanThread::TScanThread(THostRespondCheck& owner, uint64_t generation,
                         std::chrono::milliseconds connectTimeout,
                         THostRespondCheck::ProbeHooks hooks)
    : owner_(owner),
      generation_(generation),
      connectTimeout_(connectTimeout),
      hooks_(std::move(hooks)),
      socket_(io_) {}

TScanThread::~TScanThread() {
    Terminate();
    Join();
}

void TScanThread::Start() {
    thread_ = std::thread([this] { Run(); });
}

void TScanThread::Terminate() {
    // Flag first: Connect checks it after restarting the context, so a stop
    // that lands before the restart is still seen.
    terminated_.store(true);
    io_.stop();
}

void TScanThread::Join() {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

int64_t TScanThread::Now() const {
    if (hooks_.tick) return hooks_.tick();
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void TScanThread::Run() {
    try {
        int64_t reference = Now();
        while (!Terminated()) {
            auto job = owner_.TakeHost(*this, reference);
            if (!job) break;
            if (Terminated()) {
                owner_.ReportAttempt(*this, *job, false, true, 0);
                break;
            }
            reference = Now();
            const bool connected = Connect(job->host);
            const int64_t elapsed = Now() - reference;
            owner_.ReportAttempt(*this, *job, connected, !connected && Terminated(), elapsed);
        }
    } catch (...) {
        // An unexpected failure ends this worker like running out of work.
    }
    Disconnect();
    if (!Terminated()) owner_.WorkerDone(*this);
}

bool TScanThread::Connect(const THostInfo& host) {
    Disconnect();  // the previous host's connection stays open until now
    if (hooks_.connect) return hooks_.connect(host, connectTimeout_);
    if (host.Port <= 0 || host.Port > 65535) return false;  // never let a port wrap around

    asio::error_code ec;
    const auto address = asio::ip::make_address_v4(host.IP, ec);
    if (ec) return false;
    const asio::ip::tcp::endpoint endpoint(address, static_cast<unsigned short>(host.Port));

    // Shared so that a handler left pending by a time-out never touches a dead frame.
    struct Outcome {
        bool done = false;
        asio::error_code error;
    };
    auto outcome = std::make_shared<Outcome>();
    io_.restart();
    if (Terminated()) return false;
    socket_.async_connect(endpoint, [outcome](const asio::error_code& e) {
        outcome->done = true;
        outcome->error = e;
    });
    const auto deadline = std::chrono::steady_clock::now() + connectTimeout_;
    io_.run_until(deadline);
    if (!outcome->done || outcome->error) {
        Disconnect();
        return false;
    }
    if (host.Tls.Enabled && !Handshake(host, deadline)) {
        Disconnect();
        return false;
    }
    return true;
}

bool TScanThread::Handshake(const THostInfo& host, std::chrono::steady_clock::time_point deadline) {
    // A server behind TLS answers only once its certificate has passed;
    // the handshake shares the connect's time-out.
    auto created = TlsStream::Create(socket_, host.Tls, host.IP);
    if (!created) return false;
    tls_ = std::move(created).value();
    auto outcome = std::make_shared<bool>(false);
    auto failed = std::make_shared<bool>(true);
    tls_->asyncHandshake([outcome, failed](const asio::error_code& e) {
        *outcome = true;
        *failed = static_cast<bool>(e);
    });
    io_.restart();
    if (Terminated()) return false;
    io_.run_until(deadline);
    return *outcome && !*failed;
}

void TScanThread::Disconnect() {
    asio::error_code ignored;
    if (socket_.is_open()) {
        socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
        socket_.close(ignored);
    }
    // Let an aborted connect's handler run now rather than at the next attempt.
    io_.restart();
    io_.poll();
    tls_.reset();
}

}  // namespace vantrel
