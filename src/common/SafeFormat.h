#pragma once
// Safe formatter for patterns that come from Bank.ini or a server.
//
// Placeholder: '%' [index ':'] ['-'] [width] ['.' precision] type
//   d  integer; precision = minimum digits (zero-padded)
//   u  integer shown unsigned (a negative value shows its 64-bit two's complement)
//   x  integer in upper-case hexadecimal; precision = minimum digits
//   s  text; precision = maximum display columns
//   f  fixed point, precision default 2 ("%.f" = no decimals)
//   n  like f, with ',' thousands separators
//   e  scientific "d.ddd…E+ddd", precision = significant digits, default 15
//   g  shorter of fixed and scientific, precision = significant digits, default 15
//   %% a literal percent sign
// Type letters are case-insensitive. Width and precision may be '*', taking the
// next argument (an integer 0..kMaxFormatWidth). The index is zero-based and
// moves the argument position; later placeholders continue after it.
//
// Width and the %s precision count display columns of the GBK screen font:
// ASCII is one column, every other character two. Texts are cut only between
// UTF-8 sequences.
//
// Anything that does not match (too few arguments, a number for %s, an integer
// for %f, an unknown type, a pattern ending inside a placeholder, a width
// above the limit) is an Error naming the offset of the placeholder; nothing
// reads past the arguments. Unused arguments are fine.
//
// Floating point values are taken to 15 significant digits and then rounded
// half away from zero, so 12.345 shows as "12.35" and -0.005 as "-0.01"
// (as a person writes them, not as the nearest binary value would round).
// A value that rounds to zero is shown without a sign. Output never depends
// on the C or C++ locale.
#include "common/Result.h"

#include <concepts>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

namespace vantrel {

// Width and precision above this are refused, so a hostile pattern cannot
// ask for huge padding.
inline constexpr int kMaxFormatWidth = 1024;

// One argument of a format call: a text, a 64-bit integer or a double.
// Unsigned 64-bit values keep their own alternative so that values above
// INT64_MAX are not shown as negative.
struct FormatArg {
    std::variant<std::string, std::int64_t, std::uint64_t, double> value;

    FormatArg(std::string text) : value(std::move(text)) {}
    FormatArg(std::string_view text) : value(std::string(text)) {}
    FormatArg(const char* text) : value(std::string(text ? text : "")) {}
    // A single char is a one-character text, as in the classic Format.
    FormatArg(char c) : value(std::string(1, c)) {}
    FormatArg(double number) : value(number) {}

    template <std::integral T>
        requires(!std::same_as<T, bool> && !std::same_as<T, char> && !std::same_as<T, wchar_t> &&
                 !std::same_as<T, char8_t> && !std::same_as<T, char16_t> &&
                 !std::same_as<T, char32_t>)
    FormatArg(T number) {
        if constexpr (std::is_unsigned_v<T> && sizeof(T) >= sizeof(std::uint64_t))
            value = static_cast<std::uint64_t>(number);
        else
            value = static_cast<std::int64_t>(number);
    }

    // A bool (or a pointer that would decay to one) is a mistake, not a number.
    FormatArg(bool) = delete;

    bool isText() const { return std::holds_alternative<std::string>(value); }
    bool isInteger() const {
        return std::holds_alternative<std::int64_t>(value) || std::holds_alternative<std::uint64_t>(value);
    }
    bool isFloat() const { return std::holds_alternative<double>(value); }
};

Result<std::string> SafeFormat(std::string_view pattern, std::span<const FormatArg> args);

template <class... A>
Result<std::string> Format(std::string_view pattern, A&&... args) {
    if constexpr (sizeof...(A) == 0) {
        return SafeFormat(pattern, {});
    } else {
        const FormatArg list[] = {FormatArg(std::forward<A>(args))...};
        return SafeFormat(pattern, list);
    }
}

// What Format("%.*f", places, value) gives, without reading a pattern: for
// callers that format every cell of a column.
std::string FixedDecimal(double value, int places);
// The number FixedDecimal writes, in units of 10^-places (1234.5 with 4
// places gives 12345000); none when it is not finite or beyond 64 bits.
std::optional<std::int64_t> FixedDecimalUnits(double value, int places);

// The quick road to both: the value in units of 10^-places when its shortest
// decimal has at most that many places and 15 digits (an amount as it was
// written, "1234.5" with 2 places gives 123450); otherwise none. Places 0-15.
std::optional<std::int64_t> ExactDecimalUnits(double value, int places);
// Writes units as FixedDecimal writes them ("-1234.50"), at most
// kMaxFixedUnitsText bytes; returns the bytes written.
constexpr std::size_t kMaxFixedUnitsText = 40;
std::size_t WriteFixedUnits(char* out, std::int64_t units, int places);

// Display columns of a UTF-8 text in the GBK screen font (ASCII 1, others 2).
std::size_t DisplayColumns(std::string_view text);

// The longest prefix of text that fits in maxColumns, cut between characters.
std::string_view CutToColumns(std::string_view text, std::size_t maxColumns);

}  // namespace vantrel
