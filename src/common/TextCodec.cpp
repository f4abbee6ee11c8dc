#include "common/TextCodec.h"

#include <cstring>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace vantrel {

namespace {

// Code page 936 as Windows has it: GBK, the euro sign at 0x80, and every
// two-byte code GBK leaves open (the user-defined areas among them) in the
// Private Use Area, so that such bytes survive a round trip. How the table is
// made: tools/cp936.
constexpr unsigned kLeadCount = 126;   // 0x81..0xFE
constexpr unsigned kTrailCount = 190;  // 0x40..0x7E, 0x80..0xFE
constexpr char16_t kTwoByte[kLeadCount * kTrailCount] = {
#include "common/Cp936Table.inc"
};
constexpr unsigned char kEuroByte = 0x80;
constexpr char32_t kEuroSign = 0x20AC;

bool IsLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// The position of a trail byte in its lead byte's row; -1 for none.
int TrailIndex(unsigned char byte) {
    if (byte >= 0x40 && byte <= 0x7E) return byte - 0x40;
    if (byte >= 0x80 && byte <= 0xFE) return byte - 0x41;
    return -1;
}

// Code point -> two-byte code (lead << 8 | trail); 0 where there is none.
const std::vector<std::uint16_t>& TwoByteCodes() {
    static const std::vector<std::uint16_t> codes = [] {
        std::vector<std::uint16_t> table(0x10000, 0);
        for (unsigned lead = 0; lead < kLeadCount; ++lead) {
            for (unsigned index = 0; index < kTrailCount; ++index) {
                const unsigned trail = index < 63 ? 0x40 + index : 0x41 + index;
                table[kTwoByte[lead * kTrailCount + index]] = static_cast<std::uint16_t>(((0x81 + lead) << 8) | trail);
            }
        }
        return table;
    }();
    return codes;
}

std::string Hex(unsigned value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*X", digits, value);
    return buffer;
}

std::string CodePointName(char32_t cp) {
    return "U+" + Hex(static_cast<unsigned>(cp), 4);
}

std::string GbkDecodeError(std::string_view gbk, std::size_t pos) {
    auto lead = static_cast<unsigned char>(gbk[pos]);
    if (IsLeadByte(lead) && pos + 1 >= gbk.size())
        return "incomplete GBK character 0x" + Hex(lead, 2) + " at the end of the text (byte " +
               std::to_string(pos) + ")";
    std::string bytes = "0x" + Hex(lead, 2);
    if (IsLeadByte(lead)) bytes += " 0x" + Hex(static_cast<unsigned char>(gbk[pos + 1]), 2);
    return "invalid GBK byte sequence " + bytes + " at byte " + std::to_string(pos);
}

std::string Utf8EncodeError(std::string_view utf8, std::size_t pos) {
    if (auto cp = DecodeUtf8At(utf8, pos)) {
        return "the character " + CodePointName(cp->value) + " (" +
               std::string(utf8.substr(pos, cp->length)) + ") at byte " + std::to_string(pos) +
               " cannot be written in GBK";
    }
    return "invalid UTF-8 byte 0x" + Hex(static_cast<unsigned char>(utf8[pos]), 2) + " at byte " +
           std::to_string(pos);
}

// Appends the GBK code of one character; false when GBK has none.
bool AppendGbk(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
        return true;
    }
    if (cp == kEuroSign) {
        out += static_cast<char>(kEuroByte);
        return true;
    }
    if (cp > 0xFFFF) return false;
    const auto code = TwoByteCodes()[cp];
    if (code == 0) return false;
    out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
    return true;
}

}  // namespace

std::optional<Utf8CodePoint> DecodeUtf8At(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return std::nullopt;
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    unsigned char lead = byte(0);
    if (lead < 0x80) return Utf8CodePoint{lead, 1};
    std::size_t length;
    char32_t value;
    char32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return std::nullopt;
    }
    if (pos + length > text.size()) return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return std::nullopt;
        value = (value << 6) | (byte(i) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return std::nullopt;
    return Utf8CodePoint{value, length};
}

