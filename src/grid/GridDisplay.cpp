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

std::string FormatNumberPicture(double value, std::string_view picture) {
    const std::size_t first = picture.find_first_of("0#.,");
    if (first == std::string_view::npos || !std::isfinite(value)) return std::string(picture);
    std::size_t last = first;
    for (std::size_t i = first; i < picture.size(); ++i)
        if (IsPlaceholder(picture[i])) last = i;
    const std::string_view prefix = picture.substr(0, first);
    const std::string_view suffix = picture.substr(last + 1);
    const std::string_view span = picture.substr(first, last - first + 1);

    const std::size_t point = span.find('.');
    const std::string_view intPart = span.substr(0, point);
    const std::string_view fracPart = point == std::string_view::npos ? std::string_view() : span.substr(point + 1);
    const bool grouping = intPart.find(',') != std::string_view::npos;
    int minInt = 0;
    bool seenZero = false;
    for (char c : intPart) {
        if (c == '0') seenZero = true;
        if (seenZero && (c == '0' || c == '#')) ++minInt;
    }
    int maxDec = 0, minDec = 0;
    for (char c : fracPart) {
        if (c == '0' || c == '#') ++maxDec;
        if (c == '0') minDec = maxDec;
    }
    maxDec = std::min(maxDec, kMaxPictureDecimals);
    minDec = std::min(minDec, kMaxPictureDecimals);

    const std::string fixed = FixedDecimal(value, maxDec);
    std::string_view digits = fixed;
    const bool negative = !digits.empty() && digits.front() == '-';
    if (negative) digits.remove_prefix(1);
    const std::size_t dot = digits.find('.');
    std::string whole(digits.substr(0, dot));
    std::string frac(dot == std::string_view::npos ? std::string_view() : digits.substr(dot + 1));

    while (static_cast<int>(frac.size()) > minDec && frac.back() == '0') frac.pop_back();
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    if (static_cast<int>(whole.size()) < minInt) whole.insert(0, static_cast<std::size_t>(minInt) - whole.size(), '0');
    if (grouping) {
        std::string grouped;
        for (std::size_t i = 0; i < whole.size(); ++i) {
            if (i > 0 && (whole.size() - i) % 3 == 0) grouped += ',';
            grouped += whole[i];
        }
        whole = std::move(grouped);
    }

    const bool nonZero = (whole + frac).find_first_of("123456789") != std::string::npos;
    std::string out;
    if (negative && nonZero) out += '-';
    out.append(prefix).append(whole);
    if (!frac.empty()) out.append(".").append(frac);
    out.append(suffix);
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
    const FieldValue& value = table.value(row, col);
    if (value.isNull()) return {};
    std::string text = value.toText();
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
        const FieldType type = table.fields()[static_cast<std::size_t>(col)].type;
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
    for (int row = 0, rows = table.recordCount(); row < rows; ++row) {
        const FieldValue& value = table.value(row, col);
        if (value.isNull()) continue;
        auto where = [&] { return " (row " + std::to_string(row + 1) + ", field \"" + column.fieldName + "\")"; };
        std::optional<int64_t> units;
        if (type == FieldType::Text) {
            if (!ReadDecimal(value.toText())) return Error{"\"" + value.toText() + "\" is not a number" + where()};
            units = DecimalToUnits(value.toText());
        } else if (type == FieldType::Integer) {
            units = DecimalToUnits(value.toText());
        } else if (type == FieldType::Float) {
            if (auto fixed = Format("%.4f", *value.toNumber())) units = DecimalToUnits(*fixed);
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
