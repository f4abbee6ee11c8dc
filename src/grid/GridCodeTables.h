#pragma once
// Code tables of the main window's result grids: two Bank.ini sections per
// column, the first giving the stored codes, the second the texts shown for
// them (TradeType 1 shows as 入金). The window and the command-line export
// attach them the same way, after the grid is formatted.
#include "common/Result.h"
#include "grid/GridLayout.h"

#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

class Profile;

struct GridCodeTable {
    std::string grid;          // "DBMoreGrid", ... (the grid's name, not its section)
    std::string field;         // the column, found by field name without regard to case
    std::string keySection;    // [TradeTypeID]
    std::string valueSection;  // [TradeTypeValue]
    // The window's own columns must be in the layout; the simulator's
    // columns (State, ExchangeType) are mapped only when a layout shows them.
    bool required = true;
};

// Every code table, in the order they are applied.
const std::vector<GridCodeTable>& ResultGridCodeTables();

// Attaches the code tables of `gridName` to the layout's columns. A required
// column missing from the layout is an error naming it; the tables before
// it stay attached. A section Bank.ini lacks gives an empty list, so the
// column shows its codes as they are.
Status AttachCodeTables(const Profile& ini, std::string_view gridName, GridLayout& layout);

}  // namespace vantrel
