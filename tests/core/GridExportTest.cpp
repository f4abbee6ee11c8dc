#include "grid/GridDisplay.h"
#include "grid/GridExport.h"
#include "grid/GridLog.h"

#include "common/MemoryTable.h"
#include "common/SafeFormat.h"
#include "common/Profile.h"
#include "common/TextCodec.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace vantrel {
namespace {

TEST(GridDisplay, NumberPictures) {
    struct Case {
        double value;
        const char* picture;
        const char* text;
    };
    const Case cases[] = {
        {1234.5, "0.00", "1234.50"},    {1234.5, "#,##0.00", "1,234.50"}, {1234567.891, "#,##0.00", "1,234,567.89"},
        {2.675, "0.00", "2.68"},        {-2.675, "0.00", "-2.68"},        {-0.001, "0.00", "0.00"},
        {0.5, "#.##", ".5"},            {7, "000", "007"},                {0, "#", ""},
        {12.5, "0", "13"},              {1.2, "0.0#", "1.2"},             {1.234, "0.0#", "1.23"},
        {999.999, "#,##0.00", "1,000.00"}, {5, "¥0.00元", "¥5.00元"},     {100, "#,##0", "100"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatNumberPicture(c.value, c.picture), c.text) << c.picture << " " << c.value;
}

TEST(GridDisplay, FourDecimalUnits) {
    EXPECT_EQ(DecimalToUnits("1.00005"), 10001);
    EXPECT_EQ(DecimalToUnits("-1.00005"), -10001);
    EXPECT_EQ(DecimalToUnits("0.00004"), 0);
    EXPECT_EQ(DecimalToUnits(" 12 "), 120000);
    EXPECT_FALSE(DecimalToUnits("1e5"));
    EXPECT_FALSE(DecimalToUnits("."));
    EXPECT_FALSE(DecimalToUnits("99999999999999999"));
    EXPECT_EQ(UnitsToPlainText(12345000), "1234.5");
    EXPECT_EQ(UnitsToPlainText(-1), "-0.0001");
    EXPECT_EQ(UnitsToPlainText(0), "0");
}

// Fixed decimals: the value to 15 significant digits, then rounded half away
// from zero; the units a footer adds are the same number without the text.
TEST(GridDisplay, FixedDecimalsAndTheirUnits) {
    struct Case {
        double value;
        int places;
        const char* text;
    };
    const Case cases[] = {
        {2.675, 2, "2.68"},          {-2.675, 2, "-2.68"},           {0.1 + 0.2, 4, "0.3000"},
        {1.0 / 3, 4, "0.3333"},      {9.99995, 4, "10.0000"},        {-0.0, 2, "0.00"},
        {5e-324, 4, "0.0000"},       {1e15 + 0.3, 2, "1000000000000000.00"},
        {123456789.12345678, 4, "123456789.1235"},                   {-0.00005, 4, "-0.0001"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FixedDecimal(c.value, c.places), c.text) << c.value;
        EXPECT_EQ(Format("%.*f", c.places, c.value).value(), c.text) << c.value;
        if (c.places == 4) {
            EXPECT_EQ(FixedDecimalUnits(c.value, 4), DecimalToUnits(c.text)) << c.value;
        }
    }
    EXPECT_FALSE(FixedDecimalUnits(1e300, 4));
}

// Amounts as written take a quick road; it must give what the full rule
// gives for any value, place count and magnitude.
TEST(GridDisplay, QuickFixedDecimalsAgreeWithTheFullRule) {
    std::vector<double> values = {0.005, 0.015, 0.125, 2.5, 1e14 + 0.25, 999999999999999.0, 99999999999999.99,
                                  1e15, 1e-15, 4503599627370495.5, 1.7976931348623157e308};
    for (int i = -3000; i <= 3000; ++i) values.insert(values.end(), {i / 100.0, i * 1.25, i / 7.0, i * 1e9 + 0.01});
    std::mt19937_64 random(20261210);
    for (int i = 0; i < 3000; ++i) {
        const double v = std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 120) - 100);
        values.push_back(i % 2 ? -v : v);
    }
    int faults = 0;
    for (const double v : values)
        for (const int places : {0, 1, 2, 4, 6, 15}) {
            const std::string full = Format("%.*f", places, v).value();
            if (FixedDecimal(v, places) != full && ++faults < 10)
                ADD_FAILURE() << v << " to " << places << ": " << FixedDecimal(v, places) << " against " << full;
            if (places == 4 && full.size() < 19) {  // the units fit 64 bits
                std::string digits = full;
                digits.erase(digits.find('.'), 1);
                if (FixedDecimalUnits(v, 4) != std::stoll(digits) && ++faults < 10) ADD_FAILURE() << v << " in units";
            }
        }
    EXPECT_EQ(faults, 0);
}

class GridCellsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(table.defineFields({{"Code", FieldType::Text, 4}, {"Money", FieldType::Text, 12},
                                        {"Qty", FieldType::Integer, 0}, {"Rate", FieldType::Float, 0}}));
    }
    static GridColumn Column(const std::string& field, FooterKind footer = FooterKind::None, std::string format = "") {
        GridColumn column;
        column.fieldName = field;
        column.footer.kind = footer;
        column.displayFormat = std::move(format);
        return column;
    }
    MemoryTable table;
};

TEST_F(GridCellsTest, DisplayTextsOfCodesPicturesAndCheckBoxes) {
    ASSERT_TRUE(table.appendRow({"1", "1234.5", "3", "0.125"}));
    ASSERT_TRUE(table.appendRow({"9", "n/a", "", ""}));
    GridColumn code = Column("Code");
    code.keyList = {"0", "1", "2"};
    code.pickList = {"身份证", "护照"};
    EXPECT_EQ(CellDisplayText(code, table, 0), "护照");
    EXPECT_EQ(CellDisplayText(code, table, 1), "9");  // not in the key list: the code itself

    EXPECT_EQ(CellDisplayText(Column("Money", FooterKind::None, "#,##0.00"), table, 0), "1,234.50");
    EXPECT_EQ(CellDisplayText(Column("Money", FooterKind::None, "#,##0.00"), table, 1), "n/a");
    EXPECT_EQ(CellDisplayText(Column("Rate", FooterKind::None, "0.00"), table, 0), "0.13");
    EXPECT_EQ(CellDisplayText(Column("Qty"), table, 1), "");
    EXPECT_EQ(CellDisplayText(Column("Nope"), table, 0), "");

    GridColumn check = Column("Code");
    check.checkedValue = "1";
    check.uncheckedValue = "0";
    EXPECT_EQ(CheckBoxState(check, "1"), CheckState::Checked);
    EXPECT_EQ(CheckBoxState(check, "0"), CheckState::Unchecked);
    EXPECT_EQ(CheckBoxState(check, ""), CheckState::Grayed);
    EXPECT_EQ(CheckBoxState(check, "2"), CheckState::Grayed);
}

TEST_F(GridCellsTest, FootersSumWithFourDecimalsExactly) {
    // 0.1 + 0.2 and values below a ten-thousandth: exact in 1/10000 units.
    for (const char* money : {"0.1", "0.2", "0.00005", "", "1000000"}) ASSERT_TRUE(table.appendRow({"", money, "2", money}));
    auto sum = ComputeFooter(Column("Money", FooterKind::Sum), table);
    ASSERT_TRUE(sum) << sum.error();
    EXPECT_EQ(sum->text, "1000000.3001");
    EXPECT_DOUBLE_EQ(*sum->number, 1000000.3001);
    auto pictured = ComputeFooter(Column("Rate", FooterKind::Sum, "#,##0.00"), table);
    ASSERT_TRUE(pictured) << pictured.error();
    EXPECT_EQ(pictured->text, "1,000,000.30");
    auto count = ComputeFooter(Column("Qty", FooterKind::Count), table);
    EXPECT_EQ(count->text, "5");
    auto average = ComputeFooter(Column("Qty", FooterKind::Average), table);
    EXPECT_EQ(average->text, "2");
    auto avgMoney = ComputeFooter(Column("Money", FooterKind::Average, "0.00"), table);
    EXPECT_EQ(avgMoney->text, "250000.08");  // over the four non-empty cells

    ASSERT_TRUE(table.appendRow({"", "abc", "", ""}));
    auto bad = ComputeFooter(Column("Money", FooterKind::Sum), table);
    ASSERT_FALSE(bad);
    EXPECT_NE(bad.error().find("row 6"), std::string::npos) << bad.error();

    // An integer whose ten-thousandths do not fit 64 bits cannot be summed exactly.
    ASSERT_TRUE(table.appendRow({"", "1", "922337203685478", ""}));
    auto wide = ComputeFooter(Column("Qty", FooterKind::Sum), table);
    ASSERT_FALSE(wide);
    EXPECT_NE(wide.error().find("too large (row 7"), std::string::npos) << wide.error();
}

