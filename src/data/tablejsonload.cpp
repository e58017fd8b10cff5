// Loading JSON tables into a dataset: field definitions from the server's type names and the
// rows, converted value by value straight from the parsed answer into the records.
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "data/tablejson.h"
#include "data/tablejson_p.h"
#include "platform/textutil.h"

namespace kiosk::tablejson {

using simdjson::dom::element;
using simdjson::dom::element_type;

namespace {

constexpr int kDefaultLength = 300;
constexpr int kLongestText = 20000;

enum class LoadKind { Date, Integer, Float, Boolean, Text };

struct Column {
    TField* field;
    LoadKind kind;
    std::int64_t low;
    std::int64_t high;
};

// At most 60 bytes of a value for an error text, cut on a character boundary.
std::string Excerpt(std::string text)
{
    if (text.size() <= 60) return text;
    std::size_t cut = 60;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    text.resize(cut);
    return text + "…";
}

[[noreturn]] void BadValue(const TField& field, element value, std::string_view what)
{
    throw Exception(Format("字段“%s”的值“%s”不是有效的%s", {field.FieldName(), Excerpt(TextOf(value)), what}));
}

[[noreturn]] void OutOfRange(const TField& field, element value)
{
    throw Exception(Format("字段“%s”的值“%s”超出范围", {field.FieldName(), Excerpt(TextOf(value))}));
}

LoadKind KindOf(TFieldType type)
{
    if (IsDateTimeType(type)) return LoadKind::Date;
    if (IsIntegerType(type)) return LoadKind::Integer;
    if (IsFloatType(type)) return LoadKind::Float;
    if (type == ftBoolean) return LoadKind::Boolean;
    return LoadKind::Text;
}

Column ColumnOf(TField& field)
{
    Column c{&field, KindOf(field.DataType()), std::numeric_limits<std::int64_t>::min(),
             std::numeric_limits<std::int64_t>::max()};
    switch (field.DataType()) {
    case ftInteger:
    case ftAutoInc:
        c.low = std::numeric_limits<int>::min();
        c.high = std::numeric_limits<int>::max();
        break;
    case ftSmallint: c.low = -32768; c.high = 32767; break;
    case ftWord: c.low = 0; c.high = 65535; break;
    default: break;
    }
    return c;
}

bool IsBlank(std::string_view s)
{
    for (char ch : s)
        if (static_cast<unsigned char>(ch) > ' ') return false;
    return true;
}

DateTime FitDateType(DateTime d, TFieldType type)
{
    if (type == ftDate) return d.DateOnly();
    if (type == ftTime) return DateTime::FromMsecs(d.Msecs() - d.DateOnly().Msecs());
    return d;
}

// The server writes a date-time as "2013-05-01T08:30:00", "2013-05-01 08:30:00" or a plain
// date; the first ten characters, a blank and the rest from the twelfth are parsed. A number
// counts as milliseconds since 1970 UTC, the form JSonFromDataSet writes.
Value DateValue(element value, const Column& c)
{
    const TFieldType type = c.field->DataType();
    if (value.is_number()) {
        const double ms = double(value);
        if (!std::isfinite(ms) || std::trunc(ms) != ms || std::fabs(ms) > 1e15) BadValue(*c.field, value, "日期时间");
        return Value(FitDateType(EpochMsecsToLocal(static_cast<std::int64_t>(ms)), type));
    }
    std::string_view s;
    if (value.get_string().get(s)) BadValue(*c.field, value, "日期时间");
    if (IsBlank(s)) return Value();
    char buf[64];
    std::string longer;
    std::string_view text;
    const std::string_view head = s.substr(0, 10);
    const std::string_view tail = s.size() > 11 ? s.substr(11) : std::string_view();
    if (head.size() + 1 + tail.size() <= sizeof buf) {
        std::memcpy(buf, head.data(), head.size());
        buf[head.size()] = ' ';
        if (!tail.empty()) std::memcpy(buf + head.size() + 1, tail.data(), tail.size());
        text = std::string_view(buf, head.size() + 1 + tail.size());
    } else {
        longer = std::string(head) + ' ' + std::string(tail);
        text = longer;
    }
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
    const auto parsed = DateTime::Parse(text);
    if (!parsed) BadValue(*c.field, value, "日期时间");
    return Value(FitDateType(*parsed, type));
}

// A number with a fraction is rounded to the nearest integer, halves away from zero.
std::int64_t RoundedInteger(double d, element value, const Column& c)
{
    const double rounded = std::round(d);
    if (!(rounded >= -9.2233720368547758e18 && rounded < 9.2233720368547758e18)) OutOfRange(*c.field, value);
    return static_cast<std::int64_t>(rounded);
}

Value IntegerValue(element value, const Column& c)
{
    std::int64_t i = 0;
    switch (value.type()) {
    case element_type::INT64: i = std::int64_t(value); break;
    case element_type::UINT64: OutOfRange(*c.field, value);
    case element_type::DOUBLE: i = RoundedInteger(double(value), value, c); break;
    case element_type::STRING: {
        const std::string t = Trim(std::string_view(value));
        double d = 0;
        if (t.empty()) {
            i = 0;
        } else if (!TryStrToInt64(t, i)) {
            if (!TryStrToFloat(t, d)) BadValue(*c.field, value, "整数");
            i = RoundedInteger(d, value, c);
        }
        break;
    }
    case element_type::BOOL: i = bool(value) ? 1 : 0; break;
    default: BadValue(*c.field, value, "整数");
    }
    if (i < c.low || i > c.high) OutOfRange(*c.field, value);
    return Value(i);
}

Value FloatValue(element value, const Column& c)
{
    switch (value.type()) {
    case element_type::INT64: return Value(static_cast<double>(std::int64_t(value)));
    case element_type::UINT64: return Value(static_cast<double>(std::uint64_t(value)));
    case element_type::DOUBLE: return Value(double(value));
    case element_type::BOOL: return Value(bool(value) ? 1.0 : 0.0);
    case element_type::STRING: {
        const std::string_view s = std::string_view(value);
        if (IsBlank(s)) return Value(0.0);
        double d = 0;
        if (!TryStrToFloat(Trim(s), d)) BadValue(*c.field, value, "数值");
        if (!std::isfinite(d)) OutOfRange(*c.field, value);
        return Value(d);
    }
    default: BadValue(*c.field, value, "数值");
    }
}

// A text is false when it is blank, a word for false or a number equal to zero, and true
// otherwise.
bool TextAsBoolean(std::string_view text)
{
    const std::string t = Trim(text);
    double number = 0;
    if (TryStrToFloat(t, number)) return number != 0;
    for (const char* no : {"", "false", "f", "no", "n", "off"})
        if (SameText(t, no)) return false;
    return true;
}

Value BooleanValue(element value, const Column& c)
{
    switch (value.type()) {
    case element_type::BOOL: return Value(bool(value));
    case element_type::INT64: return Value(std::int64_t(value) != 0);
    case element_type::UINT64: return Value(true);
    case element_type::DOUBLE: return Value(double(value) != 0);
    case element_type::STRING: return Value(TextAsBoolean(std::string_view(value)));
    default: BadValue(*c.field, value, "布尔值");
    }
}

// JSON null first, then by the field's kind: date and time, integer, other number, Boolean,
// text (strings, memos and blobs take the value's text).
Value Convert(element value, const Column& c)
{
    if (value.is_null()) return Value();
    switch (c.kind) {
    case LoadKind::Date: return DateValue(value, c);
    case LoadKind::Integer: return IntegerValue(value, c);
    case LoadKind::Float: return FloatValue(value, c);
    case LoadKind::Boolean: return BooleanValue(value, c);
    case LoadKind::Text: break;
    }
    std::string_view s;
    if (!value.get_string().get(s)) return Value(s);
    return Value(TextOf(value));
}

// Member name → field, remembered by member position: rows of one answer list their members
// in the same order, so each lookup is one comparison. Names the cache has not seen are found
// through a hash of the field names (letter case folded), so an answer of many columns loads
// in time proportional to its size.
class FieldCache {
public:
    explicit FieldCache(const TDataSet& cds)
    {
        byName_.reserve(static_cast<std::size_t>(cds.FieldCount()));
        // The first field of a name wins, as FindField finds it.
        for (int i = cds.FieldCount() - 1; i >= 0; --i) byName_[LowerCase(cds.Fields(i).FieldName())] = i;
    }
    int Lookup(std::size_t position, std::string_view key)
    {
        if (position < slots_.size() && slots_[position].first == key) return slots_[position].second;
        const auto found = byName_.find(LowerCase(key));
        const int index = found == byName_.end() ? -1 : found->second;
        if (position < slots_.size()) slots_[position] = {key, index};
        else slots_.emplace_back(key, index);
        return index;
    }

private:
    std::unordered_map<std::string, int> byName_;
    std::vector<std::pair<std::string_view, int>> slots_;
};

void LoadRecord(simdjson::dom::object row, FieldCache& cache, const std::vector<Column>& columns)
{
    std::size_t position = 0;
    for (auto member : row) {
        const int index = cache.Lookup(position++, member.key);
        if (index < 0) continue;
        const Column& c = columns[static_cast<std::size_t>(index)];
        c.field->SetData(Convert(member.value, c));
    }
}

struct ControlsResume {
    TDataSet& cds;
    ~ControlsResume() { cds.EnableControls(); }
};

} // namespace

std::string TextOf(element value)
{
    switch (value.type()) {
    case element_type::STRING: return std::string(std::string_view(value));
    case element_type::INT64: return IntToStr(std::int64_t(value));
    case element_type::UINT64: return std::to_string(std::uint64_t(value));
    case element_type::DOUBLE: return FloatToStr(double(value));
    case element_type::BOOL: return bool(value) ? "true" : "false";
    case element_type::NULL_VALUE: return {};
    case element_type::ARRAY:
    case element_type::OBJECT: return simdjson::minify(value);
    }
    return {};
}

void ThrowParseError(simdjson::error_code error)
{
    if (error == simdjson::MEMALLOC) throw std::bad_alloc();
    throw Exception(Format("JSON解析失败：%s", {simdjson::error_message(error)}));
}

// Appends one record per element of `rows`, each member going to the field of its name
// (letter case ignored); members without a field are skipped.
void LoadRows(TDataSet& cds, element rows)
{
    simdjson::dom::array array;
    if (rows.get_array().get(array)) throw Exception("表格数据不是JSON数组");
    if (!cds.Active()) cds.Open();
    std::vector<Column> columns;
    columns.reserve(static_cast<std::size_t>(cds.FieldCount()));
    for (int i = 0; i < cds.FieldCount(); ++i) columns.push_back(ColumnOf(cds.Fields(i)));
    FieldCache cache(cds);
    cds.ReserveRecords(array.size());
    cds.DisableControls();
    ControlsResume resume{cds};
    for (element item : array) {
        if (!cds.Append()) return;
        // An element that is not a row object leaves its record with every field null.
        simdjson::dom::object row;
        if (!item.get_object().get(row)) {
            try {
                LoadRecord(row, cache, columns);
            } catch (...) {
                cds.Cancel();
                throw;
            }
        }
        cds.Post();
    }
}

int FieldSize(std::string_view name, element lengths)
{
    simdjson::dom::object object;
    element entry;
    if (lengths.get_object().get(object) || object.at_key(name).get(entry)) return kDefaultLength;
    std::int64_t length = kDefaultLength;
    switch (entry.type()) {
    case element_type::NULL_VALUE: return kDefaultLength;
    case element_type::INT64: length = std::int64_t(entry); break;
    case element_type::DOUBLE: {
        const double d = double(entry);
        if (std::trunc(d) != d || std::fabs(d) > 2e9) length = std::numeric_limits<std::int64_t>::max();
        else length = static_cast<std::int64_t>(d);
        break;
    }
    case element_type::STRING:
        if (!TryStrToInt64(Trim(std::string_view(entry)), length)) length = std::numeric_limits<std::int64_t>::max();
        break;
    default: length = std::numeric_limits<std::int64_t>::max(); break;
    }
    if (length > std::numeric_limits<int>::max())
        throw Exception(Format("字段“%s”的长度“%s”无效", {name, Excerpt(TextOf(entry))}));
    return static_cast<int>(std::max<std::int64_t>(length, kDefaultLength));
}

// The field of one server type name: the type table of the answer layout.
TFieldDef FieldOfServerType(std::string_view name, const std::string& typeName, element lengths)
{
    TFieldDef def;
    def.Name = std::string(name);
    static const std::pair<const char*, TFieldType> fixed[] = {
        {"BigDecimal", ftFloat}, {"Float", ftFloat},       {"float", ftFloat},     {"Double", ftFloat},
        {"double", ftFloat},     {"BigInteger", ftLargeint}, {"Long", ftLargeint}, {"long", ftLargeint},
        {"Byte", ftInteger},     {"byte", ftInteger},      {"int", ftInteger},     {"short", ftInteger},
        {"Integer", ftInteger},  {"Short", ftInteger},     {"Boolean", ftBoolean}, {"boolean", ftBoolean},
        {"Date", ftDate},        {"Timestamp", ftDateTime}, {"byte[]", ftBlob},
    };
    for (const auto& [server, type] : fixed) {
        if (typeName == server) {
            def.DataType = type;
            return def;
        }
    }
    def.Size = FieldSize(name, lengths);
    def.DataType = def.Size > kLongestText ? ftBlob : ftWideString;
    return def;
}

void CreateFieldDefs(TDataSet& cds, element types, element lengths)
{
    simdjson::dom::object object;
    if (types.get_object().get(object)) throw Exception("字段类型不是JSON对象");
    cds.Close();
    TFieldDefs defs;
    std::unordered_set<std::string> names;  // letter case folded, as field names compare
    for (auto member : object) {
        if (!names.insert(LowerCase(member.key)).second) throw Exception(Format("字段“%s”重复", {member.key}));
        TFieldDef def = FieldOfServerType(member.key, TextOf(member.value), lengths);
        defs.Add(std::move(def.Name), def.DataType, def.Size);
    }
    cds.FieldDefs() = std::move(defs);
}

// Opens `cds` on an empty table of its field definitions (none is allowed).
void CreateTable(TDataSet& cds)
{
    TDataPacket packet;
    packet.fieldDefs = cds.FieldDefs();
    cds.SetData(std::move(packet));
}

bool LoadAnswerTable(TDataSet& cds, element rows, element types, element lengths)
{
    simdjson::dom::parser inner;
    element table = rows;
    if (rows.is_null()) return false;
    if (rows.is_string()) {
        const std::string_view text = std::string_view(rows);
        if (IsBlank(text)) return false;
        if (auto error = inner.parse(text.data(), text.size(), true).get(table)) ThrowParseError(error);
    }
    if (!table.is_array()) throw Exception("表格数据不是JSON数组");
    cds.Close();
    if (cds.FieldDefs().Count() == 0) CreateFieldDefs(cds, types, lengths);
    CreateTable(cds);
    LoadRows(cds, table);
    return true;
}

} // namespace kiosk::tablejson
