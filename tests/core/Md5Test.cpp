#include "common/Md5.h"

#include "ExternalMd5.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace vantrel {
namespace {

// The test suite of RFC 1321, appendix A.5.
TEST(Md5, Rfc1321Suite) {
    const std::pair<const char*, const char*> suite[] = {
        {"", "D41D8CD98F00B204E9800998ECF8427E"},
        {"a", "0CC175B9C0F1B6A831C399E269772661"},
        {"abc", "900150983CD24FB0D6963F7D28E17F72"},
        {"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
        {"abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "D174AB98D277D9F5A5611C2C9F419D9F"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57EDF4A22BE3C955AC49DA2E2107B67A"},
    };
    for (const auto& [input, digest] : suite) EXPECT_EQ(Md5HexUpper(input), digest) << '"' << input << '"';
}

TEST(Md5, DigestBytesMatchTheHexText) {
    const auto digest = Md5Digest("abc");
    EXPECT_EQ(digest[0], 0x90);
    EXPECT_EQ(digest[15], 0x72);
    EXPECT_EQ(Md5HexUpper("abc").size(), 32u);
}

std::string Bytes(std::size_t length, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(length, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

// 55 bytes still take the length in the same block, 56 do not; 63, 64 and 65
// sit around a whole block. Every byte value, NUL included, appears.
TEST(Md5, PaddingBoundariesAgreeWithMd5sum) {
    for (std::size_t length : {55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 128u}) {
        const std::string bytes = Bytes(length, static_cast<unsigned>(length));
        const std::string expected = test::ExternalMd5(bytes);
        ASSERT_EQ(expected.size(), 32u) << "md5sum did not run";
        EXPECT_EQ(Md5HexUpper(bytes), expected) << length << " bytes";
    }
}

TEST(Md5, OneMegabyteAgreesWithMd5sum) {
    const std::string bytes = Bytes(1 << 20, 7);
    const std::string expected = test::ExternalMd5(bytes);
    ASSERT_EQ(expected.size(), 32u) << "md5sum did not run";
    EXPECT_EQ(Md5HexUpper(bytes), expected);
}

}  // namespace
}  // namespace vantrel
