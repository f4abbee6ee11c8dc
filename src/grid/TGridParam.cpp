#include "grid/TGridParam.h"

#include "common/AppPaths.h"
#include "common/Profile.h"
#include "grid/GridColor.h"

#include <limits>

namespace vantrel {

std::optional<int32_t> ReadGridInteger(const Profile& ini, std::string_view section, std::string_view key) {
    auto number = ini.readGridInteger(section, key);
    if (!number || *number < std::numeric_limits<int32_t>::min() || *number > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return static_cast<int32_t>(*number);
}

std::optional<int32_t> ReadGridColorKey(const Profile& ini, std::string_view section, std::string_view key) {
    auto text = ini.value(section, key);
    // Only numbers here: a colour name in [GridParam] reads as unreadable.
    if (!text || !ParseProfileGridInteger(*text)) return std::nullopt;
    auto color = ParseGridColor(*text);
    return color ? std::optional<int32_t>(*color) : std::nullopt;
}

namespace {

TGridStyle BuiltInStyle(int32_t fontColor, int32_t color) {
    TGridStyle style;
    style.Font.color = fontColor;
    style.Color = color;
    style.RowHeight = 20;
    return style;
}

bool ReadFlag(const Profile& ini, std::string_view section, std::string_view key, bool def) {
    auto number = ReadGridInteger(ini, section, key);
    return number ? *number != 0 : def;
}

}  // namespace

TGridStyle BuiltInHeaderStyle() { return BuiltInStyle(0, kButtonFaceColor); }
TGridStyle BuiltInDataStyle() { return BuiltInStyle(0, kWhiteColor); }
TGridStyle BuiltInFooterStyle() { return BuiltInStyle(255, kMoneyGreenColor); }

TGridStyle ReadGridStyle(const Profile& ini, const char* section) {
    TGridStyle style;  // the Bank.ini defaults
    GridFont& font = style.Font;
    font.charset = ReadGridInteger(ini, section, "FontCharset").value_or(134);
    font.name = ini.readString(section, "FontName", "宋体");
    font.color = ReadGridColorKey(ini, section, "TextColor").value_or(0);
    font.size = ReadGridInteger(ini, section, "FontSize").value_or(9);
    font.bold = ReadFlag(ini, section, "FontBold", false);
    font.italic = ReadFlag(ini, section, "FontItalic", false);
    font.underline = ReadFlag(ini, section, "FontUnderLine", false);
    font.strikeOut = ReadFlag(ini, section, "FontDelLine", false);
    style.Color = ReadGridColorKey(ini, section, "Color").value_or(kButtonFaceColor);
    style.RowHeight = ReadGridInteger(ini, section, "RowHeight").value_or(21);
    return style;
}

Result<TGridParam> TGridParam::Load() {
    return Load(Profile::Load(PathFromUtf8(BankIniPath())), AppPath());
}

Result<TGridParam> TGridParam::Load(const Profile& ini, const std::string& appPath) {
    TGridParam param;
    param.appPath_ = appPath;
    // The folder delimiter AppPath ends with, so res/ matches logs/.
    const char delimiter = appPath.empty() ? kPathDelimiter : appPath.back();
    param.resPath_ = appPath + "res" + delimiter;
    if (auto made = EnsureFolder(param.resPath_); !made) return Error{made.error()};

    const bool exists = ini.fileExists();
    param.headerStyle_ = exists ? ReadGridStyle(ini, "HeaderStyle") : BuiltInHeaderStyle();
    param.dataStyle_ = exists ? ReadGridStyle(ini, "DataStyle") : BuiltInDataStyle();
    param.footerStyle_ = exists ? ReadGridStyle(ini, "FooterStyle") : BuiltInFooterStyle();
    // [SelFont] has no built-in style of its own; the header's stands in.
    param.selFont_ = exists ? ReadGridStyle(ini, "SelFont") : BuiltInHeaderStyle();
    if (!exists) return param;

    const char* s = "GridParam";
    auto color = [&](const char* key, int32_t def) { return ReadGridColorKey(ini, s, key).value_or(def); };
    param.titleUpColor_ = color("TitleUpColor", kButtonFaceColor);
    param.titleHotColor_ = color("TitleHotColor", kButtonFaceColor);
    param.oldColor_ = color("OldColor", kWhiteColor);
    param.evenColor_ = color("EvenColor", kWhiteColor);
    param.selectColor_ = color("SelectColor", kMoneyGreenColor);
    param.focusColColor_ = color("FocusColColor", kMoneyGreenColor);
    param.checkedColor_ = color("CheckedColor", kMoneyGreenColor);
    param.titleLineColor_ = color("TitleLineColor", kGrayColor);
    param.dataLineColor_ = color("DataLineColor", kSilverColor);

    param.changeHeadColorFlag_ = ReadFlag(ini, s, "ChangeHeadColorFlag", false);
    param.changeDataColorFlag_ = ReadFlag(ini, s, "ChangeDataColorFlag", false);
    param.fixed3DFlag_ = ReadFlag(ini, s, "Fixed3DFlag", true);
    param.linesFlag_ = ReadFlag(ini, s, "LinesFlag", false);
    param.rowSelectFlag_ = ReadFlag(ini, s, "RowSelectFlag", false);
    param.footerCountFlag_ = ReadFlag(ini, s, "FooterCountFlag", false);
    param.createIndexFlag_ = ReadFlag(ini, s, "CreateIndexFlag", false);
    param.columnsHintFlag_ = ReadFlag(ini, s, "ColumnsHintFlag", false);
    return param;
}

}  // namespace vantrel