namespace {
// Most wire and configuration text is plain ASCII, the same in both codes.
bool IsAscii(std::string_view text) {
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {  // eight bytes at a time
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, sizeof word);
        if (word & 0x8080808080808080ull) return false;
    }
    for (; i < text.size(); ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80) return false;
    return true;
}

char* PutUtf8(char* to, char32_t cp) {
    if (cp < 0x80) {
        *to++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *to++ = static_cast<char>(0xC0 | (cp >> 6));
        *to++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *to++ = static_cast<char>(0xE0 | (cp >> 12));
        *to++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *to++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return to;
}
}  // namespace

char* WriteUtf8AsGbk(char* to, std::string_view utf8, bool& ok) {
    ok = true;
    static const std::uint16_t* const codes = TwoByteCodes().data();  // looked up once, not per text
    // A character's two GBK bytes; false when GBK has none.
    const auto putCode = [&](char32_t value) {
        const auto code = codes[value];
        if (code == 0) return false;
        *to++ = static_cast<char>(code >> 8);
        *to++ = static_cast<char>(code & 0xFF);
        return true;
    };
    for (std::size_t pos = 0; pos < utf8.size();) {
        // ASCII runs eight bytes at a time.
        for (std::uint64_t word; pos + 8 <= utf8.size(); pos += 8, to += 8) {
            std::memcpy(&word, utf8.data() + pos, sizeof word);
            if (word & 0x8080808080808080ull) break;
            std::memcpy(to, &word, sizeof word);
        }
        if (pos == utf8.size()) break;
        const auto byte = static_cast<unsigned char>(utf8[pos]);
        if (byte < 0x80) {
            *to++ = static_cast<char>(byte);
            ++pos;
            continue;
        }
        // Chinese text is three-byte sequences: read those here, the rest in full.
        if ((byte & 0xF0) == 0xE0 && pos + 2 < utf8.size()) {
            const auto second = static_cast<unsigned char>(utf8[pos + 1]);
            const auto third = static_cast<unsigned char>(utf8[pos + 2]);
            const char32_t value = (char32_t{byte & 0x0Fu} << 12) | (char32_t{second & 0x3Fu} << 6) | (third & 0x3Fu);
            if ((second & 0xC0) == 0x80 && (third & 0xC0) == 0x80 && value >= 0x800 && value != kEuroSign &&
                (value < 0xD800 || value > 0xDFFF)) {
                if (!putCode(value)) {
                    ok = false;
                    return to;
                }
                pos += 3;
                continue;
            }
        }
        const auto cp = DecodeUtf8At(utf8, pos);
        if (!cp || cp->value > 0xFFFF) {
            ok = false;
            return to;
        }
        pos += cp->length;
        if (cp->value == kEuroSign) {
            *to++ = static_cast<char>(kEuroByte);
            continue;
        }
        if (!putCode(cp->value)) {
            ok = false;
            return to;
        }
    }
    return to;
}

bool AppendUtf8AsGbk(std::string& out, std::string_view utf8) {
    if (IsAscii(utf8)) {
        out.append(utf8);
        return true;
    }
    // GBK never needs more bytes than UTF-8 for a text: write in place, then
    // cut to what was written (on failure, the text up to the fault).
    const std::size_t start = out.size();
    out.resize(start + utf8.size());
    bool ok = true;
    char* const end = WriteUtf8AsGbk(out.data() + start, utf8, ok);
    out.resize(static_cast<std::size_t>(end - out.data()));
    return ok;
}

namespace {

// The UTF-8 of every two-byte code, indexed by (lead - 0x81) * 256 + trail,
// so that a decoder copies bytes instead of encoding: a length of 0 marks a
// pair that is no character (a trail byte outside 0x40..0xFE, or 0x7F).
struct Utf8Bytes {
    char bytes[3];
    std::uint8_t length;
};
const std::vector<Utf8Bytes>& Utf8OfPairs() {
    static const std::vector<Utf8Bytes> table = [] {
        std::vector<Utf8Bytes> pairs(kLeadCount * 256, Utf8Bytes{{}, 0});
        for (unsigned lead = 0; lead < kLeadCount; ++lead)
            for (unsigned index = 0; index < kTrailCount; ++index) {
                const unsigned trail = index < 63 ? 0x40 + index : 0x41 + index;
                char bytes[4];
                Utf8Bytes& entry = pairs[lead * 256 + trail];
                entry.length = static_cast<std::uint8_t>(PutUtf8(bytes, kTwoByte[lead * kTrailCount + index]) - bytes);
                std::memcpy(entry.bytes, bytes, sizeof entry.bytes);
            }
        return pairs;
    }();
    return table;
}

}  // namespace