// A Bank.ini, a grid formatted from it and a table to export.
class GridExportTest : public ::testing::Test {
protected:
    void format(const std::string& ini, GridFormatOptions options = [] {
        GridFormatOptions o;
        o.spaceColFlag = false;
        return o;
    }()) {
        const Profile profile = Profile::Parse(Utf8ToGbk(ini).value());
        auto loaded = TGridParam::Load(profile, folder.appPath());
        ASSERT_TRUE(loaded) << loaded.error();
        param.emplace(std::move(loaded).value());
        layout = BuildGridLayout(profile, "MoneyDBTest", options, *param, LoadGridTexts(profile, *param), &table);
        ASSERT_TRUE(layout.logLines.empty()) << layout.logLines.front();
    }
    std::string bytes(ExportFormat format) {
        auto sheet = BuildExportSheet(layout, *param, table, {"DBTest", std::nullopt, {}});
        EXPECT_TRUE(sheet) << sheet.error();
        auto out = ExportBytes(format, *sheet);
        EXPECT_TRUE(out) << out.error();
        return out ? *out : std::string();
    }

    test::TestFolder folder;
    test::ScopedAppPath app{folder};
    std::optional<TGridParam> param;
    GridLayout layout;
    MemoryTable table;
};

const char* kThreeColumns =
    "[GridParam]\nFooterCountFlag=1\n"
    "[MoneyDBTest]\nColWidth=\nColTotal=1,2,3\nColVisual=1,1,1\nColTag=\nColAlign=\nColColor=\nColStyle=\n"
    "ColDBWidth=8,0,0\nColDataType=0,1,2\nName=名称\nQty=Qty\nPrice=Price\n";

TEST_F(GridExportTest, ExcelRecordsByteForByte) {
    format(kThreeColumns);
    ASSERT_TRUE(table.appendRow({"ab", "3", "1.5"}));
    ASSERT_TRUE(table.appendRow({"", "-2", ""}));
    const std::string expected(
        "\x09\x08\x08\x00" "\x00\x00\x10\x00\x00\x00\x00\x00"                      // begin of file
        "\x04\x02\x0C\x00" "\x00\x00\x00\x00\x00\x00" "\x04\x00" "\xC3\xFB\xB3\xC6"  // 名称
        "\x04\x02\x0B\x00" "\x00\x00\x01\x00\x00\x00" "\x03\x00" "Qty"
        "\x04\x02\x0D\x00" "\x00\x00\x02\x00\x00\x00" "\x05\x00" "Price"
        "\x04\x02\x0A\x00" "\x01\x00\x00\x00\x00\x00" "\x02\x00" "ab"
        "\x7E\x02\x0A\x00" "\x01\x00\x01\x00\x00\x00" "\x0E\x00\x00\x00"            // 3 * 4 + 2
        "\x03\x02\x0E\x00" "\x01\x00\x02\x00\x00\x00" "\x00\x00\x00\x00\x00\x00\xF8\x3F"  // 1.5
        "\x01\x02\x06\x00" "\x02\x00\x00\x00\x17\x00"                                // blank, format 23
        "\x7E\x02\x0A\x00" "\x02\x00\x01\x00\x00\x00" "\xFA\xFF\xFF\xFF"            // -2 * 4 + 2
        "\x01\x02\x06\x00" "\x02\x00\x02\x00\x17\x00"
        "\x04\x02\x0C\x00" "\x03\x00\x00\x00\x00\x00" "\x04\x00" "\xBA\xCF\xBC\xC6"  // 合计
        "\x03\x02\x0E\x00" "\x03\x00\x01\x00\x00\x00" "\x00\x00\x00\x00\x00\x00\x00\x40"  // count 2
        "\x03\x02\x0E\x00" "\x03\x00\x02\x00\x00\x00" "\x00\x00\x00\x00\x00\x00\xF8\x3F"  // sum 1.5
        "\x0A\x00\x00\x00",
        4 + 8 + 16 + 15 + 17 + 14 + 14 + 18 + 10 + 14 + 10 + 16 + 18 + 18 + 4);
    EXPECT_EQ(bytes(ExportFormat::Excel), expected);
}

