#include "database.h"

#include <sqlite3.h>

namespace stationd {

int Row::Count() const { return sqlite3_column_count(statement_); }
bool Row::IsNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }
bool Row::IsInteger(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_INTEGER; }
bool Row::IsReal(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_FLOAT; }
std::int64_t Row::Int(int column) const { return sqlite3_column_int64(statement_, column); }
double Row::Real(int column) const { return sqlite3_column_double(statement_, column); }

std::string Row::Text(int column) const
{
    const auto* text = sqlite3_column_text(statement_, column);
    if (!text)
        return {};
    return std::string(reinterpret_cast<const char*>(text), sqlite3_column_bytes(statement_, column));
}

std::string Row::Name(int column) const { return sqlite3_column_name(statement_, column); }

Database::Database(const std::string& path)
{
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw DatabaseError("cannot open " + path + ": " + message);
    }
    sqlite3_busy_timeout(db_, 10000);
    Script("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON;");
}

Database::~Database()
{
    for (auto& [sql, statement] : statements_)
        sqlite3_finalize(statement);
    sqlite3_close(db_);
}

void Database::Fail(const std::string& what) const
{
    throw DatabaseError(what + ": " + sqlite3_errmsg(db_));
}

void Database::Script(const std::string& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw DatabaseError(message);
    }
}

sqlite3_stmt* Database::Prepare(std::string_view sql)
{
    const std::string key(sql);
    if (auto found = statements_.find(key); found != statements_.end())
        return found->second;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, key.c_str(), static_cast<int>(key.size()), &statement, nullptr) != SQLITE_OK)
        Fail("cannot prepare [" + key + "]");
    statements_.emplace(key, statement);
    return statement;
}

namespace {

// Resets and unbinds a cached statement however its use ends.
struct StatementUse {
    sqlite3_stmt* statement;
    ~StatementUse()
    {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
    }
};

void Bind(sqlite3_stmt* statement, int index, const SqlValue& value)
{
    if (std::holds_alternative<std::int64_t>(value))
        sqlite3_bind_int64(statement, index, std::get<std::int64_t>(value));
    else if (std::holds_alternative<double>(value))
        sqlite3_bind_double(statement, index, std::get<double>(value));
    else if (std::holds_alternative<std::string>(value)) {
        const auto& text = std::get<std::string>(value);
        sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    } else
        sqlite3_bind_null(statement, index);
}

} // namespace

void Database::Each(std::string_view sql, std::initializer_list<SqlValue> args,
                    const std::function<void(const Row&)>& row)
{
    sqlite3_stmt* statement = Prepare(sql);
    StatementUse use{statement};
    int index = 1;
    for (const auto& arg : args)
        Bind(statement, index++, arg);
    for (;;) {
        const int rc = sqlite3_step(statement);
        if (rc == SQLITE_DONE)
            return;
        if (rc != SQLITE_ROW)
            Fail("cannot run [" + std::string(sql) + "]");
        if (row)
            row(Row(statement));
    }
}

int Database::Run(std::string_view sql, std::initializer_list<SqlValue> args)
{
    Each(sql, args, nullptr);
    return sqlite3_changes(db_);
}

std::optional<std::int64_t> Database::Int(std::string_view sql, std::initializer_list<SqlValue> args)
{
    std::optional<std::int64_t> result;
    Each(sql, args, [&](const Row& r) {
        if (!result && !r.IsNull(0))
            result = r.Int(0);
    });
    return result;
}

std::optional<std::string> Database::Text(std::string_view sql, std::initializer_list<SqlValue> args)
{
    std::optional<std::string> result;
    Each(sql, args, [&](const Row& r) {
        if (!result && !r.IsNull(0))
            result = r.Text(0);
    });
    return result;
}

std::int64_t Database::LastId() const { return sqlite3_last_insert_rowid(db_); }

Transaction::Transaction(Database& db, Mode mode) : db_(db)
{
    db_.Script(mode == Mode::Write ? "BEGIN IMMEDIATE" : "BEGIN");
}

Transaction::~Transaction()
{
    if (open_) {
        try {
            db_.Script("ROLLBACK");
        } catch (...) {
            // A failed rollback leaves SQLite to roll back when the connection closes.
        }
    }
}

void Transaction::Commit()
{
    db_.Script("COMMIT");
    open_ = false;
}

} // namespace stationd
