#include "protocol/PacketCodec.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace vantrel {
namespace {

bool IsSeparatorByte(char c) {
    return c == '\0' || c == kItemSeparator || c == '\n' || c == '\r';
}

// A name for messages: printable ASCII kept, every other byte as \xNN, so a
// GBK value or a control byte cannot garble the log line.
std::string Printable(std::string_view bytes) {
    std::string out;
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F) {
            out += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    return out;
}

const char* SeparatorName(char c) {
    switch (c) {
        case '\0': return "0x00";
        case kItemSeparator: return "0x08";
        case '\n': return "0x0A (line feed)";
        default: return "0x0D (carriage return)";
    }
}

// Writes text left-aligned into header[offset, offset + width), cut at width.
void Put(std::string& header, std::size_t offset, std::size_t width, std::string_view text) {
    header.replace(offset, std::min(width, text.size()), text.substr(0, width));
}

// The first separator byte in item, or nullptr.
const char* FindSeparator(std::string_view item) {
    auto bad = std::find_if(item.begin(), item.end(), IsSeparatorByte);
    return bad == item.end() ? nullptr : &*bad;
}

Error SeparatorError(std::string_view what, char bad) {
    return Error{std::string(what) + " contains the byte " + SeparatorName(bad) +
                 ", which the frame uses as a separator"};
}

std::string Prefix(std::size_t length, bool rightAligned, char flag) {
    std::string digits = std::to_string(length);
    std::string prefix = rightAligned ? std::string(4 - digits.size(), '0') + digits
                                      : digits + std::string(4 - digits.size(), ' ');
    prefix += '2';
    prefix += flag;
    return prefix;
}

}  // namespace

Result<std::string> BuildRequestBody(const std::vector<Field>& fields) {
    if (fields.size() > kMaxFieldCount)
        return Error{"The request has " + std::to_string(fields.size()) +
                     " fields; a frame can describe at most 255"};
    std::string body;
    for (const auto& [name, value] : fields) {
        if (const char* bad = FindSeparator(name))
            return SeparatorError("The name of field \"" + Printable(name) + "\"", *bad);
        if (const char* bad = FindSeparator(value))
            return SeparatorError("The value of field \"" + Printable(name) + "\"", *bad);
        body += name;
        body += kItemSeparator;
    }
    for (const auto& field : fields) {
        body += field.second;
        body += kItemSeparator;
    }
    return body;
}

std::string BuildRequestHeader(const RequestHeaderFields& fields, std::size_t bodyLength,
                               std::size_t fieldCount) {
    std::string header(kHeaderSize, ' ');
    Put(header, 0, 5, fields.functionCode);
    Put(header, 5, 2, fields.subCode);
    Put(header, 7, 2, "20");
    Put(header, 41, 5, std::to_string(bodyLength));
    header[kHeaderLastFrameOffset] = 'N';
    header[47] = 'N';  // request not scrambled
    Put(header, 48, 3, fields.bankCode);
    header[kHeaderCountOffset] = static_cast<char>(static_cast<unsigned char>(fieldCount & 0xFF));
    Put(header, 57, 4, "1");  // packet number
    header[76] = '2';
    return header;
}

Result<std::string> BuildRequestFrame(const RequestHeaderFields& header,
                                      const std::vector<Field>& fields) {
    auto body = BuildRequestBody(fields);
    if (!body) return Error{body.error()};
    const std::size_t payloadSize = kHeaderSize + body->size();
    if (payloadSize > kMaxPayloadSize)
        return Error{"The request is " + std::to_string(payloadSize) +
                     " bytes long; a frame can carry at most 9999"};
    std::string frame = Prefix(payloadSize, false, static_cast<char>(ScrambleFlag::Plain));
    frame.reserve(kPrefixSize + payloadSize);
    frame += BuildRequestHeader(header, body->size(), fields.size());
    frame += *body;
    return frame;
}

