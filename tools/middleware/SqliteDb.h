#pragma once
// A thin RAII layer over the SQLite C API: one connection, prepared
// statements with bound parameters, and a transaction guard that rolls back
// unless committed.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace vantrel::middleware {

// Any SQLite failure: the request that hit it answers with a failure and the
// transaction is rolled back.
class SqliteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class SqliteDb;

class Statement {
public:
    Statement(SqliteDb& db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Parameters are 1-based, as in SQLite.
    Statement& bind(int index, std::string_view text);
    Statement& bind(int index, std::int64_t value);
    // True while a row is available.
    bool step();
    // Runs a statement that returns no rows.
    void run();
    std::string text(int column) const;
    std::int64_t integer(int column) const;

private:
    SqliteDb& db_;
    sqlite3_stmt* stmt_ = nullptr;
};

class SqliteDb {
public:
    explicit SqliteDb(const std::string& path);
    ~SqliteDb();
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    // For fixed statements only (schema, pragmas); never request text.
    void exec(const char* sql);
    std::int64_t lastInsertId() const;
    sqlite3* handle() { return db_; }
    [[noreturn]] void fail(std::string_view what) const;

private:
    sqlite3* db_ = nullptr;
};

// BEGIN IMMEDIATE on construction; ROLLBACK on destruction unless commit()
// succeeded, so an exception never leaves half a transfer.
class Transaction {
public:
    explicit Transaction(SqliteDb& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    SqliteDb& db_;
    bool done_ = false;
};

}  // namespace vantrel::middleware
