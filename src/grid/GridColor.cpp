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

constexpr uint32_t System(uint32_t index) { return 0xFF000000u | index; }

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
    NamedColor{"clScrollBar", System(0)},   NamedColor{"clBackground", System(1)},
    NamedColor{"clActiveCaption", System(2)},
    NamedColor{"clInactiveCaption", System(3)},
    NamedColor{"clMenu", System(4)},        NamedColor{"clWindow", System(5)},
    NamedColor{"clWindowFrame", System(6)}, NamedColor{"clMenuText", System(7)},
    NamedColor{"clWindowText", System(8)},  NamedColor{"clCaptionText", System(9)},
    NamedColor{"clActiveBorder", System(10)},
    NamedColor{"clInactiveBorder", System(11)},
    NamedColor{"clAppWorkSpace", System(12)},
    NamedColor{"clHighlight", System(13)},  NamedColor{"clHighlightText", System(14)},
    NamedColor{"clBtnFace", System(15)},    NamedColor{"clBtnShadow", System(16)},
    NamedColor{"clGrayText", System(17)},   NamedColor{"clBtnText", System(18)},
    NamedColor{"clInactiveCaptionText", System(19)},
    NamedColor{"clBtnHighlight", System(20)},
    NamedColor{"cl3DDkShadow", System(21)}, NamedColor{"cl3DLight", System(22)},
    NamedColor{"clInfoText", System(23)},   NamedColor{"clInfoBk", System(24)},
    NamedColor{"clHotLight", System(26)},
    NamedColor{"clGradientActiveCaption", System(27)},
    NamedColor{"clGradientInactiveCaption", System(28)},
    NamedColor{"clMenuHighlight", System(29)},
    NamedColor{"clMenuBar", System(30)},
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
    return Error{"\"" + std::string(text) + "\" is neither a colour number nor a colour name"};
}

}  // namespace vantrel
