#pragma once
// Loopback endpoints of each kind a connect can meet, for the host check's
// tests and benchmark. Connects to an open port complete in the listen
// backlog, so nothing needs to accept.
#include <asio.hpp>

#include <cstdint>
#include <memory>
#include <vector>

namespace vantrel::test {

class LoopbackPorts {
public:
    uint16_t Open() {
        auto acceptor = std::make_unique<asio::ip::tcp::acceptor>(
            io_, asio::ip::tcp::endpoint(asio::ip::address_v4::loopback(), 0));
        const uint16_t port = acceptor->local_endpoint().port();
        acceptors_.push_back(std::move(acceptor));
        return port;
    }
    // Opens a port that was closed before.
    void Open(uint16_t port) {
        acceptors_.push_back(std::make_unique<asio::ip::tcp::acceptor>(
            io_, asio::ip::tcp::endpoint(asio::ip::address_v4::loopback(), port)));
    }
    // A port bound and closed again: nothing listens, until another bind
    // takes it.
    static uint16_t Closed() {
        asio::io_context io;
        asio::ip::tcp::acceptor acceptor(io, {asio::ip::address_v4::loopback(), 0});
        return acceptor.local_endpoint().port();
    }
    // Bound but never listening: the connect is refused at once. The socket
    // stays bound so that no later bind, such as the next Open, can take the
    // port; with bind-then-close that happened about once per run of the
    // benchmark.
    uint16_t Refused() {
        auto socket = std::make_unique<asio::ip::tcp::socket>(io_);
        socket->open(asio::ip::tcp::v4());
        socket->bind({asio::ip::address_v4::loopback(), 0});
        const uint16_t port = socket->local_endpoint().port();
        fillers_.push_back(std::move(socket));
        return port;
    }
    // A listener whose one-slot backlog is already taken: further SYNs are
    // dropped and the connect hangs until its time-out.
    uint16_t Stalled() {
        auto acceptor = std::make_unique<asio::ip::tcp::acceptor>(io_);
        acceptor->open(asio::ip::tcp::v4());
        acceptor->bind({asio::ip::address_v4::loopback(), 0});
        acceptor->listen(0);
        const auto endpoint = acceptor->local_endpoint();
        auto filler = std::make_unique<asio::ip::tcp::socket>(io_);
        filler->connect(endpoint);
        acceptors_.push_back(std::move(acceptor));
        fillers_.push_back(std::move(filler));
        return endpoint.port();
    }

private:
    asio::io_context io_;
    std::vector<std::unique_ptr<asio::ip::tcp::acceptor>> acceptors_;
    std::vector<std::unique_ptr<asio::ip::tcp::socket>> fillers_;  // and bound-only sockets
};

}  // namespace vantrel::test
