#include "grid/GridLayout.h"
#include "grid/GridLog.h"

#include "common/Clock.h"
#include "common/MemoryTable.h"
#include "common/Profile.h"
#include "common/TextCodec.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <ctime>

namespace vantrel {
namespace {

Profile Ini(const std::string& utf8) { return Profile::Parse(Utf8ToGbk(utf8).value()); }

// A grid section from its nine header values and "key=title" column lines.
std::string Section(const std::string& name, const std::vector<std::string>& header,
                    const std::vector<std::string>& columns) {
    static const char* keys[] = {"ColWidth", "ColTotal", "ColVisual", "ColTag", "ColAlign",
                                 "ColColor", "ColStyle", "ColDBWidth", "ColDataType"};
    std::string text = "[" + name + "]\n";
    for (std::size_t i = 0; i < header.size(); ++i) text += std::string(keys[i]) + "=" + header[i] + "\n";
    for (const auto& line : columns) text += line + "\n";
    return text;
}

class GridLayoutTest : public ::testing::Test {
protected:
    GridLayout build(const std::string& ini, GridFormatOptions options = {}, const std::string& node = "MoneyDBTest") {
        const Profile profile = Ini(ini);
        auto param = TGridParam::Load(profile, folder.appPath());
        EXPECT_TRUE(param) << param.error();
        if (footers) param.value().setFooterCountFlag(true);
        return BuildGridLayout(profile, node, options, param.value(), LoadGridTexts(profile, param.value()), &table);
    }
    static GridFormatOptions NoFiller(GridForm form = GridForm::ByFieldName) {
        GridFormatOptions options;
        options.form = form;
        options.spaceColFlag = false;
        return options;
    }

