#include "MiddlewareServer.h"

#include <iostream>
#include <memory>
#include <stdexcept>
#include <type_traits>

#ifdef VANTREL_TLS
#include <asio/ssl.hpp>
#endif

namespace vantrel::middleware {
namespace {

asio::ip::tcp::socket& Lowest(asio::ip::tcp::socket& socket) { return socket; }
#ifdef VANTREL_TLS
asio::ip::tcp::socket& Lowest(asio::ssl::stream<asio::ip::tcp::socket>& stream) { return stream.next_layer(); }
#endif

// One client connection over `Stream`: a plain socket, or a TLS stream
// whose handshake comes first.
template <class Stream>
class Connection : public std::enable_shared_from_this<Connection<Stream>> {
public:
    Connection(Stream socket, const MiddlewareOptions& options, Ledger& ledger)
        : socket_(std::move(socket)), timer_(socket_.get_executor()), options_(options), ledger_(ledger) {}

    void Start() {
#ifdef VANTREL_TLS
        if constexpr (!std::is_same_v<Stream, asio::ip::tcp::socket>) {
            socket_.async_handshake(asio::ssl::stream_base::server,
                                    [self = this->shared_from_this()](asio::error_code error) {
                                        if (!error) self->ReadPrefix();
                                    });
            return;
        }
#endif
        ReadPrefix();
    }

private:
    void ReadPrefix() {
        asio::async_read(socket_, asio::buffer(prefix_),
                         [self = this->shared_from_this()](asio::error_code error, std::size_t) {
                             if (!error) self->ReadPayload();
                         });
    }

    void ReadPayload() {
        const auto length = ParseRequestLength(std::string_view(prefix_.data(), 4));
        // Without a readable length the stream cannot be resynchronized.
        if (!length || length.value() < kHeaderSize || length.value() > kMaxPayloadSize) return Close();
        payload_.assign(length.value(), '\0');
        asio::async_read(socket_, asio::buffer(payload_),
                         [self = this->shared_from_this()](asio::error_code error, std::size_t) {
                             if (!error) self->Answer();
                         });
    }

    bool FaultApplies(const std::string& functionCode) const {
        return options_.fault != Fault::None &&
               (options_.faultFunction.empty() || options_.faultFunction == functionCode);
    }

    void Answer() {
        auto request = ParseRequest(payload_);
        const bool fault = FaultApplies(request ? request.value().functionCode : std::string());
        if (fault && options_.fault == Fault::NeverAnswer) return ReadPrefix();

        auto answer = request ? ledger_.Handle(request.value()) : Answer::Failure("E1009", FailureText("E1009"));
        FramingOptions framing;
        framing.scrambleMode = options_.scramble;
        framing.rowsPerFrame = options_.rowsPerFrame;
        if (fault && options_.fault == Fault::BadLength) {
            // Three-digit lengths always leave a blank behind the digits.
            framing.leftAlignedLength = true;
            framing.maxPayload = 999;
        }
        auto frames = BuildFrames(answer, framing, key_);
        if (!frames) {
            std::cerr << "answer not sent: " << frames.error() << std::endl;
            frames = BuildFrames(Answer::Failure("E1099", FailureText("E1099")), framing, key_);
            if (!frames) return Close();
        }
        out_.clear();
        for (const auto& frame : frames.value()) out_ += frame;

        // A scrambling flag the protocol does not know, in front of the
        // whole answer: the client must not read on.
        if (fault && options_.fault == Fault::BadFlag) out_[5] = '9';
        if (fault && options_.fault == Fault::CloseBeforeAnswer) return Close();
        if (fault && options_.fault == Fault::CloseMidFrame) {
            out_.resize(frames.value().front().size() / 2);
            return Write(true);
        }
        if (fault && options_.fault == Fault::Delay) {
            timer_.expires_after(options_.delay);
            timer_.async_wait([self = this->shared_from_this()](asio::error_code error) {
                if (!error) self->Write(false);
            });
            return;
        }
        Write(false);
    }

    void Write(bool closeAfter) {
        asio::async_write(socket_, asio::buffer(out_),
                          [self = this->shared_from_this(), closeAfter](asio::error_code error, std::size_t) {
                              if (error || closeAfter) return self->Close();
                              self->ReadPrefix();
                          });
    }

    void Close() {
        asio::error_code ignored;
        Lowest(socket_).shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
        Lowest(socket_).close(ignored);
    }

    Stream socket_;
    asio::steady_timer timer_;
    const MiddlewareOptions& options_;
    Ledger& ledger_;
    std::array<char, kPrefixSize> prefix_{};
    std::string payload_;
    std::string out_;
    ConnectionKey key_;
};

}  // namespace

#ifdef VANTREL_TLS
struct MiddlewareServer::Tls {
    asio::ssl::context context{asio::ssl::context::tls_server};
};
#else
struct MiddlewareServer::Tls {};
#endif

MiddlewareServer::MiddlewareServer(asio::io_context& io, const MiddlewareOptions& options, Ledger& ledger)
    : io_(io), options_(options), ledger_(ledger),
      acceptor_(io, asio::ip::tcp::endpoint(asio::ip::make_address(options.host), options.port)) {
    if (!options.tlsCert.empty()) {
#ifdef VANTREL_TLS
        tls_ = std::make_unique<Tls>();
        SSL_CTX_set_min_proto_version(tls_->context.native_handle(), TLS1_2_VERSION);
        tls_->context.use_certificate_chain_file(options.tlsCert);
        tls_->context.use_private_key_file(options.tlsKey, asio::ssl::context::pem);
#else
        throw std::runtime_error("this build has no TLS (no OpenSSL)");
#endif
    }
    Accept();
}

MiddlewareServer::~MiddlewareServer() = default;

void MiddlewareServer::Accept() {
    acceptor_.async_accept([this](asio::error_code error, asio::ip::tcp::socket socket) {
        if (error == asio::error::operation_aborted) return;
        if (!error) {
#ifdef VANTREL_TLS
            if (tls_) {
                using Secure = asio::ssl::stream<asio::ip::tcp::socket>;
                std::make_shared<Connection<Secure>>(Secure(std::move(socket), tls_->context), options_, ledger_)
                    ->Start();
                return Accept();
            }
#endif
            std::make_shared<Connection<asio::ip::tcp::socket>>(std::move(socket), options_, ledger_)->Start();
        }
        Accept();
    });
}

}  // namespace vantrel::middleware
