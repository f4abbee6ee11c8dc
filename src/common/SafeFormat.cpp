#include "common/SafeFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace vantrel {
namespace {

// Significant digits a double is taken to before decimal rounding; beyond
// this a double holds noise, not what the amount was written as.
constexpr int kFloatDigits = 15;
constexpr int kDefaultFixedPlaces = 2;

// Bytes of the UTF-8 sequence starting at text[i], or 1 for a byte that does
// not start a complete sequence (it is then treated as one character).
std::size_t SequenceLength(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (length == 1 || i + length > text.size()) return 1;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 1;
    return length;
}

std::size_t ColumnsAt(std::string_view text, std::size_t i) {
    return static_cast<unsigned char>(text[i]) < 0x80 ? 1 : 2;
}

std::string Digits(std::uint64_t value, int base) {
    char buffer[24];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, base);
    std::string text(buffer, written.ptr);
    for (char& c : text)
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// Pads a digit string with leading zeros to at least `minimum` digits.
std::string ZeroPadded(std::string digits, int minimum) {
    if (static_cast<int>(digits.size()) < minimum)
        digits.insert(0, static_cast<std::size_t>(minimum) - digits.size(), '0');
    return digits;
}

// "E+ddd": sign always, at least three exponent digits.
std::string ExponentText(int exponent) {
    std::string text = exponent < 0 ? "E-" : "E+";
    return text + ZeroPadded(Digits(static_cast<std::uint64_t>(std::abs(exponent)), 10), 3);
}

// A decimal number: digits[0] has the place value 10^exponent.
struct Decimal {
    bool negative = false;
    std::string digits;  // no leading or trailing zeros; empty means zero
    int exponent = 0;
};

void DropTrailingZeros(Decimal& d) {
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
}

Decimal ToDecimal(double value) {
    Decimal d;
    d.negative = std::signbit(value);
    if (value == 0) return d;
    char buffer[64];
    // The shortest text that reads back to the value is, when it has at most
    // 15 digits, also the value rounded to 15 digits: a double's spacing is
    // finer than that of 15-digit decimals. It is much quicker to make.
    auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific);
    const auto mantissa = std::string_view(buffer, static_cast<std::size_t>(written.ptr - buffer)).find('e');
    if (mantissa > static_cast<std::size_t>(kFloatDigits) + 1)  // digits and the point
        written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific,
                                kFloatDigits - 1);
    // "d.dddddddddddddde+XX"
    const std::string_view text(buffer, static_cast<std::size_t>(written.ptr - buffer));
    const auto e = text.find('e');
    for (char c : text.substr(0, e))
        if (c != '.') d.digits += c;
    std::size_t p = e + 1;
    const bool negativeExponent = text[p] == '-';
    if (text[p] == '-' || text[p] == '+') ++p;
    int exponent = 0;
    std::from_chars(text.data() + p, text.data() + text.size(), exponent);
    d.exponent = negativeExponent ? -exponent : exponent;
    DropTrailingZeros(d);
    return d;
}

// Keeps the first `keep` significant digits, rounding half away from zero.
void RoundToDigits(Decimal& d, int keep) {
    if (keep >= static_cast<int>(d.digits.size())) return;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') d.digits[static_cast<std::size_t>(i--)] = '0';
        if (i < 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        } else {
            ++d.digits[static_cast<std::size_t>(i)];
        }
    }
    DropTrailingZeros(d);
}

char DigitAt(const Decimal& d, int place) {  // digit with place value 10^place
    const int i = d.exponent - place;
    return i >= 0 && i < static_cast<int>(d.digits.size()) ? d.digits[static_cast<std::size_t>(i)] : '0';
}

std::string Sign(const Decimal& d) { return d.negative && !d.digits.empty() ? "-" : ""; }

std::string FixedText(Decimal d, int places, bool grouping) {
    RoundToDigits(d, d.exponent + places + 1);
    std::string whole;
    const int top = d.digits.empty() ? 0 : std::max(d.exponent, 0);
    for (int place = top; place >= 0; --place) {
        whole += DigitAt(d, place);
        if (grouping && place > 0 && place % 3 == 0) whole += ',';
    }
    std::string text = Sign(d) + whole;
    if (places > 0) {
        text += '.';
        for (int place = -1; place >= -places; --place) text += DigitAt(d, place);
    }
    return text;
}



