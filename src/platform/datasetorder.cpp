// Value order of the dataset's indexes and the parser of its filter expression.
#include <cctype>
#include <charconv>

#include "platform/dataset_p.h"
#include "platform/exception.h"
#include "platform/textutil.h"

namespace kiosk::datasetdetail {

namespace {

bool IsNumeric(const Value& v)
{
    const auto k = v.kind();
    return k == Value::Kind::Integer || k == Value::Kind::Float || k == Value::Kind::Boolean;
}

int CompareText(std::string_view a, std::string_view b, bool caseInsensitive)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (caseInsensitive) {
            if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
            if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        }
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

template <typename T>
int Three(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

[[noreturn]] void BadFilter(std::string_view expression)
{
    throw Exception(Format("过滤条件“%s”无效", {expression}));
}

void SkipBlanks(std::string_view s, std::size_t& i)
{
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n')) ++i;
}

bool IsNameChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || c == '!' || c == '.' || u >= 0x80;
}

std::string ReadQuoted(std::string_view s, std::size_t& i, std::string_view expression)
{
    std::string text;
    ++i;
    for (;;) {
        if (i >= s.size()) BadFilter(expression);
        if (s[i] == '\'') {
            if (i + 1 < s.size() && s[i + 1] == '\'') {
                text += '\'';
                i += 2;
                continue;
            }
            ++i;
            return text;
        }
        text += s[i++];
    }
}

double ReadNumber(std::string_view s, std::size_t& i, std::string_view expression)
{
    std::size_t start = i;
    while (i < s.size() && (std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '-' || s[i] == '+' ||
                            s[i] == '.' || s[i] == 'e' || s[i] == 'E'))
        ++i;
    double value = 0;
    if (start == i || !TryStrToFloat(s.substr(start, i - start), value)) BadFilter(expression);
    return value;
}

} // namespace

int CompareValues(const Value& a, const Value& b, bool caseInsensitive)
{
    if (a.IsNull() || b.IsNull()) return Three(!a.IsNull(), !b.IsNull());
    if (a.kind() == Value::Kind::Integer && b.kind() == Value::Kind::Integer) return Three(a.integer(), b.integer());
    if (IsNumeric(a) && IsNumeric(b)) {
        double x = 0, y = 0;
        a.TryToDouble(x);
        b.TryToDouble(y);
        return Three(x, y);
    }
    if (a.kind() == Value::Kind::DateTime && b.kind() == Value::Kind::DateTime) return Three(a.dateTime(), b.dateTime());
    if (a.kind() == Value::Kind::Text && b.kind() == Value::Kind::Text)
        return CompareText(a.text(), b.text(), caseInsensitive);
    return CompareText(a.ToText(), b.ToText(), caseInsensitive);
}

std::vector<FilterTerm> ParseFilter(std::string_view expression)
{
    std::vector<FilterTerm> terms;
    const std::string_view s = expression;
    std::size_t i = 0;
    SkipBlanks(s, i);
    if (i == s.size()) return terms;
    for (;;) {
        FilterTerm term;
        const std::size_t start = i;
        while (i < s.size() && IsNameChar(s[i])) ++i;
        if (start == i) BadFilter(expression);
        term.fieldName = std::string(s.substr(start, i - start));
        SkipBlanks(s, i);
        if (i >= s.size() || s[i] != '=') BadFilter(expression);
        ++i;
        SkipBlanks(s, i);
        if (i < s.size() && s[i] == '\'') {
            term.text = ReadQuoted(s, i, expression);
        } else {
            term.isText = false;
            term.number = ReadNumber(s, i, expression);
        }
        terms.push_back(std::move(term));
        SkipBlanks(s, i);
        if (i == s.size()) return terms;
        if (i + 3 > s.size() || !SameText(s.substr(i, 3), "and")) BadFilter(expression);
        i += 3;
        if (i < s.size() && IsNameChar(s[i])) BadFilter(expression);
        SkipBlanks(s, i);
    }
}

std::vector<std::string> SplitFieldNames(std::string_view names)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= names.size()) {
        std::size_t end = names.find(';', start);
        if (end == std::string_view::npos) end = names.size();
        std::string name = Trim(names.substr(start, end - start));
        if (!name.empty()) out.push_back(std::move(name));
        start = end + 1;
    }
    return out;
}

} // namespace kiosk::datasetdetail
