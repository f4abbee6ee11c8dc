#pragma once
// What a grid cell and a footer show: number-format pictures, code tables,
// check boxes and the footer totals. Shared by the Qt view and the exporters.
#include "common/Result.h"
#include "grid/GridLayout.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

class MemoryTable;

// Formats a number with a picture: "0" a digit, "#" a digit shown only when
// significant, "." the decimal point, "," anywhere before it thousands
// separators. Text before the first and after the last of these characters
// is written around the number; other text between them is ignored.
// Rounding is half away from zero on the number as written (2.675 with
// "0.00" gives "2.68"). Examples: 1234.5 with "#,##0.00" gives "1,234.50",
// 0.5 with "#.##" ".5", 7 with "000" "007", 0 with "#" "".
std::string FormatNumberPicture(double value, std::string_view picture);

// A picture taken apart once, for callers that format many numbers with it;
// AppendNumberPicture writes what FormatNumberPicture returns.
struct NumberPicture {
    std::string text;  // as given: written whole when it has no placeholder
    bool hasPlaces = false;
    std::string prefix, suffix;
    int minInt = 0, maxDec = 0, minDec = 0;
    bool grouping = false;
};
NumberPicture ParseNumberPicture(std::string_view picture);
void AppendNumberPicture(std::string& out, double value, const NumberPicture& picture);

enum class CheckState { Checked, Unchecked, Grayed };
// Checked for the column's checked text ("1"), unchecked for its unchecked
// text ("0"), greyed for an empty field or anything else.
CheckState CheckBoxState(const GridColumn& column, std::string_view fieldText);

// The display text of a cell (view row `row` of the table): the mapped text
// of a code-table column (the stored text itself when the code is not in
// the key list), the picture applied to a number (also to a text field that
// holds a plain decimal number, as server answers do), "" for a null cell
// or a column without a field in the table, the stored text otherwise.
std::string CellDisplayText(const GridColumn& column, const MemoryTable& table, int row);
// The same with the column's field number already looked up (-1 for none),
// for callers that visit every row.
std::string CellDisplayText(const GridColumn& column, const MemoryTable& table, int row, int field);

// A footer's text, and its number for count and sum footers.
struct FooterValue {
    std::string text;
    std::optional<double> number;
};
// Count: the table's row count. Sum: the column's field over all rows, each
// value rounded to four decimals and added exactly (in 1/10000 units).
// Average: that sum over the non-empty cells. Sums and averages use the
// column's picture when it has one, else a plain number ("1234.5"). A
// non-empty cell that is not a number, or a sum beyond ±922337203685477, is
// an error naming the row and the field: a total is never silently wrong.
Result<FooterValue> ComputeFooter(const GridColumn& column, const MemoryTable& table);

// Decimal text (optional sign, digits, optional point and digits) in units
// of 1/10000, rounded half away from zero; none on bad syntax or overflow.
std::optional<int64_t> DecimalToUnits(std::string_view text);
// "1234.5", "-0.0001", "0": units of 1/10000 as a plain number.
std::string UnitsToPlainText(int64_t units);

}  // namespace vantrel