std::string ScientificText(Decimal d, int significant) {
    significant = std::max(significant, 1);
    RoundToDigits(d, significant);
    std::string text = Sign(d);
    text += d.digits.empty() ? '0' : d.digits[0];
    if (significant > 1) {
        text += '.';
        for (int i = 1; i < significant; ++i)
            text += i < static_cast<int>(d.digits.size()) ? d.digits[static_cast<std::size_t>(i)] : '0';
    }
    return text + ExponentText(d.digits.empty() ? 0 : d.exponent);
}

// Fixed notation for moderate values, scientific otherwise; no trailing zeros.
std::string GeneralText(Decimal d, int significant) {
    significant = std::clamp(significant, 1, kFloatDigits);
    RoundToDigits(d, significant);
    if (d.digits.empty()) return "0";
    const int count = static_cast<int>(d.digits.size());
    std::string text = Sign(d);
    if (d.exponent >= significant || d.exponent < -5) {
        text += d.digits[0];
        if (count > 1) text += '.' + d.digits.substr(1);
        return text + ExponentText(d.exponent);
    }
    const int lowest = std::min(d.exponent - count + 1, 0);
    for (int place = std::max(d.exponent, 0); place >= lowest; --place) {
        if (place == -1) text += '.';
        text += DigitAt(d, place);
    }
    return text;
}

