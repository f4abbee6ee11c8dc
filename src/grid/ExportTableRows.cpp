#include "grid/ExportTableRows.h"

#include "common/FieldValue.h"
#include "common/MemoryTable.h"
#include "common/SafeFormat.h"

#include <algorithm>
#include <charconv>

namespace vantrel {

namespace {

// An integer record stores value * 4 + 2 in 32 bits, so only 30-bit values
// fit; a wider one is written as a number.
constexpr int64_t kMinRkInteger = -(int64_t{1} << 29);
constexpr int64_t kMaxRkInteger = (int64_t{1} << 29) - 1;

void SetIntegerValue(ExportCell& cell, int64_t number) {
    if (number >= kMinRkInteger && number <= kMaxRkInteger) {
        cell.kind = ExportCellKind::Integer;
        cell.integer = number;
    } else {
        cell.kind = ExportCellKind::Number;
        cell.number = static_cast<double>(number);
    }
}

}  // namespace

ExportCell DataCell(const GridColumn& column, const MemoryTable& table, int row, int col) {
    ExportCell cell;
    if (col < 0) return cell;  // blank: no field
    cell.text = CellDisplayText(column, table, row, col);
    if (column.mapsCodes()) {
        cell.kind = ExportCellKind::Text;
        return cell;
    }
    const FieldValue& value = table.value(row, col);
    if (value.isNull()) return cell;
    switch (table.fields()[static_cast<std::size_t>(col)].type) {
    case FieldType::Integer: SetIntegerValue(cell, std::get<int64_t>(value.storage())); break;
    case FieldType::Float:
        cell.kind = ExportCellKind::Number;
        cell.number = std::get<double>(value.storage());
        break;
    default:
        cell.kind = ExportCellKind::Text;
    }
    return cell;
}

std::vector<int> FieldNumbers(const std::vector<const GridColumn*>& shown, const MemoryTable& table) {
    std::vector<int> fieldOf;
    for (const GridColumn* column : shown)
        fieldOf.push_back(column->fieldName.empty() ? -1 : table.fieldIndex(column->fieldName));
    return fieldOf;
}

TableRows::TableRows(const std::vector<const GridColumn*>& shown, const MemoryTable& table, bool numberTexts)
    : table_(table), numberTexts_(numberTexts), cells_(static_cast<std::size_t>(table.fieldCount())) {
    const std::vector<int> fieldOf = FieldNumbers(shown, table);
    for (std::size_t c = 0; c < shown.size(); ++c) {
        Column column{shown[c], fieldOf[c], FieldType::Text, false, {}, {}};
        if (column.field >= 0) column.type = table.fields()[static_cast<std::size_t>(column.field)].type;
        column.hasPicture = !shown[c]->displayFormat.empty();
        if (column.hasPicture) column.picture = ParseNumberPicture(shown[c]->displayFormat);
        columns_.push_back(std::move(column));
    }
    record_.resize(columns_.size());
    rows_ = static_cast<std::size_t>(table.recordCount());
}

const std::vector<ExportCell>& TableRows::row(std::size_t row) {
    const PackedRow* packed = table_.storedRow(static_cast<int>(row));
    for (std::size_t c = 0; c < columns_.size(); ++c) fill(record_[c], columns_[c], static_cast<int>(row), packed);
    return record_;
}

std::size_t TableRows::textBytesHint() {
    if (rows_ == 0) return 0;
    const std::size_t step = std::max<std::size_t>(1, rows_ / 64);
    std::size_t sampled = 0, bytes = 0;
    for (std::size_t r = 0; r < rows_; r += step, ++sampled)
        for (const auto& cell : row(r)) bytes += cell.shown().size();
    const std::size_t estimate = bytes * rows_ / sampled;
    return estimate + estimate / 8;
}

// The cells DataCell makes, without a FieldValue or a string per cell.
void TableRows::fill(ExportCell& cell, const Column& c, int row, const PackedRow* packed) const {
    cell.kind = ExportCellKind::Blank;
    cell.text.clear();
    cell.lent = {};
    cell.integer = 0;
    cell.number = 0;
    if (c.field < 0 || !packed) return;
    if (c.column->mapsCodes()) {
        cell = DataCell(*c.column, table_, row, c.field);
        return;
    }
    const std::string_view bytes = packed->cell(static_cast<std::size_t>(c.field), cells_);
    if (bytes.empty()) return;  // null
    switch (c.type) {
    case FieldType::Text:
        cell.kind = ExportCellKind::Text;
        if (c.hasPicture)
            if (const auto number = ReadDecimal(bytes)) {
                AppendNumberPicture(cell.text, *number, c.picture);
                return;
            }
        cell.lent = bytes;
        return;
    case FieldType::Integer: {
        const int64_t number = PackedRow::IntegerIn(bytes);
        SetIntegerValue(cell, number);
        if (!numberTexts_) return;
        if (c.hasPicture) {
            AppendNumberPicture(cell.text, static_cast<double>(number), c.picture);
        } else {
            char digits[24];
            const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
            cell.text.append(digits, end);
        }
        return;
    }
    case FieldType::Float: {
        const double number = PackedRow::FloatIn(bytes);
        cell.kind = ExportCellKind::Number;
        cell.number = number;
        if (!numberTexts_) return;
        if (c.hasPicture)
            AppendNumberPicture(cell.text, number, c.picture);
        else
            cell.text = FormatDouble(number);
        return;
    }
    case FieldType::Date:
        cell.kind = ExportCellKind::Text;
        cell.lent = std::string_view(c.date, WriteDate(c.date, PackedRow::DateIn(bytes)));
        return;
    }
}

}  // namespace vantrel
