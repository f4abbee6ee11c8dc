#include "grid/GridColor.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

static_assert(IsSystemColor(-16777201) && SystemColorIndex(-16777201) == 15);
static_assert(!IsSystemColor(0xFFFFFF) && SystemColorIndex(0xFFFFFF) == -1);

TEST(GridColor, ParsesNumbersAndNames) {
    struct Case {
        const char* text;
        int32_t color;
    };
    const Case cases[] = {
        {"clMoneyGreen", 12639424},
        {"255", 255},                       // red
        {"$FF0000", 0xFF0000},              // blue
        {"0xC0DCC0", 12639424},
        {" -16777201 ", -16777201},         // button face
        {"$FF00000F", -16777201},           // the same, as a 32-bit pattern
        {"CLBTNFACE", -16777201},
        {"clmenubar", static_cast<int32_t>(0xFF00001E)},
        {"clNone", 0x1FFFFFFF},
        {"clDefault", 0x20000000},
        {"clRed", 0x0000FF},
        {"clSkyBlue", 0xF0CAA6},
    };
    for (const auto& c : cases) {
        auto color = ParseGridColor(c.text);
        ASSERT_TRUE(color) << c.text << ": " << color.error();
        EXPECT_EQ(*color, c.color) << c.text;
    }
}

TEST(GridColor, RefusesAnythingElseNamingTheText) {
    for (const char* text : {"clPink", "", "$", "0x", "12px", "$1FFFFFFFF", "cl Red", "clHotLight2"}) {
        auto color = ParseGridColor(text);
        ASSERT_FALSE(color) << text;
        EXPECT_NE(color.error().find(std::string("\"") + text + "\""), std::string::npos) << color.error();
    }
}

}  // namespace
}  // namespace vantrel
