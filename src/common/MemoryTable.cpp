#include "common/MemoryTable.h"

#include <algorithm>

namespace vantrel {
// ---- fields

int MemoryTable::fieldIndex(std::string_view name) const {
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (EqualsNoCase(fields_[i].name, name)) return static_cast<int>(i);
    return -1;
}

Status MemoryTable::validateNewField(const FieldDef& field,
                                     const std::vector<FieldDef>& existing) const {
    if (field.name.empty()) return Error{"a field needs a name"};
    for (const FieldDef& other : existing)
        if (EqualsNoCase(other.name, field.name))
            return Error{"field \"" + field.name + "\" is defined twice"};
    return {};
}

Status MemoryTable::defineFields(std::vector<FieldDef> fields) {
    std::vector<FieldDef> checked;
    checked.reserve(fields.size());
    for (FieldDef& field : fields) {
        if (Status ok = validateNewField(field, checked); !ok) return ok;
        checked.push_back(std::move(field));
    }
    dropRowsAndSettings();
    fields_ = std::move(checked);
    notify(TableChange::Structure);
    return {};
}

Status MemoryTable::addField(FieldDef field) {
    if (Status ok = validateNewField(field, fields_); !ok) return ok;
    // Every row is packed again with a null cell at the end.
    const std::size_t cells = fields_.size();
    RowStore fresh;
    for (PackedRow& row : rows_) {
        builder_.clear();
        for (std::size_t c = 0; c < cells; ++c) builder_.addText(row.cell(c, cells));
        builder_.addText({});
        row = builder_.finish(fresh);
    }
    store_ = std::move(fresh);
    fields_.push_back(std::move(field));
    if (pending_) pending_->emplace_back();
    notify(TableChange::Structure);
    return {};
}

// ---- rows

Result<FieldValue> MemoryTable::convert(int col, std::string_view text) const {
    if (col < 0 || col >= fieldCount())
        return Error{"no field number " + std::to_string(col) + " in a table of " +
                     std::to_string(fields_.size()) + " fields"};
    const FieldDef& field = fields_[static_cast<std::size_t>(col)];
    auto value = FieldValue::FromText(field.type, std::string(text));
    if (!value) return Error{"field " + field.name + ": " + value.error()};
    return value;
}

Status MemoryTable::appendRow(std::vector<std::string> texts) { return appendRowTexts(texts); }

Status MemoryTable::appendRowTexts(std::span<const std::string> texts) {
    constexpr std::size_t kViews = 32;
    if (texts.size() <= kViews) {
        std::string_view views[kViews];
        for (std::size_t i = 0; i < texts.size(); ++i) views[i] = texts[i];
        return appendRowViews(std::span<const std::string_view>(views, texts.size()));
    }
    const std::vector<std::string_view> views(texts.begin(), texts.end());
    return appendRowViews(views);
}

Status MemoryTable::appendRowViews(std::span<const std::string_view> texts) {
    if (fields_.empty()) return Error{"the table has no fields"};
    if (texts.size() > fields_.size())
        return Error{"a row of " + std::to_string(texts.size()) + " values does not fit " +
                     std::to_string(fields_.size()) + " fields"};
    const bool allText = std::all_of(fields_.begin(), fields_.begin() + static_cast<std::ptrdiff_t>(texts.size()),
                                     [](const FieldDef& field) { return field.type == FieldType::Text; });
    if (allText) {  // answers' rows: packed without a copy through the builder
        commitRow(PackedRow::FromTexts(texts, fields_.size(), store_));
        return {};
    }
    builder_.clear();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const FieldDef& field = fields_[i];
        if (field.type == FieldType::Text) {  // kept as given: no conversion to go through
            builder_.addText(texts[i]);
            continue;
        }
        auto value = FieldValue::FromText(field.type, std::string(texts[i]));
        if (!value) return Error{"field " + field.name + ": " + value.error()};
        builder_.addValue(*value);
    }
    for (std::size_t i = texts.size(); i < fields_.size(); ++i) builder_.addText({});
    commitRow(builder_.finish(store_));
    return {};
}

