#pragma once
// One table row in one heap block: the end offset of every cell, then the
// cells' bytes. A text cell holds its UTF-8 text, an integer or a float its
// 8 bytes, a date its 4; an empty cell is null. A row of FieldValues takes
// 40 bytes a cell plus a block per long text; this takes 4 bytes a cell
// plus the texts.
//
// A row does not know its field count or types; the table passes them. Its
// block belongs to the table's RowStore.
#include "common/FieldValue.h"
#include "common/RowStore.h"
#include "common/TableIndex.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

class PackedRow {
public:
    PackedRow() = default;

    // The bytes of cell `col` of a row of `cells` cells.
    std::string_view cell(std::size_t col, std::size_t cells) const {
        const std::uint32_t begin = col == 0 ? static_cast<std::uint32_t>(cells * sizeof(std::uint32_t)) : end(col - 1);
        return {data_ + begin, end(col) - begin};
    }
    // The size of the whole block of a row of `cells` cells.
    std::size_t bytes(std::size_t cells) const { return data_ == nullptr || cells == 0 ? 0 : end(cells - 1); }
    FieldValue value(std::size_t col, const std::vector<FieldDef>& fields) const;
    // A non-null cell's value read straight from its bytes, for readers of
    // many cells that know the field's type (no FieldValue each).
    static std::int64_t IntegerIn(std::string_view bytes) { return Read<std::int64_t>(bytes); }
    static double FloatIn(std::string_view bytes) { return Read<double>(bytes); }
    static DateValue DateIn(std::string_view bytes) { return DateValue{Read<std::int32_t>(bytes)}; }
    // Every cell decoded, for the filter and the generic index order.
    TableRow values(const std::vector<FieldDef>& fields) const;
    PackedRow copy(std::size_t cells, RowStore& store) const;
    // A row of `cells` text cells packed straight from `texts` (no more of
    // them than cells); the cells after them are null.
    static PackedRow FromTexts(std::span<const std::string_view> texts, std::size_t cells, RowStore& store);

private:
    friend class PackedRowBuilder;
    template <class T>
    static T Read(std::string_view bytes) {
        T value{};
        std::memcpy(&value, bytes.data(), sizeof value);
        return value;
    }
    std::uint32_t end(std::size_t col) const {
        std::uint32_t at;
        std::memcpy(&at, data_ + col * sizeof at, sizeof at);
        return at;
    }
    const char* data_ = nullptr;
};

// Collects a row's cells in order and packs them into one block.
class PackedRowBuilder {
public:
    void clear();
    void addText(std::string_view text) { add(text); }
    void addValue(const FieldValue& value);
    PackedRow finish(RowStore& store) const;

private:
    void add(std::string_view bytes);
    std::vector<std::uint32_t> ends_;
    std::string bytes_;
};

}  // namespace vantrel
