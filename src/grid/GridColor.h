#pragma once
// Grid colours as Bank.ini writes them: 0x00BBGGRR for an RGB colour (red in
// the low byte), 0xFF0000nn for system colour nn, or a colour name.
#include "common/Result.h"

#include <cstdint>
#include <string_view>

namespace vantrel {

// An integer written as any Bank.ini grid integer (decimal, or hexadecimal
// after "$" or "0x"; a number above 0x7FFFFFFF up to 0xFFFFFFFF is taken as
// the 32-bit pattern, so "$FF00000F" is system colour 15) or a colour name such as
// "clMoneyGreen" (case-insensitive). Anything else is an error naming the text.
Result<int32_t> ParseGridColor(std::string_view text);

constexpr bool IsSystemColor(int32_t color) {
    return (static_cast<uint32_t>(color) & 0xFF000000u) == 0xFF000000u;
}

// The system colour's number (low byte), or -1 for any other colour.
constexpr int SystemColorIndex(int32_t color) {
    return IsSystemColor(color) ? static_cast<int>(static_cast<uint32_t>(color) & 0xFFu) : -1;
}

}  // namespace vantrel
