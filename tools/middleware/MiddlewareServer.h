#pragma once
// The simulator's network side: accepts loopback connections, reads request
// frames one after another on each, asks the ledger and writes the answer
// frames. One io_context thread does everything, so ledger work is
// serialized and each answer leaves only after its transaction committed.
#include <asio.hpp>
#include <memory>

#include "Ledger.h"
#include "MiddlewareOptions.h"

namespace vantrel::middleware {

class MiddlewareServer {
public:
    MiddlewareServer(asio::io_context& io, const MiddlewareOptions& options, Ledger& ledger);
    asio::ip::tcp::endpoint endpoint() const { return acceptor_.local_endpoint(); }

    ~MiddlewareServer();

private:
    struct Tls;
    void Accept();

    asio::io_context& io_;
    const MiddlewareOptions& options_;
    Ledger& ledger_;
    asio::ip::tcp::acceptor acceptor_;
    std::unique_ptr<Tls> tls_;  // set when serving TLS
};

}  // namespace vantrel::middleware
