#include "grid/GridLayout.h"
#include "grid/TGridParam.h"

#include "common/AppPaths.h"
#include "common/Profile.h"
#include "common/TextCodec.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vantrel {
namespace {

class GridParamTest : public ::testing::Test {
protected:
    void writeIni(const std::string& utf8) { folder.write("Bank.ini", Utf8ToGbk(utf8).value()); }
    TGridParam load() {
        auto param = TGridParam::Load();
        EXPECT_TRUE(param) << param.error();
        return std::move(param).value();
    }

    GridTexts texts(const TGridParam& param) const {
        return LoadGridTexts(Profile::Load(folder.path() / "Bank.ini"), param);
    }

    test::TestFolder folder;
    test::ScopedAppPath app{folder};
};

// The colour settings a case expects, by their reader.
struct ColorCase {
    const char* name;
    int32_t (TGridParam::*read)() const;
    int32_t expected;
};

void ExpectColors(const TGridParam& param, std::initializer_list<ColorCase> cases) {
    for (const auto& [name, read, expected] : cases) EXPECT_EQ((param.*read)(), expected) << name;
}

TEST_F(GridParamTest, WithoutBankIniTheBuiltInStylesApplyAndEverythingIsOff) {
    const TGridParam param = load();
    EXPECT_EQ(param.resPath(), folder.appPath() + "res" + kPathDelimiter);
    EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "res"));

    const TGridStyle& footer = param.footerStyle();
    EXPECT_EQ(footer.Font.name, "宋体");
    EXPECT_EQ(footer.Font.charset, 134);
    EXPECT_EQ(footer.Font.size, 9);
    EXPECT_EQ(footer.Font.color, 255);  // red
    EXPECT_EQ(footer.Color, 12639424);
    EXPECT_EQ(footer.RowHeight, 20);
    EXPECT_EQ(param.dataStyle().Color, 16777215);
    EXPECT_EQ(param.headerStyle().Color, -16777201);

    EXPECT_FALSE(param.fixed3DFlag());
    EXPECT_FALSE(param.footerCountFlag());
    ExpectColors(param, {{"SelectColor", &TGridParam::selectColor, 0},
                         {"TitleUpColor", &TGridParam::titleUpColor, 0},
                         {"TitleLineColor", &TGridParam::titleLineColor, 8421504},
                         {"DataLineColor", &TGridParam::dataLineColor, 12632256}});

    EXPECT_EQ(texts(param).totalCaption, "");
    EXPECT_EQ(texts(param).buttonGlyphFileName, "");
}

TEST_F(GridParamTest, WithBankIniAnEmptyStyleSectionReadsAsTheBankIniDefaults) {
    writeIni("[FooterStyle]\n[GridParam]\nChangeDataColorFlag=1\n");
    const TGridParam param = load();
    const TGridStyle& footer = param.footerStyle();
    EXPECT_EQ(footer.Font.name, "宋体");
    EXPECT_EQ(footer.Font.size, 9);
    EXPECT_EQ(footer.Font.color, 0);  // black, not the built-in red
    EXPECT_EQ(footer.Color, -16777201);
    EXPECT_EQ(footer.RowHeight, 21);
    // Sections that are not there at all read the same way.
    EXPECT_EQ(param.dataStyle(), footer);

    EXPECT_TRUE(param.fixed3DFlag());  // absent key: on
    EXPECT_TRUE(param.changeDataColorFlag());
    ExpectColors(param, {{"TitleUpColor", &TGridParam::titleUpColor, -16777201},
                         {"OldColor", &TGridParam::oldColor, 16777215},
                         {"SelectColor", &TGridParam::selectColor, 12639424},
                         {"CheckedColor", &TGridParam::checkedColor, 12639424}});

    EXPECT_EQ(texts(param).totalCaption, "合计");
    EXPECT_EQ(texts(param).buttonGlyphFileName, "");
}

TEST_F(GridParamTest, ReadsKeysInEveryIntegerFormAndFallsBackOnUnreadableOnes) {
    writeIni("[GridParam]\nFixed3DFlag=0\nSelectColor=$FF0000\nEvenColor=0xC0C0C0\nOldColor=abc\n"
             "TitleHotColor=$FF00000F\nLinesFlag=2\nTotalCN=总计\nButtonBMPFile=btn.bmp\n"
             "[DataStyle]\nFontBold=1\nFontDelLine=1\nFontName=Arial\nFontSize=12\nTextColor=255\n"
             "RowHeight=x\nColor=clRed\n");
    const TGridParam param = load();
    EXPECT_FALSE(param.fixed3DFlag());
    EXPECT_TRUE(param.linesFlag());
    ExpectColors(param, {{"SelectColor", &TGridParam::selectColor, 0xFF0000},
                         {"EvenColor", &TGridParam::evenColor, 12632256},
                         {"OldColor", &TGridParam::oldColor, 16777215},
                         {"TitleHotColor", &TGridParam::titleHotColor, -16777201}});

    const GridFont& font = param.dataStyle().Font;
    EXPECT_TRUE(font.bold);
    EXPECT_TRUE(font.strikeOut);
    EXPECT_FALSE(font.italic);
    EXPECT_FALSE(font.underline);
    EXPECT_EQ(font.name, "Arial");
    EXPECT_EQ(font.size, 12);
    EXPECT_EQ(font.color, 255);
    EXPECT_EQ(param.dataStyle().RowHeight, 21);
    EXPECT_EQ(param.dataStyle().Color, -16777201);  // names are not integers here

    const GridTexts read = texts(param);
    EXPECT_EQ(read.totalCaption, "总计");
    EXPECT_EQ(read.buttonGlyphFileName, folder.appPath() + "res" + kPathDelimiter + "btn.bmp");
}

TEST_F(GridParamTest, SettersChangeOnlyTheirField) {
    TGridParam param = load();
    param.setFooterCountFlag(true);
    param.setEvenColor(12632256);
    EXPECT_TRUE(param.footerCountFlag());
    EXPECT_EQ(param.evenColor(), 12632256);
    EXPECT_EQ(param.oldColor(), 0);
}

TEST_F(GridParamTest, AResFolderThatCannotBeCreatedIsAnError) {
    folder.write("res", "a file in the way");
    auto param = TGridParam::Load();
    ASSERT_FALSE(param);
    EXPECT_NE(param.error().find("res"), std::string::npos) << param.error();
}

}  // namespace
}  // namespace vantrel
