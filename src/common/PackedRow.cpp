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

PackedRow PackedRow::copy(std::size_t cells) const {
    PackedRow out;
    if (!data_) return out;
    const std::size_t size = cells == 0 ? 0 : end(cells - 1);
    out.data_ = std::make_unique_for_overwrite<char[]>(size);
    std::memcpy(out.data_.get(), data_.get(), size);
    return out;
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

PackedRow PackedRowBuilder::finish() const {
    PackedRow row;
    const std::size_t head = ends_.size() * sizeof(std::uint32_t);
    row.data_ = std::make_unique_for_overwrite<char[]>(head + bytes_.size());
    for (std::size_t c = 0; c < ends_.size(); ++c) {
        const auto end = static_cast<std::uint32_t>(head + ends_[c]);
        std::memcpy(row.data_.get() + c * sizeof end, &end, sizeof end);
    }
    if (!bytes_.empty()) std::memcpy(row.data_.get() + head, bytes_.data(), bytes_.size());
    return row;
}

}  // namespace vantrel
