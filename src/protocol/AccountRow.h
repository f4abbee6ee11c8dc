#pragma once
// The signed-account table's rows as account records.
#include "protocol/SessionTypes.h"

namespace vantrel {

class MemoryTable;

// Copies the current row of `table` over `account`, field by field in table
// order. Throws on a missing column or a money or bank type that is not a
// number; the fields copied before stay. The bank type and the
// online-banking address are copied only for `netBank`.
void ReadAccountRow(const MemoryTable& table, bool netBank, TBankInfo& account);

}  // namespace vantrel
