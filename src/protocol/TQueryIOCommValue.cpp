#include "protocol/TQueryIOCommValue.h"

#include "common/FieldValue.h"
#include "common/SafeFormat.h"
#include "common/TextUtil.h"
#include "protocol/FunctionCodes.h"

namespace vantrel {

TQueryIOCommValue::TQueryIOCommValue(Session& session, LogSink* owner) : TBankTransfer(session, owner, 10) {
    body_ = {{"CustTradeID", &CustTradeID}, {"CustMoneyPwd", &CustMoneyPwd}, {"Memo", &Memo}, {kTradeDate}, {kTradeTime}};
}

bool TQueryIOCommValue::Execute() {
    return SendBody(FunctionCode::SystemParams, std::string("1") + (Direction == 1 ? "1" : "0"));
}

std::string TQueryIOCommValue::CommissionText() {
    if (ResultTable.recordCount() == 0) return "0";
    const int column = ResultTable.fieldIndex("ProRet");
    if (column < 0) return "0";
    const auto cents = ReadDecimal(ResultTable.fieldText(column));
    if (!cents) return "0";
    return Format("%.2f", *cents / 100.0).valueOr("0");
}

}  // namespace vantrel