void Scramble(std::string& payload, std::string_view key) {
    const std::size_t k = key.size();
    if (k == 0 || payload.empty()) return;
    // Byte i is XORed with (i mod 7) + key[(i + 1) mod k]: the masks repeat
    // every lcm(k, 7) bytes. They are worked out once for a period, then
    // applied eight bytes at a time.
    const std::size_t period = std::min(payload.size(), k % 7 == 0 ? k : 7 * k);
    std::string mask(period + sizeof(std::uint64_t), '\0');
    for (std::size_t i = 0; i < mask.size(); ++i)
        mask[i] = static_cast<char>(static_cast<unsigned char>(i % period % 7 + static_cast<unsigned char>(key[(i % period + 1) % k])));
    char* data = payload.data();
    std::size_t phase = 0;  // position within the period
    std::size_t i = 0;
    for (; i + sizeof(std::uint64_t) <= payload.size(); i += sizeof(std::uint64_t)) {
        std::uint64_t word, bits;
        std::memcpy(&word, data + i, sizeof word);
        std::memcpy(&bits, mask.data() + phase, sizeof bits);
        word ^= bits;
        std::memcpy(data + i, &word, sizeof word);
        phase += sizeof(std::uint64_t);
        while (phase >= period) phase -= period;  // a period may be shorter than a word
    }
    for (; i < payload.size(); ++i) {
        data[i] = static_cast<char>(data[i] ^ mask[phase]);
        if (++phase == period) phase = 0;
    }
}

Status ScrambleChecked(std::string& payload, std::string_view key) {
    if (key.empty()) return Error{"The answer is scrambled but the packet key is empty"};
    Scramble(payload, key);
    return Status::success();
}

Result<std::size_t> ParseAnswerLength(std::string_view fourBytes) {
    auto unreadable = [&] {
        return Error{"The answer length \"" + Printable(fourBytes) + "\" is unreadable"};
    };
    if (fourBytes.size() != 4) return unreadable();
    std::size_t i = 0;
    while (i < 4 && fourBytes[i] == ' ') ++i;
    if (i == 4) return unreadable();
    std::size_t length = 0;
    for (; i < 4; ++i) {
        char c = fourBytes[i];
        if (c < '0' || c > '9') return unreadable();
        length = length * 10 + static_cast<std::size_t>(c - '0');
    }
    return length;
}

Result<AnswerPrefix> ParseAnswerPrefix(std::string_view sixBytes) {
    if (sixBytes.size() != kPrefixSize)
        return Error{"The answer prefix has " + std::to_string(sixBytes.size()) +
                     " bytes instead of 6"};
    auto length = ParseAnswerLength(sixBytes.substr(0, 4));
    if (!length) return Error{length.error()};
    const char flag = sixBytes[5];
    if (flag < '0' || flag > '3')
        return Error{"The answer carries the unknown scrambling flag \"" +
                     Printable(sixBytes.substr(5, 1)) + "\""};
    return AnswerPrefix{*length, static_cast<ScrambleFlag>(flag)};
}

AnswerFrameReader::AnswerFrameReader(std::string_view requestHeader)
    : header_(requestHeader.substr(0, kHeaderSize)) {
    header_.resize(kHeaderSize, ' ');
}

Result<std::string> AnswerFrameReader::accept(std::string_view prefix, std::string payload,
                                              std::string& key) {
    auto parsed = ParseAnswerPrefix(prefix);
    if (!parsed) return Error{parsed.error()};
    return accept(*parsed, std::move(payload), key);
}

Result<std::string> AnswerFrameReader::accept(const AnswerPrefix& prefix, std::string payload,
                                              std::string& key) {
    if (payload.size() != prefix.length)
        return Error{"The answer announced " + std::to_string(prefix.length) + " bytes but " +
                     std::to_string(payload.size()) + " arrived"};
    const bool scrambled =
        prefix.flag == ScrambleFlag::Scrambled || prefix.flag == ScrambleFlag::ScrambledNewKey;
    const bool newKey =
        prefix.flag == ScrambleFlag::NewKey || prefix.flag == ScrambleFlag::ScrambledNewKey;
    if (scrambled) {
        if (auto s = ScrambleChecked(payload, key); !s) return Error{s.error()};
    }
    if (newKey) key = payload;
    const std::size_t headerBytes = std::min(kHeaderSize, payload.size());
    header_.replace(0, headerBytes, payload, 0, headerBytes);
    ++frames_;
    payload.erase(0, headerBytes);
    return payload;
}

bool IsBlankBody(std::string_view body) {
    return std::all_of(body.begin(), body.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= 0x20; });
}

