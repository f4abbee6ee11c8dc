#pragma once
// Bytes of the fund middleware protocol: request frames, answer frames, the
// scrambling transform and the item lists of a body.
//
// Everything here works on byte strings (GBK on the wire); conversion from
// and to UTF-8 belongs to the request engine. Every function is safe on
// arbitrary input bytes: wire data is never trusted.
#include "common/Result.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrel {

inline constexpr std::string_view kDefaultPacketKey = "47150362";
inline constexpr std::size_t kHeaderSize = 100;
inline constexpr std::size_t kPrefixSize = 6;
inline constexpr char kItemSeparator = '\x08';
inline constexpr std::size_t kMaxPayloadSize = 9999;
inline constexpr std::size_t kMaxFieldCount = 255;

// Offsets inside the 100-byte header.
inline constexpr std::size_t kHeaderLastFrameOffset = 46;
inline constexpr std::size_t kHeaderReturnCodeOffset = 51;
inline constexpr std::size_t kHeaderReturnCodeSize = 5;
inline constexpr std::size_t kHeaderCountOffset = 56;

inline constexpr std::string_view kSuccessReturnCode = "00000";

// Prefix byte 5 of a frame.
enum class ScrambleFlag : char {
    Plain = '0',            // payload as is
    Scrambled = '1',        // descramble with the current key
    NewKey = '2',           // plain; the payload is also the next key
    ScrambledNewKey = '3',  // descramble, then the payload is the next key
};

using Field = std::pair<std::string, std::string>;  // name, value

struct RequestHeaderFields {
    std::string functionCode;  // five digits; longer text is cut
    std::string subCode;       // two characters; usually empty
    std::string bankCode;      // three characters; longer text is cut
};

// ---- Requests ---------------------------------------------------------

// Names, then values, each followed by 0x08. Refuses a name or value holding
// 0x00, 0x08, 0x0A or 0x0D (they would split or end the item on the server)
// and more than 255 fields (the header carries the count in one byte).
Result<std::string> BuildRequestBody(const std::vector<Field>& fields);

// The 100-byte request header. Text fields are left-aligned, blank-filled and
// cut at their width; the body length is cut to five digits and the count to
// one byte, so callers go through BuildRequestFrame, which refuses sizes that
// do not fit.
std::string BuildRequestHeader(const RequestHeaderFields& fields, std::size_t bodyLength,
                               std::size_t fieldCount);

// Prefix + header + body, ready for one write. Refuses what BuildRequestBody
// refuses and a payload over 9999 bytes.
Result<std::string> BuildRequestFrame(const RequestHeaderFields& header,
                                      const std::vector<Field>& fields);

// ---- Scrambling ---------------------------------------------------------

// out[i] = ((i mod 7) + key[(i + 1) mod k]) XOR in[i], in 8 bits. The same
// call descrambles. Precondition: key is not empty (an empty key leaves the
// payload untouched; use ScrambleChecked where the key comes from the wire).
void Scramble(std::string& payload, std::string_view key);
Status ScrambleChecked(std::string& payload, std::string_view key);

// ---- Answers ------------------------------------------------------------

// Four bytes of decimal digits, optionally preceded by blanks and zeros
// ("0120", " 120"); anything after the first digit that is not a digit makes
// the length unreadable ("120 ", "12a0"), and so do four blanks.
Result<std::size_t> ParseAnswerLength(std::string_view fourBytes);

struct AnswerPrefix {
    std::size_t length = 0;
    ScrambleFlag flag = ScrambleFlag::Plain;
};

// The 6-byte prefix of an answer frame. Byte 4 is not examined. A flag other
// than '0'..'3' is refused: the protocol knows only those four, and guessing
// "plain" for a corrupted flag would load scrambled bytes as rows.
Result<AnswerPrefix> ParseAnswerPrefix(std::string_view sixBytes);

// Reads the frames of one answer. The header record persists across frames:
// a payload shorter than 100 bytes overwrites only its own bytes, the rest
// keep those of the previous frame (of the request header for the first).
class AnswerFrameReader {
public:
    // requestHeader is padded with blanks or cut to 100 bytes.
    explicit AnswerFrameReader(std::string_view requestHeader);

    // Accepts one frame: descrambles (flags 1, 3) with key, adopts the
    // payload as key (flags 2, 3), overlays the header record and returns the
    // body. Fails on an unreadable prefix, a payload whose size differs from
    // the announced length, and descrambling with an empty key; on failure
    // neither key nor header record change.
    Result<std::string> accept(std::string_view prefix, std::string payload, std::string& key);

    // Same, for a prefix already parsed (the engine parses it to learn how
    // many bytes to read).
    Result<std::string> accept(const AnswerPrefix& prefix, std::string payload, std::string& key);

    const std::string& header() const { return header_; }
    // Header byte 46 is 'N' on the last frame of an answer.
    bool lastFrame() const { return header_[kHeaderLastFrameOffset] == 'N'; }
    // Header bytes 51-55; "00000" means success.
    std::string returnCode() const {
        return header_.substr(kHeaderReturnCodeOffset, kHeaderReturnCodeSize);
    }
    bool succeeded() const { return returnCode() == kSuccessReturnCode; }
    // Header byte 56 read as an unsigned number.
    unsigned columnCount() const {
        return static_cast<unsigned char>(header_[kHeaderCountOffset]);
    }
    std::size_t framesRead() const { return frames_; }

private:
    std::string header_;
    std::size_t frames_ = 0;
};

// ---- Bodies ---------------------------------------------------------------

// Splits an answer body into items: 0x08, CR, LF and the pair CR LF each end
// an item; 0x00 ends the body; an item may be empty; the terminator after the
// last item may be missing. A body made only of bytes 0x00..0x20 has no
// items. Each terminator is read on its own, so "A" 0x08 CR LF "B" is the
// three items "A", "", "B" (0x08 ends "A", CR LF ends an empty item).
std::vector<std::string> SplitBody(std::string_view body);
// The same items as views into `body`, for readers that copy each item once.
std::vector<std::string_view> SplitBodyViews(std::string_view body);

// True when the body holds only bytes 0x00..0x20.
bool IsBlankBody(std::string_view body);

// Item number column + columns * (row - 1) of the body; row 1 holds the
// column names. Empty when the body is blank, the index lies past the last
// item, or row/column are out of range (row < 1, column < 0).
std::string GetItem(std::string_view body, int row, std::size_t columns, int column);

// ---- Answer building (simulator, tests, benchmarks) ------------------------

// Each item followed by 0x08; refuses an item holding a separator byte.
Result<std::string> JoinItems(const std::vector<std::string>& items);

struct AnswerHeaderFields {
    std::string returnCode = std::string(kSuccessReturnCode);
    bool lastFrame = true;
    std::uint8_t columnCount = 0;
};

// A 100-byte answer header: blanks, byte 46 'N' or 'Y', the return code at
// 51 (cut to five), the column count at 56.
std::string BuildAnswerHeader(const AnswerHeaderFields& fields);

// Prefix (length right-aligned with zeros, "2", flag) + payload, scrambled
// with key for flags 1 and 3. Refuses a payload over 9999 bytes and an empty
// key for a scrambled flag.
Result<std::string> BuildAnswerFrame(const AnswerHeaderFields& header, std::string_view body,
                                     ScrambleFlag flag, std::string_view key);

}  // namespace vantrel
