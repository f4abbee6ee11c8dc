// The client behind TLS as a market runs it: stunnel before the plain
// simulator. A relay on each side of stunnel keeps what the client sent
// over the network and what reached the simulator.
#include <gtest/gtest.h>

#include <asio/ssl.hpp>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "ScriptedServer.h"
#include "SimulatorFixture.h"
#include "TlsFrontEnd.h"
#include "protocol/QueryRequests.h"
#include "protocol/TVantrel.h"
#include "protocol/TlsSettings.h"
#include "servers/THostRespondCheck.h"

namespace vantrel::test {
namespace {

constexpr const char* kPassword = "123456";

// Answers every request of a connection with one row, and after the first
// answer sends TLS's close notice at once while the TCP connection stays
// open: only the TLS layer says that the connection is over.
class ClosingTlsServer {
public:
    explicit ClosingTlsServer(const TestCertificates& certificates) {
        context_.use_certificate_chain_file(certificates.serverCert.string());
        context_.use_private_key_file(certificates.serverKey.string(), asio::ssl::context::pem);
        accept();
        thread_ = std::thread([this] { io_.run(); });
    }
    ~ClosingTlsServer() {
        io_.stop();
        thread_.join();
    }
    int port() const { return acceptor_.local_endpoint().port(); }
    int connections() const { return connections_; }

private:
    using Stream = asio::ssl::stream<asio::ip::tcp::socket>;

    void accept() {
        auto stream = std::make_shared<Stream>(io_, context_);
        acceptor_.async_accept(stream->lowest_layer(), [this, stream](const asio::error_code& error) {
            if (error) return;
            const bool first = ++connections_ == 1;
            stream->async_handshake(asio::ssl::stream_base::server, [this, stream, first](const asio::error_code& e) {
                if (!e) answer(stream, first);
            });
            accept();
        });
    }

    void answer(std::shared_ptr<Stream> stream, bool closeAfter) {
        auto prefix = std::make_shared<std::string>(6, '\0');
        asio::async_read(*stream, asio::buffer(*prefix), [=, this](const asio::error_code& error, std::size_t) {
            if (error) return;
            auto payload = std::make_shared<std::string>(std::stoul(prefix->substr(0, 4)), '\0');
            asio::async_read(*stream, asio::buffer(*payload), [=, this](const asio::error_code& e, std::size_t) {
                if (e) return;
                auto frame = std::make_shared<std::string>(
                    AnswerFrame({"BankID", "CustBankAcctNo", "005", kIcbcAccount}, 2));
                asio::async_write(*stream, asio::buffer(*frame), [=, this](const asio::error_code& w, std::size_t) {
                    if (w) return;
                    if (!closeAfter) return answer(stream, false);
                    // The notice goes out; the socket stays open.
                    stream->async_shutdown([stream](const asio::error_code&) {});
                });
            });
        });
    }

    asio::io_context io_;
    asio::ssl::context context_{asio::ssl::context::tls_server};
    asio::ip::tcp::acceptor acceptor_{io_, asio::ip::tcp::endpoint(asio::ip::address_v4::loopback(), 0)};
    std::atomic<int> connections_{0};
    std::thread thread_;
};

class TlsFrontEnd : public SimulatorFixture {
protected:
    void SetUp() override {
        if (!TlsSupported()) GTEST_SKIP() << "built without OpenSSL";
        startAll(5000, {});
        certificates = std::make_unique<TestCertificates>(folder->path());
        backend = std::make_unique<RecordingRelay>(sim->port());
        stunnel = std::make_unique<StunnelProcess>(folder->path(), *certificates, backend->port());
        wire = std::make_unique<RecordingRelay>(stunnel->port());
    }
    void TearDown() override {
        wire.reset();
        stunnel.reset();
        backend.reset();
        SimulatorFixture::TearDown();
    }
    // Bank.ini [system] with these keys; requests made afterwards read them.
    void systemKeys(const std::string& lines) {
        const auto text = GbkToUtf8(folder->read("Bank.ini")).value();
        writeIni(ReplaceAll(text, "[system]\n", "[system]\n" + lines));
    }
    bool loginAt(TBankLogin& request, int port) {
        request.Settings.Host = "127.0.0.1";
        request.Settings.Port = port;
        request.Settings.CustTradeID = kTrader;
        request.Settings.CustMoneyPwd = kPassword;
        request.OwnerWindow = &sink;
        return request.Execute();
    }
    std::string lastLogged() const { return sink.texts.empty() ? std::string() : sink.texts.back().text; }

