#include "common/TextCodec.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace vantrel {

namespace {

std::string Hex(unsigned value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*X", digits, value);
    return buffer;
}

std::string CodePointName(char32_t cp) {
    return "U+" + Hex(static_cast<unsigned>(cp), 4);
}

// GBK is ASCII below 0x80; 0x80 alone is the euro sign; 0x81..0xFE lead a
// two-byte character. The length of the character starting at `pos`, used to
// step over a sequence the converter rejected.
std::size_t GbkCharLength(std::string_view gbk, std::size_t pos) {
    auto lead = static_cast<unsigned char>(gbk[pos]);
    if (lead >= 0x81 && lead <= 0xFE && pos + 1 < gbk.size()) return 2;
    return 1;
}

std::string GbkDecodeError(std::string_view gbk, std::size_t pos) {
    auto lead = static_cast<unsigned char>(gbk[pos]);
    if (lead >= 0x81 && lead <= 0xFE && pos + 1 >= gbk.size())
        return "incomplete GBK character 0x" + Hex(lead, 2) + " at the end of the text (byte " +
               std::to_string(pos) + ")";
    std::string bytes = "0x" + Hex(lead, 2);
    if (GbkCharLength(gbk, pos) == 2)
        bytes += " 0x" + Hex(static_cast<unsigned char>(gbk[pos + 1]), 2);
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

enum class Direction { ToGbk, FromGbk };

// Converts as much of `in` as possible, appending to `out`. Returns the
// number of input bytes converted: in.size() on success, otherwise the
// position of the first character that could not be converted. `failure`
// receives a system error text when the converter itself is unavailable.
std::size_t ConvertRun(Direction direction, std::string_view in, std::string& out,
                       std::string& failure);

#ifdef _WIN32

constexpr UINT kGbkCodePage = 936;

// Converts one piece of text that is known to stop at character boundaries.
bool WideFromMulti(UINT codePage, std::string_view in, std::wstring& wide) {
    wide.clear();
    if (in.empty()) return true;
    int needed = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(),
                                     static_cast<int>(in.size()), nullptr, 0);
    if (needed <= 0) return false;
    wide.resize(static_cast<std::size_t>(needed));
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(),
                               static_cast<int>(in.size()), wide.data(), needed) == needed;
}

bool MultiFromWide(UINT codePage, std::wstring_view wide, std::string& out) {
    out.clear();
    if (wide.empty()) return true;
    BOOL usedDefault = FALSE;
    // CP_UTF8 refuses the default-character arguments; 936 needs them to
    // tell a real "?" from a replacement.
    BOOL* usedDefaultArg = codePage == CP_UTF8 ? nullptr : &usedDefault;
    DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    int needed = WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()),
                                     nullptr, 0, nullptr, usedDefaultArg);
    if (needed <= 0 || usedDefault) return false;
    out.resize(static_cast<std::size_t>(needed));
    int written = WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()),
                                      out.data(), needed, nullptr, usedDefaultArg);
    return written == needed && !usedDefault;
}

// The code-page API converts whole buffers without telling where it failed,
// so runs of ASCII are copied and every other character converted alone.
std::size_t ConvertRun(Direction direction, std::string_view in, std::string& out,
                       std::string& /*failure*/) {
    std::wstring wide;
    std::string piece;
    std::size_t pos = 0;
    while (pos < in.size()) {
        auto byte = static_cast<unsigned char>(in[pos]);
        if (byte < 0x80) {
            out.push_back(static_cast<char>(byte));
            ++pos;
            continue;
        }
        std::size_t length = 0;
        if (direction == Direction::ToGbk) {
            auto cp = DecodeUtf8At(in, pos);
            if (!cp) return pos;
            length = cp->length;
            if (!WideFromMulti(CP_UTF8, in.substr(pos, length), wide) ||
                !MultiFromWide(kGbkCodePage, wide, piece))
                return pos;
        } else {
            length = GbkCharLength(in, pos);
            if (byte != 0x80 && length != 2) return pos;
            if (!WideFromMulti(kGbkCodePage, in.substr(pos, length), wide) ||
                !MultiFromWide(CP_UTF8, wide, piece))
                return pos;
        }
        out += piece;
        pos += length;
    }
    return pos;
}

#else

// glibc names Windows code page 936 "CP936" (an alias of its GBK table, in
// which 0x80 is the euro sign). Handles are per thread: iconv_t keeps state.
class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {
        if (handle_ == reinterpret_cast<iconv_t>(-1))
            openError_ = std::string("iconv cannot convert ") + from + " to " + to + ": " +
                         std::strerror(errno);
    }
    ~Converter() {
        if (ok()) iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return openError_.empty(); }
    const std::string& openError() const { return openError_; }

    std::size_t run(std::string_view in, std::string& out) {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);  // fresh shift state
        char* inPtr = const_cast<char*>(in.data());
        std::size_t inLeft = in.size();
        char buffer[4096];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            std::size_t rc = iconv(handle_, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (rc != static_cast<std::size_t>(-1)) continue;
            if (errno == E2BIG) continue;
            break;  // EILSEQ, or EINVAL for a sequence cut off at the end
        }
        return in.size() - inLeft;
    }

private:
    iconv_t handle_;
    std::string openError_;
};

std::size_t ConvertRun(Direction direction, std::string_view in, std::string& out,
                       std::string& failure) {
    thread_local Converter toGbk("CP936", "UTF-8");
    thread_local Converter fromGbk("UTF-8", "CP936");
    Converter& converter = direction == Direction::ToGbk ? toGbk : fromGbk;
    if (!converter.ok()) {
        failure = converter.openError();
        return 0;
    }
    return converter.run(in, out);
}

#endif

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
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}
}  // namespace

Result<std::string> Utf8ToGbk(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);
    std::string out;
    out.reserve(utf8.size());
    std::string failure;
    std::size_t done = ConvertRun(Direction::ToGbk, utf8, out, failure);
    if (!failure.empty()) return Error{failure};
    if (done < utf8.size()) return Error{Utf8EncodeError(utf8, done)};
    return out;
}

Result<std::string> GbkToUtf8(std::string_view gbk) {
    if (IsAscii(gbk)) return std::string(gbk);
    std::string out;
    out.reserve(gbk.size() + gbk.size() / 2);
    std::string failure;
    std::size_t done = ConvertRun(Direction::FromGbk, gbk, out, failure);
    if (!failure.empty()) return Error{failure};
    if (done < gbk.size()) return Error{GbkDecodeError(gbk, done)};
    return out;
}

std::string Utf8ToGbkEscaped(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        std::string failure;
        pos += ConvertRun(Direction::ToGbk, utf8.substr(pos), out, failure);
        if (pos >= utf8.size()) break;
        // Escape the one offending character and carry on after it. Without
        // a converter every non-ASCII character ends up escaped.
        if (!failure.empty() && static_cast<unsigned char>(utf8[pos]) < 0x80) {
            out.push_back(utf8[pos++]);
        } else if (auto cp = DecodeUtf8At(utf8, pos)) {
            out += "\\u{" + Hex(static_cast<unsigned>(cp->value), 4) + "}";
            pos += cp->length;
        } else {
            out += "\\x{" + Hex(static_cast<unsigned char>(utf8[pos]), 2) + "}";
            ++pos;
        }
    }
    return out;
}

}  // namespace vantrel
