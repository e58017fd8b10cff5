#pragma once
// Field definitions and fields of the in-memory dataset (TDataSet), with the value conversions
// that fields and parameters share. A field reads and writes the dataset's active record: the
// record under the cursor, or the buffer of an edit or insert in progress.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/value.h"

namespace kiosk {

class TDataSet;

// The data types the system's fields and parameters use.
enum TFieldType : int {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftFixedChar,
    ftWideString,
    ftLargeint,
    ftOraBlob,
    ftOraClob,
    ftWideMemo,
};

// The type's name without its "ft" prefix ("String", "Largeint").
std::string FieldTypeName(TFieldType type);
// The type whose name (without "ft") is `name`, exactly; std::nullopt for an unknown name.
std::optional<TFieldType> FieldTypeFromName(std::string_view name);

bool IsStringType(TFieldType type);   // ftString, ftFixedChar, ftWideString
bool IsIntegerType(TFieldType type);  // ftSmallint, ftInteger, ftWord, ftAutoInc, ftLargeint
bool IsFloatType(TFieldType type);    // ftFloat, ftCurrency, ftBCD
bool IsDateTimeType(TFieldType type); // ftDate, ftTime, ftDateTime
bool IsBlobType(TFieldType type);     // ftBlob, ftMemo, ftOraBlob, ftOraClob, ftWideMemo

// Value conversions of fields and parameters. Reading converts the stored value to the asked
// kind (null reads as "" / 0 / false / a zero date) and raises kiosk::Exception with the
// system's text when it cannot: "“abc”不是有效的整数值" and the like.
namespace dataconv {
std::string AsString(const Value& v, TFieldType type);
std::int64_t AsLargeInt(const Value& v);
int AsInteger(const Value& v);
double AsFloat(const Value& v);
bool AsBoolean(const Value& v);
DateTime AsDateTime(const Value& v);
// The value a field of `type` stores for `v`: text for string, memo and blob fields, a 64-bit
// integer (range-checked for the smaller types), a double, a Boolean or a DateTime. `name`
// names the field in the error text.
Value Coerce(const Value& v, TFieldType type, std::string_view name);
} // namespace dataconv

// Provider flags of a field (a bit set), read by the row posting of the JSON client dataset.
enum TProviderFlag : unsigned { pfInUpdate = 1, pfInWhere = 2, pfInKey = 4, pfHidden = 8 };
using TProviderFlags = unsigned;

enum TAutoRefreshFlag { arNone, arAutoInc, arDefault };
enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc };

struct TFieldDef {
    std::string Name;
    TFieldType DataType = ftUnknown;
    int Size = 0;
    bool Required = false;
};

// The field definitions of a dataset, in field order.
class TFieldDefs {
public:
    int Count() const { return static_cast<int>(defs_.size()); }
    const TFieldDef& operator[](int i) const { return defs_[static_cast<std::size_t>(i)]; }
    TFieldDef& operator[](int i) { return defs_[static_cast<std::size_t>(i)]; }
    void Add(std::string name, TFieldType type, int size = 0, bool required = false);
    // Index of the definition named `name` (case-insensitive), -1 when there is none.
    int IndexOf(std::string_view name) const;
    void Clear() { defs_.clear(); }
    auto begin() const { return defs_.begin(); }
    auto end() const { return defs_.end(); }
    friend bool operator==(const TFieldDefs&, const TFieldDefs&) = default;

private:
    std::vector<TFieldDef> defs_;
};

inline bool operator==(const TFieldDef& a, const TFieldDef& b)
{
    return a.Name == b.Name && a.DataType == b.DataType && a.Size == b.Size && a.Required == b.Required;
}

class TField {
public:
    using TFieldNotifyEvent = std::function<void(TField&)>;

    TField(TDataSet& dataSet, const TFieldDef& def, int index);
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    TDataSet& DataSet() const { return *dataSet_; }
    const std::string& FieldName() const { return name_; }
    TFieldType DataType() const { return type_; }
    int Size() const { return size_; }
    // Position in the dataset's field list, from 0.
    int Index() const { return index_; }
    TFieldKind FieldKind() const { return fkData; }

    bool Required() const { return required_; }
    void SetRequired(bool value) { required_ = value; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value) { readOnly_ = value; }
    TProviderFlags ProviderFlags() const { return providerFlags_; }
    void SetProviderFlags(TProviderFlags value) { providerFlags_ = value; }
    TAutoRefreshFlag AutoGenerateValue() const { return autoGenerate_; }
    void SetAutoGenerateValue(TAutoRefreshFlag value) { autoGenerate_ = value; }
    const std::string& DefaultExpression() const { return defaultExpression_; }
    void SetDefaultExpression(std::string value) { defaultExpression_ = std::move(value); }

    bool IsBlob() const { return IsBlobType(type_); }
    bool IsString() const { return IsStringType(type_); }

    // Reading the active record (null when the dataset is closed or empty).
    bool IsNull() const { return AsVariant().IsNull(); }
    const Value& AsVariant() const;
    std::string AsString() const { return dataconv::AsString(AsVariant(), type_); }
    int AsInteger() const { return dataconv::AsInteger(AsVariant()); }
    std::int64_t AsLargeInt() const { return dataconv::AsLargeInt(AsVariant()); }
    double AsFloat() const { return dataconv::AsFloat(AsVariant()); }
    bool AsBoolean() const { return dataconv::AsBoolean(AsVariant()); }
    DateTime AsDateTime() const { return dataconv::AsDateTime(AsVariant()); }
    // The value before the pending change of the active record (its current value otherwise).
    Value OldValue() const;

    // Writing: only while the dataset edits or inserts ("数据集不在编辑或插入状态" otherwise);
    // a read-only field refuses. The value is converted to the field's type; OnValidate and
    // OnChange fire after it is stored.
    void SetAsVariant(const Value& value);
    void SetAsString(std::string_view value) { SetAsVariant(Value(value)); }
    void SetAsInteger(int value) { SetAsVariant(Value(value)); }
    void SetAsLargeInt(std::int64_t value) { SetAsVariant(Value(value)); }
    void SetAsFloat(double value) { SetAsVariant(Value(value)); }
    void SetAsBoolean(bool value) { SetAsVariant(Value(value)); }
    void SetAsDateTime(DateTime value) { SetAsVariant(Value(value)); }
    void Clear() { SetAsVariant(Value()); }
    // Stores a value that already has the field's stored kind (see dataconv::Coerce), without
    // conversion or events: the fast path of the table loaders.
    void SetData(Value value);

    TFieldNotifyEvent OnChange;
    TFieldNotifyEvent OnValidate;

private:
    TDataSet* dataSet_;
    std::string name_;
    TFieldType type_;
    int size_;
    int index_;
    bool required_;
    bool readOnly_ = false;
    TProviderFlags providerFlags_ = pfInUpdate | pfInWhere;
    TAutoRefreshFlag autoGenerate_ = arNone;
    std::string defaultExpression_;
};

} // namespace kiosk
