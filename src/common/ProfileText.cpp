#include "common/ProfileText.h"

#include "common/TextCodec.h"

namespace vantrel::profile_text {

std::vector<RawLine> SplitLines(std::string_view bytes) {
    std::vector<RawLine> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back({bytes.substr(start), {}});
            break;
        }
        std::size_t endLength = (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? 2 : 1;
        lines.push_back({bytes.substr(start, end - start), bytes.substr(end, endLength)});
        start = end + endLength;
    }
    return lines;
}

bool HasUtf8Bom(std::string_view bytes) {
    return bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom;
}


ParsedLine ClassifyLine(std::string_view line) {
    ParsedLine parsed;
    auto text = TrimView(line);
    parsed.text = std::string(text);
    if (text.empty()) {
        parsed.kind = LineKind::Blank;
    } else if (text.front() == ';') {
        parsed.kind = LineKind::Comment;
    } else if (text.front() == '[') {
        // "[name]"; anything after the "]" is ignored, a missing "]" tolerated.
        parsed.kind = LineKind::Section;
        auto close = text.find(']');
        parsed.name = std::string(TrimView(text.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
    } else {
        parsed.kind = LineKind::Entry;
        auto equals = text.find('=');
        if (equals == std::string_view::npos) {
            parsed.value = parsed.text;
        } else {
            parsed.hasEquals = true;
            parsed.name = std::string(TrimView(text.substr(0, equals)));
            auto value = TrimView(text.substr(equals + 1));
            if (value.size() >= 2 && value.front() == value.back() &&
                (value.front() == '"' || value.front() == '\''))
                value = value.substr(1, value.size() - 2);
            parsed.value = std::string(value);
        }
    }
    return parsed;
}

bool DecodeLine(std::string_view bytes, bool utf8, std::string& text, std::string& error) {
    if (utf8) {
        for (std::size_t pos = 0; pos < bytes.size();) {
            auto cp = DecodeUtf8At(bytes, pos);
            if (!cp) {
                static const char* digits = "0123456789ABCDEF";
                auto byte = static_cast<unsigned char>(bytes[pos]);
                error = std::string("invalid UTF-8 byte 0x") + digits[byte >> 4] + digits[byte & 15] +
                        " at byte " + std::to_string(pos);
                return false;
            }
            pos += cp->length;
        }
        text = std::string(bytes);
        return true;
    }
    auto decoded = GbkToUtf8(bytes);
    if (!decoded) {
        error = decoded.error();
        return false;
    }
    text = std::move(decoded).value();
    return true;
}

}  // namespace vantrel::profile_text