TEST_F(GridExportTest, ExcelKeepsIntegersTooWideForAnIntegerCell) {
    format(kThreeColumns);
    ASSERT_TRUE(table.appendRow({"x", "536870912", ""}));  // 2^29
    const std::string out = bytes(ExportFormat::Excel);
    const std::string number("\x03\x02\x0E\x00" "\x01\x00\x01\x00\x00\x00" "\x00\x00\x00\x00\x00\x00\xC0\x41", 18);
    EXPECT_NE(out.find(number), std::string::npos);
}

TEST_F(GridExportTest, HtmlPageByteForByte) {
    format("[GridParam]\nFooterCountFlag=1\n[HeaderStyle]\nColor=255\n"
           "[DataStyle]\nFontName=Arial\nFontSize=10\nTextColor=$008000\nFontBold=1\nFontDelLine=1\n"
           "[FooterStyle]\nColor=$C0DCC0\n"
           "[MoneyDBTest]\nColWidth=100\nColTotal=1\nColVisual=1\nColTag=1\nColAlign=C\nColColor=$FF0000\n"
           "ColStyle=\nColDBWidth=10\nColDataType=0\nName=名称\n");
    ASSERT_TRUE(table.appendRow({"a<b&\"c>"}));
    ASSERT_TRUE(table.appendRow({""}));
    const std::string font = "<FONT STYLE=\"font-family: Arial; font-size: 10pt; color: #008000\"><B><STRIKE>";
    const std::string expected =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">\r\n<HTML>\r\n<HEAD>\r\n<TITLE>\r\nDBTest\r\n"
        "</TITLE>\r\n</HEAD>\r\n<TABLE BORDER=0 CELLSPACING=0 CELLPADDING=1 BGCOLOR=#FF0000>\r\n\r\n"
        "<TR>\r\n  <TD WIDTH=100 ALIGN=\"CENTER\"><FONT STYLE=\"font-family: \xCB\xCE\xCC\xE5; font-size: 9pt; "
        "color: #000000\">\xC3\xFB\xB3\xC6</FONT></TD>\r\n</TR>\r\n"
        "<TR>\r\n  <TD WIDTH=100 ALIGN=\"LEFT\" BGCOLOR=#0000FF>" + font +
        "a&ltb&amp&quotc&gt</B></STRIKE></FONT></TD>\r\n</TR>\r\n"
        "<TR>\r\n  <TD WIDTH=100 ALIGN=\"LEFT\" BGCOLOR=#0000FF>" + font + "&nbsp</B></STRIKE></FONT></TD>\r\n</TR>\r\n"
        "<TR>\r\n  <TD WIDTH=100 ALIGN=\"CENTER\" BGCOLOR=#C0DCC0><FONT STYLE=\"font-family: \xCB\xCE\xCC\xE5; "
        "font-size: 9pt; color: #800000\">\xBA\xCF\xBC\xC6</FONT></TD>\r\n</TR>\r\n"
        "</TABLE>\r\n</BODY>\r\n</HTML>\r\n";
    EXPECT_EQ(bytes(ExportFormat::Html), expected);
}

TEST_F(GridExportTest, HtmlTableLineFollowsLinesAnd3DAndSystemColours) {
    const std::string grid = "[MoneyDBTest]\nColWidth=\nColTotal=\nColVisual=\nColTag=\nColAlign=\nColColor=\n"
                             "ColStyle=\nColDBWidth=1\nColDataType=0\nA=a\n";
    format("[GridParam]\nLinesFlag=1\n" + grid);
    EXPECT_NE(bytes(ExportFormat::Html).find("<TABLE BORDER=1 CELLSPACING=0 CELLPADDING=1 BGCOLOR=#F0F0F0>\r\n"),
              std::string::npos);
    format("[GridParam]\nLinesFlag=1\nFixed3DFlag=0\n" + grid);
    EXPECT_NE(bytes(ExportFormat::Html).find("<TABLE BORDER=0 CELLSPACING=1 CELLPADDING=1"), std::string::npos);
    EXPECT_EQ(HtmlRgb(0x1FFFFFFF), 0u);
    EXPECT_EQ(HtmlRgb(0x00C0DCC0), 0xC0DCC0u);
    EXPECT_EQ(HtmlRgb(0x000080), 0x800000u);
    EXPECT_EQ(HtmlRgb(-16777201, [](int n) { return n == 15 ? 0x123456u : 0u; }), 0x123456u);
}