PackedRow MemoryTable::pack(const TableRow& row) {
    builder_.clear();
    for (const FieldValue& value : row) builder_.addValue(value);
    return builder_.finish(store_);
}

// A replaced row's old block stays in the store: once most of the store is
// such blocks, every row is copied into a fresh one.
void MemoryTable::packRowsAfresh() {
    if (!store_.mostlyAbandoned()) return;
    const std::size_t cells = fields_.size();
    RowStore fresh;
    for (PackedRow& row : rows_) row = row.copy(cells, fresh);
    store_ = std::move(fresh);
}

Status MemoryTable::append() {
    if (pending_) return Error{"a new row is already being edited"};
    if (fields_.empty()) return Error{"the table has no fields"};
    pending_.emplace(fields_.size());
    return {};
}

Status MemoryTable::setText(int col, std::string_view text) {
    if (!pending_) return Error{"no new row is being edited"};
    auto value = convert(col, text);
    if (!value) return Error{value.error()};
    (*pending_)[static_cast<std::size_t>(col)] = std::move(value).value();
    return {};
}

Status MemoryTable::setText(std::string_view field, std::string_view text) {
    int col = fieldIndex(field);
    if (col < 0) return Error{"unknown field \"" + std::string(field) + "\""};
    return setText(col, text);
}

Status MemoryTable::post() {
    if (!pending_) return Error{"no new row is being edited"};
    PackedRow row = pack(*pending_);
    pending_.reset();
    commitRow(std::move(row));
    return {};
}

void MemoryTable::cancel() { pending_.reset(); }

Status MemoryTable::setText(int row, int col, std::string_view text) {
    ensureView();
    if (row < 0 || static_cast<std::size_t>(row) >= view_.size())
        return Error{"no row " + std::to_string(row) + " among " + std::to_string(view_.size())};
    auto value = convert(col, text);
    if (!value) return Error{value.error()};
    std::size_t id = view_[static_cast<std::size_t>(row)];
    TableRow values = rows_[id].values(fields_);
    values[static_cast<std::size_t>(col)] = std::move(value).value();
    store_.abandon(rows_[id].bytes(fields_.size()));
    rows_[id] = pack(values);
    packRowsAfresh();
    // The row may move or leave the view; the cursor stays on its record.
    if ((filtered_ && filter_) || (active_ >= 0 && indexes_[static_cast<std::size_t>(active_)].covers(col)))
        invalidateView();
    notify(TableChange::Rows);
    return {};
}

Status MemoryTable::setText(int row, std::string_view field, std::string_view text) {
    int col = fieldIndex(field);
    if (col < 0) return Error{"unknown field \"" + std::string(field) + "\""};
    return setText(row, col, text);
}

bool MemoryTable::passesFilter(const PackedRow& row) const {
    return !filtered_ || !filter_ || filter_->matches(row.values(fields_));
}

void MemoryTable::commitRow(PackedRow row) {
    rows_.push_back(std::move(row));
    std::size_t id = rows_.size() - 1;
    const PackedRow& added = rows_.back();
    if (!viewDirty_ && passesFilter(added)) {
        // Keep a built view current instead of rebuilding it: the new row
        // goes after its equals, as a stable sort would put it.
        auto at = view_.end();
        if (active_ >= 0) {
            const TableIndex& index = indexes_[static_cast<std::size_t>(active_)];
            const TableRow values = added.values(fields_);
            at = std::upper_bound(view_.begin(), view_.end(), id, [&](std::size_t, std::size_t b) {
                return index.less(values, rows_[b].values(fields_));
            });
        }
        at = view_.insert(at, id);
        cursorRow_ = id;
        cursorPos_ = static_cast<int>(at - view_.begin());
        eof_ = bof_ = false;
    } else if (viewDirty_) {
        cursorRow_ = id;  // found again, if visible, when the view is rebuilt
        eof_ = bof_ = false;
    }
    notify(TableChange::Rows);
}

void MemoryTable::emptyTable() {
    rows_.clear();
    store_.clear();
    pending_.reset();
    invalidateView();
    resetCursor();
    notify(TableChange::Rows);
}

void MemoryTable::clear() {
    dropRowsAndSettings();
    fields_.clear();
    notify(TableChange::Structure);
}

