#include "common/TextUtil.h"

namespace vantrel {

std::string_view TrimView(std::string_view text) {
    auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (auto& c : out) c = AsciiLower(c);
    return out;
}

std::string AsciiUpper(std::string_view text) {
    std::string out(text);
    for (auto& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

int CompareNoCase(std::string_view a, std::string_view b) {
    const auto n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] == b[i]) continue;  // the common case: no folding needed
        const auto x = static_cast<unsigned char>(AsciiLower(a[i]));
        const auto y = static_cast<unsigned char>(AsciiLower(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    if (from.empty()) return std::string(text);
    std::size_t pos = 0;
    while (true) {
        const auto hit = text.find(from, pos);
        if (hit == std::string_view::npos) break;
        out.append(text.substr(pos, hit - pos)).append(to);
        pos = hit + from.size();
    }
    out.append(text.substr(pos));
    return out;
}

}  // namespace vantrel

