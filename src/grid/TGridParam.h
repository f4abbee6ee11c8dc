#pragma once
// The look and the switchable behaviours shared by every result grid, read
// once from Bank.ini when a formatter is created.
#include "common/Result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

class Profile;

// A font as Bank.ini describes it; the Qt view maps it to a QFont.
struct GridFont {
    std::string name = "宋体";
    int charset = 134;  // GB2312
    int size = 9;       // points
    int32_t color = 0;  // 0x00BBGGRR
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;

    bool operator==(const GridFont&) const = default;
};

// One of [HeaderStyle], [DataStyle], [FooterStyle], [SelFont].
struct TGridStyle {
    GridFont Font;
    int32_t Color = -16777201;  // button face
    int RowHeight = 21;

    bool operator==(const TGridStyle&) const = default;
};

// Colour values the defaults use.
inline constexpr int32_t kButtonFaceColor = -16777201;
inline constexpr int32_t kWhiteColor = 16777215;
inline constexpr int32_t kMoneyGreenColor = 12639424;
inline constexpr int32_t kGrayColor = 8421504;
inline constexpr int32_t kSilverColor = 12632256;

// The style a section gives when Bank.ini exists (an empty section reads as
// these defaults), and the built-in styles used when Bank.ini is missing.
TGridStyle ReadGridStyle(const Profile& ini, const char* section);
TGridStyle BuiltInHeaderStyle();
TGridStyle BuiltInDataStyle();
TGridStyle BuiltInFooterStyle();

class TGridParam {
public:
    // Reads AppPath() + "Bank.ini" and creates AppPath() + "res/"; failing to
    // create that folder is the only error.
    static Result<TGridParam> Load();
    // The same from a snapshot of Bank.ini (fileExists() decides which set of
    // defaults applies) and a given application folder.
    static Result<TGridParam> Load(const Profile& ini, const std::string& appPath);

    const std::string& appPath() const { return appPath_; }
    const std::string& resPath() const { return resPath_; }

    const TGridStyle& headerStyle() const { return headerStyle_; }
    const TGridStyle& dataStyle() const { return dataStyle_; }
    const TGridStyle& footerStyle() const { return footerStyle_; }
    const TGridStyle& selFont() const { return selFont_; }

    int32_t titleUpColor() const { return titleUpColor_; }
    int32_t titleHotColor() const { return titleHotColor_; }
    int32_t oldColor() const { return oldColor_; }
    int32_t evenColor() const { return evenColor_; }
    int32_t selectColor() const { return selectColor_; }
    int32_t focusColColor() const { return focusColColor_; }
    int32_t checkedColor() const { return checkedColor_; }
    int32_t titleLineColor() const { return titleLineColor_; }
    int32_t dataLineColor() const { return dataLineColor_; }

    bool changeHeadColorFlag() const { return changeHeadColorFlag_; }
    bool changeDataColorFlag() const { return changeDataColorFlag_; }
    bool fixed3DFlag() const { return fixed3DFlag_; }
    bool linesFlag() const { return linesFlag_; }
    bool rowSelectFlag() const { return rowSelectFlag_; }
    bool footerCountFlag() const { return footerCountFlag_; }
    bool createIndexFlag() const { return createIndexFlag_; }
    bool columnsHintFlag() const { return columnsHintFlag_; }

    void setTitleUpColor(int32_t c) { titleUpColor_ = c; }
    void setTitleHotColor(int32_t c) { titleHotColor_ = c; }
    void setOldColor(int32_t c) { oldColor_ = c; }
    void setEvenColor(int32_t c) { evenColor_ = c; }
    void setSelectColor(int32_t c) { selectColor_ = c; }
    void setFocusColColor(int32_t c) { focusColColor_ = c; }
    void setCheckedColor(int32_t c) { checkedColor_ = c; }
    void setTitleLineColor(int32_t c) { titleLineColor_ = c; }
    void setDataLineColor(int32_t c) { dataLineColor_ = c; }

    void setChangeHeadColorFlag(bool on) { changeHeadColorFlag_ = on; }
    void setChangeDataColorFlag(bool on) { changeDataColorFlag_ = on; }
    void setFixed3DFlag(bool on) { fixed3DFlag_ = on; }
    void setLinesFlag(bool on) { linesFlag_ = on; }
    void setRowSelectFlag(bool on) { rowSelectFlag_ = on; }
    void setFooterCountFlag(bool on) { footerCountFlag_ = on; }
    void setCreateIndexFlag(bool on) { createIndexFlag_ = on; }
    void setColumnsHintFlag(bool on) { columnsHintFlag_ = on; }

private:
    TGridParam() = default;

    std::string appPath_;
    std::string resPath_;
    TGridStyle headerStyle_;
    TGridStyle dataStyle_;
    TGridStyle footerStyle_;
    TGridStyle selFont_;

    // Without Bank.ini every colour is 0 but the two line colours, and every
    // flag is false; Load puts the Bank.ini defaults in when the file exists.
    int32_t titleUpColor_ = 0;
    int32_t titleHotColor_ = 0;
    int32_t oldColor_ = 0;
    int32_t evenColor_ = 0;
    int32_t selectColor_ = 0;
    int32_t focusColColor_ = 0;
    int32_t checkedColor_ = 0;
    int32_t titleLineColor_ = kGrayColor;
    int32_t dataLineColor_ = kSilverColor;

    bool changeHeadColorFlag_ = false;
    bool changeDataColorFlag_ = false;
    bool fixed3DFlag_ = false;
    bool linesFlag_ = false;
    bool rowSelectFlag_ = false;
    bool footerCountFlag_ = false;
    bool createIndexFlag_ = false;
    bool columnsHintFlag_ = false;
};

// A [GridParam]-style integer (decimal, or hexadecimal after "$" or "0x")
// that fits in 32 bits; none when the key is absent or unreadable.
std::optional<int32_t> ReadGridInteger(const Profile& ini, std::string_view section, std::string_view key);
// A colour key: such an integer, where a hexadecimal pattern up to
// $FFFFFFFF is taken as the 32-bit colour ($FF00000F = button face).
std::optional<int32_t> ReadGridColorKey(const Profile& ini, std::string_view section, std::string_view key);

}  // namespace vantrel