namespace {

// Adds the items ended by an item separator, scanning whole words; returns
// where the unscanned rest (less than a word, or the last item) begins.
std::size_t SplitAtSeparators(std::string_view body, std::vector<std::string_view>& items) {
    if constexpr (std::endian::native != std::endian::little) return 0;
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    constexpr std::uint64_t kSeparators = 0x0101010101010101ull * static_cast<unsigned char>(kItemSeparator);
    std::size_t start = 0;
    std::size_t i = 0;
    for (; i + sizeof(std::uint64_t) <= body.size(); i += sizeof(std::uint64_t)) {
        std::uint64_t word;
        std::memcpy(&word, body.data() + i, sizeof word);
        const std::uint64_t x = word ^ kSeparators;  // separator bytes become zero
        std::uint64_t zeros = ~(((x & kLow7) + kLow7) | x | kLow7);  // exactly their high bits
        while (zeros != 0) {
            const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(zeros)) / 8;
            items.push_back(body.substr(start, at - start));
            start = at + 1;
            zeros &= zeros - 1;
        }
    }
    // The caller's byte loop finishes the item begun at `start`.
    return start;
}

}  // namespace

std::vector<std::string_view> SplitBodyViews(std::string_view body) {
    std::vector<std::string_view> items;
    if (IsBlankBody(body)) return items;
    if (auto end = body.find('\0'); end != std::string_view::npos) body = body.substr(0, end);

    // The bytes that end an item, looked up instead of compared three times.
    static constexpr auto kEnds = [] {
        std::array<bool, 256> ends{};
        ends[static_cast<unsigned char>(kItemSeparator)] = ends['\n'] = ends['\r'] = true;
        return ends;
    }();
    items.reserve(body.size() / 8);  // answers' items average more bytes than that
    std::size_t start = 0;
    std::size_t i = 0;
    if (body.find('\r') == std::string_view::npos && body.find('\n') == std::string_view::npos) {
        // Only the item separator ends items here: find it eight bytes at a time.
        i = SplitAtSeparators(body, items);
        start = i;
    }
    while (i < body.size()) {
        const char c = body[i];
        if (kEnds[static_cast<unsigned char>(c)]) {
            items.push_back(body.substr(start, i - start));
            // CR LF is one terminator; every other byte stands alone.
            i += (c == '\r' && i + 1 < body.size() && body[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < body.size()) items.push_back(body.substr(start));
    return items;
}

std::vector<std::string> SplitBody(std::string_view body) {
    const auto views = SplitBodyViews(body);
    return std::vector<std::string>(views.begin(), views.end());
}

std::string GetItem(std::string_view body, int row, std::size_t columns, int column) {
    if (row < 1 || column < 0) return {};
    const auto rowIndex = static_cast<std::size_t>(row - 1);
    if (columns != 0 && rowIndex > (SIZE_MAX - static_cast<std::size_t>(column)) / columns)
        return {};
    const std::size_t index =
        static_cast<std::size_t>(column) + columns * static_cast<std::size_t>(row - 1);
    auto items = SplitBody(body);
    return index < items.size() ? items[index] : std::string();
}

Result<std::string> JoinItems(const std::vector<std::string>& items) {
    std::size_t size = 0;
    for (const auto& item : items) size += item.size() + 1;
    std::string out;
    out.reserve(size);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (const char* bad = FindSeparator(items[i]))
            return SeparatorError("Item " + std::to_string(i), *bad);
        out += items[i];
        out += kItemSeparator;
    }
    return out;
}

std::string BuildAnswerHeader(const AnswerHeaderFields& fields) {
    std::string header(kHeaderSize, ' ');
    header[kHeaderLastFrameOffset] = fields.lastFrame ? 'N' : 'Y';
    Put(header, kHeaderReturnCodeOffset, kHeaderReturnCodeSize, fields.returnCode);
    header[kHeaderCountOffset] = static_cast<char>(fields.columnCount);
    return header;
}

Result<std::string> BuildAnswerFrame(const AnswerHeaderFields& header, std::string_view body,
                                     ScrambleFlag flag, std::string_view key) {
    const std::size_t payloadSize = kHeaderSize + body.size();
    if (payloadSize > kMaxPayloadSize)
        return Error{"The answer is " + std::to_string(payloadSize) +
                     " bytes long; a frame can carry at most 9999"};
    std::string payload = BuildAnswerHeader(header);
    payload += body;
    if (flag == ScrambleFlag::Scrambled || flag == ScrambleFlag::ScrambledNewKey) {
        if (auto s = ScrambleChecked(payload, key); !s) return Error{s.error()};
    }
    return Prefix(payloadSize, true, static_cast<char>(flag)) + payload;
}

}  // namespace vantrel
