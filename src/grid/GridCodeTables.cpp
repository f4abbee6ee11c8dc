#include "grid/GridCodeTables.h"

#include "common/Profile.h"
#include "common/TextUtil.h"

namespace vantrel {

const std::vector<GridCodeTable>& ResultGridCodeTables() {
    static const std::vector<GridCodeTable> tables = {
        {"DBMoreGrid", "CardIDType", "CardID", "CardIDValue", true},
        {"DBMoreGrid", "BusinType", "BusinessID", "BusinessValue", true},
        {"DBMoreGrid", "MoneySty", "MoneyStyID", "MoneyStyValue", true},
        {"DBMoreGrid", "WaterState", "WaterStateID", "WaterStateValue", true},
        {"DBMoreGrid", "TradeType", "TradeTypeID", "TradeTypeValue", true},
        {"DBMoreGrid", "CheckState", "CheckStateID", "CheckStateValue", true},
        {"DBMoreGrid", "MoneyType", "MoneyTypeID", "MoneyTypeValue", true},
        {"DBMoreGrid", "State", "StateID", "StateValue", false},
        {"DBMoneyGrid", "MoneyType", "MoneyTypeID", "MoneyTypeValue", true},
        {"DBCardMoneyGrid", "MoneyType", "MoneyTypeID", "MoneyTypeValue", true},
        {"DBRateMoreGrid", "TradeType", "RateTypeID", "RateTypeValue", true},
        {"DBRateMoreGrid", "BusinType", "BusinessID", "BusinessValue", true},
        {"DBRateMoreGrid", "MoneySty", "MoneyStyID", "MoneyStyValue", true},
        {"DBRateMoreGrid", "BaseMoneyType", "MoneyTypeID", "MoneyTypeValue", true},
        {"DBRateMoreGrid", "Sign", "MoneyTypeID", "MoneyTypeValue", true},
        {"DBRateMoreGrid", "MoneyType", "MoneyTypeID", "MoneyTypeValue", true},
        {"DBRateMoreGrid", "WaterState", "WaterStateID", "WaterStateValue", true},
        {"DBRateMoreGrid", "DealState", "ProcessStateID", "ProcessStateValue", true},
        {"DBRateMoreGrid", "CheckState", "CheckStateID", "CheckStateValue", true},
        {"DBRateMoreGrid", "ExchangeType", "RateTypeID", "RateTypeValue", false},
        {"DBRateMoreGrid", "State", "StateID", "StateValue", false},
    };
    return tables;
}

Status AttachCodeTables(const Profile& ini, std::string_view gridName, GridLayout& layout) {
    for (const auto& table : ResultGridCodeTables()) {
        if (!EqualsNoCase(table.grid, gridName)) continue;
        GridColumn* column = nullptr;
        for (auto& candidate : layout.columns)
            if (!candidate.isFiller() && EqualsNoCase(candidate.fieldName, table.field)) {
                column = &candidate;
                break;
            }
        if (!column) {
            if (!table.required) continue;
            return Error{"grid " + std::string(gridName) + " has no column " + table.field + " for the code table [" +
                         table.keySection + "]"};
        }
        column->keyList = ini.sectionValues(table.keySection);
        column->pickList = ini.sectionValues(table.valueSection);
    }
    return Status::success();
}

}  // namespace vantrel
