#include "protocol/TlsStream.h"

#ifdef VANTREL_TLS

#include <asio/read.hpp>
#include <asio/ssl.hpp>
#include <asio/write.hpp>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include "common/SystemError.h"

namespace vantrel {
namespace {

std::string Hex(const unsigned char* bytes, unsigned length) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned i = 0; i < length; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

// SHA-256 of the DER form of the certificate's SubjectPublicKeyInfo.
std::string PublicKeyPin(X509* certificate) {
    unsigned char* der = nullptr;
    const int length = i2d_X509_PUBKEY(X509_get_X509_PUBKEY(certificate), &der);
    if (length <= 0) return {};
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned digestLength = 0;
    const bool hashed = EVP_Digest(der, static_cast<std::size_t>(length), digest, &digestLength, EVP_sha256(),
                                   nullptr) == 1;
    OPENSSL_free(der);
    return hashed ? Hex(digest, digestLength) : std::string();
}

// A peer that closes without TLS's close notice ends the stream like a
// plain close, and is reported like one.
TlsStream::Transferred PlainClose(TlsStream::Transferred done) {
    return [done = std::move(done)](const asio::error_code& error, std::size_t count) {
        done(error == asio::ssl::error::stream_truncated ? asio::error::eof : error, count);
    };
}

bool IsAddress(const std::string& name) {
    asio::error_code ec;
    asio::ip::make_address(name, ec);
    return !ec;
}

// The handshake ended because the other side does not talk TLS: it closed,
// or what it sent is no TLS record.
bool LooksPlain(const asio::error_code& error) {
    if (error == asio::error::eof || error == asio::error::connection_reset ||
        error == asio::ssl::error::stream_truncated)
        return true;
    if (error.category() != asio::error::get_ssl_category()) return false;
    const auto reason = ERR_GET_REASON(static_cast<unsigned long>(error.value()));
    return reason == SSL_R_WRONG_VERSION_NUMBER || reason == SSL_R_PACKET_LENGTH_TOO_LONG ||
           reason == SSL_R_UNKNOWN_PROTOCOL || reason == SSL_R_RECORD_LENGTH_MISMATCH;
}

}  // namespace

struct TlsStream::Impl {
    Impl(asio::ip::tcp::socket& socket) : context(asio::ssl::context::tls_client), stream(socket, context) {}

    asio::ssl::context context;
    asio::ssl::stream<asio::ip::tcp::socket&> stream;
    std::string pin;
    std::string seenPin;  // the server's, when it did not match
};

TlsStream::TlsStream(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
TlsStream::~TlsStream() = default;

Result<std::unique_ptr<TlsStream>> TlsStream::Create(asio::ip::tcp::socket& socket, const TlsSettings& settings,
                                                     const std::string& host) {
    if (const auto why = TlsRefusal(settings); !why.empty()) return Error{why};
    auto impl = std::make_unique<Impl>(socket);
    SSL_CTX* context = impl->context.native_handle();
    SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
    asio::error_code ec;
    if (settings.CaFile.empty())
        impl->context.set_default_verify_paths(ec);
    else
        impl->context.load_verify_file(settings.CaFile, ec);
    if (ec)
        return Error{"the trusted certificates " + (settings.CaFile.empty() ? "of the system" : settings.CaFile) +
                     " cannot be read: " + SystemErrorText(ec)};

    SSL* ssl = impl->stream.native_handle();
    const std::string name = settings.ServerName.empty() ? host : settings.ServerName;
    X509_VERIFY_PARAM* param = SSL_get0_param(ssl);
    if (IsAddress(name)) {
        X509_VERIFY_PARAM_set1_ip_asc(param, name.c_str());
    } else {
        X509_VERIFY_PARAM_set1_host(param, name.c_str(), 0);
        SSL_set_tlsext_host_name(ssl, name.c_str());
    }
    impl->stream.set_verify_mode(asio::ssl::verify_peer);
    impl->pin = settings.Pin;
    // The pin is checked on the server's own certificate once its chain
    // and name have passed, inside the handshake: a mismatch ends it before
    // the client's Finished, so no request can follow.
    impl->stream.set_verify_callback([state = impl.get()](bool preverified, asio::ssl::verify_context& verify) {
        X509_STORE_CTX* store = verify.native_handle();
        if (!preverified || state->pin.empty() || X509_STORE_CTX_get_error_depth(store) != 0) return preverified;
        const auto seen = PublicKeyPin(X509_STORE_CTX_get_current_cert(store));
        if (seen == state->pin) return true;
        state->seenPin = seen;
        X509_STORE_CTX_set_error(store, X509_V_ERR_APPLICATION_VERIFICATION);
        return false;
    });
    return std::unique_ptr<TlsStream>(new TlsStream(std::move(impl)));
}

void TlsStream::asyncHandshake(Done done) {
    impl_->stream.async_handshake(asio::ssl::stream_base::client, std::move(done));
}

void TlsStream::asyncWrite(asio::const_buffer bytes, Transferred done) {
    asio::async_write(impl_->stream, bytes, PlainClose(std::move(done)));
}

void TlsStream::asyncRead(asio::mutable_buffer bytes, Transferred done) {
    asio::async_read(impl_->stream, bytes, PlainClose(std::move(done)));
}

void TlsStream::asyncReadSome(asio::mutable_buffer bytes, Transferred done) {
    impl_->stream.async_read_some(bytes, PlainClose(std::move(done)));
}

std::string TlsStream::HandshakeFailure(const asio::error_code& error) const {
    if (!impl_->seenPin.empty())
        return "the server's public key (SHA-256 " + impl_->seenPin + ") does not match TlsPin " + impl_->pin;
    const long verified = SSL_get_verify_result(impl_->stream.native_handle());
    if (verified != X509_V_OK)
        return std::string("the server's certificate is not trusted: ") + X509_verify_cert_error_string(verified);
    if (LooksPlain(error)) return "the server does not answer in TLS (" + SystemErrorText(error) + ")";
    return "the TLS handshake failed: " + SystemErrorText(error);
}

}  // namespace vantrel

#else  // without OpenSSL

namespace vantrel {

struct TlsStream::Impl {};

TlsStream::TlsStream(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
TlsStream::~TlsStream() = default;

Result<std::unique_ptr<TlsStream>> TlsStream::Create(asio::ip::tcp::socket&, const TlsSettings& settings,
                                                     const std::string&) {
    return Error{TlsRefusal(settings)};
}

void TlsStream::asyncHandshake(Done) {}
void TlsStream::asyncWrite(asio::const_buffer, Transferred) {}
void TlsStream::asyncRead(asio::mutable_buffer, Transferred) {}
void TlsStream::asyncReadSome(asio::mutable_buffer, Transferred) {}
std::string TlsStream::HandshakeFailure(const asio::error_code&) const { return {}; }

}  // namespace vantrel

#endif

namespace vantrel {

bool TlsSupported() {
#ifdef VANTREL_TLS
    return true;
#else
    return false;
#endif
}

std::string TlsRefusal(const TlsSettings& settings) {
    if (!settings.Problem.empty()) return settings.Problem;
    if (!TlsSupported()) return "此版本不支持 TLS（构建时没有 OpenSSL），不能连接要求 Tls=1 的服务器";
    return {};
}

}  // namespace vantrel
