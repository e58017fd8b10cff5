#include "platform/value.h"

#include <cmath>

#include "platform/textutil.h"

namespace kiosk {

std::string Value::ToText() const
{
    switch (kind()) {
    case Kind::Null: return {};
    case Kind::Boolean: return boolean() ? "True" : "False";
    case Kind::Integer: return IntToStr(integer());
    case Kind::Float: return FloatToStr(number());
    case Kind::Text: return text();
    case Kind::DateTime: {
        const DateTime d = dateTime();
        return d == d.DateOnly() ? d.DateText() : d.DateTimeText();
    }
    }
    return {};
}

bool Value::TryToInt64(std::int64_t& out) const
{
    switch (kind()) {
    case Kind::Null: out = 0; return true;
    case Kind::Boolean: out = boolean() ? 1 : 0; return true;
    case Kind::Integer: out = integer(); return true;
    case Kind::Float: {
        const double d = number();
        if (!std::isfinite(d) || d < -9.2233720368547758e18 || d >= 9.2233720368547758e18) return false;
        out = static_cast<std::int64_t>(std::llround(d));
        return true;
    }
    case Kind::Text: return TryStrToInt64(text(), out);
    case Kind::DateTime: return false;
    }
    return false;
}

bool Value::TryToDouble(double& out) const
{
    switch (kind()) {
    case Kind::Null: out = 0; return true;
    case Kind::Boolean: out = boolean() ? 1 : 0; return true;
    case Kind::Integer: out = static_cast<double>(integer()); return true;
    case Kind::Float: out = number(); return true;
    case Kind::Text: return TryStrToFloat(text(), out);
    case Kind::DateTime: out = dateTime().ToSerial(); return true;
    }
    return false;
}

bool Value::TryToBool(bool& out) const
{
    switch (kind()) {
    case Kind::Null: out = false; return true;
    case Kind::Boolean: out = boolean(); return true;
    case Kind::Integer: out = integer() != 0; return true;
    case Kind::Float: out = number() != 0; return true;
    case Kind::Text:
        if (SameText(text(), "true") || text() == "1") { out = true; return true; }
        if (SameText(text(), "false") || text() == "0" || text().empty()) { out = false; return true; }
        return false;
    case Kind::DateTime: return false;
    }
    return false;
}

bool Value::TryToDateTime(DateTime& out) const
{
    switch (kind()) {
    case Kind::Null: out = DateTime(); return true;
    case Kind::DateTime: out = dateTime(); return true;
    case Kind::Float: out = DateTime::FromSerial(number()); return true;
    case Kind::Integer: out = DateTime::FromSerial(static_cast<double>(integer())); return true;
    case Kind::Text: {
        auto d = DateTime::Parse(Trim(text()));
        if (!d) return false;
        out = *d;
        return true;
    }
    case Kind::Boolean: return false;
    }
    return false;
}

} // namespace kiosk
