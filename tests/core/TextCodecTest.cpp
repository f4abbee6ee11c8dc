#include "common/TextCodec.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include "common/Win32.h"
#else
#include "Cp936Derivation.h"
#endif

namespace vantrel {
namespace {

using namespace std::string_literals;

// One character of the Basic Multilingual Plane in UTF-8, written apart from
// the codec's own encoder: the trail bytes from the last, six bits each.
std::string Utf8Of(char32_t cp) {
    if (cp < 0x80) return std::string(1, static_cast<char>(cp));
    const std::size_t trail = cp < 0x800 ? 1 : 2;
    std::string out(trail + 1, '\0');
    for (std::size_t i = trail; i > 0; --i, cp >>= 6) out[i] = static_cast<char>(0x80 | (cp & 0x3F));
    out[0] = static_cast<char>((trail == 1 ? 0xC0 : 0xE0) | cp);
    return out;
}

bool IsSurrogate(char32_t cp) { return cp >= 0xD800 && cp <= 0xDFFF; }

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

TEST(TextCodec, AppendFormsAddToWhatIsThereAndRefuseLikeTheOthers) {
    std::string out = "ab";
    EXPECT_TRUE(AppendUtf8AsGbk(out, "中x"));
    EXPECT_EQ(out, "ab\xD6\xD0x");
    EXPECT_TRUE(AppendGbkAsUtf8(out, "\xB9\xFA"));
    EXPECT_EQ(out, "ab\xD6\xD0x国");
    std::string refused;
    EXPECT_FALSE(AppendUtf8AsGbk(refused, "a😀"));
    EXPECT_FALSE(AppendGbkAsUtf8(refused, "a\x81"));
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

// Codes GBK leaves open read as Windows reads them, in the Private Use
// Area, and are written back to the same bytes.
TEST(TextCodec, OpenCodesRoundTripThroughThePrivateUseArea) {
    struct Case {
        std::string gbk;
        char32_t codePoint;
    };
    const std::vector<Case> cases = {
        {"\xAA\xA1", 0xE000}, {"\xAF\xFE", 0xE233},  // first user-defined area
        {"\xF8\xA1", 0xE234}, {"\xFE\xFE", 0xE4C5},  // second
        {"\xA1\x40", 0xE4C6}, {"\xA7\xA0", 0xE765},  // third
        {"\xA2\xAB", 0xE766}, {"\xA2\xE3", 0xE76C},  // other open codes, in byte order
        {"\xA6\xD9", 0xE78D}, {"\xFE\x50", 0xE815}, {"\xFE\xA0", 0xE864},
    };
    for (const auto& c : cases) {
        const auto utf8 = Utf8Of(c.codePoint);
        const auto name = static_cast<unsigned>(c.codePoint);
        EXPECT_EQ(GbkToUtf8("x" + c.gbk).valueOr("refused"), "x" + utf8) << std::hex << name;
        EXPECT_EQ(Utf8ToGbk(utf8 + "y").valueOr("refused"), c.gbk + "y") << std::hex << name;
    }
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

#ifdef _WIN32

// Windows' own reading of the bytes, as UTF-8; "refused" when it finds an
// invalid sequence.
std::string WindowsReads(const std::string& gbk) {
    wchar_t wide[8];
    const int n = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, gbk.data(), static_cast<int>(gbk.size()), wide, 8);
    if (n <= 0) return "refused";
    char utf8[32];
    const int m = WideCharToMultiByte(CP_UTF8, 0, wide, n, utf8, sizeof utf8, nullptr, nullptr);
    return std::string(utf8, static_cast<std::size_t>(m));
}

// Windows' writing of one character without best-fit substitutes; "refused"
// when it has no code for it.
std::string WindowsWrites(char32_t cp) {
    const wchar_t wide = static_cast<wchar_t>(cp);
    char gbk[8];
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, &wide, 1, gbk, sizeof gbk, nullptr, &usedDefault);
    if (n <= 0 || usedDefault) return "refused";
    return std::string(gbk, static_cast<std::size_t>(n));
}

TEST(TextCodec, ReadsEveryByteAndBytePairAsWindowsDoes) {
    int mismatches = 0;
    auto compare = [&](const std::string& gbk) {
        const auto ours = GbkToUtf8(gbk);
        const auto windows = WindowsReads(gbk);
        if (ours.valueOr("refused") == windows) return;
        if (++mismatches <= 20)
            ADD_FAILURE() << "bytes " << std::hex << static_cast<unsigned>(static_cast<unsigned char>(gbk[0]))
                          << " " << (gbk.size() > 1 ? static_cast<unsigned>(static_cast<unsigned char>(gbk[1])) : 0u)
                          << ": ours " << ours.valueOr("refused") << ", Windows " << windows;
    };
    for (unsigned byte = 0x01; byte <= 0xFF; ++byte) compare(std::string(1, static_cast<char>(byte)));
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead)
        for (unsigned trail = 0x01; trail <= 0xFF; ++trail)
            compare({static_cast<char>(lead), static_cast<char>(trail)});
    EXPECT_EQ(mismatches, 0);
}

// Every character Windows writes as bytes it reads back is written the same
// way; what it writes but cannot read back is refused.
TEST(TextCodec, WritesEveryCharacterAsWindowsDoes) {
    int mismatches = 0;
    std::vector<unsigned> writtenOneWay;
    for (char32_t cp = 0x01; cp <= 0xFFFF; ++cp) {
        if (IsSurrogate(cp)) continue;
        const auto ours = Utf8ToGbk(Utf8Of(cp));
        auto windows = WindowsWrites(cp);
        if (windows != "refused" && WindowsReads(windows) != Utf8Of(cp)) {
            writtenOneWay.push_back(static_cast<unsigned>(cp));
            windows = "refused";
        }
        if (ours.valueOr("refused") == windows) continue;
        if (++mismatches <= 20) ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned>(cp);
    }
    EXPECT_EQ(mismatches, 0);
    // The one such character: U+F8F5 becomes 0xFF, which Windows refuses to read.
    EXPECT_EQ(writtenOneWay, std::vector<unsigned>{0xF8F5});
}

#else

// The committed table is exactly what tools/cp936 derives from iconv here,
// both ways, and nothing else has a code.
TEST(TextCodec, TableIsTheOneDerivedFromIconv) {
    const auto table = cp936::DeriveTwoByteTable();
    ASSERT_TRUE(table) << table.error();
    std::vector<std::string> codeOf(0x10000, "refused");
    for (char32_t cp = 0x01; cp < 0x80; ++cp) codeOf[cp] = std::string(1, static_cast<char>(cp));
    codeOf[0x20AC] = "\x80";
    int mismatches = 0;
    for (unsigned lead = 0; lead < cp936::kLeadCount; ++lead) {
        for (unsigned index = 0; index < cp936::kTrailCount; ++index) {
            const std::string gbk{static_cast<char>(cp936::kFirstLead + lead), static_cast<char>(cp936::TrailByte(index))};
            const char32_t cp = table.value()[lead * cp936::kTrailCount + index];
            codeOf[cp] = gbk;
            if (GbkToUtf8(gbk).valueOr("refused") != Utf8Of(cp) && ++mismatches <= 20)
                ADD_FAILURE() << "reading " << std::hex << cp936::kFirstLead + lead << " " << cp936::TrailByte(index);
        }
    }
    for (char32_t cp = 0x01; cp <= 0xFFFF; ++cp) {
        if (IsSurrogate(cp)) continue;
        if (Utf8ToGbk(Utf8Of(cp)).valueOr("refused") != codeOf[cp] && ++mismatches <= 20)
            ADD_FAILURE() << "writing U+" << std::hex << static_cast<unsigned>(cp);
    }
    EXPECT_EQ(mismatches, 0);
}

#endif

}  // namespace
}  // namespace vantrel
