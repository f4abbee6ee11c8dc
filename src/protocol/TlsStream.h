#pragma once
// A TLS session (1.2 or newer) over a TCP socket that is already connected,
// driven by the socket's io_context like the socket itself. The OpenSSL
// types stay in TlsStream.cpp; a build without OpenSSL (VANTREL_TLS off)
// refuses to create one.
#include <asio/buffer.hpp>
#include <asio/ip/tcp.hpp>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "common/Result.h"
#include "protocol/TlsSettings.h"

namespace vantrel {

class TlsStream {
public:
    using Done = std::function<void(const asio::error_code&)>;
    using Transferred = std::function<void(const asio::error_code&, std::size_t)>;

    // Trusts settings.CaFile (or the system's store), checks the certificate
    // against settings.ServerName (or `host`) and the pin when one is set.
    // Refused: unreadable CA file, a build without TLS.
    static Result<std::unique_ptr<TlsStream>> Create(asio::ip::tcp::socket& socket, const TlsSettings& settings,
                                                     const std::string& host);
    ~TlsStream();
    TlsStream(const TlsStream&) = delete;
    TlsStream& operator=(const TlsStream&) = delete;

    void asyncHandshake(Done done);
    // Every byte; exactly the buffer's size.
    void asyncWrite(asio::const_buffer bytes, Transferred done);
    void asyncRead(asio::mutable_buffer bytes, Transferred done);
    void asyncReadSome(asio::mutable_buffer bytes, Transferred done);

    // Why the handshake failed, in words: the certificate not verified and
    // why, the pin not matched, or no TLS from the server.
    std::string HandshakeFailure(const asio::error_code& error) const;

private:
    struct Impl;
    explicit TlsStream(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace vantrel
