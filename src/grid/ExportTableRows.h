#pragma once
// The records of a table export, made one at a time as a writer takes them:
// what a cell's kind and text depend on is decided once per column, a row's
// cells are read from its stored block, and stored texts are lent, not copied.
#include "common/FieldValue.h"
#include "grid/GridDisplay.h"
#include "grid/GridExport.h"

#include <vector>

namespace vantrel {

class MemoryTable;
class PackedRow;

// Cell `col` of a record as the sheet holds it: kind by the field's type,
// the display text; blank with no field (col < 0) or a null value.
ExportCell DataCell(const GridColumn& column, const MemoryTable& table, int row, int col);
// The field number of each shown column, -1 for none.
std::vector<int> FieldNumbers(const std::vector<const GridColumn*>& shown, const MemoryTable& table);

class TableRows : public ExportRows {
public:
    // numberTexts: whether a writer reads the text of a number cell too (the
    // worksheets take the number alone).
    TableRows(const std::vector<const GridColumn*>& shown, const MemoryTable& table, bool numberTexts);
    std::size_t size() const override { return rows_; }
    const std::vector<ExportCell>& row(std::size_t row) override;
    // From about 64 records spread over the table.
    std::size_t textBytesHint() override;

private:
    struct Column {
        const GridColumn* column;
        int field;  // -1: none
        FieldType type;
        bool hasPicture;
        NumberPicture picture;
        mutable char date[kMaxDateText];  // a date cell's text, lent to the writer
    };

    void fill(ExportCell& cell, const Column& c, int row, const PackedRow* packed) const;

    const MemoryTable& table_;
    bool numberTexts_;
    std::size_t cells_ = 0;  // the table's field count
    std::vector<Column> columns_;
    std::vector<ExportCell> record_;
    std::size_t rows_ = 0;
};

}  // namespace vantrel
