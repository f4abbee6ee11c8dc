#pragma once
// Reads the simulator's ledger behind its back, for checking what a step left.
#include <sqlite3.h>

#include <string>

namespace vantrel::test {

// The first column of the first row of `sql` in the ledger at `dbPath`, as
// text ("" when there is no row or the query fails).
inline std::string LedgerText(const std::string& dbPath, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string value;
    if (sqlite3_open(dbPath.c_str(), &db) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 2000);
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW) {
            if (const auto* text = sqlite3_column_text(statement, 0)) value = reinterpret_cast<const char*>(text);
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return value;
}

}  // namespace vantrel::test