void MemoryTable::dropRowsAndSettings() {
    rows_.clear();
    store_.clear();
    pending_.reset();
    indexes_.clear();
    active_ = -1;
    filter_.reset();
    filterText_.clear();
    filtered_ = false;
    invalidateView();
    resetCursor();
}

// ---- the view

void MemoryTable::ensureView() const {
    if (!viewDirty_) return;
    view_.clear();
    view_.reserve(rows_.size());
    for (std::size_t id = 0; id < rows_.size(); ++id)
        if (passesFilter(rows_[id])) view_.push_back(id);
    if (active_ >= 0) sortView(indexes_[static_cast<std::size_t>(active_)]);
    viewDirty_ = false;

    if (cursorRow_ != kNoRow) {
        auto found = std::find(view_.begin(), view_.end(), cursorRow_);
        if (found != view_.end()) {
            cursorPos_ = static_cast<int>(found - view_.begin());
            return;
        }
    }
    // The record is gone from the view: stay at about the same place.
    if (view_.empty()) {
        cursorPos_ = 0;
        cursorRow_ = kNoRow;
        eof_ = bof_ = true;
        return;
    }
    cursorPos_ = std::clamp(cursorPos_, 0, static_cast<int>(view_.size()) - 1);
    cursorRow_ = view_[static_cast<std::size_t>(cursorPos_)];
    eof_ = false;
    bof_ = cursorPos_ == 0 && bof_;
}

namespace {

// A text sort key: the cell's bytes with ASCII letters folded, so that plain
// byte comparison gives the index order. Null texts sort first.
struct TextKey {
    std::string_view key;
    std::size_t id;
    bool null;
};

// Orders the view of a one-field text index with prepared keys: the generic
// comparison goes through the value type and folds case at every step.
void SortByTextKeys(std::vector<std::size_t>& view, const std::vector<PackedRow>& rows, std::size_t column,
                    std::size_t cells, bool descending) {
    std::size_t bytes = 0;
    for (std::size_t id : view) bytes += rows[id].cell(column, cells).size();
    // The folded keys side by side: the sort then reads one compact block
    // instead of every row's cells.
    std::string arena;
    arena.reserve(bytes);
    std::vector<TextKey> keys;
    keys.reserve(view.size());
    for (std::size_t id : view) {
        const std::string_view text = rows[id].cell(column, cells);
        if (text.empty()) {  // null
            keys.push_back({{}, id, true});
            continue;
        }
        const std::size_t at = arena.size();
        for (char c : text) arena += AsciiLower(c);
        keys.push_back({std::string_view(arena).substr(at), id, false});
    }
    // Ties keep insertion order (the view is in id order here), as a
    // stable sort would.
    auto order = [descending](const TextKey& a, const TextKey& b) {
        int c = a.null != b.null ? (a.null ? -1 : 1) : (a.null ? 0 : a.key.compare(b.key));
        if (descending) c = -c;
        return c != 0 ? c < 0 : a.id < b.id;
    };
    std::sort(keys.begin(), keys.end(), order);
    for (std::size_t i = 0; i < keys.size(); ++i) view[i] = keys[i].id;
}

}  // namespace

void MemoryTable::sortView(const TableIndex& index) const {
    const std::vector<int>& columns = index.columns();
    if (columns.size() == 1 && fields_[static_cast<std::size_t>(columns.front())].type == FieldType::Text) {
        SortByTextKeys(view_, rows_, static_cast<std::size_t>(columns.front()), fields_.size(), index.descending());
        return;
    }
    // The index's cells made once per row, not at every comparison; the
    // other cells stay null.
    const auto width = static_cast<std::size_t>(*std::max_element(columns.begin(), columns.end())) + 1;
    std::vector<TableRow> keys(view_.size(), TableRow(width));
    for (std::size_t i = 0; i < view_.size(); ++i)
        for (int c : columns)
            keys[i][static_cast<std::size_t>(c)] = rows_[view_[i]].value(static_cast<std::size_t>(c), fields_);
    std::vector<std::size_t> order(view_.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return index.less(keys[a], keys[b]); });
    std::vector<std::size_t> sorted;
    sorted.reserve(order.size());
    for (std::size_t i : order) sorted.push_back(view_[i]);
    view_ = std::move(sorted);
}

