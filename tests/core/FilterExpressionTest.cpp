#include "common/FilterExpression.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrel {
namespace {

const std::vector<FieldDef> kFields = {
    {"BankID", FieldType::Text, 10},  {"Name", FieldType::Text, 20},
    {"TradeType", FieldType::Integer}, {"Amount", FieldType::Float},
    {"Day", FieldType::Date},
};

// Cells from texts in kFields order; "" is null.
std::vector<FieldValue> Row(std::vector<std::string> texts) {
    std::vector<FieldValue> row;
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        auto value = FieldValue::FromText(kFields[i].type, i < texts.size() ? texts[i] : "");
        EXPECT_TRUE(value.ok()) << value.error();
        row.push_back(value.valueOr(FieldValue()));
    }
    return row;
}

bool Matches(std::string_view expression, const std::vector<FieldValue>& row) {
    auto parsed = FilterExpression::Parse(expression);
    EXPECT_TRUE(parsed.ok()) << expression << ": " << parsed.error();
    if (!parsed) return false;
    FilterExpression filter = std::move(parsed).value();
    Status bound = filter.bind(kFields);
    EXPECT_TRUE(bound.ok()) << bound.error();
    return filter.matches(row);
}

TEST(FilterExpression, TextCellsCompareAsNumbersWhenBothSidesAreNumbers) {
    EXPECT_FALSE(Matches("BANKID<>999", Row({"999"})));
    EXPECT_TRUE(Matches("BANKID=999", Row({"999"})));
    EXPECT_TRUE(Matches("BANKID<>999", Row({"001"})));
    EXPECT_TRUE(Matches("BANKID=999", Row({"0999"})));
    EXPECT_TRUE(Matches("BANKID<>999", Row({"ABC"})));
    // Numerically 10 > 9, although "10" < "9" as text.
    EXPECT_TRUE(Matches("BankID > 9", Row({"10"})));
    EXPECT_TRUE(Matches("BankID < 'b'", Row({"10"})));
    EXPECT_TRUE(Matches("BankID = '999'", Row({"999.0"})));
}

TEST(FilterExpression, TypedFieldsAndOperators) {
    auto row = Row({"1", "x", "1", "-12.5", "2024-03-05"});
    EXPECT_TRUE(Matches("TRADETYPE=1", row));
    EXPECT_FALSE(Matches("TRADETYPE=0", row));
    EXPECT_TRUE(Matches("Amount < -0.5", row));
    EXPECT_TRUE(Matches("Amount <= -12.5", row));
    EXPECT_TRUE(Matches("Amount >= -12.50", row));
    EXPECT_FALSE(Matches("Amount > -12.5", row));
    EXPECT_TRUE(Matches("Amount <> +12.5", row));
    EXPECT_TRUE(Matches("Day = '2024-03-05'", row));
    EXPECT_TRUE(Matches("Day > 20240304", row));
    EXPECT_TRUE(Matches("Day < '2024-12-01'", row));
    EXPECT_TRUE(Matches("TradeType = BankID", row));
    EXPECT_FALSE(Matches("Amount > TradeType", row));
}

TEST(FilterExpression, TextComparesIgnoringCaseAndQuotesDouble) {
    EXPECT_TRUE(Matches("Name = 'o''brien'", Row({"1", "O'Brien"})));
    EXPECT_TRUE(Matches("name = \"say \"\"HI\"\"\"", Row({"1", "Say \"hi\""})));
    EXPECT_TRUE(Matches("Name='中国银行'", Row({"1", "中国银行"})));
    EXPECT_TRUE(Matches("Name > 'ALPHA'", Row({"1", "beta"})));
    EXPECT_TRUE(Matches("[Name] = 'x'", Row({"1", "X"})));
}

TEST(FilterExpression, NullReadsAsEmptyTextAndNoNumber) {
    auto row = Row({"1"});
    EXPECT_TRUE(Matches("Name = ''", row));
    EXPECT_FALSE(Matches("TradeType = 0", row));
    EXPECT_TRUE(Matches("Amount <> 0", row));
}

TEST(FilterExpression, PrecedenceIsNotThenAndThenOr) {
    auto row = Row({"1", "a", "0"});
    // OR binds loosest: true OR (false AND ...).
    EXPECT_TRUE(Matches("BankID=1 or TradeType=1 and Name='a'", row));
    EXPECT_FALSE(Matches("(BankID=1 OR TradeType=1) AND Name='b'", row));
    // NOT applies to the comparison next to it only.
    EXPECT_TRUE(Matches("NOT TradeType=1 AND Name='a'", row));
    EXPECT_FALSE(Matches("NOT (TradeType=0 AND Name='a')", row));
    EXPECT_TRUE(Matches("not not BankID=1", row));
    EXPECT_TRUE(Matches("((BankID=2) Or (BankID=3)) OR (Name='A' aNd NOT (TradeType<>0))", row));
}

TEST(FilterExpression, SyntaxErrorsAreReported) {
    for (const char* bad : {"", "   ", "BankID=", "=1", "BankID 1", "(BankID=1", "BankID=1)",
                            "BankID=1 AND", "BankID=1 OR OR BankID=2", "Name='abc",
                            "BankID=1.2.3", "BankID==1", "BankID=-", "BankID@1", "[BankID=1",
                            "BankID=12abc", "BankID=1 BankID=2", "NOT", "()", "BankID=1e5",
                            "Name=\"open", "BankID<>\x01"}) {
        auto parsed = FilterExpression::Parse(bad);
        EXPECT_FALSE(parsed.ok()) << "accepted: " << bad;
        EXPECT_NE(parsed.error().find("filter:"), std::string::npos) << parsed.error();
    }
    auto parsed = FilterExpression::Parse("BankID = 1 AND )");
    ASSERT_FALSE(parsed.ok());
    EXPECT_NE(parsed.error().find("position 16"), std::string::npos) << parsed.error();
}

TEST(FilterExpression, UnknownFieldIsNamedWhenBinding) {
    auto parsed = FilterExpression::Parse("BankID=1 AND Branch='x'");
    ASSERT_TRUE(parsed.ok());
    FilterExpression filter = std::move(parsed).value();
    Status bound = filter.bind(kFields);
    EXPECT_FALSE(bound.ok());
    EXPECT_NE(bound.error().find("Branch"), std::string::npos);
    EXPECT_EQ(filter.fieldNames(), (std::vector<std::string>{"BankID", "Branch"}));
}

TEST(FilterExpression, NestingIsBoundedAndLongChainsStayFlat) {
    auto nested = [](int depth, const std::string& open) {
        std::string text;
        for (int i = 0; i < depth; ++i) text += open;
        text += "BankID=1";
        if (open == "(") text += std::string(static_cast<std::size_t>(depth), ')');
        return text;
    };
    EXPECT_TRUE(Matches(nested(FilterExpression::kMaxDepth, "("), Row({"1"})));
    EXPECT_FALSE(FilterExpression::Parse(nested(FilterExpression::kMaxDepth + 1, "(")).ok());
    EXPECT_FALSE(FilterExpression::Parse(nested(100000, "(")).ok());
    EXPECT_FALSE(FilterExpression::Parse(nested(100000, "NOT ")).ok());

    std::string chain = "BankID=0";
    for (int i = 1; i < 20000; ++i) chain += (i % 2 ? " OR BankID=" : " AND BankID<>") + std::to_string(i);
    chain += " OR BankID=77777";
    EXPECT_TRUE(Matches(chain, Row({"77777"})));
    EXPECT_FALSE(Matches(chain, Row({"2"})));
}

}  // namespace
}  // namespace vantrel