    test::TestFolder folder;
    MemoryTable table;
    bool footers = false;
};

TEST_F(GridLayoutTest, MissingEntriesTakeDefaultsAndHiddenColumnsAreNotCounted) {
    const auto layout = build(Section("MoneyDBTest", {"100,120", "", "1,-1,0", "", "", "", "", "4,4,4", "0,0,0"},
                                      {"A=甲", "B=乙", "C=丙"}),
                              NoFiller());
    ASSERT_EQ(layout.columns.size(), 3u);
    EXPECT_TRUE(layout.logLines.empty()) << layout.logLines.front();
    EXPECT_EQ(layout.columns[0].width, 100);
    EXPECT_TRUE(layout.columns[0].visible);
    EXPECT_EQ(layout.columns[0].caption, "甲");
    EXPECT_EQ(layout.columns[0].fieldName, "A");
    EXPECT_EQ(layout.columns[0].titleAlign, ColumnAlign::Center);
    for (int i : {1, 2}) {
        EXPECT_FALSE(layout.columns[i].visible);
        EXPECT_EQ(layout.columns[i].width, 0);  // the 120 and the default 80 are gone
    }
    EXPECT_EQ(layout.visibleWidth(), 100);
    EXPECT_TRUE(layout.tableCreated);
    EXPECT_EQ(table.fieldCount(), 3);
    EXPECT_TRUE(layout.createProcessFlag);

    // The default 80 where the width list runs out, on visible columns.
    const auto shown = build(Section("MoneyDBTest", {"100,120", "", "", "", "", "", "", "4,4,4", "0,0,0"},
                                     {"A=a", "B=b", "C=c"}),
                             NoFiller());
    EXPECT_EQ(shown.columns[2].width, 80);
}

TEST_F(GridLayoutTest, AlignmentEntriesAndPicturesSplitAtEveryComma) {
    const auto layout = build(Section("MoneyDBTest", {"", "", "", "", "C,D,E,0,#,##0.00", "", "", "", "0,0,0,0,0,0"},
                                      {"A=a", "B=b", "K=k", "N=n", "P=p", "Q=q"}),
                              NoFiller());
    ASSERT_EQ(layout.columns.size(), 6u);
    EXPECT_EQ(layout.columns[0].align, ColumnAlign::Left);
    EXPECT_EQ(layout.columns[1].align, ColumnAlign::Center);
    const GridColumn& check = layout.columns[2];
    EXPECT_TRUE(check.checkBox);
    EXPECT_EQ(check.tag, kCheckBoxColTag);
    EXPECT_FALSE(check.titleButton);
    EXPECT_FALSE(check.readOnly);
    EXPECT_EQ(layout.checkBoxFieldName(), "K");
    EXPECT_EQ(layout.checkBoxFieldIndex(), 2);
    EXPECT_EQ(layout.columns[3].align, ColumnAlign::Default);
    // "#,##0.00" is two entries: "#" and "##0.00".
    EXPECT_EQ(layout.columns[4].displayFormat, "#");
    EXPECT_EQ(layout.columns[5].displayFormat, "##0.00");
    EXPECT_EQ(layout.columns[5].align, ColumnAlign::Right);
}

TEST_F(GridLayoutTest, StylesAndColoursAndTheBadEntryThatEndsTheColumns) {
    const auto layout =
        build(Section("MoneyDBTest", {"", "", "", "", "", "clYellow,$FF0000,12", "clRed,2,bogus,1", "", "1,1,1,1"},
                      {"A=a", "B=b", "C=c", "D=d"}),
              NoFiller());
    ASSERT_EQ(layout.logLines.size(), 1u);
    EXPECT_EQ(layout.logLines[0].rfind(std::string(grid_log::kConfigError) + "\"bogus\"", 0), 0u) << layout.logLines[0];
    // The failing column stays as far as it got; the fourth is never added.
    ASSERT_EQ(layout.columns.size(), 3u);
    EXPECT_TRUE(layout.columns[0].font.bold);
    EXPECT_EQ(layout.columns[0].font.color, 0x0000FF);
    EXPECT_EQ(layout.columns[0].color, 0x00FFFF);
    EXPECT_TRUE(layout.columns[1].font.italic);
    EXPECT_FALSE(layout.columns[1].font.bold);
    EXPECT_EQ(layout.columns[1].color, 0xFF0000);
    EXPECT_EQ(layout.columns[2].color, 12);
    EXPECT_EQ(layout.columns[2].caption, "c");
    EXPECT_TRUE(layout.createProcessFlag);  // a column error does not fail the whole format

    const auto badWidth = build(Section("MoneyDBTest", {"10,x", "", "", "", "", "", "", "", ""}, {"A=a", "B=b"}),
                                NoFiller());
    ASSERT_EQ(badWidth.logLines.size(), 2u);  // the column, then the field types
    EXPECT_EQ(badWidth.logLines[0], std::string(grid_log::kConfigError) + "\"x\" is not an integer (ColWidth, column 2)");
    EXPECT_EQ(badWidth.logLines[1].rfind(grid_log::kFieldDefFailed, 0), 0u);
}

TEST_F(GridLayoutTest, FormOneDefinesFieldsInTagOrderWithTheTypesInListOrder) {
    auto options = NoFiller(GridForm::ByTag);
    auto layout = build(Section("SetDBGrid4", {"", "", "", "3,1,2", "", "", "", "10,0,0", "0,1,2"},
                                {"x=c", "y=a", "z=b"}),
                        options, "SetDBGrid4");
    ASSERT_EQ(layout.columns.size(), 3u);
    EXPECT_EQ(layout.columns[0].fieldName, "Col3");
    EXPECT_EQ(layout.columns[0].tag, 3);
    ASSERT_EQ(table.fieldCount(), 3);
    EXPECT_EQ(table.fields()[0].name, "Col1");
    EXPECT_EQ(table.fields()[0].type, FieldType::Text);
    EXPECT_EQ(table.fields()[0].size, 10);
    EXPECT_EQ(table.fields()[1].name, "Col2");
    EXPECT_EQ(table.fields()[1].type, FieldType::Integer);
    EXPECT_EQ(table.fields()[2].name, "Col3");
    EXPECT_EQ(table.fields()[2].type, FieldType::Float);

    layout = build(Section("SetDBGrid4", {"", "", "", "1,2,10", "", "", "", "1,1,1", "0,0,0"}, {"x=a", "y=b", "z=c"}),
                   options, "SetDBGrid4");
    ASSERT_EQ(table.fieldCount(), 3);
    EXPECT_EQ(table.fields()[0].name, "Col1");
    EXPECT_EQ(table.fields()[1].name, "Col2");
    EXPECT_EQ(table.fields()[2].name, "Col10");

    // A tag list shorter than the column lines fails at that column.
    layout = build(Section("SetDBGrid4", {"", "", "", "1", "", "", "", "1", "0"}, {"x=a", "y=b"}), options,
                   "SetDBGrid4");
    ASSERT_EQ(layout.logLines.size(), 1u);
    EXPECT_EQ(layout.logLines[0], std::string(grid_log::kConfigError) + "ColTag has no entry for column 2");
}

TEST_F(GridLayoutTest, NineLinesGiveOnlyTheFillerAndItsField) {
    GridFormatOptions options;
    options.screenWidth = 1024;
    const auto layout = build(Section("MoneyDBTest", {"", "", "", "", "", "", "", "", ""}, {}), options);
    ASSERT_EQ(layout.columns.size(), 1u);
    EXPECT_TRUE(layout.columns[0].isFiller());
    EXPECT_EQ(layout.columns[0].width, 1004);
    EXPECT_FALSE(layout.columns[0].titleButton);
    ASSERT_EQ(table.fieldCount(), 1);
    EXPECT_EQ(table.fields()[0].name, "tmp99");
    EXPECT_TRUE(layout.processFlag);
}

TEST_F(GridLayoutTest, FillerWidthFollowsTheVisibleWidth) {
    EXPECT_EQ(InitialSpaceColWidth(1024, 1000), 4);
    EXPECT_EQ(InitialSpaceColWidth(1024, 1010), 6);
    EXPECT_EQ(InitialSpaceColWidth(1024, 1024), 0);
    EXPECT_EQ(ResizedSpaceColWidth(800, 500), 270);
    EXPECT_EQ(ResizedSpaceColWidth(800, 780), 10);
    EXPECT_EQ(ResizedSpaceColWidth(800, 800), 0);

    GridFormatOptions options;
    const auto layout =
        build(Section("MoneyDBTest", {"500,510,77", "", "1,1,0", "", "", "", "", "1,1,1", "0,0,0"}, {"A=a", "B=b", "C=c"}),
              options);
    EXPECT_EQ(layout.columns.back().width, 6);  // |1024 - 1010 - 20|
}

TEST_F(GridLayoutTest, ShortSectionsFailTheWholeFormatAndAMissingSectionDoesNothing) {
    auto layout = build("[MoneyDBTest]\nColWidth=1\nColTotal=1\n[GridMenu]\n1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n",
                        [] { GridFormatOptions o; o.showMenu = true; return o; }());
    ASSERT_EQ(layout.logLines.size(), 1u);
    EXPECT_EQ(layout.logLines[0].rfind(grid_log::kFormatFailed, 0), 0u);
    EXPECT_FALSE(layout.createProcessFlag);
    EXPECT_FALSE(layout.menu);
    EXPECT_TRUE(layout.columns.empty());

    layout = build("[Other]\na=1\n");
    EXPECT_TRUE(layout.logLines.empty());
    EXPECT_TRUE(layout.columns.empty());
    EXPECT_FALSE(layout.processFlag);
    EXPECT_TRUE(layout.createProcessFlag);
}

TEST_F(GridLayoutTest, FieldTypeAndDefinitionFailuresAreLoggedWithTheirPrefixes) {
    auto layout = build(Section("MoneyDBTest", {"", "", "", "", "", "", "", "", "7"}, {"A=a"}), NoFiller());
    ASSERT_EQ(layout.logLines.size(), 1u);
    EXPECT_EQ(layout.logLines[0].rfind(std::string(grid_log::kTableFailed) + "the field \"A\"", 0), 0u);
    EXPECT_FALSE(layout.tableCreated);
    EXPECT_EQ(layout.columns.size(), 1u);  // the grid keeps its columns

    // A text field without a size entry ends the definitions.
    layout = build(Section("MoneyDBTest", {"", "", "", "", "", "", "", "5", "0,0"}, {"A=a", "B=b"}), NoFiller());
    ASSERT_FALSE(layout.logLines.empty());
    EXPECT_EQ(layout.logLines[0], std::string(grid_log::kFieldDefFailed) + "ColDBWidth has no entry for column 2");

    // Form 2 without CreateFields defines nothing but the filler's field.
    GridFormatOptions options;
    options.createFields = false;
    layout = build(Section("MoneyDBTest", {"", "", "", "", "", "", "", "", "9"}, {"A=a"}), options);
    EXPECT_TRUE(layout.logLines.empty());
    EXPECT_EQ(table.fieldCount(), 1);
}

TEST_F(GridLayoutTest, FootersDependOnTheFormAndTheFooterFlag) {
    const std::string byName = Section("MoneyDBTest", {"", "1,2,3,4,99,5", "1,1,1,1,1,1", "", "", "", "", "", "0,1,2,2,0,0"},
                                       {"A=a", "B=b", "C=c", "D=d", "E=e", "F=f"});
    auto layout = build(byName, NoFiller());
    for (const auto& column : layout.columns) EXPECT_EQ(column.footer.kind, FooterKind::None);
    EXPECT_EQ(layout.columns[4].tag, kEditButtonColTag);  // edit buttons do not need footers
    EXPECT_TRUE(layout.columns[4].editButton);

    footers = true;
    layout = build(byName, NoFiller());
    EXPECT_EQ(layout.columns[0].footer.kind, FooterKind::StaticText);
    EXPECT_EQ(layout.columns[0].footer.text, "合计");
    EXPECT_EQ(layout.columns[0].footer.font.color, 128);
    EXPECT_EQ(layout.columns[1].footer.kind, FooterKind::Count);
    EXPECT_EQ(layout.columns[1].footer.align, ColumnAlign::Center);
    EXPECT_EQ(layout.columns[2].footer.kind, FooterKind::Sum);
    EXPECT_EQ(layout.columns[2].footer.align, ColumnAlign::Right);
    EXPECT_EQ(layout.columns[3].footer.kind, FooterKind::Average);
    EXPECT_EQ(layout.columns[4].footer.kind, FooterKind::None);
    EXPECT_EQ(layout.columns[5].footer.kind, FooterKind::None);

    layout = build("[SetDBGrid4]\nColWidth=\nColTotal=99,1\nColVisual=1,1\nColTag=1,2\nColAlign=\nColColor=\n"
                   "ColStyle=\nColDBWidth=1,1\nColDataType=0,0\nx=a\ny=b\n",
                   NoFiller(GridForm::ByTag), "SetDBGrid4");
    EXPECT_EQ(layout.columns[0].footer.kind, FooterKind::StaticText);
    EXPECT_EQ(layout.columns[0].footer.font.color, 0);  // [FooterStyle]'s, not maroon
    EXPECT_EQ(layout.columns[1].footer.kind, FooterKind::StaticText);
}

TEST_F(GridLayoutTest, FrozenColumnsOnlyBelowTheColumnCount) {
    const std::string grid = Section("SetDBGrid4", {"", "", "", "1,2", "", "", "", "1,1", "0,0"}, {"x=a", "y=b"});
    auto options = GridFormatOptions{};
    options.form = GridForm::ByTag;
    EXPECT_EQ(build(grid + "[FrozenCols]\nSetDBGrid4=2\n", options, "SetDBGrid4").frozenCols, 2);  // filler counts
    EXPECT_FALSE(build(grid + "[FrozenCols]\nSetDBGrid4=3\n", options, "SetDBGrid4").frozenCols);
    EXPECT_FALSE(build(grid + "[FrozenCols]\nSetDBGrid4=-1\n", options, "SetDBGrid4").frozenCols);
    EXPECT_EQ(build(grid, options, "SetDBGrid4").frozenCols, 0);
    options.form = GridForm::ByFieldName;
    EXPECT_FALSE(build(grid + "[FrozenCols]\nSetDBGrid4=1\n", options, "SetDBGrid4").frozenCols);
}

TEST_F(GridLayoutTest, DefaultIndexAndHints) {
    const std::string grid =
        "[GridParam]\nCreateIndexFlag=1\nColumnsHintFlag=1\n" +
        Section("MoneyDBTest", {"", "", "", "", "", "", "", "5,5", "0,0"}, {"Name=名称", "Code=代码"}) +
        "[HintMoneyDBTest]\nNameHint=客户名称\nHint=空白\n";
    table.clear();
    auto layout = build(grid + "[MoneyDBTestIndex]\nName=IdxName\nFields=Name;Code\nDesc=1\n");
    EXPECT_TRUE(layout.logLines.empty()) << layout.logLines.front();
    EXPECT_EQ(table.activeIndex(), "IdxName");
    EXPECT_TRUE(layout.indexSelected);
    EXPECT_TRUE(layout.showHints);
    EXPECT_EQ(layout.columns[0].hint, "客户名称");
    EXPECT_EQ(layout.columns[1].hint, "代码");      // defaults to the caption
    EXPECT_EQ(layout.columns[2].hint, "空白");      // the filler looks up "Hint"

    layout = build(grid + "[MoneyDBTestIndex]\nName=IdxName\nFields=Name\n");
    EXPECT_TRUE(layout.logLines.empty());
    EXPECT_FALSE(layout.index);

    layout = build(grid + "[MoneyDBTestIndex]\nName=IdxName\nFields=Name\nDesc=2\n");
    ASSERT_EQ(layout.logLines.size(), 1u);
    EXPECT_EQ(layout.logLines[0].rfind(grid_log::kIndexFailed, 0), 0u);
    EXPECT_FALSE(table.hasIndex("IdxName"));

    layout = build(grid + "[MoneyDBTestIndex]\nName=IdxName\nFields=Nope\nDesc=0\n");
    ASSERT_EQ(layout.logLines.size(), 1u);
    EXPECT_EQ(layout.logLines[0].rfind(grid_log::kIndexFailed, 0), 0u);
}

TEST_F(GridLayoutTest, MenuNeedsExactlyTenValues) {
    const std::string menu = "[GridMenu]\n1\n2\n3\n4\np05= 导出 \n6=Excel\n7=HTML\n8=文本\n9=打印\n10\n"
                             "[GridMenuIcon]\np05=3\np06=$A\n";
    auto built = BuildGridMenu(Ini(menu));
    ASSERT_TRUE(built);
    EXPECT_EQ(built->exportMenu.name, "p05");
    EXPECT_EQ(built->exportMenu.caption, "导出");
    EXPECT_EQ(built->exportMenu.imageIndex, 3);
    ASSERT_EQ(built->exportItems.size(), 3u);
    EXPECT_EQ(built->exportItems[2].name, "p0503");
    EXPECT_EQ(built->exportItems[2].caption, "文本");
    EXPECT_EQ(built->exportItems[0].imageIndex, -1);
    EXPECT_EQ(built->printItem.caption, "打印");
    EXPECT_EQ(built->printItem.imageIndex, 10);
    EXPECT_FALSE(BuildGridMenu(Ini("[GridMenu]\n1\n2\n3\n4\n5\n6\n7\n8\n9\n")));
    EXPECT_FALSE(BuildGridMenu(Ini("[GridMenu]\n1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n")));
}

TEST_F(GridLayoutTest, FormattingFromBankIniWritesTheFailuresToTheDailyLog) {
    test::ScopedAppPath app(folder);
    std::tm tm{};
    tm.tm_year = 2024 - 1900, tm.tm_mon = 2, tm.tm_mday = 5, tm.tm_hour = 12, tm.tm_isdst = -1;
    const auto when = std::chrono::system_clock::from_time_t(std::mktime(&tm));
    SetClockForTesting([when] { return when; });
    folder.write("Bank.ini", Utf8ToGbk("[MoneyDBTest]\nColWidth=1\n").value());
    auto param = TGridParam::Load();
    ASSERT_TRUE(param);
    const auto layout = FormatGridLayout("MoneyDBTest", {}, *param, {}, nullptr);
    SetClockForTesting({});
    EXPECT_FALSE(layout.createProcessFlag);
    const std::string expected = "20240305: " + std::string(grid_log::kFormatFailed) +
                                 "the grid section [MoneyDBTest] has 1 lines; nine header lines are needed\r\n";
    EXPECT_EQ(folder.read("logs/20240305.txt"), Utf8ToGbk(expected).value());
}

}  // namespace
}  // namespace vantrel
