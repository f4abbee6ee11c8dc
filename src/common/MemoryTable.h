#pragma once
// In-memory table of server answers, signed accounts and grid contents.
//
// Fields are defined at run time; rows are stored in insertion order and read
// through a view: the rows that pass the filter, in the order of the active
// index. Every row number below is a position in that view. The view is
// rebuilt lazily, once after a batch of changes, on the next read.
//
// Each row is kept packed in one block (see PackedRow.h); values are made on
// reading.
//
// Not thread-safe: a table belongs to one thread at a time, like the grid
// that shows it.
#include "common/FieldValue.h"
#include "common/FilterExpression.h"
#include "common/PackedRow.h"
#include "common/Result.h"
#include "common/TableIndex.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

class MemoryTable;

// What changed, from weakest to strongest; a batch reports its strongest.
enum class TableChange { Cursor, Rows, Structure };

class TableObserver {
public:
    virtual ~TableObserver() = default;
    virtual void tableChanged(const MemoryTable& table, TableChange change) = 0;
};

class MemoryTable {
public:
    MemoryTable() = default;
    MemoryTable(const MemoryTable&) = delete;
    MemoryTable& operator=(const MemoryTable&) = delete;

    // ---- fields
    // Replaces the fields and drops rows, indexes and filter. Names must be
    // non-empty and unique ignoring case; on error nothing changes.
    Status defineFields(std::vector<FieldDef> fields);
    // Adds a field at the end; existing rows get null there.
    Status addField(FieldDef field);
    const std::vector<FieldDef>& fields() const { return fields_; }
    int fieldCount() const { return static_cast<int>(fields_.size()); }
    int fieldIndex(std::string_view name) const;  // ignoring case; -1 when absent

    // ---- rows
    // One text per field in field order; missing trailing values are null.
    // More values than fields, or a value its field cannot hold, rejects the
    // whole row.
    Status appendRow(std::vector<std::string> texts);
    // The same without a string per value: for loaders of many rows.
    Status appendRowTexts(std::span<const std::string> texts);
    Status appendRowViews(std::span<const std::string_view> texts);
    // Two-step entry of a new row: append(), setText(col, text)..., post().
    Status append();
    Status setText(int col, std::string_view text);
    Status setText(std::string_view field, std::string_view text);
    Status post();
    void cancel();
    bool editing() const { return pending_.has_value(); }
    // Writes a cell of an existing row (view position).
    Status setText(int row, int col, std::string_view text);
    Status setText(int row, std::string_view field, std::string_view text);
    void emptyTable();  // rows only
    void clear();       // rows, fields, indexes and filter

    // ---- the view
    int recordCount() const;                      // rows passing the filter
    int totalRowCount() const { return static_cast<int>(rows_.size()); }
    // Out-of-range rows or columns and unknown names read as null.
    FieldValue value(int row, int col) const;
    // A text field's cell without a copy: "" for null, for a field of another
    // type and out of range. Valid until the table changes.
    std::string_view storedText(int row, int col) const;
    // Row `row` of the view as stored, for readers of every cell of many rows
    // (exports, footers); null out of range. Valid until the table changes.
    const PackedRow* storedRow(int row) const { return viewRow(row); }
    std::string text(int row, int col) const;
    std::string text(int row, std::string_view field) const { return text(row, fieldIndex(field)); }
    std::optional<double> number(int row, int col) const { return value(row, col).toNumber(); }
    std::optional<double> number(int row, std::string_view field) const {
        return number(row, fieldIndex(field));
    }
    bool isNull(int row, int col) const;

    // ---- cursor, over the view
    // Walk: for (t.first(); !t.eof(); t.next()); backwards: last() ... bof().
    void first();
    void next();
    void prior();
    void last();
    bool eof() const;
    bool bof() const;
    int recNo() const;  // view position of the current row, -1 when empty
    bool setRecNo(int row);
    // Current row; while a new row is being edited, that row.
    std::string fieldText(int col) const;
    std::string fieldText(std::string_view field) const { return fieldText(fieldIndex(field)); }

    // ---- indexes
    // Adds (or replaces, same name ignoring case) an index; does not select it.
    Status addIndex(std::string name, std::string_view fieldList, bool descending);
    // Selects an index; "" selects insertion order. The current row stays.
    Status setIndex(std::string_view name);
    Status deleteIndex(std::string_view name);
    void deleteIndexes();
    bool hasIndex(std::string_view name) const;
    std::string activeIndex() const;
    std::vector<std::string> indexNames() const;

    // ---- filter
    // Parses and applies an expression (see FilterExpression.h) and switches
    // filtering on; "" removes the filter. A syntax error or unknown field
    // leaves the previous filter in force. The cursor goes to the first row.
    Status setFilter(std::string_view expression);
    // Suspends or resumes the filter without forgetting it.
    void setFiltered(bool on);
    bool filtered() const { return filtered_; }
    const std::string& filter() const { return filterText_; }

    // Replaces this table with the fields of `other` and the rows of its
    // current view (filtered, in its index order). Indexes and filter of
    // `other` are not copied; this table's own are dropped.
    void copyFrom(const MemoryTable& other);

    // ---- bound views
    // Nested; no notification goes out while suspended, and the last
    // endUpdate() sends one, with the strongest change, if anything changed.
    void beginUpdate() { ++updateDepth_; }
    void endUpdate();
    bool updatesSuspended() const { return updateDepth_ > 0; }
    // The table does not own observers; one must be removed before it dies.
    void addObserver(TableObserver* observer);
    void removeObserver(TableObserver* observer);

private:
    static constexpr std::size_t kNoRow = static_cast<std::size_t>(-1);

    Status validateNewField(const FieldDef& field, const std::vector<FieldDef>& existing) const;
    Result<FieldValue> convert(int col, std::string_view text) const;
    bool passesFilter(const PackedRow& row) const;
    void commitRow(PackedRow row);
    PackedRow pack(const TableRow& row);
    void packRowsAfresh();
    const PackedRow* viewRow(int row) const;  // null when out of range
    void ensureView() const;
    void sortView(const TableIndex& index) const;
    void invalidateView() { viewDirty_ = true; }
    void resetCursor();
    void dropRowsAndSettings();
    void moveTo(int position, bool eof, bool bof);
    void notify(TableChange change);

    std::vector<FieldDef> fields_;
    RowStore store_;  // the rows' blocks
    std::vector<PackedRow> rows_;
    std::optional<TableRow> pending_;  // values until posted
    PackedRowBuilder builder_;
    std::vector<TableIndex> indexes_;
    int active_ = -1;  // position in indexes_
    std::optional<FilterExpression> filter_;
    std::string filterText_;
    bool filtered_ = false;

    // Lazily built view and the cursor over it. The cursor remembers its row
    // so that it stays on the same record when the order changes.
    mutable std::vector<std::size_t> view_;
    mutable bool viewDirty_ = true;
    mutable std::size_t cursorRow_ = kNoRow;
    mutable int cursorPos_ = 0;
    mutable bool eof_ = true;
    mutable bool bof_ = true;

    int updateDepth_ = 0;
    std::optional<TableChange> held_;
    std::vector<TableObserver*> observers_;
};

}  // namespace vantrel
