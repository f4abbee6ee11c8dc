#pragma once
// Writing an export's bytes straight into its output string: room for a
// row is made once, then the row is written through a pointer, with no
// size check per cell.
#include "common/CopyBytes.h"
#include "common/TextCodec.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace vantrel {

class OutputRoom {
public:
    explicit OutputRoom(std::string& out) : out_(out), used_(out.size()) {}
    // Where the next `bytes` (at most) go.
    char* room(std::size_t bytes) {
        if (out_.size() < used_ + bytes) out_.resize(std::max(used_ + bytes, out_.capacity()));
        return out_.data() + used_;
    }
    // The row written ends at `end`.
    void used(const char* end) { used_ = static_cast<std::size_t>(end - out_.data()); }
    // Cuts the output to what was written.
    void finish() { out_.resize(used_); }

private:
    std::string& out_;
    std::size_t used_;
};

// Whether a text of at most 16 bytes is ASCII, which GBK holds as it is:
// the dates, times, amounts and account numbers of most cells.
inline bool ShortAscii(std::string_view text) {
    const std::size_t n = text.size();
    const char* p = text.data();
    std::uint64_t a = 0, b = 0;
    if (n >= 8 && n <= 16) {
        std::memcpy(&a, p, 8);
        std::memcpy(&b, p + n - 8, 8);
    } else if (n >= 4 && n < 8) {
        std::uint32_t x, y;
        std::memcpy(&x, p, 4);
        std::memcpy(&y, p + n - 4, 4);
        a = x | y;
    } else if (n < 4) {
        for (std::size_t i = 0; i < n; ++i) a |= static_cast<unsigned char>(p[i]);
    } else {
        return false;
    }
    return ((a | b) & 0x8080808080808080ull) == 0;
}

// Writes a cell text in GBK at `to` (at most its UTF-8 size) and returns the
// end; `ok` turns false at a character GBK cannot hold.
inline char* PutGbk(char* to, std::string_view utf8, bool& ok) {
    if (!ShortAscii(utf8)) return WriteUtf8AsGbk(to, utf8, ok);
    CopyBytes(to, utf8.data(), utf8.size());
    ok = true;
    return to + utf8.size();
}

}  // namespace vantrel
