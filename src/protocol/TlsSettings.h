#pragma once
// How a connection to the fund middleware is protected: the Tls keys of
// Bank.ini's [system] section, which a server's own [MoneyServerN] section
// may override key by key.
#include <string>
#include <string_view>

#include "common/Result.h"

namespace vantrel {

class Profile;

struct TlsSettings {
    bool Enabled = false;    // Tls=1
    std::string CaFile;      // trusted roots (PEM), absolute; empty: the system's store
    std::string Pin;         // SHA-256 of the server's public key, 64 lower-case hex digits; empty: none
    std::string ServerName;  // name checked and sent as SNI; empty: the host connected to
    // A key that cannot be used (a pin that is no fingerprint); a connect
    // with these settings fails with this text and sends nothing.
    std::string Problem;

    bool operator==(const TlsSettings&) const = default;
};

// The pin as 64 lower-case hex digits: colons and spaces dropped, case
// ignored. Anything else is refused.
Result<std::string> NormalisePin(std::string_view text);

// The Tls keys of `section` over `base`: a key that is absent keeps the
// value of `base`. A relative TlsCaFile is taken from `appPath`.
TlsSettings ReadTlsSettings(const Profile& ini, std::string_view section, const TlsSettings& base,
                            const std::string& appPath);

// [system] alone, then `serverSection` ([MoneyServerN]) over it when given.
TlsSettings ReadServerTls(const Profile& ini, std::string_view serverSection, const std::string& appPath);

// Whether this build can make TLS connections (built with OpenSSL).
bool TlsSupported();

// Why these settings cannot make a connection (their Problem, or a build
// without TLS); empty when they can.
std::string TlsRefusal(const TlsSettings& settings);

}  // namespace vantrel
