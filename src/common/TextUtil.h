#pragma once
// Small text helpers shared by the core: trimming and ASCII case folding.
// Names and keys in Bank.ini and on the wire are ASCII, so ASCII folding is
// the comparison the configuration relies on.
#include <string>
#include <string_view>

namespace vantrel {

// Removes blanks and control bytes (0x00-0x20) at both ends.
std::string_view TrimView(std::string_view text);
inline std::string Trim(std::string_view text) { return std::string(TrimView(text)); }

char AsciiLower(char c);
std::string AsciiLower(std::string_view text);
std::string AsciiUpper(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
// <0, 0, >0 like strcmp, ASCII letters folded.
int CompareNoCase(std::string_view a, std::string_view b);

// Replaces every occurrence of `from` (non-empty) by `to`.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

}  // namespace vantrel

