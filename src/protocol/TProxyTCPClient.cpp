#include "protocol/TProxyTCPClient.h"

#include "common/SystemError.h"
#include "protocol/TlsStream.h"

#include <asio/connect.hpp>
#include <asio/read.hpp>
#include <asio/write.hpp>
#include <memory>

#ifndef _WIN32
#include <cerrno>
#include <sys/socket.h>
#endif

namespace vantrel {
namespace {

bool IsPeerClose(const asio::error_code& ec) {
    return ec == asio::error::eof || ec == asio::error::connection_reset ||
           ec == asio::error::connection_aborted || ec == asio::error::broken_pipe;
}

std::string Target(const std::string& host, int port) {
    return host + ":" + std::to_string(port);
}

}  // namespace

TProxyTCPClient::TProxyTCPClient() : socket_(io_) {}

TProxyTCPClient::~TProxyTCPClient() {
    connected_ = false;
    closeSocket();
}

bool TProxyTCPClient::runUntil(const bool& done, std::chrono::milliseconds limit) {
    io_.restart();
    if (limit <= std::chrono::milliseconds::zero()) {
        while (!done && io_.run_one() > 0) {
        }
        return done;
    }
    const auto deadline = Clock::now() + limit;
    while (!done) {
        // Zero handlers run: either the deadline passed or nothing is left
        // to wait for (stopped); neither will change by looping.
        if (io_.run_one_until(deadline) == 0) return done;
    }
    return true;
}

void TProxyTCPClient::drain(const bool& done) const {
    io_.restart();
    while (!done && io_.run_one() > 0) {
    }
}

void TProxyTCPClient::cancelAndDrain(const bool& done) const {
    asio::error_code ignored;
    socket_.cancel(ignored);
    drain(done);
}

Error TProxyTCPClient::fail(IoFailure kind, std::string message) {
    lastFailure_ = kind;
    return Error{std::move(message)};
}

void TProxyTCPClient::closeSocket() const {
    asio::error_code ignored;
    if (socket_.is_open()) {
        socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
        socket_.close(ignored);
    }
    tls_.reset();
}

template <class Operation>
void TProxyTCPClient::startWrite(std::string_view bytes, Operation done) {
    const auto buffer = asio::buffer(bytes.data(), bytes.size());
    if (tls_)
        tls_->asyncWrite(buffer, done);
    else
        asio::async_write(socket_, buffer, done);
}

template <class Operation>
void TProxyTCPClient::startRead(std::string& bytes, Operation done) {
    const auto buffer = asio::buffer(bytes.data(), bytes.size());
    if (tls_)
        tls_->asyncRead(buffer, done);
    else
        asio::async_read(socket_, buffer, done);
}

Status TProxyTCPClient::handshake(const TlsSettings& tls, const std::string& target,
                                  std::chrono::milliseconds limit, std::chrono::milliseconds connectTimeOut) {
    auto refused = [&](IoFailure kind, const std::string& why) {
        closeSocket();
        return fail(kind, "TLS to " + target + " failed, nothing was sent: " + why);
    };
    auto created = TlsStream::Create(socket_, tls, host_);
    if (!created) return refused(IoFailure::Other, created.error());
    tls_ = std::move(created).value();
    bool done = false;
    asio::error_code ec;
    tls_->asyncHandshake([&](const asio::error_code& e) {
        ec = e;
        done = true;
    });
    if (!runUntil(done, limit)) {
        cancelAndDrain(done);
        return refused(IoFailure::TimedOut, "the server did not complete the handshake within " +
                                                std::to_string(connectTimeOut.count()) + " ms");
    }
    if (ec) return refused(IoFailure::Other, tls_->HandshakeFailure(ec));
    return Status::success();
}

bool TProxyTCPClient::tlsIdleAlive() const {
    // Read what has arrived without waiting: records that carry no data (a
    // session ticket) are taken in and the read stays pending.
    char byte;
    bool done = false;
    tls_->asyncReadSome(asio::buffer(&byte, 1), [&](const asio::error_code&, std::size_t) { done = true; });
    io_.restart();
    while (!done && io_.poll() > 0) {
    }
    if (!done) {
        cancelAndDrain(done);
        return true;
    }
    // Closed, or data nobody asked for, which would be read as the start
    // of the next answer.
    return false;
}

void TProxyTCPClient::dropConnection() const {
    const bool wasConnected = connected_;
    connected_ = false;
    closeSocket();
    if (wasConnected && onDisconnected) {
        auto handler = onDisconnected;  // the handler may replace itself
        handler();
    }
}

Status TProxyTCPClient::connect(const std::string& host, int port, std::chrono::milliseconds timeout,
                                const TlsSettings& tls) {
    if (port < 1 || port > 65535)
        return fail(IoFailure::Other,
                    "The port " + std::to_string(port) + " is outside the range 1 to 65535");
    if (connected_) dropConnection();
    closeSocket();
    host_ = host;
    port_ = port;
    // Settings that cannot work are refused before a connection is made.
    if (const auto why = tls.Enabled ? TlsRefusal(tls) : std::string(); !why.empty())
        return fail(IoFailure::Other, "TLS to " + Target(host, port) + " failed, nothing was sent: " + why);

    const auto start = Clock::now();
    auto remaining = [&] {
        if (timeout <= std::chrono::milliseconds::zero()) return timeout;
        auto left = timeout - std::chrono::duration_cast<std::chrono::milliseconds>(
                                  Clock::now() - start);
        return std::max(left, std::chrono::milliseconds(1));
    };
    auto timedOut = [&] {
        return fail(IoFailure::TimedOut, "Connecting to " + Target(host, port) +
                                             " did not succeed within " +
                                             std::to_string(timeout.count()) + " ms");
    };

    // A dotted address needs no resolver; a name is resolved within the
    // same time budget. An abandoned resolution may finish later, so its
    // handler owns everything it touches.
    asio::ip::tcp::resolver::results_type endpoints;
    asio::error_code ec;
    const auto address = asio::ip::make_address(host, ec);
    if (!ec) {
        endpoints = asio::ip::tcp::resolver::results_type::create(
            asio::ip::tcp::endpoint(address, static_cast<unsigned short>(port)), host,
            std::to_string(port));
    } else {
        struct Resolution {
            bool done = false;
            asio::error_code ec;
            asio::ip::tcp::resolver::results_type results;
        };
        auto state = std::make_shared<Resolution>();
        auto resolver = std::make_shared<asio::ip::tcp::resolver>(io_);
        resolver->async_resolve(
            host, std::to_string(port),
            [state, resolver](const asio::error_code& e,
                              asio::ip::tcp::resolver::results_type results) {
                state->ec = e;
                state->results = std::move(results);
                state->done = true;
            });
        if (!runUntil(state->done, remaining())) {
            resolver->cancel();
            return timedOut();
        }
        if (state->ec)
            return fail(IoFailure::Other,
                        "The server name " + host + " cannot be resolved: " + SystemErrorText(state->ec));
        endpoints = std::move(state->results);
    }

    bool done = false;
    asio::async_connect(socket_, endpoints,
                        [&](const asio::error_code& e, const asio::ip::tcp::endpoint&) {
                            ec = e;
                            done = true;
                        });
    if (!runUntil(done, remaining())) {
        closeSocket();  // aborts the attempt
        drain(done);
        closeSocket();
        return timedOut();
    }
    if (ec) {
        closeSocket();
        return fail(IoFailure::Other,
                    "Connecting to " + Target(host, port) + " failed: " + SystemErrorText(ec));
    }
    asio::error_code ignored;
    socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
    if (tls.Enabled) {
        if (auto secured = handshake(tls, Target(host, port), remaining(), timeout); !secured) return secured;
    }
    connected_ = true;
    lastFailure_ = IoFailure::None;
    if (onConnected) {
        auto handler = onConnected;
        handler();
    }
    return Status::success();
}

bool TProxyTCPClient::connected() const {
    if (!connected_) return false;
    // Peek one byte without waiting: "would block" or pending data means
    // the connection is alive; end of stream or an error means it is gone.
    char byte;
#ifdef _WIN32
    asio::error_code ec;
    socket_.non_blocking(true, ec);
    const std::size_t n = socket_.receive(asio::buffer(&byte, 1),
                                          asio::socket_base::message_peek, ec);
    asio::error_code ignored;
    socket_.non_blocking(false, ignored);
    const bool open = ec == asio::error::would_block || ec == asio::error::try_again || (!ec && n > 0);
#else
    // MSG_DONTWAIT: one call, without switching the socket's mode there and
    // back (a request asks this several times).
    const ssize_t n = ::recv(socket_.native_handle(), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    const bool open = n > 0 || (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR));
#endif
    // TLS may hold a close notice read in with the last answer: the
    // socket alone cannot tell.
    if (open && (!tls_ || tlsIdleAlive())) return true;
    dropConnection();
    return false;
}

void TProxyTCPClient::disconnect() { dropConnection(); }

Status TProxyTCPClient::writeAll(std::string_view bytes) {
    if (!connected_) return fail(IoFailure::NotConnected, "Not connected to the server");
    bool done = false;
    asio::error_code ec;
    startWrite(bytes, [&](const asio::error_code& e, std::size_t) {
        ec = e;
        done = true;
    });
    if (!runUntil(done, readTimeout_)) {
        cancelAndDrain(done);
        dropConnection();
        return fail(IoFailure::TimedOut, "The request could not be sent within " +
                                             std::to_string(readTimeout_.count()) + " ms");
    }
    if (ec) {
        dropConnection();
        if (IsPeerClose(ec))
            return fail(IoFailure::Closed, "The server closed the connection while the request "
                                           "was being sent");
        return fail(IoFailure::Other, "Sending the request failed: " + SystemErrorText(ec));
    }
    lastFailure_ = IoFailure::None;
    return Status::success();
}

Result<std::string> TProxyTCPClient::readExact(std::size_t n) {
    if (!connected_) return fail(IoFailure::NotConnected, "Not connected to the server");
    std::string buffer(n, '\0');
    if (n == 0) {
        lastFailure_ = IoFailure::None;
        return buffer;
    }
    bool done = false;
    asio::error_code ec;
    std::size_t received = 0;
    startRead(buffer, [&](const asio::error_code& e, std::size_t count) {
        ec = e;
        received = count;
        done = true;
    });
    if (!runUntil(done, readTimeout_)) {
        cancelAndDrain(done);
        if (ec || received < n) {
            dropConnection();
            return fail(IoFailure::TimedOut,
                              "The answer did not arrive in time (waited " +
                                  std::to_string(readTimeout_.count()) + " ms, " +
                                  std::to_string(received) + " of " + std::to_string(n) +
                                  " bytes received)");
        }
    }
    if (ec) {
        dropConnection();
        if (IsPeerClose(ec))
            return fail(IoFailure::Closed, "The server closed the connection (" +
                                                     std::to_string(received) + " of " +
                                                     std::to_string(n) + " bytes received)");
        return fail(IoFailure::Other, "Reading the answer failed: " + SystemErrorText(ec));
    }
    lastFailure_ = IoFailure::None;
    return buffer;
}

}  // namespace vantrel
