#pragma once
// One cell of an in-memory table: null or a value of its field's type, plus
// the text conversions and orderings the table, its indexes and filters share.
#include "common/Result.h"
#include "common/TextUtil.h"

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace vantrel {

enum class FieldType { Text, Integer, Float, Date };

struct FieldDef {
    std::string name;
    FieldType type = FieldType::Text;
    // Display width for text fields. Longer values are kept whole: answers
    // from a server are not cut to a width a configuration file declared.
    int size = 0;
};

// A calendar day as the number yyyymmdd (20240305): it orders correctly as a
// plain integer and reads as a number in filters.
struct DateValue {
    std::int32_t yyyymmdd = 0;
    auto operator<=>(const DateValue&) const = default;
};

class FieldValue {
public:
    using Storage = std::variant<std::monostate, std::string, std::int64_t, double, DateValue>;

    FieldValue() = default;
    explicit FieldValue(std::string text) : value_(std::move(text)) {}
    explicit FieldValue(std::int64_t number) : value_(number) {}
    explicit FieldValue(double number) : value_(number) {}
    explicit FieldValue(DateValue date) : value_(date) {}

    // Converts text to a value of `type`. Empty text is null for every type;
    // numbers and dates ignore surrounding blanks, text is kept as given.
    // Text that is not a value of the type is an error, never a silent 0.
    static Result<FieldValue> FromText(FieldType type, std::string text);

    bool isNull() const { return std::holds_alternative<std::monostate>(value_); }
    const Storage& storage() const { return value_; }

    // Display-neutral text: integers in decimal, floats in the shortest form
    // that reads back to the same double, dates "yyyy-mm-dd", null "".
    std::string toText() const;
    // Integers and floats; a date as yyyymmdd; text and null have none.
    std::optional<double> toNumber() const;

    // Index ordering: null first, numbers and dates by value, text ignoring
    // ASCII case. Returns <0, 0 or >0.
    static int Compare(const FieldValue& a, const FieldValue& b);

private:
    Storage value_;
};

// Reads plain decimal text ("-12", "3.50", ".5", blanks around allowed) as a
// number; anything else (exponents, hex, "inf", trailing text) is not one.
std::optional<double> ReadDecimal(std::string_view text);

std::string FormatDouble(double value);
std::string FormatDate(DateValue date);
// What FormatDate returns, written at `to`, which has room for kMaxDateText;
// returns its length.
inline constexpr std::size_t kMaxDateText = 24;
std::size_t WriteDate(char* to, DateValue date);
// "yyyy-mm-dd", "yyyy/mm/dd" or "yyyymmdd", a real calendar day.
std::optional<DateValue> ParseDate(std::string_view text);

const char* FieldTypeName(FieldType type);

}  // namespace vantrel
