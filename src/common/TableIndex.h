#pragma once
// A named sort order of an in-memory table over one or more fields.
#include "common/FieldValue.h"
#include "common/Result.h"

#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

using TableRow = std::vector<FieldValue>;

class TableIndex {
public:
    // `fieldList` names fields separated by ';' ("BankID;MoneyType"), any case.
    static Result<TableIndex> Create(std::string name, std::string_view fieldList, bool descending,
                                     const std::vector<FieldDef>& fields);

    const std::string& name() const { return name_; }
    const std::vector<int>& columns() const { return columns_; }
    bool descending() const { return descending_; }
    bool covers(int column) const;

    // Strict ordering of two rows; descending reverses every field, so
    // nulls come last there. Equal rows keep their insertion order because
    // the table sorts stably.
    bool less(const TableRow& a, const TableRow& b) const;

private:
    std::string name_;
    std::vector<int> columns_;
    bool descending_ = false;
};

}  // namespace vantrel
