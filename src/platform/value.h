#pragma once
// A nullable value as fields and parameters hold it: null, Boolean, 64-bit integer, double,
// text (UTF-8) or date-time.
#include <cstdint>
#include <string>
#include <variant>

#include "platform/datetime.h"

namespace kiosk {

class Value {
public:
    enum class Kind { Null, Boolean, Integer, Float, Text, DateTime };

    Value() = default;
    Value(std::nullptr_t) {}
    Value(bool v) : data_(v) {}
    Value(int v) : data_(std::int64_t(v)) {}
    Value(std::int64_t v) : data_(v) {}
    Value(double v) : data_(v) {}
    Value(const char* v) : data_(std::string(v)) {}
    Value(std::string v) : data_(std::move(v)) {}
    Value(std::string_view v) : data_(std::string(v)) {}
    Value(DateTime v) : data_(v) {}

    Kind kind() const { return static_cast<Kind>(data_.index()); }
    bool IsNull() const { return data_.index() == 0; }

    // Direct access; the caller checks kind() first.
    bool boolean() const { return std::get<bool>(data_); }
    std::int64_t integer() const { return std::get<std::int64_t>(data_); }
    double number() const { return std::get<double>(data_); }
    const std::string& text() const { return std::get<std::string>(data_); }
    DateTime dateTime() const { return std::get<DateTime>(data_); }

    // Lenient conversions that never throw: null gives "" / 0 / false; text that does not
    // convert gives the fallback. Strict conversions with the system's errors live in the
    // dataset's fields.
    std::string ToText() const;
    bool TryToInt64(std::int64_t& out) const;
    bool TryToDouble(double& out) const;
    bool TryToBool(bool& out) const;
    bool TryToDateTime(DateTime& out) const;

    friend bool operator==(const Value&, const Value&) = default;

private:
    std::variant<std::monostate, bool, std::int64_t, double, std::string, DateTime> data_;
};

} // namespace kiosk
