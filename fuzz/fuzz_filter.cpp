// Filter expressions come from configuration and code today, but the parser
// must hold against any text: parse the input against a small fixed table,
// apply it, and check that the view agrees with the expression.
#include "common/FilterExpression.h"
#include "common/MemoryTable.h"
#include "common/TextUtil.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

vantrel::MemoryTable& Table() {
    static vantrel::MemoryTable* table = [] {
        auto* t = new vantrel::MemoryTable;
        using vantrel::FieldType;
        (void)t->defineFields({{"BankID"}, {"BankName"}, {"TradeType", FieldType::Integer},
                               {"Money", FieldType::Float}, {"Day", FieldType::Date}});
        (void)t->appendRow({"999", "Forex", "1", "12.5", "2024-03-05"});
        (void)t->appendRow({"001", "O'Brien", "0", "-3", "20231231"});
        (void)t->appendRow({"abc", "", "", "", ""});
        (void)t->appendRow({"10", "中国银行", "1", "0.1", "2024/02/29"});
        (void)t->addIndex("Money_UP", "Money;BankID", true);
        (void)t->setIndex("Money_UP");
        return t;
    }();
    return *table;
}

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    vantrel::MemoryTable& table = Table();
    (void)table.setFilter("BankID<>999");
    const std::string before = table.filter();

    auto parsed = vantrel::FilterExpression::Parse(text);
    vantrel::Status applied = table.setFilter(text);
    if (!applied) {
        Check(table.filter() == before);
        Check(table.recordCount() == 3);
        return 0;
    }
    if (!parsed) {
        Check(vantrel::TrimView(text).empty());  // only a blank text clears
        Check(table.recordCount() == table.totalRowCount());
        return 0;
    }
    vantrel::FilterExpression expression = std::move(parsed).value();
    Check(expression.bind(table.fields()).ok());

    // Every visible row matches; the hidden ones do not.
    int matching = 0;
    table.setFiltered(false);
    for (int row = 0; row < table.recordCount(); ++row) {
        std::vector<vantrel::FieldValue> cells;
        for (int col = 0; col < table.fieldCount(); ++col) cells.push_back(table.value(row, col));
        if (expression.matches(cells)) ++matching;
    }
    table.setFiltered(true);
    Check(table.recordCount() == matching);
    for (table.first(); !table.eof(); table.next()) (void)table.fieldText("BankName");
    return 0;
}
