#pragma once
// A minimal protocol client on a plain socket, built on the packet codec: no
// shared process state, so many can run on separate threads (load tests)
// and it measures the bare exchange (benchmarks).
#include <map>
#include <string>
#include <vector>

#include <asio.hpp>

#include "common/Result.h"
#include "protocol/PacketCodec.h"

namespace vantrel::test {

struct RawAnswer {
    std::string returnCode;
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;  // UTF-8
    std::size_t frames = 0;

    bool ok() const { return returnCode == "00000"; }
    // Cell of a row by column name; empty when there is none.
    std::string cell(std::size_t row, const std::string& column) const;
};

class RawMiddlewareClient {
public:
    explicit RawMiddlewareClient(int port) : port_(port) {}

    // One exchange. With keepOpen the connection (and its key) is reused by
    // the next call; otherwise it is opened and closed around this call.
    Result<RawAnswer> request(const RequestHeaderFields& header, const std::vector<Field>& utf8Fields,
                              bool keepOpen = false);
    // Sends ready-made frame bytes and reads the answer (benchmark baseline).
    Result<RawAnswer> exchange(const std::string& frame, bool keepOpen = false);

private:
    asio::io_context io_;
    asio::ip::tcp::socket socket_{io_};
    int port_;
    std::string key_{kDefaultPacketKey};
};

}  // namespace vantrel::test
