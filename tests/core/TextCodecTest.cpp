#include "common/TextCodec.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace vantrel {
namespace {

using namespace std::string_literals;

TEST(TextCodec, RoundTripsChineseIncludingAsciiLikeTrailBytes) {
    struct Case {
        std::string utf8;
        std::string gbk;
    };
    const std::vector<Case> cases = {
        {"资金划转", "\xD7\xCA\xBD\xF0\xBB\xAE\xD7\xAA"},
        {"表", "\xB1\xED"},
        // Trail bytes equal to "[", "\" and "]".
        {"乕乗乚", "\x81\x5B\x81\x5C\x81\x5D"},
        {"a\0b 1=2"s, "a\0b 1=2"s},
        {"", ""},
    };
    for (const auto& c : cases) {
        auto gbk = Utf8ToGbk(c.utf8);
        ASSERT_TRUE(gbk) << gbk.error();
        EXPECT_EQ(*gbk, c.gbk);
        auto back = GbkToUtf8(*gbk);
        ASSERT_TRUE(back) << back.error();
        EXPECT_EQ(*back, c.utf8);
    }
}

TEST(TextCodec, EuroSignIsByte80AsInCodePage936) {
    EXPECT_EQ(Utf8ToGbk("€5").valueOr(""), "\x80" "5");
    EXPECT_EQ(GbkToUtf8("\x80" "5").valueOr(""), "€5");
}

TEST(TextCodec, RefusesWhatGbkCannotHoldNamingThePosition) {
    auto emoji = Utf8ToGbk("ab😀c");
    ASSERT_FALSE(emoji);
    EXPECT_NE(emoji.error().find("U+1F600"), std::string::npos) << emoji.error();
    EXPECT_NE(emoji.error().find("byte 2"), std::string::npos) << emoji.error();

    // Invalid UTF-8: stray byte, overlong "/", surrogate, cut-off sequence.
    for (const std::string bad : {"a\xFF", "a\xC0\xAF", "a\xED\xA0\x80", "a\xE8\xB5"}) {
        auto result = Utf8ToGbk(bad);
        ASSERT_FALSE(result) << "accepted " << bad;
        EXPECT_NE(result.error().find("invalid UTF-8"), std::string::npos) << result.error();
        EXPECT_NE(result.error().find("byte 1"), std::string::npos) << result.error();
    }
}

TEST(TextCodec, RefusesInvalidGbk) {
    auto badTrail = GbkToUtf8("ok\x81\x20");
    ASSERT_FALSE(badTrail);
    EXPECT_NE(badTrail.error().find("0x81 0x20 at byte 2"), std::string::npos) << badTrail.error();

    auto cut = GbkToUtf8("ok\xD7");
    ASSERT_FALSE(cut);
    EXPECT_NE(cut.error().find("incomplete"), std::string::npos) << cut.error();

    EXPECT_FALSE(GbkToUtf8("\xFF"));
}

TEST(TextCodec, EscapedFormKeepsEveryCharacterVisible) {
    EXPECT_EQ(Utf8ToGbkEscaped("资😀\xFFz€"), "\xD7\xCA\\u{1F600}\\x{FF}z\x80");
    EXPECT_EQ(Utf8ToGbkEscaped("\xE8\xB5"), "\\x{E8}\\x{B5}");
    EXPECT_EQ(Utf8ToGbkEscaped("plain"), "plain");
}

TEST(TextCodec, ConvertsOnSeveralThreadsAtOnce) {
    const std::string text = "资金划转乗乚 transfer 😀";
    const std::string expected = Utf8ToGbkEscaped(text);
    std::vector<std::thread> threads;
    std::vector<int> mismatches(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 500; ++i) {
                if (Utf8ToGbkEscaped(text) != expected) ++mismatches[t];
                if (GbkToUtf8("\xD7\xCA\xBD\xF0").valueOr("") != "资金") ++mismatches[t];
            }
        });
    }
    for (auto& thread : threads) thread.join();
    for (int count : mismatches) EXPECT_EQ(count, 0);
}

}  // namespace
}  // namespace vantrel
