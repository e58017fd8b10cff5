#pragma once
// Parameters of a dataset: the input values a request sends and the output values its answer
// fills. Names compare case-insensitively; the collection keeps its order.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/datasetfield.h"

namespace kiosk {

enum TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };

class TParam {
public:
    TParam(std::string name, TFieldType dataType, TParamType paramType);

    const std::string& Name() const { return name_; }
    void SetName(std::string value) { name_ = std::move(value); }
    TFieldType DataType() const { return dataType_; }
    void SetDataType(TFieldType value) { dataType_ = value; }
    TParamType ParamType() const { return paramType_; }
    void SetParamType(TParamType value) { paramType_ = value; }
    // The declared size; it has no effect on what is sent or received.
    int Size() const { return size_; }
    void SetSize(int value) { size_ = value; }

    bool IsNull() const { return value_.IsNull(); }
    const Value& AsVariant() const { return value_; }
    std::string AsString() const { return dataconv::AsString(value_, dataType_); }
    int AsInteger() const { return dataconv::AsInteger(value_); }
    std::int64_t AsLargeInt() const { return dataconv::AsLargeInt(value_); }
    double AsFloat() const { return dataconv::AsFloat(value_); }
    bool AsBoolean() const { return dataconv::AsBoolean(value_); }
    DateTime AsDateTime() const { return dataconv::AsDateTime(value_); }

    // Setters store the value as given; a parameter of unknown type takes the setter's type.
    void SetAsVariant(Value value);
    void SetAsString(std::string_view value);
    void SetAsInteger(int value);
    void SetAsLargeInt(std::int64_t value);
    void SetAsFloat(double value);
    void SetAsBoolean(bool value);
    void SetAsDateTime(DateTime value);
    void SetAsDate(DateTime value);
    // Null: a null input parameter is not sent.
    void Clear() { value_ = Value(); }

private:
    void TakeType(TFieldType type);

    std::string name_;
    TFieldType dataType_;
    TParamType paramType_;
    int size_ = 0;
    Value value_;
};

class TParams {
public:
    TParams() = default;
    TParams(const TParams& other) { Assign(other); }
    TParams& operator=(const TParams& other);
    TParams(TParams&&) noexcept = default;
    TParams& operator=(TParams&&) noexcept = default;

    int Count() const { return static_cast<int>(items_.size()); }
    TParam& operator[](int i) { return *items_[static_cast<std::size_t>(i)]; }
    const TParam& operator[](int i) const { return *items_[static_cast<std::size_t>(i)]; }
    TParam& Items(int i) { return (*this)[i]; }

    // nullptr when no parameter has that name.
    TParam* FindParam(std::string_view name);
    const TParam* FindParam(std::string_view name) const;
    // Raises "找不到参数“name”" when no parameter has that name.
    TParam& ParamByName(std::string_view name);
    const TParam& ParamByName(std::string_view name) const;

    // Adds a parameter at the end; the returned reference stays valid until it is removed.
    TParam& CreateParam(TFieldType dataType, std::string name, TParamType paramType);
    void RemoveParam(std::string_view name);
    void Clear() { items_.clear(); }
    // Replaces every parameter by a copy of those of `other`.
    void Assign(const TParams& other);

    class iterator {
    public:
        using Inner = std::vector<std::unique_ptr<TParam>>::const_iterator;
        explicit iterator(Inner it) : it_(it) {}
        TParam& operator*() const { return **it_; }
        TParam* operator->() const { return it_->get(); }
        iterator& operator++() { ++it_; return *this; }
        bool operator!=(const iterator& o) const { return it_ != o.it_; }
        bool operator==(const iterator& o) const { return it_ == o.it_; }

    private:
        Inner it_;
    };
    iterator begin() const { return iterator(items_.begin()); }
    iterator end() const { return iterator(items_.end()); }

private:
    std::vector<std::unique_ptr<TParam>> items_;
};

} // namespace kiosk
