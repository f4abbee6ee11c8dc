#pragma once
// The line grammar of Bank.ini, shared by the reader (Profile) and the
// writer, so both see the same sections and keys in the same file.
#include "common/TextUtil.h"
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::profile_text {

// One physical line: its bytes and its line end ("\r\n", "\n", "\r" or none
// for a last line without one). Views into the file's bytes.
struct RawLine {
    std::string_view content;
    std::string_view ending;
};

// Splits at CRLF, LF or CR. Safe on GBK bytes: trail bytes are >= 0x40.
std::vector<RawLine> SplitLines(std::string_view bytes);

bool HasUtf8Bom(std::string_view bytes);
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

enum class LineKind { Blank, Comment, Section, Entry, Undecodable };

struct ParsedLine {
    LineKind kind = LineKind::Blank;
    std::string text;   // the whole line, trimmed
    std::string name;   // section name, or the key of an entry with "="
    std::string value;  // entry value: trimmed, one pair of quotes removed
    bool hasEquals = false;
};

// Classifies one decoded (UTF-8) line.
ParsedLine ClassifyLine(std::string_view line);

// Decodes one line's bytes to UTF-8 (GBK, or UTF-8 when the file has a BOM);
// on failure returns false and a reason in `error`.
bool DecodeLine(std::string_view bytes, bool utf8, std::string& text, std::string& error);


}  // namespace vantrel::profile_text
