#include "grid/GridColor.h"

#include "common/Profile.h"
#include "common/ProfileText.h"

#include <array>
#include <string>

namespace vantrel {

namespace {

struct NamedColor {
    std::string_view name;
    uint32_t value;
};

constexpr std::array kNamedColors{
    NamedColor{"clBlack", 0x000000},        NamedColor{"clMaroon", 0x000080},
    NamedColor{"clGreen", 0x008000},        NamedColor{"clOlive", 0x008080},
    NamedColor{"clNavy", 0x800000},         NamedColor{"clPurple", 0x800080},
    NamedColor{"clTeal", 0x808000},         NamedColor{"clGray", 0x808080},
    NamedColor{"clSilver", 0xC0C0C0},       NamedColor{"clRed", 0x0000FF},
    NamedColor{"clLime", 0x00FF00},         NamedColor{"clYellow", 0x00FFFF},
    NamedColor{"clBlue", 0xFF0000},         NamedColor{"clFuchsia", 0xFF00FF},
    NamedColor{"clAqua", 0xFFFF00},         NamedColor{"clWhite", 0xFFFFFF},
    NamedColor{"clMoneyGreen", 0xC0DCC0},   NamedColor{"clSkyBlue", 0xF0CAA6},
    NamedColor{"clCream", 0xF0FBFF},        NamedColor{"clMedGray", 0xA4A0A0},
    NamedColor{"clNone", 0x1FFFFFFF},       NamedColor{"clDefault", 0x20000000},
};

// The system colours: a name's place in the list is its number behind
// 0xFF000000 (25 has none).
constexpr std::array<std::string_view, 31> kSystemColors{
    "clScrollBar", "clBackground", "clActiveCaption", "clInactiveCaption", "clMenu", "clWindow", "clWindowFrame",
    "clMenuText", "clWindowText", "clCaptionText", "clActiveBorder", "clInactiveBorder", "clAppWorkSpace",
    "clHighlight", "clHighlightText", "clBtnFace", "clBtnShadow", "clGrayText", "clBtnText",
    "clInactiveCaptionText", "clBtnHighlight", "cl3DDkShadow", "cl3DLight", "clInfoText", "clInfoBk", "",
    "clHotLight", "clGradientActiveCaption", "clGradientInactiveCaption", "clMenuHighlight", "clMenuBar",
};

}  // namespace

Result<int32_t> ParseGridColor(std::string_view text) {
    const auto trimmed = TrimView(text);
    if (auto number = ParseProfileGridInteger(trimmed)) {
        if (*number >= INT32_MIN && *number <= INT32_MAX) return static_cast<int32_t>(*number);
        // Unsigned hexadecimal such as $FF00000F names the same 32-bit colour.
        if (*number > INT32_MAX && *number <= static_cast<int64_t>(UINT32_MAX))
            return static_cast<int32_t>(static_cast<uint32_t>(*number));
        return Error{"the colour \"" + std::string(text) + "\" is out of range"};
    }
    for (const auto& named : kNamedColors)
        if (EqualsNoCase(named.name, trimmed)) return static_cast<int32_t>(named.value);
    for (std::size_t index = 0; index < kSystemColors.size(); ++index)
        if (!kSystemColors[index].empty() && EqualsNoCase(kSystemColors[index], trimmed))
            return static_cast<int32_t>(0xFF000000u | index);
    return Error{"\"" + std::string(text) + "\" is neither a colour number nor a colour name"};
}

}  // namespace vantrel
