// examples/Bank.ini is what the demonstration and the tests start from: it
// must read as GBK and hold working values for every key the requests use.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "common/Profile.h"
#include "common/SafeFormat.h"

namespace vantrel {
namespace {

Profile Sample() {
    return Profile::Load(std::string(VANTREL_SOURCE_DIR) + "/examples/Bank.ini");
}

TEST(SampleBankIni, IsStoredInGbkAndReadsWithoutErrors) {
    std::ifstream file(std::string(VANTREL_SOURCE_DIR) + "/examples/Bank.ini", std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    // No UTF-8 byte-order mark, and the GBK bytes of "登录" are there.
    EXPECT_NE(bytes.str().rfind("\xEF\xBB\xBF", 0), 0u);
    EXPECT_NE(bytes.str().find("\xB5\xC7\xC2\xBC"), std::string::npos);
    const auto ini = Sample();
    ASSERT_TRUE(ini.fileExists());
    EXPECT_EQ(ini.loadError(), "");
}

TEST(SampleBankIni, HoldsTheSimulatorsConnectionAndServerList) {
    const auto ini = Sample();
    EXPECT_EQ(ini.readString("system", "Host", ""), "127.0.0.1");
    EXPECT_EQ(ini.readInteger("system", "Port", 0), 17990);
    EXPECT_EQ(ini.readInteger("system", "TimeOut", 0), 5000);
    EXPECT_EQ(ini.readInteger("system", "ReadTimeOut", 0), 60000);
    EXPECT_TRUE(ini.readBool("system", "NetBank", false));
    EXPECT_FALSE(ini.readBool("system", "ConnectStyle", true));
    EXPECT_EQ(ini.readInteger("MoneyServer", "Count", 0), 1);
    EXPECT_EQ(ini.readString("MoneyServer1", "ServerIP", ""), "127.0.0.1");
    EXPECT_EQ(ini.readString("MoneyServer1", "Port", ""), "17990");
    EXPECT_FALSE(ini.readString("MoneyServer1", "ServerName", "").empty());
}

TEST(SampleBankIni, TextsAreCompleteAndTheConnectTextsFormat) {
    const auto ini = Sample();
    for (int i = 1; i <= 9; ++i)
        EXPECT_FALSE(ini.readString("Values", "hn000" + std::to_string(i), "").empty()) << i;
    for (const char* key : {"hn0002", "hn0003"}) {
        const auto text = Format(ini.readString("Values", key, ""), "127.0.0.1", 17990);
        ASSERT_TRUE(text.ok()) << key << ": " << text.error();
        EXPECT_NE(text.value().find("127.0.0.1:17990"), std::string::npos) << text.value();
    }
    EXPECT_EQ(ini.readString("Values", "hn0008", ""), "成功");
    EXPECT_EQ(ini.readString("OptionKind", "Item0", ""), "登录");
    EXPECT_EQ(ini.readString("OptionKind", "Item11", ""), "市场资金查询");
    for (int i = 0; i <= 11; ++i)
        EXPECT_FALSE(ini.readString("OptionKind", "Item" + std::to_string(i), "").empty()) << i;
    for (int code = 1001; code <= 1010; ++code)
        EXPECT_FALSE(ini.readString("ReturnCode", "E" + std::to_string(code), "").empty()) << code;
    EXPECT_EQ(ini.readString("ReturnCode", "E1004", ""), "资金余额不足");
}

TEST(SampleBankIni, FieldListsNameTheSimulatorsColumns) {
    const auto ini = Sample();
    const auto money = ini.sectionValues("MoneyFieldsList");
    for (const char* column : {"ChangeMoney", "MarketBalance", "BankBalance", "SuperviseMoney", "AvailableMoney",
                               "AvailableBalance", "ExchangeMoney", "MarketMoney", "FrozenMoney"})
        EXPECT_NE(std::find(money.begin(), money.end(), column), money.end()) << column;
    EXPECT_EQ(ini.sectionValues("DataFieldsList"), (std::vector<std::string>{"TradeDate", "QueryDate"}));
    EXPECT_EQ(ini.sectionValues("TimeFieldsList"), (std::vector<std::string>{"TradeTime"}));
}

}  // namespace
}  // namespace vantrel
