#include "Cp936Derivation.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vantrel::cp936 {
namespace {

enum class Area { Defined, User1, User2, User3, Other };

Area OpenArea(unsigned lead, unsigned trail) {
    if (lead >= 0xAA && lead <= 0xAF && trail >= 0xA1) return Area::User1;
    if (lead >= 0xF8 && lead <= 0xFE && trail >= 0xA1) return Area::User2;
    if (lead >= 0xA1 && lead <= 0xA7 && trail <= 0xA0) return Area::User3;
    return Area::Other;
}

}  // namespace

Result<std::vector<char16_t>> DeriveTwoByteTable() {
    iconv_t gbk = iconv_open("UTF-32LE", "CP936");
    if (gbk == reinterpret_cast<iconv_t>(-1))
        return Error{std::string("iconv has no CP936: ") + std::strerror(errno)};
    char32_t next[] = {0, 0xE000, 0xE234, 0xE4C6, 0xE766};  // by Area
    std::vector<char16_t> table;
    table.reserve(kLeadCount * kTrailCount);
    std::string failure;
    for (unsigned lead = kFirstLead; lead < kFirstLead + kLeadCount && failure.empty(); ++lead) {
        for (unsigned index = 0; index < kTrailCount; ++index) {
            const unsigned trail = TrailByte(index);
            char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            char out[8];
            char* inPtr = in;
            char* outPtr = out;
            std::size_t inLeft = 2, outLeft = sizeof out;
            iconv(gbk, nullptr, nullptr, nullptr, nullptr);
            const bool defined = iconv(gbk, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) &&
                                 inLeft == 0 && outPtr - out == 4;
            char32_t cp;
            if (defined) {
                cp = 0;
                for (int b = 3; b >= 0; --b) cp = (cp << 8) | static_cast<unsigned char>(out[b]);
                if (cp > 0xFFFF) {
                    char code[16];
                    std::snprintf(code, sizeof code, "%02X%02X", lead, trail);
                    failure = std::string("iconv maps ") + code + " outside the Basic Multilingual Plane";
                    break;
                }
            } else {
                cp = next[static_cast<int>(OpenArea(lead, trail))]++;
            }
            table.push_back(static_cast<char16_t>(cp));
        }
    }
    iconv_close(gbk);
    if (!failure.empty()) return Error{failure};
    return table;
}

std::string TableSource(const std::vector<char16_t>& table) {
    std::string out =
        "// Code page 936: the code point of every two-byte code, one line per lead\n"
        "// byte 0x81..0xFE, trail bytes 0x40..0x7E then 0x80..0xFE. Made by\n"
        "// vantrel-cp936-table (tools/cp936) from iconv's CP936; do not edit.\n";
    char cell[16];
    for (unsigned lead = 0; lead < kLeadCount; ++lead) {
        for (unsigned index = 0; index < kTrailCount; ++index) {
            std::snprintf(cell, sizeof cell, "0x%04X,", static_cast<unsigned>(table[lead * kTrailCount + index]));
            out += cell;
        }
        std::snprintf(cell, sizeof cell, "  // %02X\n", kFirstLead + lead);
        out += cell;
    }
    return out;
}

}  // namespace vantrel::cp936
