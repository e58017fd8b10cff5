// Reading an XML data packet (the folder-mode answer to posted rows): the FIELD definitions of
// its METADATA and one record per ROW of its ROWDATA, attribute values XML-decoded.
#include <algorithm>
#include <cctype>
#include <map>

#include "data/tablejson.h"
#include "data/tablejson_p.h"
#include "platform/textutil.h"

namespace kiosk::tablejson {

namespace {

[[noreturn]] void BadPacket(std::string_view what)
{
    throw Exception(Format("XML数据包格式有误：%s", {what}));
}

std::string DecodeEntities(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        const std::size_t end = text.find(';', i);
        if (end == std::string_view::npos) BadPacket(text);
        const std::string_view entity = text.substr(i + 1, end - i - 1);
        if (entity == "amp") out += '&';
        else if (entity == "lt") out += '<';
        else if (entity == "gt") out += '>';
        else if (entity == "quot") out += '"';
        else if (entity == "apos") out += '\'';
        else if (entity.size() > 1 && entity[0] == '#') {
            std::int64_t code = 0;
            const bool hex = entity[1] == 'x' || entity[1] == 'X';
            if (hex) {
                for (char c : entity.substr(2)) {
                    const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (std::tolower(c) - 'a' + 10);
                    if (d < 0 || d > 15 || code > 0x10FFFF) BadPacket(entity);
                    code = code * 16 + d;
                }
            } else if (!TryStrToInt64(entity.substr(1), code)) {
                BadPacket(entity);
            }
            if (code <= 0 || code > 0x10FFFF) BadPacket(entity);
            const auto cp = static_cast<std::uint32_t>(code);
            if (cp < 0x80) out += static_cast<char>(cp);
            else if (cp < 0x800) { out += static_cast<char>(0xC0 | (cp >> 6)); out += static_cast<char>(0x80 | (cp & 0x3F)); }
            else if (cp < 0x10000) {
                out += static_cast<char>(0xE0 | (cp >> 12));
                out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (cp & 0x3F));
            } else {
                out += static_cast<char>(0xF0 | (cp >> 18));
                out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
                out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (cp & 0x3F));
            }
        } else {
            BadPacket(entity);
        }
        i = end;
    }
    return out;
}

// The attributes of one element, from after its name up to its closing "/>" or ">".
std::vector<std::pair<std::string, std::string>> Attributes(std::string_view tag)
{
    std::vector<std::pair<std::string, std::string>> out;
    std::size_t i = 0;
    while (true) {
        while (i < tag.size() && static_cast<unsigned char>(tag[i]) <= ' ') ++i;
        if (i >= tag.size() || tag[i] == '/' || tag[i] == '>') return out;
        const std::size_t eq = tag.find('=', i);
        if (eq == std::string_view::npos || eq + 1 >= tag.size()) BadPacket(tag);
        const std::string name = Trim(tag.substr(i, eq - i));
        const char quote = tag[eq + 1];
        if (quote != '"' && quote != '\'') BadPacket(tag);
        const std::size_t close = tag.find(quote, eq + 2);
        if (close == std::string_view::npos) BadPacket(tag);
        out.emplace_back(name, DecodeEntities(tag.substr(eq + 2, close - eq - 2)));
        i = close + 1;
    }
}

TFieldType PacketFieldType(const std::string& name)
{
    static const std::map<std::string, TFieldType> xmlNames = {
        {"string", ftString}, {"string.uni", ftWideString}, {"i1", ftSmallint}, {"i2", ftSmallint},
        {"i4", ftInteger},    {"i8", ftLargeint},           {"ui1", ftWord},    {"ui2", ftWord},
        {"ui4", ftLargeint},  {"r8", ftFloat},              {"fixed", ftBCD},   {"boolean", ftBoolean},
        {"date", ftDate},     {"time", ftTime},             {"datetime", ftDateTime}, {"bin.hex", ftBlob},
    };
    if (const auto it = xmlNames.find(name); it != xmlNames.end()) return it->second;
    if (const auto type = FieldTypeFromName(name); type && *type != ftUnknown) return *type == ftAutoInc ? ftInteger : *type;
    throw Exception(Format("未知的字段类型“%s”", {name}));
}

// Each element named `name`, as the text after its name up to its closing ">".
std::vector<std::string_view> Elements(std::string_view xml, std::string_view name)
{
    std::vector<std::string_view> out;
    std::string open(1, '<');
    open.append(name);
    for (std::size_t at = xml.find(open); at != std::string_view::npos; at = xml.find(open, at + 1)) {
        const std::size_t start = at + open.size();
        if (start < xml.size() && static_cast<unsigned char>(xml[start]) > ' ' && xml[start] != '/' && xml[start] != '>')
            continue;
        const std::size_t end = xml.find('>', start);
        if (end == std::string_view::npos) BadPacket(name);
        out.push_back(xml.substr(start, end - start + 1));
    }
    return out;
}

} // namespace

TDataPacket DataPacketFromXml(std::string_view xml)
{
    const std::size_t fieldsStart = xml.find("<FIELDS>");
    const std::size_t fieldsEnd = xml.find("</FIELDS>");
    if (fieldsStart == std::string_view::npos || fieldsEnd == std::string_view::npos || fieldsEnd < fieldsStart)
        BadPacket("缺少FIELDS");
    TDataPacket packet;
    for (std::string_view tag : Elements(xml.substr(fieldsStart, fieldsEnd - fieldsStart), "FIELD")) {
        std::string name, type;
        std::int64_t width = 0;
        for (const auto& [key, value] : Attributes(tag)) {
            if (key == "attrname") name = value;
            else if (key == "fieldtype") type = value;
            else if (SameText(key, "WIDTH")) TryStrToInt64(value, width);
        }
        if (name.empty()) BadPacket(tag);
        packet.fieldDefs.Add(name, PacketFieldType(type), static_cast<int>(std::clamp<std::int64_t>(width, 0, 0x7fffffff)));
    }
    const std::size_t rowsStart = xml.find("<ROWDATA", fieldsEnd);
    if (rowsStart == std::string_view::npos) return packet;
    for (std::string_view tag : Elements(xml.substr(rowsStart), "ROW")) {
        TRecordData record;
        record.values.resize(static_cast<std::size_t>(packet.fieldDefs.Count()));
        for (const auto& [key, value] : Attributes(tag)) {
            const int index = packet.fieldDefs.IndexOf(key);
            if (index < 0) continue;
            const TFieldDef& def = packet.fieldDefs[index];
            record.values[static_cast<std::size_t>(index)] = dataconv::Coerce(Value(value), def.DataType, def.Name);
        }
        packet.records.push_back(std::move(record));
    }
    return packet;
}

} // namespace kiosk::tablejson