int MemoryTable::recordCount() const {
    ensureView();
    return static_cast<int>(view_.size());
}

const PackedRow* MemoryTable::viewRow(int row) const {
    ensureView();
    if (row < 0 || static_cast<std::size_t>(row) >= view_.size()) return nullptr;
    return &rows_[view_[static_cast<std::size_t>(row)]];
}

FieldValue MemoryTable::value(int row, int col) const {
    const PackedRow* packed = viewRow(row);
    if (!packed || col < 0 || col >= fieldCount()) return FieldValue();
    return packed->value(static_cast<std::size_t>(col), fields_);
}

std::string_view MemoryTable::storedText(int row, int col) const {
    const PackedRow* packed = viewRow(row);
    if (!packed || col < 0 || col >= fieldCount() || fields_[static_cast<std::size_t>(col)].type != FieldType::Text)
        return {};
    return packed->cell(static_cast<std::size_t>(col), fields_.size());
}

std::string MemoryTable::text(int row, int col) const {
    if (col >= 0 && col < fieldCount() && fields_[static_cast<std::size_t>(col)].type == FieldType::Text)
        return std::string(storedText(row, col));
    return value(row, col).toText();
}

bool MemoryTable::isNull(int row, int col) const {
    const PackedRow* packed = viewRow(row);
    return !packed || col < 0 || col >= fieldCount() ||
           packed->cell(static_cast<std::size_t>(col), fields_.size()).empty();
}

// ---- cursor

void MemoryTable::resetCursor() {
    cursorRow_ = kNoRow;
    cursorPos_ = 0;
    eof_ = false;
    bof_ = true;
}

void MemoryTable::moveTo(int position, bool eof, bool bof) {
    int before = cursorPos_;
    std::size_t beforeRow = cursorRow_;
    cursorPos_ = position;
    cursorRow_ = view_.empty() ? kNoRow : view_[static_cast<std::size_t>(position)];
    eof_ = eof || view_.empty();
    bof_ = bof || view_.empty();
    if (before != cursorPos_ || beforeRow != cursorRow_) notify(TableChange::Cursor);
}

void MemoryTable::first() {
    ensureView();
    moveTo(0, false, true);
}

void MemoryTable::last() {
    ensureView();
    moveTo(view_.empty() ? 0 : static_cast<int>(view_.size()) - 1, true, false);
}

void MemoryTable::next() {
    ensureView();
    if (cursorPos_ + 1 < static_cast<int>(view_.size()))
        moveTo(cursorPos_ + 1, false, false);
    else
        eof_ = true;
}

void MemoryTable::prior() {
    ensureView();
    if (cursorPos_ > 0 && !view_.empty())
        moveTo(cursorPos_ - 1, false, false);
    else
        bof_ = true;
}

bool MemoryTable::eof() const {
    ensureView();
    return eof_ || view_.empty();
}

bool MemoryTable::bof() const {
    ensureView();
    return bof_ || view_.empty();
}

int MemoryTable::recNo() const {
    ensureView();
    return view_.empty() ? -1 : cursorPos_;
}

bool MemoryTable::setRecNo(int row) {
    ensureView();
    if (row < 0 || static_cast<std::size_t>(row) >= view_.size()) return false;
    moveTo(row, false, false);
    return true;
}

std::string MemoryTable::fieldText(int col) const {
    if (pending_) {
        if (col < 0 || col >= fieldCount()) return {};
        return (*pending_)[static_cast<std::size_t>(col)].toText();
    }
    return text(recNo(), col);
}

// ---- indexes

Status MemoryTable::addIndex(std::string name, std::string_view fieldList, bool descending) {
    auto index = TableIndex::Create(std::move(name), fieldList, descending, fields_);
    if (!index) return Error{index.error()};
    auto same = std::find_if(indexes_.begin(), indexes_.end(), [&](const TableIndex& i) {
        return EqualsNoCase(i.name(), index->name());
    });
    if (same == indexes_.end()) {
        indexes_.push_back(std::move(index).value());
        return {};
    }
    *same = std::move(index).value();
    if (same - indexes_.begin() == active_) {
        invalidateView();
        notify(TableChange::Rows);
    }
    return {};
}

