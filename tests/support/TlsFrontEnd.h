#pragma once
// What a market puts before its middleware, for the integration tests:
// certificates made at test time with the openssl program, stunnel as the
// TLS front end, and a relay that keeps the bytes a client sends through it.
// POSIX only, like the simulator.
#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <asio.hpp>

namespace vantrel::test {

// A CA, a server certificate it signed for 127.0.0.1 and localhost, and an
// unrelated second CA, in `folder`.
struct TestCertificates {
    explicit TestCertificates(const std::filesystem::path& folder);

    std::filesystem::path caFile;       // the CA that signed the server's certificate
    std::filesystem::path otherCaFile;  // a CA that signed nothing here
    std::filesystem::path serverCert;
    std::filesystem::path serverKey;
    std::string serverPin;  // SHA-256 of the server's public key, hex, as openssl prints it
};

// stunnel in the foreground: TLS on a free loopback port, plain TCP on to
// 127.0.0.1:backendPort; a connection idle for a second is closed. Stopped
// in the destructor.
class StunnelProcess {
public:
    StunnelProcess(const std::filesystem::path& folder, const TestCertificates& certificates, int backendPort);
    ~StunnelProcess();
    StunnelProcess(const StunnelProcess&) = delete;
    StunnelProcess& operator=(const StunnelProcess&) = delete;

    int port() const { return port_; }

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

// Forwards every connection made to port() on to 127.0.0.1:targetPort and
// keeps the bytes the clients sent.
class RecordingRelay {
public:
    explicit RecordingRelay(int targetPort);
    ~RecordingRelay();
    RecordingRelay(const RecordingRelay&) = delete;
    RecordingRelay& operator=(const RecordingRelay&) = delete;

    int port() const { return port_; }
    std::string sent() const;
    int connections() const;

private:
    struct Session;
    void accept();
    void pump(std::shared_ptr<Session> session, bool upstream);

    asio::io_context io_;
    asio::ip::tcp::acceptor acceptor_;
    asio::ip::tcp::endpoint target_;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::string sent_;
    int connections_ = 0;
    std::thread thread_;
};

// Whether `bytes` hold `text`.
inline bool Holds(const std::string& bytes, const std::string& text) { return bytes.find(text) != std::string::npos; }

}  // namespace vantrel::test
