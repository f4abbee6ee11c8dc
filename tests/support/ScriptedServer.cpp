#include "ScriptedServer.h"

#include <chrono>
#include <future>
#include <stdexcept>

#include "common/TextCodec.h"
#include "protocol/PacketCodec.h"

namespace vantrel::test {

ScriptedServer::ScriptedServer()
    : acceptor_(io_, asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0)) {
    port_ = acceptor_.local_endpoint().port();
    accept();
    thread_ = std::thread([this] { io_.run(); });
}

ScriptedServer::~ScriptedServer() {
    asio::post(io_, [this] {
        asio::error_code ignored;
        acceptor_.close(ignored);
        if (current_) current_->close(ignored);
    });
    io_.stop();
    thread_.join();
}

void ScriptedServer::enqueue(ScriptedReply reply) {
    std::lock_guard lock(mutex_);
    replies_.push_back(std::move(reply));
}

std::vector<std::string> ScriptedServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<std::string> ScriptedServer::frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

bool ScriptedServer::waitForRequests(std::size_t count) const {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, std::chrono::seconds(1), [&] { return requests_.size() >= count; });
}

void ScriptedServer::closeConnection() {
    std::promise<void> done;
    asio::post(io_, [this, &done] {
        asio::error_code ignored;
        if (current_) current_->close(ignored);
        current_.reset();
        done.set_value();
    });
    done.get_future().wait();
}

void ScriptedServer::accept() {
    acceptor_.async_accept([this](asio::error_code error, asio::ip::tcp::socket socket) {
        if (error) return;
        ++connections_;
        current_ = std::make_shared<asio::ip::tcp::socket>(std::move(socket));
        readPrefix(current_);
        accept();
    });
}

void ScriptedServer::readPrefix(std::shared_ptr<asio::ip::tcp::socket> socket) {
    auto prefix = std::make_shared<std::string>(6, '\0');
    asio::async_read(*socket, asio::buffer(*prefix), [this, socket, prefix](asio::error_code error, std::size_t) {
        if (error) return;
        // Requests carry their length left-aligned ("120 ").
        const auto length = std::stoul(prefix->substr(0, 4));
        auto payload = std::make_shared<std::string>(length, '\0');
        asio::async_read(*socket, asio::buffer(*payload), [this, socket, prefix, payload](asio::error_code error, std::size_t) {
            if (error) return;
            ScriptedReply reply;
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(*payload);
                frames_.push_back(*prefix + *payload);
                if (!replies_.empty()) {
                    reply = std::move(replies_.front());
                    replies_.pop_front();
                } else {
                    reply.silent = true;
                }
            }
            arrived_.notify_all();
            if (reply.silent) {
                readPrefix(socket);
                return;
            }
            auto bytes = std::make_shared<std::string>(std::move(reply.bytes));
            asio::async_write(*socket, asio::buffer(*bytes), [this, socket, bytes, reply](asio::error_code error, std::size_t) {
                if (error) return;
                if (reply.closeAfter) {
                    asio::error_code ignored;
                    socket->shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
                    socket->close(ignored);
                    return;
                }
                readPrefix(socket);
            });
        });
    });
}

std::string AnswerFrame(const std::vector<std::string>& items, unsigned columns,
                        const std::string& returnCode, bool last, char flag, const std::string& key) {
    std::string body;
    for (const auto& item : items) {
        auto wire = Utf8ToGbk(item);
        if (!wire.ok()) throw std::runtime_error(wire.error());
        body += wire.value() + '\x08';
    }
    AnswerHeaderFields header;
    header.returnCode = returnCode;
    header.lastFrame = last;
    header.columnCount = static_cast<std::uint8_t>(columns);
    auto frame = BuildAnswerFrame(header, body, static_cast<ScrambleFlag>(flag), key);
    if (!frame.ok()) throw std::runtime_error(frame.error());
    return std::move(frame).value();
}

}  // namespace vantrel::test
