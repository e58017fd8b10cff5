// Value helpers of the JSON tables: request and XML encodings, Base64, date texts, type names.
#include <ctime>

#include "data/tablejson.h"
#include "data/tablejson_p.h"
#include "platform/textutil.h"

namespace kiosk {

namespace {

void ReplaceAll(std::string& text, std::string_view from, std::string_view to)
{
    if (text.find(from) == std::string::npos) return;
    std::string out;
    out.reserve(text.size() + 16);
    std::size_t start = 0;
    for (std::size_t pos; (pos = text.find(from, start)) != std::string::npos; start = pos + from.size()) {
        out.append(text, start, pos - start);
        out.append(to);
    }
    out.append(text, start, std::string::npos);
    text = std::move(out);
}

std::string EncodeString(std::string_view text)
{
    std::string s(text);
    ReplaceAll(s, "&", "&amp;");
    ReplaceAll(s, "\"", "&quot;");
    ReplaceAll(s, "<", "&lt;");
    ReplaceAll(s, ">", "&gt;");
    ReplaceAll(s, "%", "%25");
    ReplaceAll(s, "?", "%3F");
    return s;
}

std::string EncodeXmlString(std::string_view text)
{
    std::string s(text);
    ReplaceAll(s, "&", "&amp;");
    ReplaceAll(s, "\"", "&quot;");
    ReplaceAll(s, "'", "&apos;");
    ReplaceAll(s, "<", "&lt;");
    ReplaceAll(s, ">", "&gt;");
    ReplaceAll(s, "\\", "&#092;");
    ReplaceAll(s, "\t", "^$%x%$^09;");
    ReplaceAll(s, "\r\n", "^$%x%$^0D;^$%x%$^0A;");
    return s;
}

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64(std::string_view bytes)
{
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = (unsigned(static_cast<unsigned char>(bytes[i])) << 16) |
                           (unsigned(static_cast<unsigned char>(bytes[i + 1])) << 8) |
                           unsigned(static_cast<unsigned char>(bytes[i + 2]));
        out += kBase64[(v >> 18) & 63];
        out += kBase64[(v >> 12) & 63];
        out += kBase64[(v >> 6) & 63];
        out += kBase64[v & 63];
    }
    if (i < bytes.size()) {
        unsigned v = unsigned(static_cast<unsigned char>(bytes[i])) << 16;
        if (i + 1 < bytes.size()) v |= unsigned(static_cast<unsigned char>(bytes[i + 1])) << 8;
        out += kBase64[(v >> 18) & 63];
        out += kBase64[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? kBase64[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

} // namespace

std::string EncodeFieldText(std::string_view text, TFieldType dataType)
{
    if (text.empty()) return {};
    switch (dataType) {
    case ftString:
    case ftWideString: return EncodeString(text);
    case ftDate: return ParseDateText(text).Format("yyyy-mm-dd");
    case ftDateTime: return ParseDateTimeText(text).Format("yyyy-mm-dd hh:nn:ss");
    case ftOraBlob:
    case ftOraClob: return Base64Text(text);
    default: return std::string(text);
    }
}

std::string EncodeXmlText(std::string_view text, TFieldType dataType)
{
    if (text.empty()) return {};
    switch (dataType) {
    case ftString:
    case ftWideString: return EncodeXmlString(text);
    case ftDate: return ParseDateTimeText(text).Format("yyyy-mm-dd");
    case ftDateTime: return ParseDateTimeText(text).Format("yyyy-mm-dd hh:nn:ss");
    case ftOraBlob:
    case ftOraClob: return Base64Text(text);
    default: return std::string(text);
    }
}

std::string Base64Text(std::string_view text)
{
    return Base64(text);
}

std::string Base64Lines(std::string_view text)
{
    const std::string flat = Base64(text);
    std::string out;
    out.reserve(flat.size() + flat.size() / 38 + 2);
    for (std::size_t i = 0; i < flat.size(); i += 76) {
        out.append(flat, i, 76);
        if (i + 76 <= flat.size()) out += "\r\n";
    }
    return out;
}

DateTime ParseDateText(std::string_view text)
{
    const std::string t = Trim(text);
    const auto d = DateTime::Parse(t);
    if (!d || t.find(':') != std::string::npos) throw Exception(Format("“%s”不是有效的日期", {text}));
    return *d;
}

DateTime ParseDateTimeText(std::string_view text)
{
    const auto d = DateTime::Parse(Trim(text));
    if (!d) throw Exception(Format("“%s”不是有效的日期时间", {text}));
    return *d;
}

std::string FieldTypeNames(TFieldType type)
{
    if (IsStringType(type)) return "string";
    if (IsDateTimeType(type)) return "integer";
    if (IsIntegerType(type)) return "integer";
    if (type == ftCurrency) return "currency";
    if (IsFloatType(type)) return "double";
    if (type == ftBoolean) return "boolean";
    return "variant";
}

std::string XmlFieldType(TFieldType type)
{
    switch (type) {
    case ftString:
    case ftFixedChar: return "string";
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc: return "i4";
    case ftBoolean: return "boolean";
    case ftFloat:
    case ftCurrency:
    case ftBCD: return "r8";
    case ftDate: return "date";
    case ftTime: return "time";
    case ftDateTime: return "datetime";
    case ftWideString: return "string.uni";
    case ftLargeint: return "i8";
    case ftBlob:
    case ftMemo:
    case ftOraBlob:
    case ftOraClob:
    case ftWideMemo: return "bin.hex";
    case ftUnknown: return "string";
    }
    return "string";
}

namespace tablejson {

std::int64_t LocalToEpochMsecs(DateTime local)
{
    std::tm tm{};
    tm.tm_year = local.Year() - 1900;
    tm.tm_mon = local.Month() - 1;
    tm.tm_mday = local.Day();
    tm.tm_hour = local.Hour();
    tm.tm_min = local.Minute();
    tm.tm_sec = local.Second();
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    return std::int64_t(t) * 1000 + local.Msec();
}

DateTime EpochMsecsToLocal(std::int64_t msecs)
{
    std::int64_t seconds = msecs / 1000;
    std::int64_t rest = msecs % 1000;
    if (rest < 0) {
        rest += 1000;
        --seconds;
    }
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    localtime_r(&t, &tm);
    return DateTime::FromParts(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                               static_cast<int>(rest));
}

} // namespace tablejson

} // namespace kiosk
