#include "answer.h"

namespace stationd {

const char* TypeName(ColumnType type)
{
    switch (type) {
    case ColumnType::Long: return "Long";
    case ColumnType::Integer: return "Integer";
    case ColumnType::Money: return "BigDecimal";
    case ColumnType::Boolean: return "Boolean";
    case ColumnType::Date: return "Date";
    case ColumnType::Timestamp: return "Timestamp";
    case ColumnType::Text: return "String";
    case ColumnType::Picture: return "String";
    }
    return "String";
}

double Money(std::int64_t cents) { return static_cast<double>(cents) / 100.0; }

namespace {

Json CellValue(const Row& row, int index, ColumnType type)
{
    if (row.IsNull(index))
        return nullptr;
    switch (type) {
    case ColumnType::Long:
    case ColumnType::Integer: return row.Int(index);
    case ColumnType::Money: return row.IsInteger(index) ? Money(row.Int(index)) : row.Real(index);
    case ColumnType::Boolean: return row.Int(index) != 0;
    default: return row.Text(index);
    }
}

} // namespace

void Table::AddRows(Database& db, std::string_view sql, std::initializer_list<SqlValue> args)
{
    db.Each(sql, args, [&](const Row& row) {
        Json object = Json::object();
        const int count = std::min<int>(row.Count(), static_cast<int>(columns_.size()));
        for (int i = 0; i < count; ++i)
            object[columns_[i].name] = CellValue(row, i, columns_[i].type);
        rows_.push_back(std::move(object));
    });
}

void Table::WriteTo(Json& answer, const std::string& source) const
{
    Json rows = Json::array();
    for (const auto& row : rows_)
        rows.push_back(row);
    Json types = Json::object();
    Json lengths = Json::object();
    for (const auto& column : columns_) {
        types[column.name] = TypeName(column.type);
        if (column.type == ColumnType::Picture)
            lengths[column.name] = 1048576;
        else if (column.type == ColumnType::Text)
            lengths[column.name] = column.length > 0 ? column.length : 100;
    }
    answer[source] = std::move(rows);
    answer[source + "_type"] = std::move(types);
    answer[source + "_typelength"] = std::move(lengths);
}

void SetOutput(Json& answer, std::string_view name, Json value)
{
    Json* node = &answer;
    std::size_t at = 0;
    for (;;) {
        const auto dot = name.find('.', at);
        const std::string part(name.substr(at, dot == std::string_view::npos ? std::string_view::npos : dot - at));
        if (dot == std::string_view::npos) {
            (*node)[part] = std::move(value);
            return;
        }
        Json& child = (*node)[part];
        if (!child.is_object())
            child = Json::object();
        node = &child;
        at = dot + 1;
    }
}

bool HasOutput(const Json& answer, std::string_view name) { return FindOutput(answer, name) != nullptr; }

const Json* FindOutput(const Json& answer, std::string_view name)
{
    const Json* node = &answer;
    std::size_t at = 0;
    for (;;) {
        const auto dot = name.find('.', at);
        const std::string part(name.substr(at, dot == std::string_view::npos ? std::string_view::npos : dot - at));
        if (!node->is_object() || !node->contains(part))
            return nullptr;
        node = &node->at(part);
        if (dot == std::string_view::npos)
            return node;
        at = dot + 1;
    }
}

} // namespace stationd
