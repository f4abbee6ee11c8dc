#include "protocol/OnlineBankAddress.h"

#include "common/WebAddress.h"
#include "ExternalMd5.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel {
namespace {

constexpr const char* kThree = "https://bank.example/pay?order=%s&cust=%s&sign=%s";

std::string Filled(std::string_view pattern, std::string_view order, std::string_view trade) {
    auto result = FillOnlineBankAddress(pattern, order, trade);
    EXPECT_TRUE(result.ok()) << pattern << ": " << result.error();
    return result.valueOr("<failed>");
}

TEST(OnlineBankAddress, FillsOrderTradeAndSignature) {
    const std::string sign = test::ExternalMd5("202405170001" "8001234");
    ASSERT_EQ(sign.size(), 32u) << "md5sum did not run";
    EXPECT_EQ(Filled(kThree, "202405170001", "8001234"),
              "https://bank.example/pay?order=202405170001&cust=8001234&sign=" + sign);
    // Fewer placeholders are fine: the signature is then left out.
    EXPECT_EQ(Filled("https://bank.example/pay?o=%s&c=%s", "202405170001", "8001234"),
              "https://bank.example/pay?o=202405170001&c=8001234");
    EXPECT_EQ(Filled("https://bank.example/fixed", "1", "2"), "https://bank.example/fixed");
    // Indexes pick any of the three texts; %% is a literal percent.
    EXPECT_EQ(Filled("https://bank.example/?s=%2:s&o=%0:s&p=100%%25", "9", "8"),
              "https://bank.example/?s=" + test::ExternalMd5("98") + "&o=9&p=100%25");
}

TEST(OnlineBankAddress, SignatureIsOrderThenTradeWithoutSeparator) {
    const auto forward = OnlineBankSignature("1001", "8001234");
    const auto swapped = OnlineBankSignature("8001234", "1001");
    ASSERT_TRUE(forward.ok() && swapped.ok());
    EXPECT_EQ(*forward, test::ExternalMd5("10018001234"));
    EXPECT_NE(*forward, *swapped);
    EXPECT_EQ(*OnlineBankSignature("", "x"), test::ExternalMd5("x"));
}

// The bank computes over the GBK bytes it receives, so the UTF-8 text is
// converted first; the expected value goes through the system's iconv.
TEST(OnlineBankAddress, SignatureCoversTheGbkBytes) {
    const std::string order = "网银订单42";
    const std::string expected = test::ExternalMd5(order + "8001234", "iconv -f UTF-8 -t GBK");
    ASSERT_EQ(expected.size(), 32u) << "iconv or md5sum did not run";
    ASSERT_TRUE(OnlineBankSignature(order, "8001234").ok());
    EXPECT_EQ(*OnlineBankSignature(order, "8001234"), expected);
    EXPECT_NE(expected, test::ExternalMd5(order + "8001234"));  // not the UTF-8 bytes
    EXPECT_EQ(Filled(kThree, order, "8001234"),
              "https://bank.example/pay?order=" + order + "&cust=8001234&sign=" + expected);

    // A character GBK cannot hold, or broken UTF-8, is an error, not a guess.
    EXPECT_FALSE(OnlineBankSignature("订单\xF0\x9F\x98\x80", "1").ok());
    EXPECT_FALSE(OnlineBankSignature("\xE4\xB8", "1").ok());
    EXPECT_FALSE(FillOnlineBankAddress(kThree, "订单\xF0\x9F\x98\x80", "1").ok());
}

TEST(OnlineBankAddress, PatternsTheFormatterRefusesAreErrors) {
    for (const char* pattern : {
             "https://bank.example/?a=%s&b=%s&c=%s&d=%s",  // a fourth argument that does not exist
             "https://bank.example/?order=%d",             // not a text placeholder
             "https://bank.example/?amount=%f",
             "https://bank.example/?x=%x",
             "https://bank.example/?w=%*s",                // '*' would take a text as width
             "https://bank.example/?order=%s&end=%",       // malformed at the end
             "https://bank.example/?order=%3:s",           // index past the three texts
             "https://bank.example/?order=%q",
         }) {
        auto result = FillOnlineBankAddress(pattern, "1001", "8001234");
        EXPECT_FALSE(result.ok()) << pattern << " gave " << result.valueOr("");
    }
}

TEST(OnlineBankAddress, MissingOrderIdOrTradeNumberIsAnError) {
    EXPECT_FALSE(FillOnlineBankAddress(kThree, "", "8001234").ok());
    EXPECT_FALSE(FillOnlineBankAddress(kThree, "1001", "").ok());
}

TEST(OnlineBankAddress, OnlyHttpAndHttpsAddressesComeOut) {
    for (const char* pattern : {"file:///etc/passwd", "javascript:alert(1)", "mailto:a@b.c", "bank",
                                "ftp://bank.example/%s", "https://", "https:///path", "http:bank.example",
                                "https://bank.example@evil.example/?o=%s"}) {
        EXPECT_FALSE(FillOnlineBankAddress(pattern, "1001", "8001234").ok()) << pattern;
    }
    // Blanks around the address are trimmed; the scheme is case-insensitive.
    EXPECT_EQ(Filled("  HTTPS://x.y/  ", "1", "2"), "HTTPS://x.y/");
    EXPECT_EQ(Filled("\tHttp://x.y:8080/%s\r\n", "1", "2"), "Http://x.y:8080/1");
    // An order id that puts a blank or a quote into the address makes it invalid.
    EXPECT_FALSE(FillOnlineBankAddress(kThree, "10 01", "2").ok());
    EXPECT_FALSE(FillOnlineBankAddress(kThree, "\"><script>", "2").ok());
}

TEST(OnlineBankAddress, TheBrowserRuleAcceptsWebAddressesOnly) {
    for (const char* good : {"http://a", "https://bank.example.com/pay?order=1#top", "HTTPS://X.Y:443",
                             "https://1.2.3.4/", "http://[::1]:8080/p", "https://a_b.example/%E4%B8%AD",
                             "https://x.y/中文?q=订单", "https://x.y?q", "https://x.y/a/../b;c=d,e+f*!'()~$"}) {
        EXPECT_TRUE(CheckBrowsableAddress(good).ok()) << good << ": " << CheckBrowsableAddress(good).error();
    }
    for (const char* bad : {"", "   ", "https", "https:", "https:x.y", "https://", "https://:80/", "https://x.y:/",
                            "https://x.y:65536/", "https://x.y:8a/", "https://x..y/", "https://-x.y/",
                            "https://x.y./", "https://x y/", "https://中文.cn/", "https://[zz]/", "https://[::1/",
                            "https://u:p@x.y/", "https://x.y/a b", "https://x.y/%zz", "https://x.y/%4",
                            "https://x.y/<b>", "https://x.y/a\\b", "https://x.y/{}", "https://x.y/#a#b",
                            "https://x.y/\x01" "a", "https://x.y/\xE4\xB8", "https\x01://x.y/", "data:text/html,x",
                            "vbscript:x", "HTTPX://x.y/"}) {
        EXPECT_FALSE(CheckBrowsableAddress(bad).ok()) << '"' << bad << '"';
    }
}

}  // namespace
}  // namespace vantrel
