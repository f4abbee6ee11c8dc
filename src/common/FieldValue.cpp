#include "common/FieldValue.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace vantrel {
namespace {


bool IsDigit(char c) { return c >= '0' && c <= '9'; }


// Checks [+-]?(d+(.d*)?|.d+)([eE][+-]?d+)? and returns the text without a
// leading '+', which from_chars does not take.
std::optional<std::string_view> NumberSyntax(std::string_view s, bool allowExponent) {
    std::size_t i = 0;
    std::string_view body = s;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '+') body = s.substr(1);
        ++i;
    }
    std::size_t intDigits = 0, fracDigits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++intDigits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) ++i, ++fracDigits;
    }
    if (intDigits + fracDigits == 0) return std::nullopt;
    if (allowExponent && i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t expDigits = 0;
        while (i < s.size() && IsDigit(s[i])) ++i, ++expDigits;
        if (expDigits == 0) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    return body;
}

std::optional<double> ReadDouble(std::string_view text, bool allowExponent) {
    auto body = NumberSyntax(TrimView(text), allowExponent);
    if (!body) return std::nullopt;
    double value = 0;
    auto [end, ec] = std::from_chars(body->data(), body->data() + body->size(), value);
    if (ec != std::errc() || end != body->data() + body->size() || !std::isfinite(value))
        return std::nullopt;
    return value == 0 ? 0.0 : value;  // no "-0" in tables
}

Error ConversionError(FieldType type, const std::string& text) {
    return Error{"\"" + text + "\" is not " +
                 (type == FieldType::Integer ? std::string("an integer")
                                             : std::string("a ") + FieldTypeName(type))};
}

}  // namespace

std::optional<double> ReadDecimal(std::string_view text) { return ReadDouble(text, false); }

std::string FormatDouble(double value) {
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : std::string();
}

std::size_t WriteDate(char* to, DateValue date) {
    int d = date.yyyymmdd;
    if (d >= 0 && d <= 99999999) {  // every parsed date: written without printf
        // Two digits at a time: four short divisions instead of eight.
        const auto pair = [](char* at, int n) {
            at[0] = static_cast<char>('0' + n / 10);
            at[1] = static_cast<char>('0' + n % 10);
        };
        pair(to, d / 1000000);
        pair(to + 2, d / 10000 % 100);
        to[4] = '-';
        pair(to + 5, d / 100 % 100);
        to[7] = '-';
        pair(to + 8, d % 100);
        return 10;
    }
    const int n = std::snprintf(to, kMaxDateText, "%04d-%02d-%02d", d / 10000, d / 100 % 100, d % 100);
    return n < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(n), kMaxDateText - 1);
}

std::string FormatDate(DateValue date) {
    char text[kMaxDateText];
    return std::string(text, WriteDate(text, date));
}

std::optional<DateValue> ParseDate(std::string_view text) {
    text = TrimView(text);
    std::string digits;
    if (text.size() == 10 && (text[4] == '-' || text[4] == '/') && text[7] == text[4]) {
        digits.append(text.substr(0, 4)).append(text.substr(5, 2)).append(text.substr(8, 2));
    } else if (text.size() == 8) {
        digits.assign(text);
    } else {
        return std::nullopt;
    }
    for (char c : digits)
        if (!IsDigit(c)) return std::nullopt;
    int n = std::stoi(digits);
    std::chrono::year_month_day day{std::chrono::year(n / 10000), std::chrono::month(n / 100 % 100),
                                    std::chrono::day(n % 100)};
    if (!day.ok()) return std::nullopt;
    return DateValue{n};
}

const char* FieldTypeName(FieldType type) {
    switch (type) {
    case FieldType::Text: return "text";
    case FieldType::Integer: return "integer";
    case FieldType::Float: return "number";
    case FieldType::Date: return "date";
    }
    return "?";
}

Result<FieldValue> FieldValue::FromText(FieldType type, std::string text) {
    if (text.empty()) return FieldValue();
    switch (type) {
    case FieldType::Text:
        return FieldValue(std::move(text));
    case FieldType::Integer: {
        std::string_view body = TrimView(text);
        if (body.empty()) return FieldValue();
        if (body.size() > 1 && body.front() == '+' && IsDigit(body[1])) body.remove_prefix(1);
        std::int64_t value = 0;
        auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), value);
        if (ec == std::errc::result_out_of_range)
            return Error{"\"" + text + "\" is out of the integer range"};
        if (ec != std::errc() || end != body.data() + body.size()) return ConversionError(type, text);
        return FieldValue(value);
    }
    case FieldType::Float: {
        if (TrimView(text).empty()) return FieldValue();
        auto value = ReadDouble(text, true);
        if (!value) return ConversionError(type, text);
        return FieldValue(*value);
    }
    case FieldType::Date: {
        if (TrimView(text).empty()) return FieldValue();
        auto date = ParseDate(text);
        if (!date) return ConversionError(type, text);
        return FieldValue(*date);
    }
    }
    return ConversionError(type, text);
}

std::string FieldValue::toText() const {
    struct Visitor {
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(const std::string& s) const { return s; }
        std::string operator()(std::int64_t n) const { return std::to_string(n); }
        std::string operator()(double d) const { return FormatDouble(d); }
        std::string operator()(DateValue d) const { return FormatDate(d); }
    };
    return std::visit(Visitor{}, value_);
}

std::optional<double> FieldValue::toNumber() const {
    if (auto* n = std::get_if<std::int64_t>(&value_)) return static_cast<double>(*n);
    if (auto* d = std::get_if<double>(&value_)) return *d;
    if (auto* day = std::get_if<DateValue>(&value_)) return static_cast<double>(day->yyyymmdd);
    return std::nullopt;
}

int FieldValue::Compare(const FieldValue& a, const FieldValue& b) {
    // One column holds one type; differing kinds (null against a value) order
    // by kind, which puts null first.
    if (a.value_.index() != b.value_.index())
        return a.value_.index() < b.value_.index() ? -1 : 1;
    auto order = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    switch (a.value_.index()) {
    case 1: return CompareNoCase(std::get<1>(a.value_), std::get<1>(b.value_));
    case 2: return order(std::get<2>(a.value_), std::get<2>(b.value_));
    case 3: return order(std::get<3>(a.value_), std::get<3>(b.value_));
    case 4: return order(std::get<4>(a.value_), std::get<4>(b.value_));
    default: return 0;
    }
}

}  // namespace vantrel
