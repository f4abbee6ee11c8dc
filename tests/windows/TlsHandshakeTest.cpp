// TLS through asio's SSL layer and the OpenSSL the Windows builds link, run
// under Wine by tests/windows/tls-handshake.sh against "openssl s_server" on
// the Linux side, with certificates made for the run. The server answers each
// line reversed (-rev), which proves the channel carries data both ways.
#include <asio.hpp>
#include <asio/ssl.hpp>
#include <gtest/gtest.h>
#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

#include <cstdlib>
#include <ostream>
#include <string>

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

struct HandshakeCase {
    const char* name;
    const char* caVariable;  // the environment variable naming the CA file
    const char* expectedHost;
    long verifyResult;       // X509_V_OK: the handshake must succeed
};

void PrintTo(const HandshakeCase& c, std::ostream* out)
{
    *out << c.name;
}

class TlsHandshake : public testing::TestWithParam<HandshakeCase> {};

TEST_P(TlsHandshake, VerifiesTheServerAgainstTheGivenCa)
{
    const HandshakeCase& c = GetParam();
    const std::string server = environment("VANTREL_TLS_SERVER");
    const std::string caFile = environment(c.caVariable);
    ASSERT_FALSE(server.empty() || caFile.empty())
        << "VANTREL_TLS_SERVER and " << c.caVariable << " are set by tests/windows/tls-handshake.sh";
    const auto colon = server.rfind(':');
    ASSERT_NE(colon, std::string::npos) << server;

    asio::io_context io;
    asio::ssl::context context(asio::ssl::context::tls_client);
    context.set_verify_mode(asio::ssl::verify_peer);
    context.load_verify_file(caFile);
    asio::ssl::stream<asio::ip::tcp::socket> stream(io, context);
    stream.set_verify_callback(asio::ssl::host_name_verification(c.expectedHost));
    asio::ip::tcp::resolver resolver(io);
    asio::connect(stream.lowest_layer(), resolver.resolve(server.substr(0, colon), server.substr(colon + 1)));

    asio::error_code error;
    stream.handshake(asio::ssl::stream_base::client, error);
    if (c.verifyResult != X509_V_OK) {
        ASSERT_TRUE(error) << "the handshake succeeded against " << caFile << " for " << c.expectedHost;
        EXPECT_EQ(error.category(), asio::error::get_ssl_category()) << error.message();
        EXPECT_EQ(ERR_GET_REASON(error.value()), SSL_R_CERTIFICATE_VERIFY_FAILED) << error.message();
        EXPECT_EQ(SSL_get_verify_result(stream.native_handle()), c.verifyResult);
        return;
    }
    ASSERT_FALSE(error) << error.message();
    EXPECT_EQ(SSL_get_verify_result(stream.native_handle()), X509_V_OK);
    EXPECT_STREQ(SSL_get_version(stream.native_handle()), "TLSv1.3");

    asio::write(stream, asio::buffer(std::string("vantrel\n")));
    std::string reply;
    asio::read_until(stream, asio::dynamic_buffer(reply), '\n');
    EXPECT_EQ(reply, "lertnav\n");
    stream.shutdown(error);  // the server may close first; either way is fine
}

// The server's certificate names 127.0.0.1 and localhost and is signed by the
// test CA; the wrong CA is a second, unrelated one.
INSTANTIATE_TEST_SUITE_P(
    Server, TlsHandshake,
    testing::Values(HandshakeCase{"TestCa", "VANTREL_TLS_CA", "127.0.0.1", X509_V_OK},
                    HandshakeCase{"WrongCa", "VANTREL_TLS_WRONG_CA", "127.0.0.1",
                                  X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY},
                    // asio's name check refuses without naming a reason.
                    HandshakeCase{"OtherHostName", "VANTREL_TLS_CA", "fund.example.com",
                                  X509_V_ERR_UNSPECIFIED}),
    [](const testing::TestParamInfo<HandshakeCase>& info) { return std::string(info.param.name); });

// libssl reads openssl.cnf from OPENSSLDIR at start: a folder only
// administrators may write to, not the build machine's path, which on Windows
// names a folder on the current drive that anyone may create.
TEST(OpenSslBuild, ReadsItsConfigurationFromAnAdministratorsFolder)
{
    EXPECT_STREQ(OpenSSL_version(OPENSSL_DIR), "OPENSSLDIR: \"C:/Program Files/Common Files/SSL\"");
}

}  // namespace
