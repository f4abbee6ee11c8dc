#include "common/PackedRow.h"

#include <cstring>

namespace vantrel {

namespace {

template <class T>
T Read(std::string_view bytes) {
    T value{};
    std::memcpy(&value, bytes.data(), sizeof value);
    return value;
}

}  // namespace

FieldValue PackedRow::value(std::size_t col, const std::vector<FieldDef>& fields) const {
    const std::string_view bytes = cell(col, fields.size());
    if (bytes.empty()) return FieldValue();
    switch (fields[col].type) {
    case FieldType::Integer: return FieldValue(Read<std::int64_t>(bytes));
    case FieldType::Float: return FieldValue(Read<double>(bytes));
    case FieldType::Date: return FieldValue(DateValue{Read<std::int32_t>(bytes)});
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

namespace {

// Most cells are a few bytes: fixed-size moves of overlapping halves beat a
// call to memcpy for each.
inline void CopyCell(char* to, const char* from, std::size_t n) {
    if (n >= 8 && n <= 16) {
        std::uint64_t a, b;
        std::memcpy(&a, from, 8);
        std::memcpy(&b, from + n - 8, 8);
        std::memcpy(to, &a, 8);
        std::memcpy(to + n - 8, &b, 8);
    } else if (n >= 4 && n < 8) {
        std::uint32_t a, b;
        std::memcpy(&a, from, 4);
        std::memcpy(&b, from + n - 4, 4);
        std::memcpy(to, &a, 4);
        std::memcpy(to + n - 4, &b, 4);
    } else if (n < 4) {
        for (std::size_t i = 0; i < n; ++i) to[i] = from[i];
    } else {
        std::memcpy(to, from, n);
    }
}

}  // namespace

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
            CopyCell(block + end, texts[c].data(), texts[c].size());
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