std::string NonFiniteText(double value) {
    if (std::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

std::string Describe(const FormatArg& arg) {
    if (arg.isText()) return "a text";
    if (arg.isInteger()) return "an integer";
    return "a floating point number";
}

// The placeholder as written, shown safely inside an error message.
std::string Excerpt(std::string_view pattern, std::size_t start, std::size_t end) {
    constexpr std::size_t kMaxShown = 24;
    std::string shown;
    for (std::size_t i = start; i < end && i < pattern.size(); ++i) {
        if (i - start == kMaxShown) {
            shown += "...";
            break;
        }
        const auto c = static_cast<unsigned char>(pattern[i]);
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            shown += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            shown += escaped;
        }
    }
    return shown;
}

class Formatter {
public:
    Formatter(std::string_view pattern, std::span<const FormatArg> args) : pattern_(pattern), args_(args) {}

    Result<std::string> run() {
        std::string out;
        while (pos_ < pattern_.size()) {
            const auto percent = pattern_.find('%', pos_);
            out.append(pattern_.substr(pos_, percent - pos_));
            if (percent == std::string_view::npos) break;
            start_ = percent;
            pos_ = percent + 1;
            if (pos_ < pattern_.size() && pattern_[pos_] == '%') {
                out += '%';
                ++pos_;
                continue;
            }
            if (auto failure = placeholder(out)) return Error{*failure};
        }
        return out;
    }

private:
    using Failure = std::optional<std::string>;

    Failure fail(const std::string& what) const {
        return "format pattern, placeholder \"" + Excerpt(pattern_, start_, pos_ + 1) + "\" at offset " +
               std::to_string(start_) + ": " + what;
    }

    bool atEnd() const { return pos_ >= pattern_.size(); }
    bool isDigit() const { return !atEnd() && pattern_[pos_] >= '0' && pattern_[pos_] <= '9'; }

    // Reads decimal digits; saturates so that long digit runs cannot overflow.
    long long number() {
        long long value = 0;
        while (isDigit()) {
            value = std::min(value * 10 + (pattern_[pos_] - '0'), 1'000'000'000LL);
            ++pos_;
        }
        return value;
    }

    Failure take(const FormatArg*& arg) {
        if (next_ >= args_.size())
            return fail("needs argument " + std::to_string(next_) + " (counting from 0) but only " +
                        std::to_string(args_.size()) + " were given");
        arg = &args_[next_++];
        return std::nullopt;
    }

    // A width or precision: digits, or '*' taking the next integer argument.
    Failure amount(const char* what, int& out) {
        long long value = 0;
        if (!atEnd() && pattern_[pos_] == '*') {
            ++pos_;
            const FormatArg* arg = nullptr;
            if (auto failure = take(arg)) return failure;
            if (const auto* v = std::get_if<std::int64_t>(&arg->value))
                value = *v < 0 ? -1 : std::min<std::int64_t>(*v, kMaxFormatWidth + 1LL);
            else if (const auto* u = std::get_if<std::uint64_t>(&arg->value))
                value = static_cast<long long>(std::min<std::uint64_t>(*u, kMaxFormatWidth + 1ULL));
            else
                return fail(std::string("'*' ") + what + " needs an integer argument, argument " +
                            std::to_string(next_ - 1) + " is " + Describe(*arg));
            if (value < 0) return fail(std::string("'*' ") + what + " is negative");
        } else {
            value = number();
        }
        if (value > kMaxFormatWidth)
            return fail(std::string(what) + " is above the limit of " + std::to_string(kMaxFormatWidth));
        out = static_cast<int>(value);
        return std::nullopt;
    }

    Failure placeholder(std::string& out) {
        // An index is digits followed by ':'; otherwise the digits are the width.
        const std::size_t afterPercent = pos_;
        const long long index = number();
        if (!atEnd() && pattern_[pos_] == ':' && pos_ > afterPercent) {
            ++pos_;
            if (static_cast<unsigned long long>(index) >= args_.size())
                return fail("the index is beyond the last argument (" + std::to_string(args_.size()) +
                            " given, counting from 0)");
            next_ = static_cast<std::size_t>(index);
        } else {
            pos_ = afterPercent;
        }
        bool left = false;
        if (!atEnd() && pattern_[pos_] == '-') {
            left = true;
            ++pos_;
        }
        int width = 0;
        if (auto failure = amount("width", width)) return failure;
        std::optional<int> precision;
        if (!atEnd() && pattern_[pos_] == '.') {
            ++pos_;
            int value = 0;
            if (auto failure = amount("precision", value)) return failure;
            precision = value;
        }
        if (atEnd()) {
            pos_ = pattern_.size() - 1;
            return fail("the pattern ends inside the placeholder");
        }
        const char type = static_cast<char>(pattern_[pos_] | 0x20);  // ASCII lower case
        std::string text;
        if (auto failure = convert(type, precision, text)) return failure;
        ++pos_;

        const std::size_t columns = DisplayColumns(text);
        const auto wanted = static_cast<std::size_t>(width);
        const std::size_t pad = wanted > columns ? wanted - columns : 0;
        if (!left) out.append(pad, ' ');
        out += text;
        if (left) out.append(pad, ' ');
        return std::nullopt;
    }

    Failure convert(char type, std::optional<int> precision, std::string& text) {
        constexpr std::string_view kTypes = "duxsfneg";
        if (kTypes.find(type) == std::string_view::npos)
            return fail("unknown type letter");
        const FormatArg* arg = nullptr;
        if (auto failure = take(arg)) return failure;
        auto mismatch = [&](const char* wanted) {
            return fail("%" + std::string(1, pattern_[pos_]) + " needs " + wanted + ", argument " +
                        std::to_string(next_ - 1) + " is " + Describe(*arg));
        };

        if (type == 's') {
            const auto* value = std::get_if<std::string>(&arg->value);
            if (!value) return mismatch("a text");
            text = precision ? std::string(CutToColumns(*value, static_cast<std::size_t>(*precision))) : *value;
            return std::nullopt;
        }
        if (type == 'd' || type == 'u' || type == 'x') {
            if (!arg->isInteger()) return mismatch("an integer");
            bool negative = false;
            std::uint64_t bits = 0;
            if (const auto* v = std::get_if<std::int64_t>(&arg->value)) {
                bits = static_cast<std::uint64_t>(*v);
                negative = *v < 0;
            } else {
                bits = std::get<std::uint64_t>(arg->value);
            }
            const int minimum = precision.value_or(0);
            if (type == 'd') {
                // Negate in unsigned arithmetic: INT64_MIN has no positive int64.
                const std::uint64_t magnitude = negative ? 0 - bits : bits;
                text = (negative ? "-" : "") + ZeroPadded(Digits(magnitude, 10), minimum);
            } else {
                text = ZeroPadded(Digits(bits, type == 'x' ? 16 : 10), minimum);
            }
            return std::nullopt;
        }
        // f, n, e, g
        const auto* number = std::get_if<double>(&arg->value);
        if (!number) return mismatch("a floating point number");
        if (!std::isfinite(*number)) {
            text = NonFiniteText(*number);
        } else if (type == 'f' || type == 'n') {
            text = FixedText(ToDecimal(*number), precision.value_or(kDefaultFixedPlaces), type == 'n');
        } else if (type == 'e') {
            text = ScientificText(ToDecimal(*number), precision.value_or(kFloatDigits));
        } else {
            text = GeneralText(ToDecimal(*number), precision.value_or(kFloatDigits));
        }
        return std::nullopt;
    }

    std::string_view pattern_;
    std::span<const FormatArg> args_;
    std::size_t pos_ = 0;
    std::size_t start_ = 0;  // offset of the '%' being read
    std::size_t next_ = 0;   // next argument to use
};

}  // namespace

std::optional<std::int64_t> ExactDecimalUnits(double value, int places) {
    // Powers of ten up to 10^15 are exact doubles.
    static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    constexpr double kLimit = 1e15;  // at most kFloatDigits digits
    if (places < 0 || places > 15) return std::nullopt;
    const double scaled = value * kPowers[places];
    if (!(std::fabs(scaled) < kLimit)) return std::nullopt;  // also NaN
    // Rounded by a plain conversion (a libm call costs more than the rest);
    // the check below holds whichever integer this gives.
    const double units = static_cast<double>(static_cast<std::int64_t>(scaled + (scaled < 0 ? -0.5 : 0.5)));
    // units * 10^-places reads back as value: with at most 15 digits it is
    // then the value's shortest decimal, the one ToDecimal would find (two
    // such decimals lie further apart than the double's spacing here).
    if (units / kPowers[places] != value) return std::nullopt;
    return static_cast<std::int64_t>(units);
}

std::size_t WriteFixedUnits(char* out, std::int64_t units, int places) {
    char digits[24];
    const bool negative = units < 0;
    const auto magnitude = negative ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
    const auto length = static_cast<int>(std::to_chars(digits, digits + sizeof digits, magnitude).ptr - digits);
    char* to = out;
    if (negative) *to++ = '-';
    if (length > places) {
        std::memcpy(to, digits, static_cast<std::size_t>(length - places));
        to += length - places;
    } else {
        *to++ = '0';
    }
    if (places > 0) {
        *to++ = '.';
        for (int i = 0; i < places; ++i) {
            const int at = length - places + i;
            *to++ = at >= 0 ? digits[at] : '0';
        }
    }
    return static_cast<std::size_t>(to - out);
}

std::string FixedDecimal(double value, int places) {
    if (!std::isfinite(value)) return NonFiniteText(value);
    if (const auto units = ExactDecimalUnits(value, places)) {
        char text[kMaxFixedUnitsText];
        return std::string(text, WriteFixedUnits(text, *units, places));
    }
    return FixedText(ToDecimal(value), places, false);
}

std::optional<std::int64_t> FixedDecimalUnits(double value, int places) {
    if (!std::isfinite(value)) return std::nullopt;
    if (const auto units = ExactDecimalUnits(value, places)) return units;
    Decimal d = ToDecimal(value);
    RoundToDigits(d, d.exponent + places + 1);  // as FixedText rounds
    std::int64_t units = 0;
    const int top = d.digits.empty() ? 0 : std::max(d.exponent, 0);
    for (int place = top; place >= -places; --place)
        if (__builtin_mul_overflow(units, 10, &units) || __builtin_add_overflow(units, DigitAt(d, place) - '0', &units))
            return std::nullopt;
    return d.negative ? -units : units;
}

std::size_t DisplayColumns(std::string_view text) {
    std::size_t columns = 0;
    for (std::size_t i = 0; i < text.size(); i += SequenceLength(text, i)) columns += ColumnsAt(text, i);
    return columns;
}

std::string_view CutToColumns(std::string_view text, std::size_t maxColumns) {
    std::size_t columns = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        columns += ColumnsAt(text, i);
        if (columns > maxColumns) break;
        i += SequenceLength(text, i);
    }
    return text.substr(0, i);
}

Result<std::string> SafeFormat(std::string_view pattern, std::span<const FormatArg> args) {
    return Formatter(pattern, args).run();
}

}  // namespace vantrel
