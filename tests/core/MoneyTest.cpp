// Amounts in yuan to whole cents, exactly.
#include <gtest/gtest.h>

#include "common/Money.h"

namespace vantrel {
namespace {

TEST(YuanToCents, AcceptsWholeAndTwoDecimalAmountsExactly) {
    const std::pair<const char*, int64_t> cases[] = {
        {"0.29", 29}, {"100", 10000}, {"100.5", 10050}, {"100.50", 10050}, {"0.01", 1},
        {"1.10", 110}, {"007", 700}, {"999999999.99", 99999999999}, {"0.07", 7},
        // Values a double would round the wrong way.
        {"1.15", 115}, {"4.35", 435}, {"123456789.01", 12345678901},
    };
    for (const auto& [text, cents] : cases) {
        const auto parsed = YuanToCents(text);
        ASSERT_TRUE(parsed.ok()) << text << ": " << parsed.error();
        EXPECT_EQ(parsed.value(), cents) << text;
    }
}

TEST(YuanToCents, RefusesEverythingElse) {
    for (const char* text : {"1.005", "1e3", "-1", "", "abc", "+5", " 5", "5 ", "1,000", ".5", "5.", "1.2.3",
                             "0", "0.00", "1000000000", "1000000000.00", "99999999999999999999999", "0x10",
                             "１００"})
        EXPECT_FALSE(YuanToCents(text).ok()) << "'" << text << "'";
}

TEST(YuanToCents, ErrorsSayWhatIsWrong) {
    EXPECT_NE(YuanToCents("1.005").error().find("两位小数"), std::string::npos);
    EXPECT_NE(YuanToCents("1000000000").error().find("上限"), std::string::npos);
    EXPECT_NE(YuanToCents("0").error().find("大于零"), std::string::npos);
}

TEST(CentsText, IsTheWholeNumber) {
    EXPECT_EQ(CentsText(29), "29");
    EXPECT_EQ(CentsText(10000), "10000");
    EXPECT_EQ(CentsText(99999999999), "99999999999");
}

}  // namespace
}  // namespace vantrel
