#pragma once
// Answers as the kiosk reads them: one JSON object with "flag", "msg", the output keys (dotted
// names as nested objects) and, for queries, a table D with D_type and D_typelength.
#include "database.h"

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace stationd {

using Json = nlohmann::ordered_json;

enum class ColumnType { Long, Integer, Money, Boolean, Date, Timestamp, Text, Picture };

struct Column {
    std::string name;
    ColumnType type;
    int length = 0; // text columns; 0 gives the default of 100
};

// Short column makers for the endpoint tables.
namespace col {
inline Column L(std::string name) { return {std::move(name), ColumnType::Long}; }
inline Column I(std::string name) { return {std::move(name), ColumnType::Integer}; }
inline Column N(std::string name) { return {std::move(name), ColumnType::Money}; }
inline Column B(std::string name) { return {std::move(name), ColumnType::Boolean}; }
inline Column D(std::string name) { return {std::move(name), ColumnType::Date}; }
inline Column T(std::string name) { return {std::move(name), ColumnType::Timestamp}; }
inline Column S(std::string name, int length = 0) { return {std::move(name), ColumnType::Text, length}; }
inline Column P(std::string name) { return {std::move(name), ColumnType::Picture}; }
} // namespace col

// The server type name the kiosk turns into a field type.
const char* TypeName(ColumnType type);

class Table {
public:
    explicit Table(std::vector<Column> columns) : columns_(std::move(columns)) {}

    // One row per result row; the statement's result columns come in column order. Money
    // columns are selected as integer cents, Boolean columns as 0/1.
    void AddRows(Database& db, std::string_view sql, std::initializer_list<SqlValue> args);
    void AddRow(Json row) { rows_.push_back(std::move(row)); }
    std::size_t Size() const { return rows_.size(); }
    const std::vector<Column>& Columns() const { return columns_; }
    void WriteTo(Json& answer, const std::string& source) const;

private:
    std::vector<Column> columns_;
    std::vector<Json> rows_;
};

// Sets the output key, following a dotted name into nested objects.
void SetOutput(Json& answer, std::string_view name, Json value);
// True when the dotted key is present.
bool HasOutput(const Json& answer, std::string_view name);
// The value at the dotted key, or null when it is absent.
const Json* FindOutput(const Json& answer, std::string_view name);

// Cents as the kiosk's money value (a number with at most two decimals).
double Money(std::int64_t cents);

} // namespace stationd
