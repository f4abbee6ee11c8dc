// The command-line client's three output formats.
#include <gtest/gtest.h>

#include <sstream>

#include "TextTable.h"
#include "common/MemoryTable.h"
#include "common/SafeFormat.h"

namespace vantrel::cli {
namespace {

std::string Written(const TextTable& table, OutputFormat format) {
    std::ostringstream out;
    WriteTable(out, table, format);
    return out.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(TextTable, TsvHasAHeaderAndReplacesTabsAndLineBreaks) {
    TextTable table{{"BankID", "Memo"}, {{"005", "a\tb\nc\rd"}, {"007", ""}}};
    EXPECT_EQ(Written(table, OutputFormat::Tsv), "BankID\tMemo\n005\ta b c d\n007\t\n");
}

TEST(TextTable, JsonEscapesEveryCharacterJsonForbids) {
    TextTable table{{"Memo", "名称"}, {{"say \"hi\"\\ \n\t\x01", "银行"}, {"", std::string("x\xff")}}};
    EXPECT_EQ(Written(table, OutputFormat::Json),
              "[\n"
              "  {\"Memo\": \"say \\\"hi\\\"\\\\ \\n\\t\\u0001\", \"名称\": \"银行\"},\n"
              "  {\"Memo\": \"\", \"名称\": \"x\\ufffd\"}\n"
              "]\n");
    EXPECT_EQ(Written(TextTable{{"A"}, {}}, OutputFormat::Json), "[]\n");
    EXPECT_EQ(Written(TextTable{}, OutputFormat::Json), "[]\n");
}

TEST(TextTable, TableAlignsColumnsByDisplayWidth) {
    TextTable table{{"BankID", "BankName", "CustBankAcctNo"},
                    {{"005", "中国建设银行", "6222001"}, {"999", "外汇", "x"}}};
    const auto lines = Lines(Written(table, OutputFormat::Table));
    ASSERT_EQ(lines.size(), 4u);
    // The third column starts at the same display column on every line.
    auto startOfThird = [](const std::string& line, const std::string& cell) {
        return DisplayColumns(line.substr(0, line.find(cell)));
    };
    const auto expected = startOfThird(lines[0], "CustBankAcctNo");
    EXPECT_EQ(expected, 6u + 2 + 12 + 2);  // "中国建设银行" is 12 columns wide
    EXPECT_EQ(startOfThird(lines[2], "6222001"), expected);
    EXPECT_EQ(startOfThird(lines[3], "x"), expected);
    EXPECT_EQ(lines[1], "------  ------------  --------------");
    for (const auto& line : lines) EXPECT_NE(line.back(), ' ') << line;
}

TEST(TextTable, EmptyTablesPrintNothingButTheHeader) {
    EXPECT_EQ(Written(TextTable{}, OutputFormat::Table), "");
    EXPECT_EQ(Written(TextTable{}, OutputFormat::Tsv), "");
    EXPECT_EQ(Written(TextTable{{"A", "B"}, {}}, OutputFormat::Tsv), "A\tB\n");
}

TEST(TextTable, FromMemoryTableTakesTheCurrentView) {
    MemoryTable memory;
    ASSERT_TRUE(memory.defineFields({FieldDef{"BankID", FieldType::Text, 10}, FieldDef{"Name", FieldType::Text, 20}}).ok());
    ASSERT_TRUE(memory.appendRow({"005", "甲"}).ok());
    ASSERT_TRUE(memory.appendRow({"999", "乙"}).ok());
    ASSERT_TRUE(memory.setFilter("BankID<>999").ok());
    const auto table = FromMemoryTable(memory);
    EXPECT_EQ(table.columns, (std::vector<std::string>{"BankID", "Name"}));
    ASSERT_EQ(table.rows.size(), 1u);
    EXPECT_EQ(table.rows[0], (std::vector<std::string>{"005", "甲"}));
}

}  // namespace
}  // namespace vantrel::cli
