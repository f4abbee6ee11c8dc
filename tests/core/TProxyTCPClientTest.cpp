#include "protocol/TProxyTCPClient.h"
#include "protocol/TlsSettings.h"
#include "support/ScriptedServer.h"

#include <asio.hpp>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace vantrel {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;

// A server on 127.0.0.1 (never another address) that runs one script per
// accepted connection, in the order the scripts were given, each on its own
// thread.
class LoopbackServer {
public:
    using Script = std::function<void(asio::ip::tcp::socket&)>;

    explicit LoopbackServer(int backlog = asio::socket_base::max_listen_connections)
        : acceptor_(io_) {
        asio::ip::tcp::endpoint endpoint(asio::ip::address_v4::loopback(), 0);
        acceptor_.open(endpoint.protocol());
        acceptor_.bind(endpoint);
        acceptor_.listen(backlog);
    }
    ~LoopbackServer() {
        stopping_ = true;
        release_.set_value();
        // Wake accepts that no client came for, so a failed test cannot hang.
        while (pending_ > 0) {
            asio::ip::tcp::socket wake(io_);
            asio::error_code ec;
            wake.connect(acceptor_.local_endpoint(), ec);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        for (auto& t : threads_) t.join();
    }

    int port() const { return acceptor_.local_endpoint().port(); }

    // Accepts a connection for script; the socket stays open until the
    // script returns, then until the server is destroyed if holdOpen is set.
    void serve(Script script, bool holdOpen = false) {
        const int ticket = tickets_++;
        ++pending_;
        threads_.emplace_back([this, ticket, script = std::move(script), holdOpen] {
            asio::ip::tcp::socket socket(io_);
            asio::error_code ec;
            {
                std::unique_lock lock(turnMutex_);
                turnChanged_.wait(lock, [&] { return turn_ == ticket; });
                acceptor_.accept(socket, ec);
                ++turn_;
                --pending_;
            }
            turnChanged_.notify_all();
            if (ec || stopping_) return;
            try {
                script(socket);
            } catch (const std::exception&) {
                // The client went away early; the test reports the cause.
            }
            if (holdOpen) released_.wait();
        });
    }

private:
    asio::io_context io_;
    asio::ip::tcp::acceptor acceptor_;
    std::promise<void> release_;
    std::shared_future<void> released_ = release_.get_future().share();
    std::vector<std::thread> threads_;
    std::mutex turnMutex_;
    std::condition_variable turnChanged_;
    int tickets_ = 0;
    int turn_ = 0;
    std::atomic<int> pending_{0};
    std::atomic<bool> stopping_{false};
};

void Send(asio::ip::tcp::socket& socket, const std::string& bytes) {
    asio::write(socket, asio::buffer(bytes));
}

std::string Receive(asio::ip::tcp::socket& socket, std::size_t n) {
    std::string buffer(n, '\0');
    asio::read(socket, asio::buffer(buffer));
    return buffer;
}

struct EventCounter {
    int connected = 0;
    int disconnected = 0;
    void attach(TProxyTCPClient& client) {
        client.onConnected = [this] { ++connected; };
        client.onDisconnected = [this] { ++disconnected; };
    }
};

TEST(TProxyTCPClient, ExchangesBytesAndRunsEachEventOncePerConnection) {
    LoopbackServer server;
    std::promise<std::string> received;
    server.serve([&](asio::ip::tcp::socket& s) {
        received.set_value(Receive(s, 5));
        Send(s, "wor");
        std::this_thread::sleep_for(20ms);  // the answer arrives in pieces
        Send(s, "ld\x08\0!"s);
    }, true);
    server.serve([](asio::ip::tcp::socket&) {}, true);

    TProxyTCPClient client;
    EventCounter events;
    events.attach(client);
    ASSERT_TRUE(client.connect("127.0.0.1", server.port(), 2000ms).ok());
    EXPECT_TRUE(client.connected());
    EXPECT_EQ(events.connected, 1);

    ASSERT_TRUE(client.writeAll("hello").ok());
    EXPECT_EQ(received.get_future().get(), "hello");
    auto answer = client.readExact(7);
    ASSERT_TRUE(answer.ok()) << answer.error();
    EXPECT_EQ(*answer, "world\x08\0!"s.substr(0, 7));
    EXPECT_EQ(client.lastFailure(), IoFailure::None);
    EXPECT_TRUE(client.readExact(0).ok());

    client.disconnect();
    client.disconnect();
    EXPECT_FALSE(client.connected());
    EXPECT_EQ(events.disconnected, 1);

    // A second connection by name; connecting again closes it first.
    ASSERT_TRUE(client.connect("localhost", server.port(), 2000ms).ok());
    EXPECT_EQ(events.connected, 2);
    EXPECT_EQ(client.host(), "localhost");
    EXPECT_EQ(client.port(), server.port());
}

TEST(TProxyTCPClient, ConnectWhileConnectedEndsTheOldConnectionFirst) {
    LoopbackServer server;
    server.serve([](asio::ip::tcp::socket&) {}, true);
    server.serve([](asio::ip::tcp::socket&) {}, true);
    TProxyTCPClient client;
    std::vector<std::string> order;
    client.onConnected = [&] { order.push_back("up"); };
    client.onDisconnected = [&] {
        order.push_back("down");
        // The state is already updated when the handler runs.
        EXPECT_FALSE(client.connected());
    };
    ASSERT_TRUE(client.connect("127.0.0.1", server.port(), 2000ms).ok());
    ASSERT_TRUE(client.connect("127.0.0.1", server.port(), 2000ms).ok());
    EXPECT_EQ(order, (std::vector<std::string>{"up", "down", "up"}));
}

TEST(TProxyTCPClient, ReadTimeOutIsReportedAndDropsTheConnection) {
    LoopbackServer server;
    server.serve([](asio::ip::tcp::socket& s) { Send(s, "abc"); }, true);
    TProxyTCPClient client;
    EventCounter events;
    events.attach(client);
    ASSERT_TRUE(client.connect("127.0.0.1", server.port(), 2000ms).ok());
    client.setReadTimeout(150ms);

    auto answer = client.readExact(6);
    ASSERT_FALSE(answer.ok());
    EXPECT_EQ(client.lastFailure(), IoFailure::TimedOut);
    EXPECT_NE(answer.error().find("did not arrive in time"), std::string::npos) << answer.error();
    EXPECT_NE(answer.error().find("3 of 6"), std::string::npos) << answer.error();
    EXPECT_FALSE(client.connected());
    EXPECT_EQ(events.disconnected, 1);
}

TEST(TProxyTCPClient, PeerCloseDuringReadIsReported) {
    LoopbackServer server;
    server.serve([](asio::ip::tcp::socket& s) {
        Send(s, "ab");
        s.shutdown(asio::ip::tcp::socket::shutdown_both);
        s.close();
    });
    TProxyTCPClient client;
    EventCounter events;
    events.attach(client);
    ASSERT_TRUE(client.connect("127.0.0.1", server.port(), 2000ms).ok());

    auto answer = client.readExact(4);
    ASSERT_FALSE(answer.ok());
    EXPECT_EQ(client.lastFailure(), IoFailure::Closed);
    EXPECT_NE(answer.error().find("closed"), std::string::npos) << answer.error();
    EXPECT_FALSE(client.connected());
    EXPECT_EQ(events.disconnected, 1);

    EXPECT_FALSE(client.readExact(1).ok());
    EXPECT_EQ(client.lastFailure(), IoFailure::NotConnected);
    EXPECT_FALSE(client.writeAll("x").ok());
    EXPECT_EQ(client.lastFailure(), IoFailure::NotConnected);
    EXPECT_EQ(events.disconnected, 1);
}

TEST(TProxyTCPClient, IdleConnectionClosedByPeerReadsAsDisconnected) {
    LoopbackServer server;
    std::promise<void> closed;
    server.serve([&](asio::ip::tcp::socket& s) {
        s.close();
        closed.set_value();
    });
    TProxyTCPClient client;
    EventCounter events;
    events.attach(client);
    ASSERT_TRUE(client.connect("127.0.0.1", server.port(), 2000ms).ok());
    closed.get_future().wait();

    // The close needs a moment to reach us over loopback.
    bool stillUp = true;
    for (int i = 0; i < 200 && stillUp; ++i) {
        stillUp = client.connected();
        if (stillUp) std::this_thread::sleep_for(10ms);
    }
    EXPECT_FALSE(stillUp);
    EXPECT_FALSE(client.connected());
    EXPECT_EQ(events.disconnected, 1);
}

TEST(TProxyTCPClient, PendingDataIsNotMistakenForAClose) {
    LoopbackServer server;
    std::promise<void> sent;
    server.serve([&](asio::ip::tcp::socket& s) {
        Send(s, "x");
        sent.set_value();
    }, true);
    TProxyTCPClient client;
    ASSERT_TRUE(client.connect("127.0.0.1", server.port(), 2000ms).ok());
    sent.get_future().wait();
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(client.connected());
    auto byte = client.readExact(1);
    ASSERT_TRUE(byte.ok());
    EXPECT_EQ(*byte, "x");  // the probe did not consume it
}

TEST(TProxyTCPClient, RefusedConnectAndBadPortFailWithoutEvents) {
    int closedPort = 0;
    {
        LoopbackServer gone;
        closedPort = gone.port();
    }
    TProxyTCPClient client;
    EventCounter events;
    events.attach(client);
    Status refused = client.connect("127.0.0.1", closedPort, 2000ms);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(client.lastFailure(), IoFailure::Other);
    EXPECT_NE(refused.error().find(std::to_string(closedPort)), std::string::npos);
    EXPECT_FALSE(client.connected());

    for (int port : {0, -1, 65536}) {
        Status bad = client.connect("127.0.0.1", port, 100ms);
        ASSERT_FALSE(bad.ok());
        EXPECT_NE(bad.error().find("65535"), std::string::npos) << bad.error();
    }
    EXPECT_FALSE(client.connect("no-such-host.invalid", 80, 2000ms).ok());
    EXPECT_EQ(events.connected, 0);
    EXPECT_EQ(events.disconnected, 0);
}

TEST(TProxyTCPClient, ConnectTimeOutWhenTheServerDoesNotAccept) {
    // A listener with a backlog of 0 that never accepts: once its queue is
    // full the kernel drops further handshakes, so a connect hangs.
    LoopbackServer server(0);
    std::vector<std::unique_ptr<TProxyTCPClient>> fillers;
    Status last;
    for (int i = 0; i < 8; ++i) {
        auto client = std::make_unique<TProxyTCPClient>();
        EventCounter events;
        events.attach(*client);
        last = client->connect("127.0.0.1", server.port(), 200ms);
        if (!last.ok()) {
            EXPECT_EQ(client->lastFailure(), IoFailure::TimedOut) << last.error();
            EXPECT_NE(last.error().find("within 200 ms"), std::string::npos) << last.error();
            EXPECT_FALSE(client->connected());
            EXPECT_EQ(events.connected, 0);
            EXPECT_EQ(events.disconnected, 0);
            return;
        }
        client->onConnected = nullptr;
        client->onDisconnected = nullptr;
        fillers.push_back(std::move(client));
    }
    GTEST_SKIP() << "this kernel accepted every handshake; no connect time-out to observe";
}

TEST(TProxyTCPClient, DestructorClosesWithoutRunningEvents) {
    LoopbackServer server;
    std::promise<bool> peerSawClose;
    server.serve([&](asio::ip::tcp::socket& s) {
        char byte;
        asio::error_code ec;
        s.read_some(asio::buffer(&byte, 1), ec);
        peerSawClose.set_value(ec == asio::error::eof);
    });
    int disconnected = 0;
    {
        TProxyTCPClient client;
        client.onDisconnected = [&] { ++disconnected; };
        ASSERT_TRUE(client.connect("127.0.0.1", server.port(), 2000ms).ok());
    }
    EXPECT_EQ(disconnected, 0);
    EXPECT_TRUE(peerSawClose.get_future().get());
}

// Everything a server got on one connection, read until the client closes
// it or a second has passed.
std::string ReceiveUntilClosed(asio::ip::tcp::socket& s) {
    std::string got;
    char buffer[1024];
    const auto deadline = std::chrono::steady_clock::now() + 1s;
    s.non_blocking(true);
    while (std::chrono::steady_clock::now() < deadline) {
        asio::error_code ec;
        const auto n = s.read_some(asio::buffer(buffer), ec);
        if (ec == asio::error::would_block) {
            std::this_thread::sleep_for(5ms);
            continue;
        }
        if (ec) break;
        got.append(buffer, n);
    }
    return got;
}

TEST(TProxyTCPClient, TlsHandshakeThatNeverEndsFailsWithinTheConnectTimeOut) {
    // Accepts TCP, then never answers the client's hello.
    LoopbackServer server;
    std::promise<std::string> received;
    server.serve([&](asio::ip::tcp::socket& s) { received.set_value(ReceiveUntilClosed(s)); });
    TProxyTCPClient client;
    EventCounter events;
    events.attach(client);
    TlsSettings tls;
    tls.Enabled = true;
    const auto start = std::chrono::steady_clock::now();
    const auto status = client.connect("127.0.0.1", server.port(), 300ms, tls);
    const auto took = std::chrono::steady_clock::now() - start;
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.error().find("nothing was sent"), std::string::npos) << status.error();
    EXPECT_FALSE(client.connected());
    EXPECT_EQ(events.connected, 0);
    if (!TlsSupported()) {
        EXPECT_NE(status.error().find("不支持 TLS"), std::string::npos) << status.error();
        return;
    }
    EXPECT_EQ(client.lastFailure(), IoFailure::TimedOut);
    EXPECT_NE(status.error().find("within 300 ms"), std::string::npos) << status.error();
    EXPECT_LT(took, 1500ms);
    // A TLS hello (record type 22), no request frame.
    const auto bytes = received.get_future().get();
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes[0], '\x16');
}

TEST(TProxyTCPClient, TlsSettingsThatCannotBeUsedFailBeforeConnecting) {
    test::ScriptedServer server;
    TProxyTCPClient client;
    TlsSettings tls;
    tls.Enabled = true;
    tls.Problem = "[system] Tls=yes is neither 0 nor 1";
    const auto status = client.connect("127.0.0.1", server.port(), 300ms, tls);
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.error().find("Tls=yes"), std::string::npos) << status.error();
    // The next connection is the server's first: the refused one never was.
    ASSERT_TRUE(client.connect("127.0.0.1", server.port(), 2000ms).ok());
    const auto deadline = std::chrono::steady_clock::now() + 1s;
    while (server.connections() < 1 && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(5ms);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(server.connections(), 1);
}

}  // namespace
}  // namespace vantrel
