// The client behind TLS as a market runs it: stunnel before the plain
// simulator. A relay on each side of stunnel keeps what the client sent
// over the network and what reached the simulator.
#include <gtest/gtest.h>

#include <chrono>

#include "SimulatorFixture.h"
#include "TlsFrontEnd.h"
#include "protocol/QueryRequests.h"
#include "protocol/TVantrel.h"
#include "protocol/TlsSettings.h"
#include "servers/THostRespondCheck.h"

namespace vantrel::test {
namespace {

constexpr const char* kPassword = "123456";

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

TEST_F(TlsFrontEnd, KeptConnectionServesEveryRequestOfTheLogin) {
    systemKeys("Tls=1\nTlsCaFile=ca.pem\nConnectStyle=1\n");
    TBankLogin login(Process());
    ASSERT_TRUE(loginAt(login, wire->port())) << login.LastMessage << " / " << lastLogged();
    TQueryTransferMore details(Process());
    details.CustTradeID = kTrader;
    details.CustMoneyPwd = kPassword;
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(details.Execute()) << details.LastMessage;
    EXPECT_EQ(wire->connections(), 1);
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
