// examples/Bank.ini is what the demonstration and the tests start from: it
// must read as GBK and hold working values for every key the requests use.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "TestFolder.h"
#include "common/MemoryTable.h"
#include "common/Profile.h"
#include "common/SafeFormat.h"
#include "grid/GridCodeTables.h"
#include "grid/GridDisplay.h"
#include "grid/GridLayout.h"
#include "grid/TGridParam.h"

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

// Every grid section against the simulator's answer columns: it parses
// without a logged failure, shows every column the simulator sends, and
// carries the window's code-table columns.
TEST(SampleBankIni, GridSectionsParseCleanlyAndShowTheSimulatorsColumns) {
    const auto ini = Sample();
    test::TestFolder folder;
    auto param = TGridParam::Load(ini, folder.appPath());
    ASSERT_TRUE(param.ok()) << param.error();
    EXPECT_TRUE(param.value().footerCountFlag());
    const auto texts = LoadGridTexts(ini, param.value());
    EXPECT_EQ(texts.totalCaption, "合计");

    struct Grid {
        std::string section, grid;
        bool filler;
        std::vector<std::string> simulatorColumns;
    };
    const std::vector<Grid> grids = {
        {"MoneyDBMoreGrid", "DBMoreGrid", false,
         {"SerialNo", "BankID", "BankName", "CustBankAcctNo", "TradeDate", "TradeTime", "ChangeMoney", "TradeType",
          "State", "Memo"}},
        {"MoneyDBMoneyGrid", "DBMoneyGrid", true,
         {"BankID", "CustBankAcctNo", "QueryDate", "SuperviseMoney", "AvailableMoney"}},
        {"MoneyDBCardMoneyGrid", "DBCardMoneyGrid", true,
         {"BankID", "CustBankAcctNo", "BankBalance", "AvailableBalance"}},
        {"MoneyDBRateMoreGrid", "DBRateMoreGrid", true,
         {"SerialNo", "BankID", "CustBankAcctNo", "TradeDate", "TradeTime", "ExchangeType", "ChangeMoney", "Rate",
          "ExchangeMoney", "State"}},
        {"MoneyDBMarketGrid", "DBMarketGrid", true,
         {"CustTradeID", "MarketMoney", "FrozenMoney", "AvailableMoney", "TradeDate"}},
        {"CliDBBankGrid", "DBBankGrid", false,
         {"BankID", "BankName", "CustBankAcctNo", "MoneyType", "CompId", "BankType", "Url"}},
        {"CliDBSysParamGrid", "DBSysParamGrid", false, {"OrderCode", "Param", "ProRet", "ParamName"}},
        {"CliDBOrderIDGrid", "DBOrderIDGrid", false, {"OrderID"}},
    };
    for (const auto& grid : grids) {
        SCOPED_TRACE(grid.section);
        GridFormatOptions options;
        options.showMenu = true;
        options.spaceColFlag = grid.filler;
        MemoryTable own;
        auto layout = BuildGridLayout(ini, grid.section, options, param.value(), texts, &own);
        EXPECT_TRUE(layout.logLines.empty()) << layout.logLines.front();
        EXPECT_TRUE(layout.tableCreated);
        EXPECT_TRUE(layout.menu.has_value());
        for (const auto& name : grid.simulatorColumns) {
            const auto column = std::find_if(layout.columns.begin(), layout.columns.end(),
                                             [&](const GridColumn& c) { return c.fieldName == name; });
            ASSERT_NE(column, layout.columns.end()) << name;
            EXPECT_TRUE(column->visible) << name;
            EXPECT_FALSE(column->caption.empty()) << name;
        }
        const auto attached = AttachCodeTables(ini, grid.grid, layout);
        EXPECT_TRUE(attached.ok()) << attached.error();
        for (const auto& column : layout.columns)
            EXPECT_EQ(column.keyList.size(), column.pickList.size()) << column.fieldName;
    }

    // The server list: by tag, a check box first, no footer row.
    auto serverParam = param.value();
    serverParam.setFooterCountFlag(false);
    GridFormatOptions byTag;
    byTag.form = GridForm::ByTag;
    byTag.spaceColFlag = false;
    const auto servers = BuildGridLayout(ini, "SetDBGrid4", byTag, serverParam, texts, nullptr);
    EXPECT_TRUE(servers.logLines.empty()) << servers.logLines.front();
    ASSERT_EQ(servers.columns.size(), 4u);
    EXPECT_TRUE(servers.columns[0].checkBox);
    EXPECT_EQ(servers.columns[1].caption, "服务器名称");
    EXPECT_EQ(servers.fields.size(), 4u);
    EXPECT_EQ(servers.frozenCols, 1);
}

