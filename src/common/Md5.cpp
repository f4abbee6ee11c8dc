#include "common/Md5.h"

#include <algorithm>
#include <cstddef>

namespace vantrel {
namespace {

// Shift amounts per round and the sine-derived constants, as listed in RFC 1321.
constexpr std::uint32_t kShift[64] = {
    7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
    5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
    4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
    6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

constexpr std::uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

constexpr std::uint32_t RotateLeft(std::uint32_t x, std::uint32_t n) { return (x << n) | (x >> (32 - n)); }

class Md5State {
public:
    void update(const unsigned char* data, std::size_t size) {
        length_ += size;
        if (buffered_ > 0) {
            const std::size_t take = std::min(size, sizeof block_ - buffered_);
            std::copy(data, data + take, block_ + buffered_);
            buffered_ += take;
            data += take;
            size -= take;
            if (buffered_ < sizeof block_) return;
            transform(block_);
            buffered_ = 0;
        }
        for (; size >= sizeof block_; data += sizeof block_, size -= sizeof block_) transform(data);
        std::copy(data, data + size, block_);
        buffered_ = size;
    }

    std::array<std::uint8_t, 16> finish() {
        // Pad with 0x80 and zeros to 56 bytes mod 64, then the bit length,
        // little-endian; the length is taken before padding changes it.
        const std::uint64_t bits = static_cast<std::uint64_t>(length_) * 8u;
        const unsigned char one = 0x80;
        update(&one, 1);
        const unsigned char zero = 0;
        while (buffered_ != 56) update(&zero, 1);
        unsigned char tail[8];
        for (int i = 0; i < 8; ++i) tail[i] = static_cast<unsigned char>(bits >> (8 * i));
        update(tail, sizeof tail);

        std::array<std::uint8_t, 16> digest{};
        for (std::size_t word = 0; word < 4; ++word)
            for (std::size_t i = 0; i < 4; ++i)
                digest[word * 4 + i] = static_cast<std::uint8_t>(state_[word] >> (8 * i));
        return digest;
    }

private:
    void transform(const unsigned char* block) {
        std::uint32_t m[16];
        for (std::size_t i = 0; i < 16; ++i)
            m[i] = static_cast<std::uint32_t>(block[i * 4]) | static_cast<std::uint32_t>(block[i * 4 + 1]) << 8 |
                   static_cast<std::uint32_t>(block[i * 4 + 2]) << 16 |
                   static_cast<std::uint32_t>(block[i * 4 + 3]) << 24;

        std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
        for (std::uint32_t i = 0; i < 64; ++i) {
            std::uint32_t f = 0;
            std::uint32_t g = 0;
            if (i < 16) {
                f = (b & c) | (~b & d);
                g = i;
            } else if (i < 32) {
                f = (d & b) | (~d & c);
                g = (5 * i + 1) % 16;
            } else if (i < 48) {
                f = b ^ c ^ d;
                g = (3 * i + 5) % 16;
            } else {
                f = c ^ (b | ~d);
                g = (7 * i) % 16;
            }
            const std::uint32_t rotated = RotateLeft(a + f + kSine[i] + m[g], kShift[i]);
            a = d;
            d = c;
            c = b;
            b += rotated;
        }
        state_[0] += a;
        state_[1] += b;
        state_[2] += c;
        state_[3] += d;
    }

    std::uint32_t state_[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    unsigned char block_[64] = {};
    std::size_t buffered_ = 0;
    std::size_t length_ = 0;
};

}  // namespace

std::array<std::uint8_t, 16> Md5Digest(std::string_view bytes) {
    Md5State state;
    state.update(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    return state.finish();
}

std::string Md5HexUpper(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(32);
    for (const std::uint8_t byte : Md5Digest(bytes)) {
        text += kHex[byte >> 4];
        text += kHex[byte & 0x0F];
    }
    return text;
}

}  // namespace vantrel
