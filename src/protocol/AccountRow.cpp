#include "protocol/AccountRow.h"

#include <stdexcept>

#include "common/MemoryTable.h"
#include "common/TextUtil.h"

namespace vantrel {
namespace {

std::string Cell(const MemoryTable& table, std::string_view field) {
    const int column = table.fieldIndex(field);
    if (column < 0) throw std::runtime_error("no column " + std::string(field));
    return table.fieldText(column);
}

int IntegerCell(const MemoryTable& table, std::string_view field) {
    const std::string text = Trim(Cell(table, field));
    if (text.empty()) return 0;
    std::size_t used = 0;
    const int value = std::stoi(text, &used);
    if (used != text.size()) throw std::invalid_argument("not a number: " + text);
    return value;
}

}  // namespace

void ReadAccountRow(const MemoryTable& table, bool netBank, TBankInfo& account) {
    account.BankID = Cell(table, "BankID");
    account.BankName = Cell(table, "BankName");
    account.CustBankAcctNo = Cell(table, "CustBankAcctNo");
    account.MoneyType = IntegerCell(table, "MoneyType");
    account.CompId = Cell(table, "CompId");
    if (netBank) {
        account.BankType = IntegerCell(table, "BankType");
        account.Url = Cell(table, "Url");
    }
}

}  // namespace vantrel