TEST_F(GridExportTest, TextHasNoLineEndAfterTheLastLine) {
    format("[MoneyDBTest]\nColWidth=\nColTotal=\nColVisual=\nColTag=\nColAlign=,0.00\nColColor=\nColStyle=\n"
           "ColDBWidth=9,9\nColDataType=0,0\nA=甲\nB=乙\n");
    ASSERT_TRUE(table.appendRow({"x\ty", "1.5"}));
    ASSERT_TRUE(table.appendRow({"z", ""}));
    EXPECT_EQ(bytes(ExportFormat::Text), "\xBC\xD7\t\xD2\xD2\r\nx y\t1.50\r\nz\t");
}

TEST_F(GridExportTest, AnEmptyTableExportsTitlesAndAZeroCountFooter) {
    GridFormatOptions options;  // with the filler column: an empty column
    format(kThreeColumns, options);
    EXPECT_EQ(bytes(ExportFormat::Text), "\xC3\xFB\xB3\xC6\tQty\tPrice\t\r\n\xBA\xCF\xBC\xC6\t0\t0\t");
}

// An export to a file makes each record's texts as it writes them; the bytes
// are those of the sheet built first, for every type, picture and code table.
TEST_F(GridExportTest, TheTableExportWritesWhatTheSheetWrites) {
    format("[GridParam]\nFooterCountFlag=1\n[MoneyDBTest]\nColWidth=\nColTotal=0,0,3,0,0,2,0,0\n"
           "ColVisual=1,1,1,1,1,1,1,1\nColTag=\nColAlign=0,0.00,0.00,C,D,000,0,0\nColColor=\nColStyle=\n"
           "ColDBWidth=20,20,0,0,0,0,0,4\nColDataType=0,0,2,2,3,1,1,0\n"
           "Name=名称\nAmount=金额\nPrice=Price\nRate=Rate\nDay=Day\nQty=Qty\nBig=Big\nKind=Kind\n");
    ASSERT_EQ(layout.columns.size(), 8u);
    layout.columns[1].displayFormat = "#,##0.00";
    layout.columns[7].keyList = {"1", "2"};
    layout.columns[7].pickList = {"入金", "出金"};
    const std::vector<std::vector<std::string>> rows = {
        {"工商 & <银行>", "1234.5", "2.675", "0.1", "2024-03-05", "7", "536870912", "1"},
        {"a\tb\"c", "-0.001", "-2.675", "-0.0000001", "", "-12", "-536870913", "3"},
        {"", "n/a", "", "", "20240229", "", "", ""},
        {"x", "99999999.995", "1234567.891", "123456789012", "2024/12/31", "0", "5", "2"},
    };
    for (const auto& row : rows) ASSERT_TRUE(table.appendRow(row));
    const ExportOptions options{"DBTest", std::nullopt, {}};
    auto sheet = BuildExportSheet(layout, *param, table, options);
    ASSERT_TRUE(sheet) << sheet.error();
    for (const ExportFormat format : {ExportFormat::Text, ExportFormat::Excel, ExportFormat::Html}) {
        auto expected = ExportBytes(format, *sheet);
        auto written = ExportTableBytes(format, layout, *param, table, options);
        ASSERT_TRUE(expected && written) << ExportExtension(format);
        EXPECT_EQ(*written, *expected) << ExportExtension(format);
    }
    // The same refusal, naming the same cell.
    ASSERT_TRUE(table.appendRow({"bad 😀", "1", "1", "1", "", "1", "1", "1"}));
    sheet = BuildExportSheet(layout, *param, table, options);
    for (const ExportFormat format : {ExportFormat::Text, ExportFormat::Excel, ExportFormat::Html}) {
        auto expected = ExportBytes(format, *sheet);
        auto written = ExportTableBytes(format, layout, *param, table, options);
        ASSERT_FALSE(expected || written) << ExportExtension(format);
        EXPECT_EQ(written.error(), expected.error());
    }
}

