#include "platform/datasetfield.h"

#include <array>
#include <cmath>
#include <limits>
#include <utility>

#include "platform/dataset.h"
#include "platform/exception.h"
#include "platform/textutil.h"

namespace kiosk {

namespace {

constexpr std::array<std::pair<TFieldType, std::string_view>, 21> kTypeNames{{
    {ftUnknown, "Unknown"},   {ftString, "String"},     {ftSmallint, "Smallint"}, {ftInteger, "Integer"},
    {ftWord, "Word"},         {ftBoolean, "Boolean"},   {ftFloat, "Float"},       {ftCurrency, "Currency"},
    {ftBCD, "BCD"},           {ftDate, "Date"},         {ftTime, "Time"},         {ftDateTime, "DateTime"},
    {ftAutoInc, "AutoInc"},   {ftBlob, "Blob"},         {ftMemo, "Memo"},         {ftFixedChar, "FixedChar"},
    {ftWideString, "WideString"}, {ftLargeint, "Largeint"}, {ftOraBlob, "OraBlob"}, {ftOraClob, "OraClob"},
    {ftWideMemo, "WideMemo"},
}};

[[noreturn]] void NotValid(const Value& v, std::string_view what)
{
    throw Exception(Format("“%s”不是有效的%s", {v.ToText(), what}));
}

std::string TimeText(DateTime d)
{
    return d.Format("hh:nn:ss");
}

} // namespace

std::string FieldTypeName(TFieldType type)
{
    for (const auto& [t, name] : kTypeNames)
        if (t == type) return std::string(name);
    return "Unknown";
}

std::optional<TFieldType> FieldTypeFromName(std::string_view name)
{
    for (const auto& [t, n] : kTypeNames)
        if (n == name) return t;
    return std::nullopt;
}

bool IsStringType(TFieldType t) { return t == ftString || t == ftFixedChar || t == ftWideString; }
bool IsIntegerType(TFieldType t)
{
    return t == ftSmallint || t == ftInteger || t == ftWord || t == ftAutoInc || t == ftLargeint;
}
bool IsFloatType(TFieldType t) { return t == ftFloat || t == ftCurrency || t == ftBCD; }
bool IsDateTimeType(TFieldType t) { return t == ftDate || t == ftTime || t == ftDateTime; }
bool IsBlobType(TFieldType t)
{
    return t == ftBlob || t == ftMemo || t == ftOraBlob || t == ftOraClob || t == ftWideMemo;
}

namespace dataconv {

std::string AsString(const Value& v, TFieldType type)
{
    if (v.kind() == Value::Kind::DateTime) {
        const DateTime d = v.dateTime();
        if (type == ftDate) return d.DateText();
        if (type == ftTime) return TimeText(d);
    }
    return v.ToText();
}

std::int64_t AsLargeInt(const Value& v)
{
    std::int64_t out = 0;
    if (v.kind() == Value::Kind::Text) {
        const std::string t = Trim(v.text());
        if (t.empty()) return 0;
        if (TryStrToInt64(t, out)) return out;
        NotValid(v, "整数值");
    }
    if (!v.TryToInt64(out)) NotValid(v, "整数值");
    return out;
}

int AsInteger(const Value& v)
{
    const std::int64_t i = AsLargeInt(v);
    if (i < std::numeric_limits<int>::min() || i > std::numeric_limits<int>::max())
        throw Exception(Format("“%s”超出整数的范围", {v.ToText()}));
    return static_cast<int>(i);
}

double AsFloat(const Value& v)
{
    double out = 0;
    if (v.kind() == Value::Kind::Text) {
        const std::string t = Trim(v.text());
        if (t.empty()) return 0;
        if (TryStrToFloat(t, out)) return out;
        NotValid(v, "浮点数");
    }
    if (!v.TryToDouble(out)) NotValid(v, "浮点数");
    return out;
}

bool AsBoolean(const Value& v)
{
    bool out = false;
    if (v.kind() == Value::Kind::Text) {
        const std::string t = Trim(v.text());
        if (SameText(t, "true") || t == "1") return true;
        if (SameText(t, "false") || t == "0" || t.empty()) return false;
        NotValid(v, "布尔值");
    }
    if (!v.TryToBool(out)) NotValid(v, "布尔值");
    return out;
}

DateTime AsDateTime(const Value& v)
{
    DateTime out;
    if (v.kind() == Value::Kind::Text && Trim(v.text()).empty()) return out;
    if (!v.TryToDateTime(out)) NotValid(v, "日期时间");
    return out;
}

Value Coerce(const Value& v, TFieldType type, std::string_view name)
{
    if (v.IsNull()) return v;
    if (IsStringType(type) || IsBlobType(type) || type == ftUnknown) {
        if (v.kind() == Value::Kind::Text) return v;
        return Value(AsString(v, type));
    }
    if (IsIntegerType(type)) {
        if (v.kind() == Value::Kind::Text && Trim(v.text()).empty()) return Value();
        const std::int64_t i = AsLargeInt(v);
        std::int64_t lo = std::numeric_limits<std::int64_t>::min(), hi = std::numeric_limits<std::int64_t>::max();
        if (type == ftInteger || type == ftAutoInc) { lo = std::numeric_limits<int>::min(); hi = std::numeric_limits<int>::max(); }
        if (type == ftSmallint) { lo = -32768; hi = 32767; }
        if (type == ftWord) { lo = 0; hi = 65535; }
        if (i < lo || i > hi) throw Exception(Format("字段“%s”的值%s超出范围", {name, IntToStr(i)}));
        return Value(i);
    }
    if (IsFloatType(type)) {
        if (v.kind() == Value::Kind::Text && Trim(v.text()).empty()) return Value();
        const double d = AsFloat(v);
        if (!std::isfinite(d)) throw Exception(Format("字段“%s”的值超出范围", {name}));
        return Value(d);
    }
    if (type == ftBoolean) return Value(AsBoolean(v));
    if (IsDateTimeType(type)) {
        if (v.kind() == Value::Kind::Text && Trim(v.text()).empty()) return Value();
        DateTime d = AsDateTime(v);
        if (type == ftDate) d = d.DateOnly();
        if (type == ftTime) d = DateTime::FromMsecs(d.Msecs() - d.DateOnly().Msecs());
        return Value(d);
    }
    return v;
}

} // namespace dataconv

void TFieldDefs::Add(std::string name, TFieldType type, int size, bool required)
{
    defs_.push_back(TFieldDef{std::move(name), type, size, required});
}

int TFieldDefs::IndexOf(std::string_view name) const
{
    for (std::size_t i = 0; i < defs_.size(); ++i)
        if (SameText(defs_[i].Name, name)) return static_cast<int>(i);
    return -1;
}

TField::TField(TDataSet& dataSet, const TFieldDef& def, int index)
    : dataSet_(&dataSet), name_(def.Name), type_(def.DataType), size_(def.Size), index_(index), required_(def.Required)
{
}

const Value& TField::AsVariant() const
{
    return dataSet_->ActiveValue(index_);
}

Value TField::OldValue() const
{
    return dataSet_->ActiveOldValue(index_);
}

void TField::SetAsVariant(const Value& value)
{
    dataSet_->CheckEditing(*this);
    dataSet_->StoreActiveValue(*this, dataconv::Coerce(value, type_, name_), true);
}

void TField::SetData(Value value)
{
    dataSet_->StoreActiveValue(*this, std::move(value), false);
}

} // namespace kiosk
