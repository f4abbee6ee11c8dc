#include "common/FilterExpression.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
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

// One expression on one row (texts as for Row) and whether it matches.
struct MatchCase {
    std::string_view expression;
    std::vector<std::string> row;
    bool matches;
};

void ExpectMatches(std::initializer_list<MatchCase> cases) {
    for (const auto& [expression, row, matches] : cases)
        EXPECT_EQ(Matches(expression, Row(row)), matches) << expression;
}

TEST(FilterExpression, TextCellsCompareAsNumbersWhenBothSidesAreNumbers) {
    ExpectMatches({
        {"BANKID<>999", {"999"}, false},
        {"BANKID=999", {"999"}, true},
        {"BANKID<>999", {"001"}, true},
        {"BANKID=999", {"0999"}, true},
        {"BANKID<>999", {"ABC"}, true},
        // Numerically 10 > 9, although "10" < "9" as text.
        {"BankID > 9", {"10"}, true},
        {"BankID < 'b'", {"10"}, true},
        {"BankID = '999'", {"999.0"}, true},
    });
}

TEST(FilterExpression, TypedFieldsAndOperators) {
    const std::vector<std::string> row = {"1", "x", "1", "-12.5", "2024-03-05"};
    ExpectMatches({
        {"TRADETYPE=1", row, true},
        {"TRADETYPE=0", row, false},
        {"Amount < -0.5", row, true},
        {"Amount <= -12.5", row, true},
        {"Amount >= -12.50", row, true},
        {"Amount > -12.5", row, false},
        {"Amount <> +12.5", row, true},
        {"Day = '2024-03-05'", row, true},
        {"Day > 20240304", row, true},
        {"Day < '2024-12-01'", row, true},
        {"TradeType = BankID", row, true},
        {"Amount > TradeType", row, false},
    });
}

TEST(FilterExpression, TextComparesIgnoringCaseAndQuotesDouble) {
    ExpectMatches({
        {"Name = 'o''brien'", {"1", "O'Brien"}, true},
        {"name = \"say \"\"HI\"\"\"", {"1", "Say \"hi\""}, true},
        {"Name='中国银行'", {"1", "中国银行"}, true},
        {"Name > 'ALPHA'", {"1", "beta"}, true},
        {"[Name] = 'x'", {"1", "X"}, true},
    });
}

TEST(FilterExpression, NullReadsAsEmptyTextAndNoNumber) {
    ExpectMatches({
        {"Name = ''", {"1"}, true},
        {"TradeType = 0", {"1"}, false},
        {"Amount <> 0", {"1"}, true},
    });
}

TEST(FilterExpression, PrecedenceIsNotThenAndThenOr) {
    const std::vector<std::string> row = {"1", "a", "0"};
    ExpectMatches({
        // OR binds loosest: true OR (false AND ...).
        {"BankID=1 or TradeType=1 and Name='a'", row, true},
        {"(BankID=1 OR TradeType=1) AND Name='b'", row, false},
        // NOT applies to the comparison next to it only.
        {"NOT TradeType=1 AND Name='a'", row, true},
        {"NOT (TradeType=0 AND Name='a')", row, false},
        {"not not BankID=1", row, true},
        {"((BankID=2) Or (BankID=3)) OR (Name='A' aNd NOT (TradeType<>0))", row, true},
    });
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
