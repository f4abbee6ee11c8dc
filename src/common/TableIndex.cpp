#include "common/TableIndex.h"

#include <algorithm>

namespace vantrel {

Result<TableIndex> TableIndex::Create(std::string name, std::string_view fieldList, bool descending,
                                      const std::vector<FieldDef>& fields) {
    if (name.empty()) return Error{"index: the name is empty"};
    TableIndex index;
    std::size_t start = 0;
    while (start <= fieldList.size()) {
        std::size_t end = fieldList.find(';', start);
        if (end == std::string_view::npos) end = fieldList.size();
        std::string_view part = fieldList.substr(start, end - start);
        while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
        while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
        if (!part.empty()) {
            auto found = std::find_if(fields.begin(), fields.end(),
                                      [&](const FieldDef& f) { return EqualsNoCase(f.name, part); });
            if (found == fields.end())
                return Error{"index " + name + ": unknown field \"" + std::string(part) + "\""};
            index.columns_.push_back(static_cast<int>(found - fields.begin()));
        }
        start = end + 1;
    }
    if (index.columns_.empty()) return Error{"index " + name + ": no field given"};
    index.name_ = std::move(name);
    index.descending_ = descending;
    return index;
}

bool TableIndex::covers(int column) const {
    return std::find(columns_.begin(), columns_.end(), column) != columns_.end();
}

bool TableIndex::less(const TableRow& a, const TableRow& b) const {
    for (int column : columns_) {
        auto c = static_cast<std::size_t>(column);
        int order = FieldValue::Compare(a[c], b[c]);
        if (order != 0) return descending_ ? order > 0 : order < 0;
    }
    return false;
}

}  // namespace vantrel
