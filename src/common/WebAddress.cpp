#include "common/WebAddress.h"

#include "common/TextCodec.h"
#include "common/TextUtil.h"

#include <string>

namespace vantrel {
namespace {

bool IsAsciiAlnum(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

Status Refused(const std::string& why) { return Error{"not a web address the browser may open: " + why}; }

// Labels of letters, digits, '-' and '_', separated by single dots; a label
// neither starts nor ends with '-'.
bool IsHostName(std::string_view host) {
    if (host.empty()) return false;
    std::size_t start = 0;
    while (true) {
        const auto dot = host.find('.', start);
        const auto label = host.substr(start, dot == std::string_view::npos ? host.npos : dot - start);
        if (label.empty() || label.front() == '-' || label.back() == '-') return false;
        for (char c : label)
            if (!IsAsciiAlnum(c) && c != '-' && c != '_') return false;
        if (dot == std::string_view::npos) return true;
        start = dot + 1;
    }
}

bool IsIpv6Literal(std::string_view inside) {
    if (inside.find(':') == std::string_view::npos) return false;
    for (char c : inside)
        if (!IsHexDigit(c) && c != ':' && c != '.') return false;
    return true;
}

Status CheckAuthority(std::string_view authority) {
    if (authority.find('@') != std::string_view::npos) return Refused("a user name before the host");
    std::string_view host = authority;
    std::string_view port;
    bool hasPort = false;
    if (!authority.empty() && authority.front() == '[') {
        const auto close = authority.find(']');
        if (close == std::string_view::npos || !IsIpv6Literal(authority.substr(1, close - 1)))
            return Refused("an invalid IPv6 address");
        host = authority.substr(0, close + 1);
        const auto after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':') return Refused("text after the IPv6 address");
            hasPort = true;
            port = after.substr(1);
        }
    } else {
        const auto colon = authority.find(':');
        if (colon != std::string_view::npos) {
            hasPort = true;
            host = authority.substr(0, colon);
            port = authority.substr(colon + 1);
        }
        if (host.empty()) return Refused("no host");
        if (!IsHostName(host)) return Refused("an invalid host name");
    }
    if (hasPort) {
        if (port.empty() || port.size() > 5) return Refused("an invalid port");
        long value = 0;
        for (char c : port) {
            if (c < '0' || c > '9') return Refused("an invalid port");
            value = value * 10 + (c - '0');
        }
        if (value > 65535) return Refused("an invalid port");
    }
    return Status::success();
}

// Path, query and fragment: URL characters, %XX escapes and UTF-8 text.
Status CheckTail(std::string_view tail) {
    constexpr std::string_view kAllowed = "-._~!$&'()*+,;=:@/?";
    bool inFragment = false;
    for (std::size_t i = 0; i < tail.size();) {
        const char c = tail[i];
        if (static_cast<unsigned char>(c) >= 0x80) {
            const auto cp = DecodeUtf8At(tail, i);
            if (!cp) return Refused("invalid UTF-8 text");
            i += cp->length;
            continue;
        }
        if (c == '%') {
            if (i + 2 >= tail.size() || !IsHexDigit(tail[i + 1]) || !IsHexDigit(tail[i + 2]))
                return Refused("a '%' that is not followed by two hexadecimal digits");
            i += 3;
            continue;
        }
        if (c == '#') {
            if (inFragment) return Refused("a second '#'");
            inFragment = true;
        } else if (!IsAsciiAlnum(c) && kAllowed.find(c) == std::string_view::npos) {
            const auto code = static_cast<unsigned char>(c);
            return Refused(code > 0x20 && code < 0x7F ? std::string("the character '") + c + "'"
                                                      : "a blank or control character");
        }
        ++i;
    }
    return Status::success();
}

}  // namespace

Status CheckBrowsableAddress(std::string_view address) {
    address = TrimView(address);
    const auto colon = address.find(':');
    if (colon == std::string_view::npos) return Refused("no scheme");
    const auto scheme = address.substr(0, colon);
    if (!EqualsNoCase(scheme, "http") && !EqualsNoCase(scheme, "https"))
        return Refused("only http and https addresses are opened");
    auto rest = address.substr(colon + 1);
    if (rest.substr(0, 2) != "//") return Refused("no host");
    rest.remove_prefix(2);
    const auto end = rest.find_first_of("/?#");
    const auto authority = rest.substr(0, end);
    if (Status status = CheckAuthority(authority); !status.ok()) return status;
    return end == std::string_view::npos ? Status::success() : CheckTail(rest.substr(end));
}

}  // namespace vantrel
