// vantrel-middleware: a fund middleware simulator over a SQLite ledger, for
// trying the client and for the integration tests.
#include <csignal>
#include <iostream>

#include "Ledger.h"
#include "MiddlewareOptions.h"
#include "MiddlewareServer.h"

using namespace vantrel::middleware;

int main(int argc, char** argv) {
    auto options = ParseMiddlewareOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!options) {
        std::cerr << "vantrel-middleware: " << options.error() << "\n" << kMiddlewareUsage << std::endl;
        return 2;
    }
    try {
        Ledger ledger(options.value().db, options.value().reset);
        asio::io_context io(1);
        MiddlewareServer server(io, options.value(), ledger);
        asio::signal_set signals(io, SIGINT, SIGTERM);
        signals.async_wait([&io](asio::error_code, int) { io.stop(); });

        const auto endpoint = server.endpoint();
        const auto address = endpoint.address();
        std::cout << "listening on "
                  << (address.is_v6() ? "[" + address.to_string() + "]" : address.to_string()) << ':'
                  << endpoint.port() << std::endl;
        io.run();
    } catch (const std::exception& error) {
        std::cerr << "vantrel-middleware: " << error.what() << std::endl;
        return 1;
    }
    return 0;
}