    std::unique_ptr<TestCertificates> certificates;
    std::unique_ptr<RecordingRelay> backend;  // stunnel -> simulator: plain frames
    std::unique_ptr<StunnelProcess> stunnel;
    std::unique_ptr<RecordingRelay> wire;     // client -> stunnel: the network
};

TEST_F(TlsFrontEnd, LoginDepositAndDetailsGoThroughStunnelWithNoPasswordOnTheWire) {
    // Relative to the application folder, as Bank.ini is usually written.
    systemKeys("Tls=1\nTlsCaFile=ca.pem\nTlsPin=" + certificates->serverPin + "\n");
    TBankLogin login(Process());
    ASSERT_TRUE(loginAt(login, wire->port())) << login.LastMessage << " / " << lastLogged();
    EXPECT_EQ(login.ResultTable.recordCount(), 3);

    TVantrel deposit(Process());
    deposit.CustBankAcctNo = kIcbcAccount;
    deposit.CustTradeID = kTrader;
    deposit.CustMoneyPwd = kPassword;
    deposit.ChangeMoney = "5000";
    deposit.Direction = 1;
    ASSERT_TRUE(deposit.Execute()) << deposit.LastMessage;

    TQueryTransferMore details(Process());
    details.CustTradeID = kTrader;
    details.CustMoneyPwd = kPassword;
    details.CustBankAcctNo = kIcbcAccount;
    ASSERT_TRUE(details.Execute()) << details.LastMessage;
    EXPECT_EQ(details.ResultTable.text(details.ResultTable.recordCount() - 1, "ChangeMoney"), "50.00");

    // Each request made its own connection, each a TLS session.
    EXPECT_EQ(wire->connections(), 3);
    const auto network = wire->sent();
    EXPECT_FALSE(Holds(network, kPassword));
    EXPECT_FALSE(Holds(network, "CustMoneyPwd"));
    // Behind stunnel the same frames arrive in clear: the check above looks
    // at bytes that would show them.
    EXPECT_TRUE(Holds(backend->sent(), kPassword));
    EXPECT_TRUE(Holds(backend->sent(), "CustMoneyPwd"));
}

TEST_F(TlsFrontEnd, WithoutTlsThePasswordCrossesTheNetworkInClear) {
    RecordingRelay plain(sim->port());
    TBankLogin login(Process());
    ASSERT_TRUE(loginAt(login, plain.port())) << login.LastMessage;
    EXPECT_TRUE(Holds(plain.sent(), kPassword));
}

TEST_F(TlsFrontEnd, SimulatorServesTlsItself) {
    MiddlewareProcess secure({"--tls-cert", certificates->serverCert.string(), "--tls-key",
                              certificates->serverKey.string()});
    systemKeys("Tls=1\nTlsCaFile=ca.pem\n");
    TBankLogin login(Process());
    ASSERT_TRUE(loginAt(login, secure.port())) << login.LastMessage << " / " << lastLogged();
    EXPECT_EQ(login.ResultTable.recordCount(), 3);
    // And a client that expects no TLS gets no answer it could read.
    folder->write("Bank.ini", Utf8ToGbk(kStandardBankIni).value());
    TBankLogin plain(Process());
    EXPECT_FALSE(loginAt(plain, secure.port()));
}

TEST_F(TlsFrontEnd, KeptConnectionServesTheLoginUntilTheFrontEndClosesIt) {
    systemKeys("Tls=1\nTlsCaFile=ca.pem\nConnectStyle=1\n");
    TBankLogin login(Process());
    ASSERT_TRUE(loginAt(login, wire->port())) << login.LastMessage << " / " << lastLogged();
    TQueryTransferMore details(Process());
    details.CustTradeID = kTrader;
    details.CustMoneyPwd = kPassword;
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(details.Execute()) << details.LastMessage;
    EXPECT_EQ(wire->connections(), 1);
    // stunnel closes the idle connection; the next request sees that and
    // connects again instead of writing into the closed session.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ASSERT_TRUE(details.Execute()) << details.LastMessage << " / " << lastLogged();
    EXPECT_EQ(wire->connections(), 2);
}

TEST_F(TlsFrontEnd, KeptConnectionEndedByTlsCloseNoticeIsOpenedAgain) {
    systemKeys("Tls=1\nTlsCaFile=ca.pem\nConnectStyle=1\n");
    ClosingTlsServer server(*certificates);
    TBankLogin login(Process());
    ASSERT_TRUE(loginAt(login, server.port())) << login.LastMessage << " / " << lastLogged();
    TQueryTransferMore details(Process());
    details.CustTradeID = kTrader;
    ASSERT_TRUE(details.Execute()) << details.LastMessage << " / " << lastLogged();
    EXPECT_EQ(server.connections(), 2);
}

// Each refusal names its reason and no frame reaches the simulator.
TEST_F(TlsFrontEnd, UntrustedServersAreRefusedBeforeAnyRequest) {
    RecordingRelay plainServer(sim->port());
    struct Case {
        const char* name;
        std::string keys;
        int port;
        const char* reason;
    };
    const std::string wrongPin(64, 'a');
    const Case cases[] = {
        {"another CA", "Tls=1\nTlsCaFile=" + certificates->otherCaFile.string() + "\n", wire->port(),
         "certificate is not trusted"},
        {"another pin", "Tls=1\nTlsCaFile=ca.pem\nTlsPin=" + wrongPin + "\n", wire->port(), "does not match TlsPin"},
        {"another name", "Tls=1\nTlsCaFile=ca.pem\nTlsServerName=middleware.example\n", wire->port(),
         "certificate is not trusted"},
        {"a plain server", "Tls=1\nTlsCaFile=ca.pem\n", plainServer.port(), "does not answer in TLS"},
    };
    const auto original = folder->read("Bank.ini");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        folder->write("Bank.ini", original);
        systemKeys(c.keys);
        TBankLogin login(Process());
        EXPECT_FALSE(loginAt(login, c.port));
        EXPECT_EQ(login.LastMessage, "连接服务器失败:");
        EXPECT_NE(lastLogged().find(c.reason), std::string::npos) << lastLogged();
        EXPECT_NE(lastLogged().find("nothing was sent"), std::string::npos) << lastLogged();
    }
    EXPECT_EQ(backend->sent(), "");
    EXPECT_FALSE(Holds(wire->sent(), kPassword));
    // The plain server got a TLS hello (record type 22), never a frame.
    ASSERT_FALSE(plainServer.sent().empty());
    EXPECT_EQ(plainServer.sent()[0], '\x16');
    EXPECT_FALSE(Holds(plainServer.sent(), kPassword));
}

TEST_F(TlsFrontEnd, ProbeCountsAServerOnlyWhenItsHandshakeSucceeds) {
    RecordingRelay plainServer(sim->port());
    THostRespondCheck checker;
    checker.SetConnectTimeout(std::chrono::milliseconds(1000));
    checker.SetMaxTries(1);
    TlsSettings trusted;
    trusted.Enabled = true;
    trusted.CaFile = certificates->caFile.string();
    TlsSettings untrusted = trusted;
    untrusted.CaFile = certificates->otherCaFile.string();
    ASSERT_TRUE(checker.AddHost(1, "127.0.0.1", wire->port(), trusted));
    ASSERT_TRUE(checker.AddHost(2, "127.0.0.1", wire->port(), untrusted));
    ASSERT_TRUE(checker.AddHost(3, "127.0.0.1", plainServer.port(), trusted));
    ASSERT_TRUE(checker.AddHost(4, "127.0.0.1", plainServer.port()));
    checker.StartCheck(4);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (checker.IsChecking() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_FALSE(checker.IsChecking());
    EXPECT_EQ(checker.FindHost(1)->State, hsConnected);
    EXPECT_NE(checker.FindHost(2)->State, hsConnected);
    EXPECT_NE(checker.FindHost(3)->State, hsConnected);
    EXPECT_EQ(checker.FindHost(4)->State, hsConnected);  // plain probe of a plain server
    EXPECT_EQ(backend->sent(), "");
}

}  // namespace
}  // namespace vantrel::test
