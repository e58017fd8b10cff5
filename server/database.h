#pragma once
// A thin SQLite layer: one connection per thread, prepared statements cached per connection,
// values bound by position, transactions as scope guards. WAL mode and a busy time-out let
// several kiosks' requests run at once.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>

struct sqlite3;
struct sqlite3_stmt;

namespace stationd {

struct DatabaseError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

using SqlValue = std::variant<std::monostate, std::int64_t, double, std::string>;

inline SqlValue SqlNull() { return std::monostate{}; }
inline SqlValue Sql(std::optional<std::int64_t> v) { return v ? SqlValue(*v) : SqlNull(); }

// One result row, valid inside the callback that receives it.
class Row {
public:
    explicit Row(sqlite3_stmt* statement) : statement_(statement) {}
    int Count() const;
    bool IsNull(int column) const;
    bool IsInteger(int column) const;
    bool IsReal(int column) const;
    std::int64_t Int(int column) const;
    double Real(int column) const;
    std::string Text(int column) const;
    std::string Name(int column) const;

private:
    sqlite3_stmt* statement_;
};

class Database {
public:
    explicit Database(const std::string& path);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Runs a script of several statements without parameters.
    void Script(const std::string& sql);
    // Runs one statement; answers the number of rows changed.
    int Run(std::string_view sql, std::initializer_list<SqlValue> args = {});
    void Each(std::string_view sql, std::initializer_list<SqlValue> args, const std::function<void(const Row&)>& row);
    std::optional<std::int64_t> Int(std::string_view sql, std::initializer_list<SqlValue> args = {});
    std::optional<std::string> Text(std::string_view sql, std::initializer_list<SqlValue> args = {});
    std::int64_t LastId() const;

private:
    sqlite3_stmt* Prepare(std::string_view sql);
    [[noreturn]] void Fail(const std::string& what) const;

    sqlite3* db_ = nullptr;
    std::unordered_map<std::string, sqlite3_stmt*> statements_;
};

// BEGIN IMMEDIATE … COMMIT; rolls back when left without Commit(). State-changing requests take
// the write lock up front so two kiosks never interleave a read-check-write.
class Transaction {
public:
    enum class Mode { Read, Write };
    Transaction(Database& db, Mode mode);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit();

private:
    Database& db_;
    bool open_ = true;
};

} // namespace stationd
