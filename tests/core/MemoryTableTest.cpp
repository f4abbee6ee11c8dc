#include "common/MemoryTable.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

namespace vantrel {
namespace {

// The signed-account table as a login answer fills it.
void FillSigned(MemoryTable& t) {
    ASSERT_TRUE(t.defineFields({{"BankID", FieldType::Text, 8},
                                {"BankName", FieldType::Text, 30},
                                {"CustBankAcctNo", FieldType::Text, 30},
                                {"MoneyType", FieldType::Integer},
                                {"BankType", FieldType::Integer}})
                    .ok());
    ASSERT_TRUE(t.appendRow({"003", "ccb", "6222-1", "1", "0"}).ok());
    ASSERT_TRUE(t.appendRow({"999", "Forex", "8888", "2", "1"}).ok());
    ASSERT_TRUE(t.appendRow({"001", "Abc", "6222-2", "1", "1"}).ok());
    ASSERT_TRUE(t.appendRow({"010", "abc", "6222-3", "3", ""}).ok());
}

// One column of the visible rows, top to bottom.
std::vector<std::string> Column(const MemoryTable& t, std::string_view field) {
    std::vector<std::string> out;
    for (int row = 0; row < t.recordCount(); ++row) out.push_back(t.text(row, field));
    return out;
}

using Texts = std::vector<std::string>;

struct Recorder : TableObserver {
    std::vector<TableChange> changes;
    void tableChanged(const MemoryTable&, TableChange change) override { changes.push_back(change); }
};

TEST(MemoryTableFields, NamesAreUniqueAndFoundIgnoringCase) {
    MemoryTable t;
    FillSigned(t);
    EXPECT_EQ(t.fieldCount(), 5);
    EXPECT_EQ(t.fieldIndex("bankname"), 1);
    EXPECT_EQ(t.fieldIndex("Branch"), -1);

    EXPECT_FALSE(t.defineFields({{"A"}, {"a"}}).ok());
    EXPECT_FALSE(t.defineFields({{""}}).ok());
    EXPECT_EQ(t.fieldCount(), 5) << "a refused definition must leave the table alone";
    EXPECT_EQ(t.recordCount(), 4);

    EXPECT_FALSE(t.addField({"BANKID"}).ok());
    ASSERT_TRUE(t.addField({"Url"}).ok());
    EXPECT_TRUE(t.isNull(0, t.fieldIndex("Url")));
    EXPECT_TRUE(t.appendRow({"004", "x", "y", "1", "0", "https://bank"}).ok());
    EXPECT_EQ(t.text(4, "url"), "https://bank");
}

TEST(MemoryTableValues, TextIsConvertedToTheFieldType) {
    MemoryTable t;
    ASSERT_TRUE(t.defineFields({{"I", FieldType::Integer}, {"F", FieldType::Float},
                                {"D", FieldType::Date}, {"S", FieldType::Text}})
                    .ok());
    ASSERT_TRUE(t.appendRow({" 123 ", "1234.56", "2024-03-05", " padded "}).ok());
    ASSERT_TRUE(t.appendRow({"+7", "0.1", "20240229", ""}).ok());
    ASSERT_TRUE(t.appendRow({"-9223372036854775808", "1e21", "2024/12/31"}).ok());
    EXPECT_EQ(Column(t, "I"), (Texts{"123", "7", "-9223372036854775808"}));
    EXPECT_EQ(Column(t, "F"), (Texts{"1234.56", "0.1", "1e+21"}));
    EXPECT_EQ(Column(t, "D"), (Texts{"2024-03-05", "2024-02-29", "2024-12-31"}));
    EXPECT_EQ(t.text(0, "S"), " padded ");
    EXPECT_EQ(t.number(0, 0), 123.0);
    EXPECT_EQ(t.number(1, 1), 0.1);
    EXPECT_EQ(t.number(0, 2), 20240305.0);
    EXPECT_FALSE(t.number(0, 3).has_value());
    EXPECT_TRUE(t.isNull(1, 3));
    EXPECT_TRUE(t.isNull(2, 3)) << "missing trailing values are null";

    // Text written by text() reads back to the same value.
    MemoryTable copy;
    ASSERT_TRUE(copy.defineFields(t.fields()).ok());
    for (int row = 0; row < t.recordCount(); ++row) {
        std::vector<std::string> texts;
        for (int col = 0; col < t.fieldCount(); ++col) texts.push_back(t.text(row, col));
        ASSERT_TRUE(copy.appendRow(texts).ok());
        for (int col = 0; col < t.fieldCount(); ++col)
            EXPECT_EQ(FieldValue::Compare(copy.value(row, col), t.value(row, col)), 0);
    }
}

TEST(MemoryTableValues, DatesAreWrittenWithEveryDigitInPlace) {
    const std::pair<int32_t, const char*> cases[] = {
        {20240305, "2024-03-05"}, {10101, "0001-01-01"}, {99991231, "9999-12-31"}, {19991010, "1999-10-10"}};
    for (const auto& [day, text] : cases) EXPECT_EQ(FormatDate(DateValue{day}), text);
}

TEST(MemoryTableValues, BadTextIsRefusedWithoutTouchingTheTable) {
    MemoryTable t;
    ASSERT_TRUE(t.defineFields({{"I", FieldType::Integer}, {"F", FieldType::Float},
                                {"D", FieldType::Date}})
                    .ok());
    for (Texts bad : {Texts{"abc"}, Texts{"12.5"}, Texts{"1 2"}, Texts{"99999999999999999999"},
                      Texts{"1", "1,5"}, Texts{"1", "nan"}, Texts{"1", "inf"}, Texts{"1", "0x10"},
                      Texts{"1", "1e999"}, Texts{"1", "2", "2023-02-29"}, Texts{"1", "2", "2024-1-5"},
                      Texts{"1", "2", "20241301"}, Texts{"1", "2", "20240101", "extra"}}) {
        Status status = t.appendRow(bad);
        EXPECT_FALSE(status.ok()) << bad.front() << " " << bad.size();
    }
    EXPECT_EQ(t.totalRowCount(), 0);
    Status status = t.appendRow({"x"});
    EXPECT_NE(status.error().find("field I"), std::string::npos) << status.error();

    ASSERT_TRUE(t.appendRow({"5", "2.5"}).ok());
    EXPECT_FALSE(t.setText(0, 0, "five").ok());
    EXPECT_FALSE(t.setText(3, 0, "1").ok());
    EXPECT_FALSE(t.setText(0, 7, "1").ok());
    EXPECT_EQ(t.text(0, 0), "5");
    EXPECT_TRUE(t.setText(0, "F", "").ok());
    EXPECT_TRUE(t.isNull(0, 1));
    EXPECT_EQ(t.text(9, 0), "") << "out-of-range rows read as null";
    EXPECT_EQ(t.text(0, "nothing"), "");
}

TEST(MemoryTableRows, TakenTextsFollowTheRulesOfAppendRow) {
    MemoryTable t;
    ASSERT_TRUE(t.defineFields({{"Name"}, {"Qty", FieldType::Integer}}).ok());
    std::vector<std::string> texts = {"a long text that is not kept inline", "7", "", "x", "y", "z"};
    ASSERT_TRUE(t.appendRowTexts(std::span<std::string>(texts).first(2)).ok());
    ASSERT_TRUE(t.appendRowTexts(std::span<std::string>(texts).subspan(2, 1)).ok());
    EXPECT_FALSE(t.appendRowTexts(std::span<std::string>(texts).subspan(3, 3)).ok()) << "three values, two fields";
    EXPECT_FALSE(t.appendRowTexts(std::span<std::string>(texts).subspan(4, 2)).ok()) << "\"z\" is no integer";
    EXPECT_EQ(Column(t, "Name"), (Texts{"a long text that is not kept inline", ""}));
    EXPECT_EQ(Column(t, "Qty"), (Texts{"7", ""}));
    EXPECT_TRUE(t.isNull(1, 0));
}

// Rows are packed into one block each: every type must come back exactly,
// also after a field is added, a cell is rewritten or the rows are copied.
TEST(MemoryTableRows, PackedRowsKeepEveryValue) {
    MemoryTable t;
    ASSERT_TRUE(t.defineFields({{"Name"}, {"Qty", FieldType::Integer}, {"Rate", FieldType::Float},
                                {"Day", FieldType::Date}})
                    .ok());
    const std::vector<std::string_view> row1 = {"银行 with a text longer than fifteen", "-9223372036854775808",
                                                "0.1", "2024-02-29"};
    ASSERT_TRUE(t.appendRowViews(row1).ok());
    ASSERT_TRUE(t.appendRow({"", "9223372036854775807", "-1.5e300", ""}).ok());
    ASSERT_TRUE(t.appendRow({"  "}).ok());
    const Texts expected[] = {{"银行 with a text longer than fifteen", "-9223372036854775808", "0.1", "2024-02-29"},
                              {"", "9223372036854775807", "-1.5e+300", ""},
                              {"  ", "", "", ""}};
    auto check = [&](const MemoryTable& table, const char* when) {
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 4; ++col) {
                EXPECT_EQ(table.text(row, col), expected[row][static_cast<std::size_t>(col)]) << when << row << col;
                EXPECT_EQ(table.isNull(row, col), expected[row][static_cast<std::size_t>(col)].empty()) << when;
            }
    };
    check(t, "loaded ");
    EXPECT_EQ(t.storedText(0, 0), expected[0][0]);
    EXPECT_EQ(t.storedText(0, 1), "") << "not a text field";
    EXPECT_EQ(std::get<double>(t.value(0, 2).storage()), 0.1);

