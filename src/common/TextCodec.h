#pragma once
// Conversion between the program's UTF-8 text and the GBK code page (Windows
// code page 936, 0x80 = euro sign) used on the wire, in Bank.ini, in logs and
// in export files. A character GBK cannot hold is an error, never a "?".
// Codes GBK leaves open, the user-defined areas among them, are read and
// written as Windows does, in the Private Use Area.
#include "common/Result.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// Fails on invalid UTF-8 or a character outside GBK, naming its byte position.
Result<std::string> Utf8ToGbk(std::string_view utf8);

// Fails on a byte sequence that is not a GBK character, naming its position.
Result<std::string> GbkToUtf8(std::string_view gbk);

// Append forms for writers of large outputs: no string per piece. False on
// the first text that cannot be converted (the UTF-8 → GBK form may then
// leave part of it in `out`; the functions above name the fault).
bool AppendUtf8AsGbk(std::string& out, std::string_view utf8);
// The lowest UTF-8 → GBK form, for a writer that owns its buffer: writes at
// most utf8.size() bytes at `to` and returns their end; `ok` turns false at
// the first character that cannot be converted, the text up to it written.
char* WriteUtf8AsGbk(char* to, std::string_view utf8, bool& ok);
bool AppendGbkAsUtf8(std::string& out, std::string_view gbk);

// At most three UTF-8 bytes a GBK byte (the euro sign, 0x80).
inline constexpr std::size_t kUtf8BytesPerGbkByte = 3;
// The lowest form, for a caller that owns a buffer: writes the UTF-8 of
// `gbk` at `to`, which has room for kUtf8BytesPerGbkByte bytes a GBK byte,
// and returns the end; null on a sequence that is not GBK.
char* WriteGbkAsUtf8(char* to, std::string_view gbk);

// For log files only: like Utf8ToGbk, but never fails. A character outside
// GBK is written as \u{XXXX} and an invalid UTF-8 byte as \x{HH}, so a log
// line is never lost and nothing is silently replaced.
std::string Utf8ToGbkEscaped(std::string_view utf8);

// One decoded UTF-8 sequence.
struct Utf8CodePoint {
    char32_t value = 0;
    std::size_t length = 0;
};

// Strict decoding of the sequence starting at `pos` (no overlong forms, no
// surrogates, nothing above U+10FFFF); none for an invalid or cut sequence.
std::optional<Utf8CodePoint> DecodeUtf8At(std::string_view text, std::size_t pos);

}  // namespace vantrel