TEST_F(GridExportTest, FileNamesGetTheDefaultExtension) {
    EXPECT_EQ(ExportFileName("/t/a.htm", ExportFormat::Html), "/t/a.htm");
    EXPECT_EQ(ExportFileName("/t/a.XLS", ExportFormat::Excel), "/t/a.XLS");
    EXPECT_EQ(ExportFileName("/t/a", ExportFormat::Html), "/t/a.htm");
    EXPECT_EQ(ExportFileName("/t/a.txt", ExportFormat::Excel), "/t/a.txt.xls");
    EXPECT_EQ(ExportFileName("", ExportFormat::Text), ".txt");
    EXPECT_EQ(ExportFileName("/t/a.XLSX", ExportFormat::Xlsx), "/t/a.XLSX");
    EXPECT_EQ(ExportFileName("/t/a.xls", ExportFormat::Xlsx), "/t/a.xls.xlsx");
    EXPECT_EQ(ExportFileName("/t/a.xlsx", ExportFormat::Excel), "/t/a.xlsx.xls");
}

// The workbook takes a million rows and Unicode the worksheet cannot, but
// refuses what an Excel 2007 sheet cannot hold, naming the cell.
TEST_F(GridExportTest, WorkbookLimitsAreExcel2007s) {
    if (!XlsxExportAvailable()) GTEST_SKIP() << "built without libxlsxwriter";
    ExportSheet sheet;
    sheet.rows.resize(1048575);
    EXPECT_TRUE(XlsxBytes(sheet));
    sheet.rows.emplace_back();
    auto refused = XlsxBytes(sheet);
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().find("1048577 rows"), std::string::npos) << refused.error();

    sheet.rows = {{{ExportCellKind::Text, "😀"}}, {{ExportCellKind::Text, std::string(32768, 'x')}}};
    sheet.columns.resize(1);
    sheet.columns[0].title = "Memo";
    refused = XlsxBytes(sheet);
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().find("row 3, column 1 (\"Memo\")"), std::string::npos) << refused.error();
}

TEST(GridExportPage, ACellGbkCannotHoldIsNamedBeforeTheGridName) {
    ExportSheet sheet;
    sheet.gridName = "grid 😀";
    sheet.columns.push_back(ExportColumn{});
    sheet.columns[0].title = "T";
    sheet.rows.push_back({ExportCell{ExportCellKind::Text, "a<b", 0, 0}});
    auto page = HtmlBytes(sheet);
    ASSERT_FALSE(page);
    // The byte named is the one in the whole page.
    const std::string pageStart =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">\r\n<HTML>\r\n<HEAD>\r\n<TITLE>\r\ngrid 😀";
    EXPECT_EQ(page.error(), "the page cannot be written in GBK: " + Utf8ToGbk(pageStart).error());
    sheet.rows.push_back({ExportCell{ExportCellKind::Text, "ok 😀", 0, 0}});
    page = HtmlBytes(sheet);
    ASSERT_FALSE(page);
    EXPECT_NE(page.error().find("row 3, column 1"), std::string::npos) << page.error();
    sheet.gridName = "grid";
    sheet.rows.pop_back();
    page = HtmlBytes(sheet);
    ASSERT_TRUE(page) << page.error();
    EXPECT_NE(page->find("a&ltb</FONT></TD>\r\n"), std::string::npos);
}

TEST_F(GridExportTest, TextGbkCannotHoldRefusesTheExportAndKeepsTheOldFile) {
    format(kThreeColumns);
    ASSERT_TRUE(table.appendRow({"ok", "1", "1"}));
    ASSERT_TRUE(table.appendRow({"bad 😀", "1", "1"}));
    const auto target = folder.write("out.txt", "old");
    auto written = ExportGridToFile(ExportFormat::Text, target.string(), layout, *param, table, {});
    ASSERT_FALSE(written);
    EXPECT_NE(written.error().find("row 3, column 1"), std::string::npos) << written.error();
    EXPECT_EQ(folder.read("out.txt"), "old");
    const auto logs = std::filesystem::directory_iterator(folder.path() / "logs");
    const std::string log = folder.read("logs/" + logs->path().filename().string());
    EXPECT_NE(log.find(Utf8ToGbk(std::string(grid_log::kTextFailed) + "the text of row 3").value()), std::string::npos)
        << log;

    table.emptyTable();
    ASSERT_TRUE(table.appendRow({"好", "1", "1"}));
    written = ExportGridToFile(ExportFormat::Excel, (folder.path() / "out").string(), layout, *param, table, {});
    ASSERT_TRUE(written) << written.error();
    EXPECT_EQ(*written, (folder.path() / "out.xls").string());
    EXPECT_EQ(folder.read("out.xls").substr(0, 4), std::string("\x09\x08\x08\x00", 4));
}

}  // namespace
}  // namespace vantrel
