#include "protocol/TlsSettings.h"

#include <cctype>
#include <filesystem>

#include "common/AppPaths.h"
#include "common/Profile.h"
#include "common/TextUtil.h"

namespace vantrel {

Result<std::string> NormalisePin(std::string_view text) {
    std::string pin;
    for (const char c : text) {
        if (c == ':' || c == ' ') continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return Error{"TlsPin \"" + std::string(text) + "\" is not a SHA-256 fingerprint in hex"};
        pin += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (pin.size() != 64)
        return Error{"TlsPin \"" + std::string(text) + "\" has " + std::to_string(pin.size()) +
                     " hex digits; a SHA-256 fingerprint has 64"};
    return pin;
}

TlsSettings ReadTlsSettings(const Profile& ini, std::string_view section, const TlsSettings& base,
                            const std::string& appPath) {
    TlsSettings tls = base;
    if (const auto enabled = ini.value(section, "Tls")) {
        const auto value = ParseProfileInteger(Trim(*enabled));
        // A switch that cannot be read never falls back to sending in clear.
        tls.Enabled = !value || *value != 0;
        if (!value)
            tls.Problem = "[" + std::string(section) + "] Tls=" + *enabled + " is neither 0 nor 1";
    }
    if (const auto ca = ini.value(section, "TlsCaFile")) {
        const auto file = Trim(*ca);
        auto path = PathFromUtf8(file);
        if (!file.empty() && path.is_relative()) path = PathFromUtf8(appPath) / path;
        tls.CaFile = file.empty() ? std::string() : PathToUtf8(path.lexically_normal());
    }
    if (const auto pin = ini.value(section, "TlsPin")) {
        tls.Pin.clear();
        if (!Trim(*pin).empty()) {
            auto normal = NormalisePin(Trim(*pin));
            if (normal)
                tls.Pin = normal.value();
            else
                tls.Problem = "[" + std::string(section) + "] " + normal.error();
        }
    }
    if (const auto name = ini.value(section, "TlsServerName")) tls.ServerName = Trim(*name);
    return tls;
}

TlsSettings ReadServerTls(const Profile& ini, std::string_view serverSection, const std::string& appPath) {
    const auto system = ReadTlsSettings(ini, "system", {}, appPath);
    return serverSection.empty() ? system : ReadTlsSettings(ini, serverSection, system, appPath);
}

}  // namespace vantrel