Status MemoryTable::setIndex(std::string_view name) {
    int wanted = -1;
    if (!TrimView(name).empty()) {
        for (std::size_t i = 0; i < indexes_.size() && wanted < 0; ++i)
            if (EqualsNoCase(indexes_[i].name(), TrimView(name))) wanted = static_cast<int>(i);
        if (wanted < 0) return Error{"no index named \"" + std::string(name) + "\""};
    }
    if (wanted != active_) {
        active_ = wanted;
        invalidateView();
        notify(TableChange::Rows);
    }
    return {};
}

Status MemoryTable::deleteIndex(std::string_view name) {
    auto found = std::find_if(indexes_.begin(), indexes_.end(),
                              [&](const TableIndex& i) { return EqualsNoCase(i.name(), name); });
    if (found == indexes_.end()) return Error{"no index named \"" + std::string(name) + "\""};
    int position = static_cast<int>(found - indexes_.begin());
    indexes_.erase(found);
    if (position < active_) {
        --active_;
    } else if (position == active_) {
        active_ = -1;
        invalidateView();
        notify(TableChange::Rows);
    }
    return {};
}

void MemoryTable::deleteIndexes() {
    bool hadActive = active_ >= 0;
    indexes_.clear();
    active_ = -1;
    if (hadActive) {
        invalidateView();
        notify(TableChange::Rows);
    }
}

bool MemoryTable::hasIndex(std::string_view name) const {
    return std::any_of(indexes_.begin(), indexes_.end(),
                       [&](const TableIndex& i) { return EqualsNoCase(i.name(), name); });
}

std::string MemoryTable::activeIndex() const {
    return active_ >= 0 ? indexes_[static_cast<std::size_t>(active_)].name() : std::string();
}

std::vector<std::string> MemoryTable::indexNames() const {
    std::vector<std::string> names;
    for (const TableIndex& index : indexes_) names.push_back(index.name());
    return names;
}

// ---- filter

Status MemoryTable::setFilter(std::string_view expression) {
    if (TrimView(expression).empty()) {
        filter_.reset();
        filterText_.clear();
        filtered_ = false;
    } else {
        auto parsed = FilterExpression::Parse(expression);
        if (!parsed) return Error{parsed.error()};
        if (Status bound = parsed.value().bind(fields_); !bound) return bound;
        filter_ = std::move(parsed).value();
        filterText_ = std::string(expression);
        filtered_ = true;
    }
    invalidateView();
    resetCursor();
    notify(TableChange::Rows);
    return {};
}

void MemoryTable::setFiltered(bool on) {
    if (on == filtered_) return;
    filtered_ = on;
    invalidateView();
    resetCursor();
    notify(TableChange::Rows);
}

// ---- copy

void MemoryTable::copyFrom(const MemoryTable& other) {
    if (&other == this) return;
    other.ensureView();
    std::vector<PackedRow> rows;
    RowStore store;
    rows.reserve(other.view_.size());
    for (std::size_t id : other.view_) rows.push_back(other.rows_[id].copy(other.fields_.size(), store));
    dropRowsAndSettings();
    fields_ = other.fields_;
    store_ = std::move(store);
    rows_ = std::move(rows);
    notify(TableChange::Structure);
}

// ---- observers

void MemoryTable::endUpdate() {
    if (updateDepth_ == 0) return;
    if (--updateDepth_ > 0 || !held_) return;
    TableChange change = *held_;
    held_.reset();
    notify(change);
}

void MemoryTable::addObserver(TableObserver* observer) {
    if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void MemoryTable::removeObserver(TableObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void MemoryTable::notify(TableChange change) {
    if (updateDepth_ > 0) {
        held_ = held_ ? std::max(*held_, change) : change;
        return;
    }
    // An observer may remove itself or another one while being told.
    auto snapshot = observers_;
    for (TableObserver* observer : snapshot)
        if (std::find(observers_.begin(), observers_.end(), observer) != observers_.end())
            observer->tableChanged(*this, change);
}

}  // namespace vantrel
