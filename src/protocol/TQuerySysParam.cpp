#include "protocol/TQuerySysParam.h"

#include "common/TextUtil.h"

namespace vantrel {

TQuerySysParam::TQuerySysParam() { SubCode.assign(1, '0'); }

bool TQuerySysParam::Execute() {
    return RunRequest("70002", [this] {
        return RequestFields{{"CustTradeID", CustTradeID},
                             {"CustMoneyPwd", CustMoneyPwd},
                             {"Memo", Memo},
                             {"TradeDate", TodayText()},
                             {"TradeTime", NowText()}};
    });
}

template <class Visit>
void TQuerySysParam::ForEachMatch(std::string_view param, std::string_view orderCode, Visit visit) {
    auto& table = ResultTable;
    const int orderColumn = table.fieldIndex("OrderCode");
    const int paramColumn = table.fieldIndex("Param");
    const int valueColumn = table.fieldIndex("ProRet");
    const auto wantedOrder = TrimView(orderCode);
    const auto wantedParam = TrimView(param);
    for (table.first(); !table.eof(); table.next()) {
        // A row without the columns cannot match; the walk goes on.
        if (orderColumn < 0 || paramColumn < 0 || valueColumn < 0) continue;
        if (TrimView(table.fieldText(orderColumn)) != wantedOrder) continue;
        if (!EqualsNoCase(TrimView(table.fieldText(paramColumn)), wantedParam)) continue;
        if (!visit(Trim(table.fieldText(valueColumn)))) return;
    }
}

std::string TQuerySysParam::FindParam(std::string_view param, std::string_view orderCode) {
    std::string found;
    ForEachMatch(param, orderCode, [&](std::string value) {
        found = std::move(value);
        return false;
    });
    return found;
}

std::string TQuerySysParam::ParamSwitch(std::string_view param, std::string_view orderCode,
                                        bool& isZero) {
    std::string value = "1";
    if (ResultTable.recordCount() == 0) return value;
    ForEachMatch(param, orderCode, [&](std::string found) {
        value = std::move(found);
        return true;
    });
    isZero = value == "0";
    return value;
}

}  // namespace vantrel
