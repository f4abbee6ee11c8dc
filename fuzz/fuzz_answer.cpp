// Arbitrary bytes as the answer frames of one exchange: the first byte picks
// the key length, the key follows, then prefix + payload frames until the
// input ends or a frame is refused. Every body goes through the splitter.
#include "protocol/PacketCodec.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vantrel;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.empty()) return 0;

    const std::size_t keyLength = static_cast<unsigned char>(input[0]) % 10;
    input.remove_prefix(1);
    std::string key = keyLength == 9 ? std::string(kDefaultPacketKey)
                                     : std::string(input.substr(0, keyLength));
    input.remove_prefix(std::min(input.size(), keyLength == 9 ? 0 : keyLength));

    AnswerFrameReader reader(BuildRequestHeader({"90002", "", "005"}, 0, 7));
    for (int frame = 0; frame < 64 && input.size() >= kPrefixSize; ++frame) {
        const std::string_view prefix = input.substr(0, kPrefixSize);
        input.remove_prefix(kPrefixSize);
        auto parsed = ParseAnswerPrefix(prefix);
        if (!parsed) break;
        // A short read is what a closed connection leaves: feed what there is.
        const std::string payload(input.substr(0, parsed->length));
        input.remove_prefix(payload.size());

        const std::string keyBefore = key;
        auto body = reader.accept(*parsed, payload, key);
        if (!body) {
            Check(key == keyBefore);
            break;
        }
        Check(reader.header().size() == kHeaderSize);
        Check(body->size() == (payload.size() > kHeaderSize ? payload.size() - kHeaderSize : 0));

        const auto items = SplitBody(*body);
        for (const auto& item : items)
            for (char c : item) Check(c != '\x08' && c != '\r' && c != '\n' && c != '\0');
        Check(items.empty() || !IsBlankBody(*body));

        const std::size_t columns = reader.columnCount();
        (void)GetItem(*body, 2, columns, 0);
        (void)GetItem(*body, 2, columns, 1);
        if (!items.empty() && columns > 0)
            Check(GetItem(*body, 1, columns, 0) == items[0]);
        if (reader.lastFrame()) break;
    }

    // Round trip: a scrambled payload descrambles to itself.
    if (!key.empty()) {
        std::string bytes(input.substr(0, 256));
        std::string copy = bytes;
        Scramble(copy, key);
        Scramble(copy, key);
        Check(copy == bytes);
    }
    return 0;
}
