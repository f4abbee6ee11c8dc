#pragma once
// The blocking TCP client every request goes through (the process-wide
// SharedClient). TCP straight to the server, no proxy; with TLS settings
// enabled the same frames go inside a TLS session.
//
// All operations block the calling thread; time-outs are enforced by running
// a private io_context for a bounded time and cancelling what is left. The
// object is used from one thread at a time.
#include "common/Result.h"
#include "protocol/TlsSettings.h"

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vantrel {

// What the last failed operation ran into.
enum class IoFailure {
    None,          // the last operation succeeded
    NotConnected,  // read or write without a connection
    TimedOut,      // connect, write or read not done in time
    Closed,        // the peer closed the connection
    Other,         // refused, unreachable, unresolvable, reset...
};

class TlsStream;

class TProxyTCPClient {
public:
    TProxyTCPClient();
    // Closes quietly: onDisconnected is not run, so an owner that dies before
    // the client is never called back.
    ~TProxyTCPClient();
    TProxyTCPClient(const TProxyTCPClient&) = delete;
    TProxyTCPClient& operator=(const TProxyTCPClient&) = delete;

    // Run after a successful connect, and once when that connection ends
    // (disconnect(), a peer close or an I/O failure). Handlers may call back
    // into the client; the state is updated before they run.
    std::function<void()> onConnected;
    std::function<void()> onDisconnected;

    // Resolves host and connects, both within timeout (<= 0: no limit of our
    // own). An open connection is closed first (running onDisconnected).
    // Refuses a port outside 1..65535. With tls.Enabled the TLS handshake
    // is part of the connect and of its time-out; the connection counts as
    // open only once the server's certificate has passed.
    Status connect(const std::string& host, int port, std::chrono::milliseconds timeout,
                   const TlsSettings& tls = {});

    // Whether the connection is open. An idle connection that the peer has
    // closed is noticed here (a non-blocking peek), so a kept connection
    // dropped by the server reads as disconnected and onDisconnected runs.
    bool connected() const;

    // Closes the connection; runs onDisconnected if one was open.
    void disconnect();

    // Sends every byte. Bounded by the read time-out when one is set.
    Status writeAll(std::string_view bytes);

    // Waits until exactly n bytes have arrived. A time-out, peer close or
    // failure leaves the client disconnected: the rest of a half-read frame
    // would otherwise be taken for the start of the next answer.
    Result<std::string> readExact(std::size_t n);

    // 0 (the default) waits without limit.
    void setReadTimeout(std::chrono::milliseconds timeout) { readTimeout_ = timeout; }
    std::chrono::milliseconds readTimeout() const { return readTimeout_; }

    IoFailure lastFailure() const { return lastFailure_; }
    // Target of the last connect.
    const std::string& host() const { return host_; }
    int port() const { return port_; }

private:
    using Clock = std::chrono::steady_clock;

    // Runs the io_context until done is set or the deadline passes; returns
    // false on time-out (the pending operation is still outstanding).
    bool runUntil(const bool& done, std::chrono::milliseconds limit);
    void drain(const bool& done) const;
    // Ends the pending operation: its handler runs with "aborted".
    void cancelAndDrain(const bool& done) const;
    Error fail(IoFailure kind, std::string message);
    void closeSocket() const;
    // The TLS part of connect, within what is left of the connect time-out
    // (`limit`); a time-out is reported as the whole `connectTimeOut`, the
    // figure the caller gave. Closes the socket on failure.
    Status handshake(const TlsSettings& tls, const std::string& target, std::chrono::milliseconds limit,
                     std::chrono::milliseconds connectTimeOut);
    // With TLS: whether what the server sent to an idle connection, on the
    // socket or already read into the TLS layer, leaves it usable (a session
    // ticket does; a close notice or stray data does not).
    bool tlsIdleAlive() const;
    template <class Operation>
    void startWrite(std::string_view bytes, Operation done);
    template <class Operation>
    void startRead(std::string& buffer, Operation done);
    // Closes and runs onDisconnected if a connection was open.
    void dropConnection() const;

    mutable asio::io_context io_;
    mutable asio::ip::tcp::socket socket_;
    mutable std::unique_ptr<TlsStream> tls_;  // set while a TLS connection is open
    mutable bool connected_ = false;
    std::chrono::milliseconds readTimeout_{0};
    IoFailure lastFailure_ = IoFailure::None;
    std::string host_;
    int port_ = 0;
};

}  // namespace vantrel