    ASSERT_TRUE(t.addField({"Memo"}).ok());
    ASSERT_TRUE(t.setText(2, "Memo", "note").ok());
    EXPECT_TRUE(t.isNull(0, 4));
    EXPECT_EQ(t.text(2, 4), "note");
    check(t, "field added ");
    MemoryTable copy;
    copy.copyFrom(t);
    check(copy, "copied ");
    EXPECT_EQ(copy.text(2, 4), "note");
}

// Edited rows leave their old blocks behind until the rows are packed
// afresh; every row must read the same across that, and after a copy whose
// source is then cleared.
TEST(MemoryTableRows, RowsSurviveRepeatedEditsAndTheirSourceGoing) {
    MemoryTable t;
    ASSERT_TRUE(t.defineFields({{"Name"}, {"Qty", FieldType::Integer}}).ok());
    std::vector<std::string> names;
    for (int i = 0; i < 50; ++i) {
        names.push_back("row " + std::to_string(i));
        ASSERT_TRUE(t.appendRow({names.back(), std::to_string(i)}).ok());
    }
    for (int round = 0; round < 2000; ++round) {
        names[static_cast<std::size_t>(round % 3)] = std::string(static_cast<std::size_t>(round % 40), 'x') + std::to_string(round);
        ASSERT_TRUE(t.setText(round % 3, 0, names[static_cast<std::size_t>(round % 3)]).ok());
    }
    MemoryTable copy;
    copy.copyFrom(t);
    t.clear();
    for (int row = 0; row < 50; ++row) {
        EXPECT_EQ(copy.text(row, 0), names[static_cast<std::size_t>(row)]) << row;
        EXPECT_EQ(copy.text(row, 1), std::to_string(row)) << row;
    }
}

TEST(MemoryTableRows, TwoStepAppendPostAndCancel) {
    MemoryTable t;
    FillSigned(t);
    EXPECT_FALSE(t.setText(0, "x").ok()) << "no row is being edited";
    EXPECT_FALSE(t.post().ok());
    ASSERT_TRUE(t.append().ok());
    EXPECT_FALSE(t.append().ok());
    ASSERT_TRUE(t.setText("BankID", "777").ok());
    EXPECT_FALSE(t.setText("MoneyType", "one").ok());
    ASSERT_TRUE(t.setText(3, "2").ok());
    EXPECT_EQ(t.fieldText("bankid"), "777");
    EXPECT_EQ(t.recordCount(), 4) << "not visible before post";
    ASSERT_TRUE(t.post().ok());
    EXPECT_EQ(t.recordCount(), 5);
    EXPECT_EQ(t.recNo(), 4);
    EXPECT_EQ(t.fieldText("MoneyType"), "2");

    ASSERT_TRUE(t.append().ok());
    ASSERT_TRUE(t.setText(0, "888").ok());
    t.cancel();
    EXPECT_FALSE(t.editing());
    EXPECT_EQ(t.recordCount(), 5);

    t.emptyTable();
    EXPECT_EQ(t.recordCount(), 0);
    EXPECT_EQ(t.fieldCount(), 5);
    t.clear();
    EXPECT_EQ(t.fieldCount(), 0);
    EXPECT_FALSE(t.appendRow({}).ok());
}

TEST(MemoryTableFilter, SignedAccountsWithAndWithoutForex) {
    MemoryTable t;
    FillSigned(t);
    ASSERT_TRUE(t.setFilter("BANKID<>999").ok());
    EXPECT_TRUE(t.filtered());
    EXPECT_EQ(Column(t, "BankID"), (Texts{"003", "001", "010"}));
    ASSERT_TRUE(t.setFilter("BANKID=999").ok());
    EXPECT_EQ(Column(t, "BankName"), (Texts{"Forex"}));
    ASSERT_TRUE(t.setFilter("MoneyType=1 AND (BankType=1 OR BankName='CCB')").ok());
    EXPECT_EQ(Column(t, "BankID"), (Texts{"003", "001"}));
    ASSERT_TRUE(t.setFilter("NOT BankType=1").ok());
    EXPECT_EQ(Column(t, "BankID"), (Texts{"003", "010"}));

    t.setFiltered(false);
    EXPECT_EQ(t.recordCount(), 4);
    EXPECT_EQ(t.filter(), "NOT BankType=1");
    t.setFiltered(true);
    EXPECT_EQ(t.recordCount(), 2);
    ASSERT_TRUE(t.setFilter("").ok());
    EXPECT_EQ(t.recordCount(), 4);
    EXPECT_FALSE(t.filtered());
}

TEST(MemoryTableFilter, BadExpressionKeepsThePreviousFilter) {
    MemoryTable t;
    FillSigned(t);
    ASSERT_TRUE(t.setFilter("BANKID<>999").ok());
    Status unknown = t.setFilter("Branch=1");
    EXPECT_FALSE(unknown.ok());
    EXPECT_NE(unknown.error().find("Branch"), std::string::npos);
    EXPECT_FALSE(t.setFilter("BANKID<>").ok());
    EXPECT_FALSE(t.setFilter("BANKID='999").ok());
    EXPECT_EQ(t.filter(), "BANKID<>999");
    EXPECT_EQ(t.recordCount(), 3);
}

TEST(MemoryTableFilter, TradeTypeOnTextAnswersAndEditedRows) {
    MemoryTable t;
    ASSERT_TRUE(t.defineFields({{"TradeType"}, {"Money", FieldType::Float}}).ok());
    for (const char* type : {"1", "0", "1", "0", "1"}) ASSERT_TRUE(t.appendRow({type, "10"}).ok());
    ASSERT_TRUE(t.setFilter("TRADETYPE=1").ok());
    EXPECT_EQ(t.recordCount(), 3);
    // Appending keeps the filter; a row that does not pass stays hidden.
    ASSERT_TRUE(t.appendRow({"0", "5"}).ok());
    ASSERT_TRUE(t.appendRow({"1", "6"}).ok());
    EXPECT_EQ(t.recordCount(), 4);
    // An edit that fails the filter takes the row out of the view.
    ASSERT_TRUE(t.setText(0, 0, "0").ok());
    EXPECT_EQ(t.recordCount(), 3);
    EXPECT_EQ(t.totalRowCount(), 7);
}

TEST(MemoryTableIndex, OrdersByFieldType) {
    MemoryTable t;
    ASSERT_TRUE(t.defineFields({{"Code"}, {"Qty", FieldType::Integer}, {"Price", FieldType::Float},
                                {"Day", FieldType::Date}})
                    .ok());
    ASSERT_TRUE(t.appendRow({"b", "10", "2.5", "2024-01-10"}).ok());
    ASSERT_TRUE(t.appendRow({"10", "2", "-1", "2023-12-31"}).ok());
    ASSERT_TRUE(t.appendRow({"B", "", "", ""}).ok());
    ASSERT_TRUE(t.appendRow({"a", "1", "10", "2024-01-02"}).ok());
    ASSERT_TRUE(t.appendRow({"9", "-3", "2.25", "2024-01-01"}).ok());

    ASSERT_TRUE(t.addIndex("Qty_DOWN", "qty", false).ok());
    ASSERT_TRUE(t.setIndex("QTY_down").ok());
    EXPECT_EQ(t.activeIndex(), "Qty_DOWN");
    EXPECT_EQ(Column(t, "Qty"), (Texts{"", "-3", "1", "2", "10"})) << "numeric, null first";

    ASSERT_TRUE(t.addIndex("Qty_UP", "Qty", true).ok());
    ASSERT_TRUE(t.setIndex("Qty_UP").ok());
    EXPECT_EQ(Column(t, "Qty"), (Texts{"10", "2", "1", "-3", ""}));

    ASSERT_TRUE(t.addIndex("Price", "Price", false).ok());
    ASSERT_TRUE(t.setIndex("Price").ok());
    EXPECT_EQ(Column(t, "Price"), (Texts{"", "-1", "2.25", "2.5", "10"}));

    ASSERT_TRUE(t.addIndex("Day", "Day", true).ok());
    ASSERT_TRUE(t.setIndex("Day").ok());
    EXPECT_EQ(Column(t, "Day"), (Texts{"2024-01-10", "2024-01-02", "2024-01-01", "2023-12-31", ""}));

    // Text ignores case and keeps equal keys in insertion order ("b" before "B").
    ASSERT_TRUE(t.addIndex("Code", "Code", false).ok());
    ASSERT_TRUE(t.setIndex("Code").ok());
    EXPECT_EQ(Column(t, "Code"), (Texts{"10", "9", "a", "b", "B"}));
    ASSERT_TRUE(t.addIndex("Code", "Code", true).ok()) << "same name replaces";
    EXPECT_EQ(Column(t, "Code"), (Texts{"b", "B", "a", "9", "10"}));

    ASSERT_TRUE(t.setIndex("").ok());
    EXPECT_EQ(Column(t, "Code"), (Texts{"b", "10", "B", "a", "9"}));
}

TEST(MemoryTableIndex, TextFoldsOnlyAsciiLettersAndOrdersBytesUnsigned) {
    MemoryTable t;
    ASSERT_TRUE(t.defineFields({{"Name"}, {"Seq", FieldType::Integer}}).ok());
    const Texts names = {"Zeta", "[x", "alpha", "\xE5\xB7\xA5", "", "zeta", "ALPHA", "Ab"};
    for (std::size_t i = 0; i < names.size(); ++i) ASSERT_TRUE(t.appendRow({names[i], std::to_string(i)}).ok());
    ASSERT_TRUE(t.addIndex("Name", "Name", false).ok());
    ASSERT_TRUE(t.setIndex("Name").ok());
    // '[' lies between 'Z' and 'a' as bytes: folded, it comes before letters.
    EXPECT_EQ(Column(t, "Seq"), (Texts{"4", "1", "7", "2", "6", "0", "5", "3"}));
    ASSERT_TRUE(t.addIndex("Name", "Name", true).ok());
    EXPECT_EQ(Column(t, "Seq"), (Texts{"3", "0", "5", "2", "6", "7", "1", "4"}));
}

TEST(MemoryTableIndex, SeveralFieldsAndStability) {
    MemoryTable t;
    ASSERT_TRUE(t.defineFields({{"Bank"}, {"Amount", FieldType::Float}, {"Seq", FieldType::Integer}}).ok());
    const Texts banks = {"icbc", "BOC", "ICBC", "boc", "icbc", "boc"};
    const Texts amounts = {"5", "7", "5", "1", "2", "7"};
    for (std::size_t i = 0; i < banks.size(); ++i)
        ASSERT_TRUE(t.appendRow({banks[i], amounts[i], std::to_string(i)}).ok());
    ASSERT_TRUE(t.addIndex("BankAmount", " Bank ; Amount ;", false).ok());
    ASSERT_TRUE(t.setIndex("bankamount").ok());
    EXPECT_EQ(Column(t, "Seq"), (Texts{"3", "1", "5", "4", "0", "2"}));
    ASSERT_TRUE(t.addIndex("BankAmountDesc", "Bank;Amount", true).ok());
    ASSERT_TRUE(t.setIndex("BankAmountDesc").ok());
    EXPECT_EQ(Column(t, "Seq"), (Texts{"0", "2", "4", "1", "5", "3"}));
}

TEST(MemoryTableIndex, ErrorsAndDeletion) {
    MemoryTable t;
    FillSigned(t);
    Status unknown = t.addIndex("X", "BankID;Branch", false);
    EXPECT_FALSE(unknown.ok());
    EXPECT_NE(unknown.error().find("Branch"), std::string::npos);
    EXPECT_FALSE(t.addIndex("X", " ; ", false).ok());
    EXPECT_FALSE(t.addIndex("", "BankID", false).ok());
    EXPECT_FALSE(t.hasIndex("X"));

    ASSERT_TRUE(t.addIndex("ByName", "BankName", false).ok());
    ASSERT_TRUE(t.addIndex("ById", "BankID", true).ok());
    ASSERT_TRUE(t.setIndex("ById").ok());
    EXPECT_FALSE(t.setIndex("Nothing").ok());
    EXPECT_EQ(t.activeIndex(), "ById");
    EXPECT_EQ(Column(t, "BankID"), (Texts{"999", "010", "003", "001"}));

    // Deleting an index before the active one keeps the active one.
    ASSERT_TRUE(t.deleteIndex("BYNAME").ok());
    EXPECT_EQ(t.activeIndex(), "ById");
    EXPECT_EQ(Column(t, "BankID"), (Texts{"999", "010", "003", "001"}));
    ASSERT_TRUE(t.deleteIndex("byid").ok());
    EXPECT_EQ(t.activeIndex(), "");
    EXPECT_EQ(Column(t, "BankID"), (Texts{"003", "999", "001", "010"}));
    EXPECT_FALSE(t.deleteIndex("ById").ok());
}

TEST(MemoryTableIndex, TitleClicksAlternateAscendingAndDescending) {
    MemoryTable t;
    FillSigned(t);
    bool descending = false;
    Texts seen;
    for (int click = 0; click < 3; ++click) {
        t.deleteIndexes();
        EXPECT_EQ(t.activeIndex(), "");
        std::string name = std::string("MoneyType") + (descending ? "_UP" : "_DOWN");
        ASSERT_TRUE(t.addIndex(name, "MoneyType", descending).ok());
        ASSERT_TRUE(t.setIndex(name).ok());
        seen.push_back(t.activeIndex() + ":" + t.text(0, "MoneyType"));
        descending = !descending;
    }
    EXPECT_EQ(seen, (Texts{"MoneyType_DOWN:1", "MoneyType_UP:3", "MoneyType_DOWN:1"}));
    EXPECT_EQ(t.indexNames(), (Texts{"MoneyType_DOWN"}));
}

TEST(MemoryTableIndex, NewAndEditedRowsTakeTheirSortedPlace) {
    MemoryTable t;
    ASSERT_TRUE(t.defineFields({{"N", FieldType::Integer}, {"Tag"}}).ok());
    ASSERT_TRUE(t.addIndex("N", "N", false).ok());
    ASSERT_TRUE(t.setIndex("N").ok());
    for (const char* n : {"5", "1", "3"}) ASSERT_TRUE(t.appendRow({n, "first"}).ok());
    EXPECT_EQ(Column(t, "N"), (Texts{"1", "3", "5"}));
    // The view is built now; later rows are placed into it after their equals.
    ASSERT_TRUE(t.appendRow({"3", "second"}).ok());
    ASSERT_TRUE(t.appendRow({"0", "x"}).ok());
    EXPECT_EQ(Column(t, "N"), (Texts{"0", "1", "3", "3", "5"}));
    EXPECT_EQ(Column(t, "Tag"), (Texts{"x", "first", "first", "second", "first"}));
    EXPECT_EQ(t.recNo(), 0) << "the cursor is on the appended row";

    ASSERT_TRUE(t.setText(0, 0, "9").ok());
    EXPECT_EQ(Column(t, "N"), (Texts{"1", "3", "3", "5", "9"}));
    EXPECT_EQ(t.recNo(), 4) << "the cursor follows its record";

    // A large load sorts as well as a small one, equal keys in load order.
    t.emptyTable();
    t.beginUpdate();
    for (int i = 0; i < 10000; ++i)
        ASSERT_TRUE(t.appendRow({std::to_string((i * 7919) % 13), std::to_string(i)}).ok());
    t.endUpdate();
    ASSERT_EQ(t.recordCount(), 10000);
    for (int row = 1; row < t.recordCount(); ++row) {
        ASSERT_LE(*t.number(row - 1, 0), *t.number(row, 0));
        if (*t.number(row - 1, 0) == *t.number(row, 0)) {
            ASSERT_LT(std::stoi(t.text(row - 1, 1)), std::stoi(t.text(row, 1))) << row;
        }
    }
}

TEST(MemoryTableCursor, WalksTheViewBothWays) {
    MemoryTable t;
    FillSigned(t);
    ASSERT_TRUE(t.setFilter("BankID<>999").ok());
    ASSERT_TRUE(t.addIndex("Id", "BankID", false).ok());
    ASSERT_TRUE(t.setIndex("Id").ok());

    Texts forward, backward;
    for (t.first(); !t.eof(); t.next()) forward.push_back(t.fieldText("BankID"));
    for (t.last(); !t.bof(); t.prior()) backward.push_back(t.fieldText(0));
    EXPECT_EQ(forward, (Texts{"001", "003", "010"}));
    EXPECT_EQ(backward, (Texts{"010", "003", "001"}));

    EXPECT_TRUE(t.setRecNo(1));
    EXPECT_EQ(t.fieldText("BankName"), "ccb");
    EXPECT_FALSE(t.setRecNo(3));
    EXPECT_EQ(t.recNo(), 1);
    // Changing the order keeps the current record.
    ASSERT_TRUE(t.setIndex("").ok());
    EXPECT_EQ(t.fieldText("BankName"), "ccb");
    EXPECT_EQ(t.recNo(), 0);
    // A new filter starts at the first row.
    ASSERT_TRUE(t.setFilter("MoneyType=1").ok());
    EXPECT_TRUE(t.bof());
    EXPECT_EQ(t.recNo(), 0);

    MemoryTable empty;
    ASSERT_TRUE(empty.defineFields({{"A"}}).ok());
    empty.first();
    EXPECT_TRUE(empty.eof());
    EXPECT_TRUE(empty.bof());
    EXPECT_EQ(empty.recNo(), -1);
    EXPECT_EQ(empty.fieldText("A"), "");
}

TEST(MemoryTableCopy, TakesStructureAndTheVisibleRowsInOrder) {
    MemoryTable answer;
    FillSigned(answer);
    ASSERT_TRUE(answer.setFilter("BankID<>999").ok());
    ASSERT_TRUE(answer.addIndex("Name", "BankName;BankID", true).ok());
    ASSERT_TRUE(answer.setIndex("Name").ok());

    MemoryTable signedTable;
    ASSERT_TRUE(signedTable.defineFields({{"Old"}}).ok());
    ASSERT_TRUE(signedTable.addIndex("Old", "Old", false).ok());
    signedTable.copyFrom(answer);
    EXPECT_EQ(signedTable.fieldCount(), 5);
    EXPECT_EQ(signedTable.fields()[3].type, FieldType::Integer);
    EXPECT_EQ(Column(signedTable, "BankID"), (Texts{"003", "010", "001"}));
    EXPECT_EQ(signedTable.activeIndex(), "");
    EXPECT_FALSE(signedTable.hasIndex("Old"));
    EXPECT_EQ(signedTable.filter(), "");

    // The copy is independent of its source.
    ASSERT_TRUE(signedTable.setText(0, "BankName", "changed").ok());
    EXPECT_EQ(answer.text(0, "BankName"), "ccb");
    answer.setFiltered(false);
    signedTable.copyFrom(answer);
    EXPECT_EQ(signedTable.recordCount(), 4);
    ASSERT_TRUE(signedTable.setFilter("BANKID=999").ok());
    EXPECT_EQ(Column(signedTable, "BankName"), (Texts{"Forex"}));

    signedTable.copyFrom(signedTable);
    EXPECT_EQ(signedTable.recordCount(), 1) << "copying onto itself changes nothing";
}

TEST(MemoryTableObservers, SuspendedUpdatesSendOneNotification) {
    MemoryTable t;
    Recorder grid;
    t.addObserver(&grid);
    t.addObserver(&grid);
    FillSigned(t);
    EXPECT_EQ(grid.changes.size(), 5u) << "definition and four rows, one each";
    EXPECT_EQ(grid.changes.front(), TableChange::Structure);

    grid.changes.clear();
    t.beginUpdate();
    t.beginUpdate();
    ASSERT_TRUE(t.appendRow({"5"}).ok());
    t.first();
    t.next();
    t.endUpdate();
    EXPECT_TRUE(grid.changes.empty()) << "still suspended";
    t.endUpdate();
    EXPECT_EQ(grid.changes, (std::vector<TableChange>{TableChange::Rows}));

    grid.changes.clear();
    t.beginUpdate();
    t.endUpdate();
    t.endUpdate();  // unbalanced: ignored
    EXPECT_TRUE(grid.changes.empty());
    EXPECT_FALSE(t.updatesSuspended());

    t.beginUpdate();
    t.next();
    t.endUpdate();
    EXPECT_EQ(grid.changes, (std::vector<TableChange>{TableChange::Cursor}));

    grid.changes.clear();
    t.removeObserver(&grid);
    ASSERT_TRUE(t.appendRow({"6"}).ok());
    EXPECT_TRUE(grid.changes.empty());
}

TEST(MemoryTableObservers, AnObserverMayRemoveAnotherWhileBeingTold) {
    MemoryTable t;
    Recorder second;
    struct Remover : TableObserver {
        MemoryTable* table;
        TableObserver* victim;
        int calls = 0;
        void tableChanged(const MemoryTable&, TableChange) override {
            ++calls;
            table->removeObserver(victim);
        }
    } first;
    first.table = &t;
    first.victim = &second;
    t.addObserver(&first);
    t.addObserver(&second);
    ASSERT_TRUE(t.defineFields({{"A"}}).ok());
    EXPECT_EQ(first.calls, 1);
    EXPECT_TRUE(second.changes.empty());
}

}  // namespace
}  // namespace vantrel
