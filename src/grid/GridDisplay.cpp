#include "grid/GridDisplay.h"

#include "common/MemoryTable.h"
#include "common/SafeFormat.h"
#include "common/TextUtil.h"

#include <algorithm>
#include <cmath>

namespace vantrel {

namespace {

bool IsPlaceholder(char c) { return c == '0' || c == '#' || c == '.' || c == ','; }

constexpr int kMaxPictureDecimals = 30;  // beyond a double's precision anyway

}  // namespace

NumberPicture ParseNumberPicture(std::string_view picture) {
    NumberPicture p;
    p.text = std::string(picture);
    const std::size_t first = picture.find_first_of("0#.,");
    if (first == std::string_view::npos) return p;
    p.hasPlaces = true;
    std::size_t last = first;
    for (std::size_t i = first; i < picture.size(); ++i)
        if (IsPlaceholder(picture[i])) last = i;
    p.prefix = std::string(picture.substr(0, first));
    p.suffix = std::string(picture.substr(last + 1));
    const std::string_view span = picture.substr(first, last - first + 1);

    const std::size_t point = span.find('.');
    const std::string_view intPart = span.substr(0, point);
    const std::string_view fracPart = point == std::string_view::npos ? std::string_view() : span.substr(point + 1);
    p.grouping = intPart.find(',') != std::string_view::npos;
    bool seenZero = false;
    for (char c : intPart) {
        if (c == '0') seenZero = true;
        if (seenZero && (c == '0' || c == '#')) ++p.minInt;
    }
    for (char c : fracPart) {
        if (c == '0' || c == '#') ++p.maxDec;
        if (c == '0') p.minDec = p.maxDec;
    }
    p.maxDec = std::min(p.maxDec, kMaxPictureDecimals);
    p.minDec = std::min(p.minDec, kMaxPictureDecimals);
    return p;
}

void AppendNumberPicture(std::string& out, double value, const NumberPicture& p) {
    if (!p.hasPlaces || !std::isfinite(value)) {
        out += p.text;
        return;
    }
    // An amount as written (most are) is set out without a string.
    char quick[kMaxFixedUnitsText];
    std::string slow;
    std::string_view digits;
    if (const auto units = ExactDecimalUnits(value, p.maxDec)) {
        digits = std::string_view(quick, WriteFixedUnits(quick, *units, p.maxDec));
    } else {
        slow = FixedDecimal(value, p.maxDec);
        digits = slow;
    }
    const bool negative = !digits.empty() && digits.front() == '-';
    if (negative) digits.remove_prefix(1);
    const std::size_t dot = digits.find('.');
    std::string_view whole = digits.substr(0, dot);
    std::string_view frac = dot == std::string_view::npos ? std::string_view() : digits.substr(dot + 1);

    while (static_cast<int>(frac.size()) > p.minDec && frac.back() == '0') frac.remove_suffix(1);
    whole.remove_prefix(std::min(whole.find_first_not_of('0'), whole.size()));
    auto nonZeroDigit = [](char c) { return c >= '1' && c <= '9'; };
    const bool nonZero = std::any_of(whole.begin(), whole.end(), nonZeroDigit) ||
                         std::any_of(frac.begin(), frac.end(), nonZeroDigit);
    if (negative && nonZero) out += '-';
    out += p.prefix;
    // The whole part padded with zeros to the picture's minimum, grouped by three.
    const std::size_t pad =
        static_cast<int>(whole.size()) < p.minInt ? static_cast<std::size_t>(p.minInt) - whole.size() : 0;
    const std::size_t length = pad + whole.size();
    for (std::size_t i = 0; i < length; ++i) {
        if (p.grouping && i > 0 && (length - i) % 3 == 0) out += ',';
        out += i < pad ? '0' : whole[i - pad];
    }
    if (!frac.empty()) {
        out += '.';
        out += frac;
    }
    out += p.suffix;
}

std::string FormatNumberPicture(double value, std::string_view picture) {
    std::string out;
    AppendNumberPicture(out, value, ParseNumberPicture(picture));
    return out;
}

CheckState CheckBoxState(const GridColumn& column, std::string_view fieldText) {
    if (!fieldText.empty() && fieldText == column.checkedValue) return CheckState::Checked;
    if (!fieldText.empty() && fieldText == column.uncheckedValue) return CheckState::Unchecked;
    return CheckState::Grayed;
}

std::string CellDisplayText(const GridColumn& column, const MemoryTable& table, int row) {
    return CellDisplayText(column, table, row, column.fieldName.empty() ? -1 : table.fieldIndex(column.fieldName));
}

std::string CellDisplayText(const GridColumn& column, const MemoryTable& table, int row, int col) {
    if (col < 0) return {};
    const FieldType type = table.fields()[static_cast<std::size_t>(col)].type;
    const FieldValue value = type == FieldType::Text ? FieldValue() : table.value(row, col);
    std::string text = type == FieldType::Text ? std::string(table.storedText(row, col)) : value.toText();
    if (text.empty()) return {};  // null
    if (column.mapsCodes()) {
        auto found = std::find(column.keyList.begin(), column.keyList.end(), text);
        if (found != column.keyList.end()) {
            const auto at = static_cast<std::size_t>(found - column.keyList.begin());
            if (at < column.pickList.size()) return column.pickList[at];
        }
        return text;
    }
    if (!column.displayFormat.empty()) {
        std::optional<double> number;
        if (type == FieldType::Integer || type == FieldType::Float)
            number = value.toNumber();
        else if (type == FieldType::Text)
            number = ReadDecimal(text);
        if (number) return FormatNumberPicture(*number, column.displayFormat);
    }
    return text;
}

std::optional<int64_t> DecimalToUnits(std::string_view text) {
    text = TrimView(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view frac = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (whole.empty() && frac.empty()) return std::nullopt;
    auto allDigits = [](std::string_view s) {
        return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (!allDigits(whole) || !allDigits(frac)) return std::nullopt;
    int64_t units = 0;
    for (char c : whole)
        if (__builtin_mul_overflow(units, 10, &units) || __builtin_add_overflow(units, c - '0', &units))
            return std::nullopt;
    for (std::size_t i = 0; i < 4; ++i) {
        const int digit = i < frac.size() ? frac[i] - '0' : 0;
        if (__builtin_mul_overflow(units, 10, &units) || __builtin_add_overflow(units, digit, &units))
            return std::nullopt;
    }
    if (frac.size() > 4 && frac[4] >= '5' && __builtin_add_overflow(units, 1, &units)) return std::nullopt;
    return negative ? -units : units;
}

std::string UnitsToPlainText(int64_t units) {
    const bool negative = units < 0;
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(units) : static_cast<uint64_t>(units);
    std::string text = (negative ? "-" : "") + std::to_string(magnitude / 10000);
    std::string frac = std::to_string(magnitude % 10000 + 10000).substr(1);
    while (!frac.empty() && frac.back() == '0') frac.pop_back();
    if (!frac.empty()) text += "." + frac;
    return text;
}

Result<FooterValue> ComputeFooter(const GridColumn& column, const MemoryTable& table) {
    const GridFooter& footer = column.footer;
    switch (footer.kind) {
    case FooterKind::None:
        return FooterValue{};
    case FooterKind::StaticText:
        return FooterValue{footer.text, std::nullopt};
    case FooterKind::Count: {
        const int count = table.recordCount();
        return FooterValue{std::to_string(count), static_cast<double>(count)};
    }
    case FooterKind::Sum:
    case FooterKind::Average:
        break;
    }
    const int col = column.fieldName.empty() ? -1 : table.fieldIndex(column.fieldName);
    if (col < 0) return FooterValue{};
    const FieldType type = table.fields()[static_cast<std::size_t>(col)].type;
    int64_t sum = 0;
    int counted = 0;
    const std::size_t cells = table.fields().size();
    // Each row's cell read from its stored block: no FieldValue, no text.
    for (int row = 0, rows = table.recordCount(); row < rows; ++row) {
        const PackedRow* packed = table.storedRow(row);
        const std::string_view bytes = packed ? packed->cell(static_cast<std::size_t>(col), cells) : std::string_view();
        if (bytes.empty()) continue;  // null
        auto where = [&] { return " (row " + std::to_string(row + 1) + ", field \"" + column.fieldName + "\")"; };
        std::optional<int64_t> units;
        if (type == FieldType::Text) {
            if (!ReadDecimal(bytes)) return Error{"\"" + std::string(bytes) + "\" is not a number" + where()};
            units = DecimalToUnits(bytes);
        } else if (type == FieldType::Integer) {
            int64_t scaled = 0;  // what DecimalToUnits makes of its digits
            if (!__builtin_mul_overflow(PackedRow::IntegerIn(bytes), 10000, &scaled)) units = scaled;
        } else if (type == FieldType::Float) {
            units = FixedDecimalUnits(PackedRow::FloatIn(bytes), 4);  // what "%.4f" writes
        } else {
            return Error{"a date cannot be summed" + where()};
        }
        if (!units || __builtin_add_overflow(sum, *units, &sum)) return Error{"the total is too large" + where()};
        ++counted;
    }
    if (footer.kind == FooterKind::Sum) {
        const double number = static_cast<double>(sum) / 10000.0;
        return FooterValue{column.displayFormat.empty() ? UnitsToPlainText(sum)
                                                        : FormatNumberPicture(number, column.displayFormat),
                           number};
    }
    if (counted == 0) return FooterValue{};
    const double average = static_cast<double>(sum) / 10000.0 / counted;
    if (!column.displayFormat.empty()) return FooterValue{FormatNumberPicture(average, column.displayFormat), average};
    auto plain = Format("%g", average);
    return FooterValue{plain ? *plain : std::to_string(average), average};
}

}  // namespace vantrel