TEST(SampleBankIni, CodeTablesAndPicturesShowTheSimulatorsValues) {
    const auto ini = Sample();
    test::TestFolder folder;
    auto param = TGridParam::Load(ini, folder.appPath());
    ASSERT_TRUE(param.ok());
    const auto texts = LoadGridTexts(ini, param.value());
    auto layout = BuildGridLayout(ini, "MoneyDBRateMoreGrid", {}, param.value(), texts, nullptr);
    ASSERT_TRUE(AttachCodeTables(ini, "DBRateMoreGrid", layout).ok());

    MemoryTable table;
    ASSERT_TRUE(table.defineFields({{"ExchangeType", FieldType::Text, 1}, {"ChangeMoney", FieldType::Text, 16},
                                    {"Rate", FieldType::Text, 10}, {"State", FieldType::Text, 1}})
                    .ok());
    ASSERT_TRUE(table.appendRow({"0", "1000", "7.2", "0"}).ok());
    ASSERT_TRUE(table.appendRow({"1", "12.345", "7.1", "1"}).ok());
    auto cell = [&](const std::string& field, int row) {
        for (const auto& column : layout.columns)
            if (column.fieldName == field) return CellDisplayText(column, table, row);
        return std::string("<no column>");
    };
    EXPECT_EQ(cell("ExchangeType", 0), "购汇");
    EXPECT_EQ(cell("ExchangeType", 1), "结汇");
    EXPECT_EQ(cell("ChangeMoney", 0), "1000.00");
    EXPECT_EQ(cell("ChangeMoney", 1), "12.35");
    EXPECT_EQ(cell("Rate", 0), "7.2000");
    EXPECT_EQ(cell("State", 0), "成功");
    EXPECT_EQ(cell("State", 1), "失败");

    auto transfers = BuildGridLayout(ini, "MoneyDBMoreGrid", {}, param.value(), texts, nullptr);
    ASSERT_TRUE(AttachCodeTables(ini, "DBMoreGrid", transfers).ok());
    for (const auto& column : transfers.columns)
        if (column.fieldName == "TradeType") {
            EXPECT_EQ(column.keyList, (std::vector<std::string>{"1", "0"}));
            EXPECT_EQ(column.pickList, (std::vector<std::string>{"入金", "出金"}));
        }
}

TEST(SampleBankIni, MainWindowSectionsAreComplete) {
    const auto ini = Sample();
    EXPECT_EQ(ini.sectionValues("MoneyMGKind").size(), 8u);
    EXPECT_EQ(ini.sectionValues("MoneyMGKind").back(), "日志");
    EXPECT_EQ(ini.sectionValues("RTBIOKind"), (std::vector<std::string>{"全部", "入金", "出金"}));
    EXPECT_EQ(ini.readString("LabelCaption", "frmVantrel", ""), "客户端出入金");
    EXPECT_EQ(ini.readString("LabelCaption", "lblIOKind1", ""), "入金/出金");
    EXPECT_TRUE(ini.readBool("system", "AutoQueryFlag", false));
    // Each combo item's leading digit repeats its position (its code).
    for (const char* combo : {"frmVantreltxtIO1", "frmVantreltxtMonMB1", "frmVantreltxtMoneyType1",
                              "frmVantreltxtRate6"}) {
        const auto items = ini.sectionValues(combo);
        ASSERT_GE(items.size(), 2u) << combo;
        for (std::size_t i = 0; i < items.size(); ++i)
            EXPECT_EQ(items[i].rfind(std::to_string(i) + ".", 0), 0u) << combo << ": " << items[i];
    }
    EXPECT_EQ(ini.sectionValues("frmVantreltxtIO1")[1], "1.入金");
    for (const auto& table : ResultGridCodeTables())
        EXPECT_EQ(ini.sectionValues(table.keySection).size(), ini.sectionValues(table.valueSection).size())
            << table.keySection;
}

}  // namespace
}  // namespace vantrel
