#include "request.h"

#include "calendar.h"

#include <charconv>

namespace stationd {

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::optional<std::int64_t> ToInt(const std::string& text)
{
    std::int64_t value = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || begin == end)
        return std::nullopt;
    return value;
}

Request::Request(std::string address, FormParams params, std::string remote)
    : address_(std::move(address)), params_(std::move(params)), remote_(std::move(remote))
{
}

std::optional<std::string> Request::Find(const std::string& name) const
{
    for (const auto& [key, value] : params_)
        if (key == name)
            return value;
    return std::nullopt;
}

std::string Request::Text(const std::string& name) const { return Find(name).value_or(std::string()); }

std::optional<std::int64_t> Request::OptId(const std::string& name) const
{
    const std::string value = Trim(Text(name));
    if (value.empty())
        return std::nullopt;
    // Decimal outputs of the kiosk may come back as "5001.0"; a whole number is still an id.
    std::string digits = value;
    if (const auto dot = digits.find('.'); dot != std::string::npos &&
                                           digits.find_first_not_of('0', dot + 1) == std::string::npos)
        digits.erase(dot);
    const auto number = ToInt(digits);
    if (!number)
        throw BadInput("参数" + name + "不是整数：" + value);
    return number;
}

std::int64_t Request::Id(const std::string& name) const
{
    const auto value = OptId(name);
    if (!value)
        throw BadInput("缺少参数：" + name);
    return *value;
}

std::optional<bool> Request::OptBool(const std::string& name) const
{
    std::string value = Trim(Text(name));
    if (value.empty())
        return std::nullopt;
    for (auto& c : value)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    if (value == "true" || value == "1")
        return true;
    if (value == "false" || value == "0")
        return false;
    throw BadInput("参数" + name + "不是布尔值：" + value);
}

bool Request::Bool(const std::string& name, bool fallback) const { return OptBool(name).value_or(fallback); }

std::optional<std::string> Request::OptDay(const std::string& name) const
{
    const std::string value = Trim(Text(name));
    if (value.empty())
        return std::nullopt;
    const auto day = ParseDay(value);
    if (!day)
        throw BadInput("参数" + name + "不是日期：" + value);
    return day;
}

std::string Request::Day(const std::string& name) const
{
    const auto day = OptDay(name);
    if (!day)
        throw BadInput("缺少参数：" + name);
    return *day;
}

std::vector<std::string> Request::List(const std::string& name) const
{
    std::string value = Trim(Text(name));
    if (value.size() >= 2 && value.front() == '(' && value.back() == ')')
        value = value.substr(1, value.size() - 2);
    std::vector<std::string> items;
    std::size_t at = 0;
    while (at <= value.size() && !value.empty()) {
        const auto comma = value.find(',', at);
        std::string item = Trim(value.substr(at, comma == std::string::npos ? std::string::npos : comma - at));
        if (item.size() >= 2 && (item.front() == '\'' || item.front() == '"') && item.back() == item.front())
            item = item.substr(1, item.size() - 2);
        if (!item.empty())
            items.push_back(item);
        if (comma == std::string::npos)
            break;
        at = comma + 1;
    }
    return items;
}

std::vector<std::int64_t> Request::IdList(const std::string& name) const
{
    std::vector<std::int64_t> ids;
    for (const auto& item : List(name)) {
        const auto id = ToInt(item);
        if (!id)
            throw BadInput("参数" + name + "不是整数列表：" + Text(name));
        ids.push_back(*id);
    }
    return ids;
}

std::optional<std::string> Request::ListPattern(const std::string& name) const
{
    if (!Find(name))
        return std::nullopt;
    std::string pattern = ",";
    for (const auto& item : List(name))
        pattern += item + ",";
    return pattern;
}

void Request::OnlyFilters(std::initializer_list<const char*> allowed) const
{
    for (const auto& [name, value] : params_) {
        if (name.rfind("filter_", 0) != 0)
            continue;
        bool known = false;
        for (const char* filter : allowed)
            known = known || name == filter;
        if (!known)
            throw BadInput("不支持的查询条件：" + name);
    }
}

} // namespace stationd