char* WriteGbkAsUtf8(char* to, std::string_view gbk) {
    const std::vector<Utf8Bytes>& pairs = Utf8OfPairs();
    for (std::size_t pos = 0; pos < gbk.size();) {
        const auto byte = static_cast<unsigned char>(gbk[pos]);
        if (byte < 0x80) {
            // Answers are mostly ASCII between the Chinese texts: copy it
            // eight bytes at a time while a whole word is ASCII.
            std::uint64_t word;
            while (pos + sizeof word <= gbk.size() &&
                   (std::memcpy(&word, gbk.data() + pos, sizeof word), (word & 0x8080808080808080ull) == 0)) {
                std::memcpy(to, &word, sizeof word);
                to += sizeof word;
                pos += sizeof word;
            }
            if (pos < gbk.size() && static_cast<unsigned char>(gbk[pos]) < 0x80) {
                *to++ = gbk[pos];
                ++pos;
            }
        } else if (byte == kEuroByte) {
            to = PutUtf8(to, kEuroSign);
            ++pos;
        } else {
            if (!IsLeadByte(byte) || pos + 1 >= gbk.size()) return nullptr;
            const Utf8Bytes& utf8 = pairs[(byte - 0x81) * 256u + static_cast<unsigned char>(gbk[pos + 1])];
            if (utf8.length == 0) return nullptr;
            std::memcpy(to, &utf8, sizeof utf8);  // room for four: the pair's three times two bytes
            to += utf8.length;
            pos += 2;
        }
    }
    return to;
}

bool AppendGbkAsUtf8(std::string& out, std::string_view gbk) {
    if (IsAscii(gbk)) {
        out.append(gbk);
        return true;
    }
    // Written in place, then cut to what was written.
    const std::size_t start = out.size();
    out.resize(start + kUtf8BytesPerGbkByte * gbk.size());
    char* const end = WriteGbkAsUtf8(out.data() + start, gbk);
    out.resize(end ? static_cast<std::size_t>(end - out.data()) : start);
    return end != nullptr;
}

Result<std::string> Utf8ToGbk(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    if (!AppendUtf8AsGbk(out, utf8)) {
        for (std::size_t pos = 0;; ) {  // find the fault to name it
            const auto cp = DecodeUtf8At(utf8, pos);
            std::string probe;
            if (!cp || !AppendGbk(probe, cp->value)) return Error{Utf8EncodeError(utf8, pos)};
            pos += cp->length;
        }
    }
    return out;
}

Result<std::string> GbkToUtf8(std::string_view gbk) {
    std::string out;
    out.reserve(gbk.size() + (IsAscii(gbk) ? 0 : gbk.size() / 2));
    if (!AppendGbkAsUtf8(out, gbk)) {
        for (std::size_t pos = 0;;) {  // find the fault to name it
            const auto byte = static_cast<unsigned char>(gbk[pos]);
            if (byte < 0x80 || byte == kEuroByte) {
                ++pos;
                continue;
            }
            const int trail = IsLeadByte(byte) && pos + 1 < gbk.size()
                                  ? TrailIndex(static_cast<unsigned char>(gbk[pos + 1]))
                                  : -1;
            if (trail < 0) return Error{GbkDecodeError(gbk, pos)};
            pos += 2;
        }
    }
    return out;
}

std::string Utf8ToGbkEscaped(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        // The one offending character is escaped and the rest carries on.
        if (const auto cp = DecodeUtf8At(utf8, pos)) {
            if (!AppendGbk(out, cp->value)) out += "\\u{" + Hex(static_cast<unsigned>(cp->value), 4) + "}";
            pos += cp->length;
        } else {
            out += "\\x{" + Hex(static_cast<unsigned char>(utf8[pos]), 2) + "}";
            ++pos;
        }
    }
    return out;
}

}  // namespace vantrel
