#include "common/SafeFormat.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <locale>
#include <type_traits>
#include <vector>

namespace vantrel {
namespace {

// A bool, or a pointer that would turn into one, is a caller mistake.
static_assert(!std::is_constructible_v<FormatArg, bool>);
static_assert(!std::is_constructible_v<FormatArg, int*>);

template <class... A>
std::string Formatted(std::string_view pattern, A&&... args) {
    auto result = Format(pattern, std::forward<A>(args)...);
    EXPECT_TRUE(result.ok()) << pattern << ": " << result.error();
    return result.valueOr("<failed>");
}

TEST(SafeFormat, TextsAndIndexes) {
    EXPECT_EQ(Formatted("%s : %s", "Bank", std::string("timeout")), "Bank : timeout");
    EXPECT_EQ(Formatted("连接服务器 %s:%d 成功", "10.0.0.1", 8001), "连接服务器 10.0.0.1:8001 成功");
    EXPECT_EQ(Formatted("%1:s/%0:s", "a", "b"), "b/a");
    // After an index, the next placeholder continues from index + 1.
    EXPECT_EQ(Formatted("%1:s %s %0:s %s", "a", "b", "c"), "b c a b");
    EXPECT_EQ(Formatted("%-6s|%6s|", "ab", "cd"), "ab    |    cd|");
    EXPECT_EQ(Formatted("%.3s|%S", "abcdef", std::string_view("x")), "abc|x");
    EXPECT_EQ(Formatted("100%% %s", 'c'), "100% c");
    EXPECT_EQ(Formatted("no placeholders", 1, "unused"), "no placeholders");
    EXPECT_EQ(Formatted("%*s|%-*s|", 4, "a", 3, "b"), "   a|b  |");
}

TEST(SafeFormat, WideCharactersTakeTwoColumns) {
    EXPECT_EQ(DisplayColumns("a中文"), 5u);
    EXPECT_EQ(Formatted("%6s|", "中文"), "  中文|");
    EXPECT_EQ(Formatted("%-5s|", "a中"), "a中  |");
    // Cut before a character that would pass the precision, never inside it.
    EXPECT_EQ(Formatted("%.3s|", "中文"), "中|");
    EXPECT_EQ(Formatted("%.4s|", "ab中文"), "ab中|");
    EXPECT_EQ(Formatted("%.1s|", "中"), "|");
    EXPECT_EQ(Formatted("第 %d页/共 %d页", 2, 15), "第 2页/共 15页");
    // A broken sequence counts byte by byte and is not overrun.
    EXPECT_EQ(CutToColumns("\xE4\xB8", 2), "\xE4");
    EXPECT_EQ(DisplayColumns("\xE4\xB8"), 4u);
}

TEST(SafeFormat, Integers) {
    EXPECT_EQ(Formatted("%d ms", 250), "250 ms");
    EXPECT_EQ(Formatted("[%5d][%-5d]", 42, -42), "[   42][-42  ]");
    EXPECT_EQ(Formatted("%.3d %.3d %.0d", 7, -7, 0), "007 -007 0");
    EXPECT_EQ(Formatted("%d", std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
    EXPECT_EQ(Formatted("%d %u", std::numeric_limits<std::uint64_t>::max(), 7u),
              "18446744073709551615 7");
    EXPECT_EQ(Formatted("%u", -1), "18446744073709551615");
    EXPECT_EQ(Formatted("%x %.4X %x", 255, 255, -1), "FF 00FF FFFFFFFFFFFFFFFF");
    EXPECT_EQ(Formatted("%*.*d", 6, 4, 12), "  0012");
}

TEST(SafeFormat, FloatsRoundHalfAwayFromZero) {
    EXPECT_EQ(Formatted("%.2f", 12.345), "12.35");
    EXPECT_EQ(Formatted("%.2f", -0.005), "-0.01");
    EXPECT_EQ(Formatted("%.2f", 1.005), "1.01");
    EXPECT_EQ(Formatted("%.f|%.0f|%.0f", 1234.0, 2.5, -2.5), "1234|3|-3");
    EXPECT_EQ(Formatted("%f|%8.3f|%-7.1f|", 3.14159, 3.14159, 9.96), "3.14|   3.142|10.0   |");
    EXPECT_EQ(Formatted("%.2f|%.2f", -0.001, 0.0), "0.00|0.00");
    EXPECT_EQ(Formatted("%.2f", 999.996), "1000.00");
    EXPECT_EQ(Formatted("%.3f", 1e-7), "0.000");
    EXPECT_EQ(Formatted("%n|%.0n|%n", 1234567.891, -1234.0, 12.0), "1,234,567.89|-1,234|12.00");
    EXPECT_EQ(Formatted("%e|%.3e|%.2E", 1234.5, -0.00012345, 0.0), "1.23450000000000E+003|-1.23E-004|0.0E+000");
    EXPECT_EQ(Formatted("%g|%g|%g|%.3g|%g", 0.5, 1200.0, 1e20, 1234.5, 0.0000015),
              "0.5|1200|1E+020|1.23E+003|1.5E-006");
    EXPECT_EQ(Formatted("%f|%5f|%f", std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()),
              "NAN|  INF|-INF");
    EXPECT_EQ(Formatted("%.0f", 1e300).size(), 301u);
}

// A stream-based implementation would pick up the global locale's comma.
TEST(SafeFormat, IgnoresTheGlobalLocale) {
    struct Comma : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
        std::string do_grouping() const override { return "\3"; }
        char do_thousands_sep() const override { return '.'; }
    };
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new Comma));
    const std::string text = Formatted("%.2f %d %n", 1.5, 12345, 1234.5);
    std::locale::global(previous);
    EXPECT_EQ(text, "1.50 12345 1,234.50");
}

TEST(SafeFormat, RefusesPatternsThatDoNotMatchTheArguments) {
    const std::vector<FormatArg> one{"a"};
    const std::vector<FormatArg> textAndNumber{"a", 5};
    struct Case {
        std::string_view pattern;
        const std::vector<FormatArg>& args;
        std::string_view expected;  // part of the message
    };
    const Case cases[] = {
        {"%s : %s", one, "needs argument 1 (counting from 0) but only 1 were given"},
        {"x %d", one, "%d needs an integer"},
        {"%s %s", textAndNumber, "%s needs a text"},
        {"%s %f", textAndNumber, "%f needs a floating point number"},
        {"%q", one, "unknown type"},
        {"%s %", one, "ends inside the placeholder"},
        {"abc %-5.", one, "ends inside the placeholder"},
        {"%1:s", one, "index is beyond the last argument"},
        {"%99999999999999999999999:s", one, "beyond the last argument"},
        {"%2000s", one, "width is above the limit"},
        {"%.1025s", one, "precision is above the limit"},
        {"%*s", textAndNumber, "'*' width needs an integer"},
        {"%:s", one, "unknown type"},
        {"%\xE4\xB8\xAD", one, "\"%\\xE4\""},
    };
    for (const auto& c : cases) {
        const auto result = SafeFormat(c.pattern, c.args);
        ASSERT_FALSE(result.ok()) << c.pattern << " gave " << result.value();
        EXPECT_NE(result.error().find(c.expected), std::string::npos) << c.pattern << ": " << result.error();
    }
    EXPECT_NE(Format("ok %s then %d", "a", "b").error().find("at offset 11"), std::string::npos);
    EXPECT_FALSE(Format("%d", 1.0).ok());
    EXPECT_FALSE(Format("%*d", -3, 1).ok());
    EXPECT_FALSE(Format("%*d", std::uint64_t{1} << 40, 1).ok());
}

}  // namespace
}  // namespace vantrel
