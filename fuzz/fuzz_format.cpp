// Untrusted patterns against a few arguments: must never read past the
// arguments, crash or blow up the output.
// Input: one byte for the argument count (mod 6); per argument a kind byte
// (mod 3: text, integer, double) and its data (text: length byte mod 24 and
// the bytes; numbers: 8 bytes); the rest is the pattern.
#include "common/SafeFormat.h"

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;

    uint8_t byte() { return pos < size ? data[pos++] : 0; }
    uint64_t word() {
        uint64_t value = 0;
        for (int i = 0; i < 8; ++i) value = (value << 8) | byte();
        return value;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in{data, size};
    std::vector<vantrel::FormatArg> args;
    const int count = in.byte() % 6;
    for (int i = 0; i < count; ++i) {
        switch (in.byte() % 3) {
            case 0: {
                std::string text;
                for (int n = in.byte() % 24; n > 0 && in.pos < size; --n) text += static_cast<char>(in.byte());
                args.emplace_back(std::move(text));
                break;
            }
            case 1:
                args.emplace_back(static_cast<int64_t>(in.word()));
                break;
            default: {
                const uint64_t bits = in.word();
                double number;
                std::memcpy(&number, &bits, sizeof number);
                args.emplace_back(number);
            }
        }
    }
    const std::string_view pattern(reinterpret_cast<const char*>(data) + in.pos, size - in.pos);

    const auto result = vantrel::SafeFormat(pattern, args);
    if (pattern.find('%') == std::string_view::npos) {
        if (!result.ok() || result.value() != pattern) __builtin_trap();
    } else if (result.ok()) {
        // Each placeholder takes at least two pattern bytes and yields at most
        // a width or precision (1024) plus the 309 integer digits of a double.
        if (result.value().size() > pattern.size() * 1400) __builtin_trap();
    } else if (result.error().find("at offset") == std::string::npos) {
        __builtin_trap();
    }
    return 0;
}
