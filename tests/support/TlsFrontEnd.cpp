#include "TlsFrontEnd.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <stdexcept>

extern char** environ;

namespace vantrel::test {
namespace {

const std::string kNewKey = "openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes ";

std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

// Runs a shell command; its standard output, or an exception naming it.
std::string Run(const std::string& command) {
    std::string output;
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe) throw std::runtime_error("cannot run " + command);
    std::array<char, 512> buffer;
    while (const auto n = fread(buffer.data(), 1, buffer.size(), pipe)) output.append(buffer.data(), n);
    if (pclose(pipe) != 0) throw std::runtime_error("failed: " + command);
    return output;
}

void MakeCa(const std::filesystem::path& key, const std::filesystem::path& cert, const std::string& name) {
    Run(kNewKey + "-x509 -days 2 -subj '/CN=" + name + "' -keyout " + Quoted(key) + " -out " + Quoted(cert));
}

int FreePort() {
    asio::io_context io;
    asio::ip::tcp::acceptor acceptor(io, asio::ip::tcp::endpoint(asio::ip::address_v4::loopback(), 0));
    return acceptor.local_endpoint().port();
}

bool Accepts(int port) {
    asio::io_context io;
    asio::ip::tcp::socket socket(io);
    asio::error_code ec;
    socket.connect(asio::ip::tcp::endpoint(asio::ip::address_v4::loopback(), static_cast<unsigned short>(port)), ec);
    return !ec;
}

}  // namespace

TestCertificates::TestCertificates(const std::filesystem::path& folder)
    : caFile(folder / "ca.pem"),
      otherCaFile(folder / "other-ca.pem"),
      serverCert(folder / "server.pem"),
      serverKey(folder / "server.key") {
    MakeCa(folder / "ca.key", caFile, "Vantrel Test CA");
    MakeCa(folder / "other-ca.key", otherCaFile, "Unrelated Test CA");
    const auto request = folder / "server.csr";
    const auto extensions = folder / "server.ext";
    std::ofstream(extensions) << "subjectAltName=IP:127.0.0.1,DNS:localhost\n";
    Run(kNewKey + "-subj '/CN=127.0.0.1' -keyout " + Quoted(serverKey) + " -out " + Quoted(request));
    Run("openssl x509 -req -days 2 -in " + Quoted(request) + " -CA " + Quoted(caFile) + " -CAkey " +
        Quoted(folder / "ca.key") + " -CAcreateserial -extfile " + Quoted(extensions) + " -out " + Quoted(serverCert));
    const auto digest = Run("openssl x509 -in " + Quoted(serverCert) +
                            " -pubkey -noout | openssl pkey -pubin -outform DER | openssl dgst -sha256 -hex");
    serverPin = digest.substr(digest.rfind(' ') + 1);
    while (!serverPin.empty() && (serverPin.back() == '\n' || serverPin.back() == '\r')) serverPin.pop_back();
}

StunnelProcess::StunnelProcess(const std::filesystem::path& folder, const TestCertificates& certificates,
                               int backendPort) {
    port_ = FreePort();
    const auto config = folder / "stunnel.conf";
    std::ofstream(config) << "foreground = quiet\n"
                          << "pid =\n"
                          << "output = " << (folder / "stunnel.log").string() << "\n"
                          << "[middleware]\n"
                          << "accept = 127.0.0.1:" << port_ << "\n"
                          << "connect = 127.0.0.1:" << backendPort << "\n"
                          << "cert = " << certificates.serverCert.string() << "\n"
                          << "key = " << certificates.serverKey.string() << "\n"
                          << "sslVersionMin = TLSv1.2\n"
                          // Idle connections are closed (with TLS's close
                          // notice) after a second, as a front end may.
                          << "TIMEOUTidle = 1\n";
    const std::string binary = "/usr/bin/stunnel4";
    const std::string path = config.string();
    char* argv[] = {const_cast<char*>(binary.c_str()), const_cast<char*>(path.c_str()), nullptr};
    if (posix_spawn(&pid_, binary.c_str(), nullptr, nullptr, argv, environ) != 0)
        throw std::runtime_error("cannot start " + binary + " (Debian: stunnel4)");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!Accepts(port_)) {
        if (std::chrono::steady_clock::now() > deadline || waitpid(pid_, nullptr, WNOHANG) == pid_)
            throw std::runtime_error("stunnel did not start; see " + (folder / "stunnel.log").string());
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

StunnelProcess::~StunnelProcess() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}

struct RecordingRelay::Session {
    explicit Session(asio::io_context& io) : client(io), server(io) {}
    asio::ip::tcp::socket client;
    asio::ip::tcp::socket server;
    std::array<char, 4096> up{};
    std::array<char, 4096> down{};
};

RecordingRelay::RecordingRelay(int targetPort)
    : acceptor_(io_, asio::ip::tcp::endpoint(asio::ip::address_v4::loopback(), 0)),
      target_(asio::ip::address_v4::loopback(), static_cast<unsigned short>(targetPort)),
      port_(acceptor_.local_endpoint().port()) {
    accept();
    thread_ = std::thread([this] { io_.run(); });
}

RecordingRelay::~RecordingRelay() {
    io_.stop();
    thread_.join();
}

std::string RecordingRelay::sent() const {
    std::lock_guard lock(mutex_);
    return sent_;
}

int RecordingRelay::connections() const {
    std::lock_guard lock(mutex_);
    return connections_;
}

void RecordingRelay::accept() {
    auto session = std::make_shared<Session>(io_);
    acceptor_.async_accept(session->client, [this, session](const asio::error_code& error) {
        if (error) return;
        {
            std::lock_guard lock(mutex_);
            ++connections_;
        }
        session->server.async_connect(target_, [this, session](const asio::error_code& failed) {
            if (failed) return;
            pump(session, true);
            pump(session, false);
        });
        accept();
    });
}

void RecordingRelay::pump(std::shared_ptr<Session> session, bool upstream) {
    auto& from = upstream ? session->client : session->server;
    auto& buffer = upstream ? session->up : session->down;
    from.async_read_some(asio::buffer(buffer), [this, session, upstream](const asio::error_code& error, std::size_t n) {
        auto& to = upstream ? session->server : session->client;
        if (error) {
            // Pass the close on, as a front end in between would.
            asio::error_code ignored;
            to.shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
            return;
        }
        const auto& data = upstream ? session->up : session->down;
        if (upstream) {
            std::lock_guard lock(mutex_);
            sent_.append(data.data(), n);
        }
        asio::async_write(to, asio::buffer(data.data(), n),
                          [this, session, upstream](const asio::error_code& failed, std::size_t) {
                              if (!failed) pump(session, upstream);
                          });
    });
}

}  // namespace vantrel::test
