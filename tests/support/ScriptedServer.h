#pragma once
// A loopback middleware stand-in for tests: records every request frame it
// receives and answers each with the next scripted reply.
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <asio.hpp>

namespace vantrel::test {

struct ScriptedReply {
    std::string bytes;         // sent as they are after the request is read
    bool closeAfter = false;   // close the connection after sending
    bool silent = false;       // send nothing and keep the connection open
};

class ScriptedServer {
public:
    ScriptedServer();
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    int port() const { return port_; }
    void enqueue(ScriptedReply reply);
    // Payloads (header and body, without the prefix) received so far, and
    // the whole frames as they arrived.
    std::vector<std::string> requests() const;
    std::vector<std::string> frames() const;
    int connections() const { return connections_; }
    // Closes the connection that is open now, as an idle server would.
    void closeConnection();
    // Waits until `count` requests have arrived (or a second has passed).
    bool waitForRequests(std::size_t count) const;

private:
    void accept();
    void readPrefix(std::shared_ptr<asio::ip::tcp::socket> socket);

    asio::io_context io_;
    asio::ip::tcp::acceptor acceptor_;
    int port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::deque<ScriptedReply> replies_;
    std::vector<std::string> requests_;
    std::vector<std::string> frames_;
    std::shared_ptr<asio::ip::tcp::socket> current_;
    std::atomic<int> connections_{0};
};

// Answer frame helpers built on the codec's answer builder.
std::string AnswerFrame(const std::vector<std::string>& items, unsigned columns,
                        const std::string& returnCode = "00000", bool last = true,
                        char flag = '0', const std::string& key = "47150362");

}  // namespace vantrel::test
