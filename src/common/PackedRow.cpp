#include "common/PackedRow.h"

#include "common/CopyBytes.h"

#include <cstring>

namespace vantrel {

FieldValue PackedRow::value(std::size_t col, const std::vector<FieldDef>& fields) const {
    const std::string_view bytes = cell(col, fields.size());
    if (bytes.empty()) return FieldValue();
    switch (fields[col].type) {
    case FieldType::Integer: return FieldValue(IntegerIn(bytes));
    case FieldType::Float: return FieldValue(FloatIn(bytes));
    case FieldType::Date: return FieldValue(DateIn(bytes));
    default: return FieldValue(std::string(bytes));
    }
}

TableRow PackedRow::values(const std::vector<FieldDef>& fields) const {
    TableRow row;
    row.reserve(fields.size());
    for (std::size_t c = 0; c < fields.size(); ++c) row.push_back(value(c, fields));
    return row;
}

PackedRow PackedRow::copy(std::size_t cells, RowStore& store) const {
    PackedRow out;
    if (!data_) return out;
    const std::size_t size = bytes(cells);
    char* const block = store.allocate(size);
    std::memcpy(block, data_, size);
    out.data_ = block;
    return out;
}

PackedRow PackedRow::FromTexts(std::span<const std::string_view> texts, std::size_t cells, RowStore& store) {
    const std::size_t head = cells * sizeof(std::uint32_t);
    std::size_t bytes = 0;
    for (const auto text : texts) bytes += text.size();
    PackedRow row;
    char* const block = store.allocate(head + bytes);
    row.data_ = block;
    auto end = static_cast<std::uint32_t>(head);
    for (std::size_t c = 0; c < cells; ++c) {
        if (c < texts.size()) {
            CopyBytes(block + end, texts[c].data(), texts[c].size());
            end += static_cast<std::uint32_t>(texts[c].size());
        }
        std::memcpy(block + c * sizeof end, &end, sizeof end);
    }
    return row;
}

void PackedRowBuilder::clear() {
    ends_.clear();
    bytes_.clear();
}

void PackedRowBuilder::add(std::string_view bytes) {
    bytes_.append(bytes);
    ends_.push_back(static_cast<std::uint32_t>(bytes_.size()));
}

void PackedRowBuilder::addValue(const FieldValue& value) {
    struct Visitor {
        PackedRowBuilder& to;
        void operator()(std::monostate) const { to.add({}); }
        void operator()(const std::string& text) const { to.add(text); }
        void operator()(std::int64_t n) const { to.add({reinterpret_cast<const char*>(&n), sizeof n}); }
        void operator()(double d) const { to.add({reinterpret_cast<const char*>(&d), sizeof d}); }
        void operator()(DateValue d) const {
            to.add({reinterpret_cast<const char*>(&d.yyyymmdd), sizeof d.yyyymmdd});
        }
    };
    std::visit(Visitor{*this}, value.storage());
}

PackedRow PackedRowBuilder::finish(RowStore& store) const {
    PackedRow row;
    const std::size_t head = ends_.size() * sizeof(std::uint32_t);
    char* const block = store.allocate(head + bytes_.size());
    for (std::size_t c = 0; c < ends_.size(); ++c) {
        const auto end = static_cast<std::uint32_t>(head + ends_[c]);
        std::memcpy(block + c * sizeof end, &end, sizeof end);
    }
    if (!bytes_.empty()) std::memcpy(block + head, bytes_.data(), bytes_.size());
    row.data_ = block;
    return row;
}

}  // namespace vantrel
