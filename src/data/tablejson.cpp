#include "data/tablejson.h"

#include <nlohmann/json.hpp>

#include "data/tablejson_p.h"
#include "platform/textutil.h"

namespace kiosk {

using simdjson::dom::element;
using simdjson::dom::element_type;
using tablejson::TextOf;
using tablejson::ThrowParseError;

namespace {

using ojson = nlohmann::ordered_json;

// A JSON text parsed into a parser of its own; `fallback` stands in for a blank text.
element Parse(simdjson::dom::parser& parser, std::string_view text, std::string_view fallback = {})
{
    if (Trim(text).empty() && !fallback.empty()) text = fallback;
    element doc;
    if (auto error = parser.parse(text.data(), text.size(), true).get(doc)) ThrowParseError(error);
    return doc;
}

element Member(element object, std::string_view key)
{
    element value;
    if (object.at_key(key).get(value)) throw Exception(Format("表格中缺少“%s”", {key}));
    return value;
}

ojson ToOrdered(element value)
{
    switch (value.type()) {
    case element_type::ARRAY: {
        ojson out = ojson::array();
        for (element item : simdjson::dom::array(value)) out.push_back(ToOrdered(item));
        return out;
    }
    case element_type::OBJECT: {
        ojson out = ojson::object();
        for (auto member : simdjson::dom::object(value)) out[std::string(member.key)] = ToOrdered(member.value);
        return out;
    }
    case element_type::STRING: return std::string(std::string_view(value));
    case element_type::INT64: return std::int64_t(value);
    case element_type::UINT64: return std::uint64_t(value);
    case element_type::DOUBLE: return double(value);
    case element_type::BOOL: return bool(value);
    case element_type::NULL_VALUE: return nullptr;
    }
    return nullptr;
}

ojson FieldJson(const TField& field)
{
    if (field.IsNull()) return nullptr;
    const TFieldType type = field.DataType();
    if (IsDateTimeType(type)) return tablejson::LocalToEpochMsecs(field.AsDateTime());
    if (IsBlobType(type)) return Base64Lines(field.AsString());
    if (IsIntegerType(type)) return field.AsLargeInt();
    if (IsFloatType(type)) return field.AsFloat();
    if (type == ftBoolean) return field.AsBoolean();
    return field.AsString();
}

std::string XmlAttribute(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// The number of UTF-16 units of a UTF-8 text (the length the packet's readers count).
std::size_t Utf16Length(std::string_view text)
{
    std::size_t n = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80) ++n;
        if ((c & 0xF8) == 0xF0) ++n;
    }
    return n;
}

} // namespace

bool TTableJSon::CDSFromJSon2(TDataSet& CDS, std::string_view sData, std::string_view sDatasetType,
                              std::string_view sFiledSize)
{
    if (Trim(sData).empty()) return false;
    simdjson::dom::parser rowsParser, typesParser, lengthsParser;
    const element rows = Parse(rowsParser, sData);
    const element types = Parse(typesParser, sDatasetType, "{}");
    const element lengths = Parse(lengthsParser, sFiledSize, "{}");
    if (!rows.is_array()) throw Exception("表格数据不是JSON数组");
    CDS.Close();
    if (CDS.FieldDefs().Count() == 0) tablejson::CreateFieldDefs(CDS, types, lengths);
    tablejson::CreateTable(CDS);
    tablejson::LoadRows(CDS, rows);
    return true;
}

bool TTableJSon::CreateField(TDataSet& CDS, std::string_view fieldTypes, std::string_view sFiledSize)
{
    simdjson::dom::parser typesParser, lengthsParser;
    tablejson::CreateFieldDefs(CDS, Parse(typesParser, fieldTypes, "{}"), Parse(lengthsParser, sFiledSize, "{}"));
    return true;
}

int TTableJSon::GetFieldSize(std::string_view _FieldName, std::string_view sFiledSize)
{
    simdjson::dom::parser parser;
    return tablejson::FieldSize(_FieldName, Parse(parser, sFiledSize, "{}"));
}

bool TTableJSon::CDSFromJSon(TDataSet& CDS, std::string_view Json)
{
    if (Trim(Json).empty()) return false;
    simdjson::dom::parser parser;
    const element doc = Parse(parser, Json);
    if (!doc.is_object()) throw Exception("表格不是JSON对象");
    simdjson::dom::array cols;
    if (Member(doc, "Cols").get_array().get(cols)) throw Exception("表格的“Cols”不是JSON数组");
    const element data = Member(doc, "Data");
    CDS.Close();
    TFieldDefs defs;
    for (element col : cols) {
        const std::string typeName = TextOf(Member(col, "fieldType"));
        auto type = FieldTypeFromName(typeName);
        if (!type || *type == ftUnknown) throw Exception(Format("未知的字段类型“%s”", {typeName}));
        if (*type == ftAutoInc) type = ftInteger;
        std::int64_t size = 0;
        element sizeValue;
        if (*type != ftDateTime && !col.at_key("fieldSize").get(sizeValue)) {
            if (!TryStrToInt64(TextOf(sizeValue), size) || size < 0 || size > 0x7fffffff)
                throw Exception(Format("字段长度“%s”无效", {TextOf(sizeValue)}));
        }
        defs.Add(TextOf(Member(col, "fieldName")), *type, static_cast<int>(size));
    }
    CDS.FieldDefs() = std::move(defs);
    if (CDS.FieldDefs().Count() > 0) tablejson::CreateTable(CDS);
    tablejson::LoadRows(CDS, data);
    return true;
}

std::string TTableJSon::JSonFromDataSet(TDataSet& DataSet)
{
    ojson cols = ojson::array();
    for (int i = 0; i < DataSet.FieldCount(); ++i) {
        const TField& f = DataSet.Fields(i);
        cols.push_back(ojson{{"fieldName", f.FieldName()},
                             {"fieldType", FieldTypeName(f.DataType())},
                             {"jsonType", FieldTypeNames(f.DataType())},
                             {"fieldSize", f.Size()},
                             {"required", f.Required()},
                             {"fieldIndex", f.Index()}});
    }
    ojson data = ojson::array();
    if (DataSet.Active()) {
        DataSet.DisableControls();
        try {
            for (DataSet.First(); !DataSet.Eof(); DataSet.Next()) {
                ojson row = ojson::object();
                for (int i = 0; i < DataSet.FieldCount(); ++i)
                    row[DataSet.Fields(i).FieldName()] = FieldJson(DataSet.Fields(i));
                data.push_back(std::move(row));
            }
        } catch (...) {
            DataSet.EnableControls();
            throw;
        }
        DataSet.EnableControls();
    }
    return ojson{{"Cols", std::move(cols)}, {"Data", std::move(data)}}.dump(-1, ' ', false,
                                                                            nlohmann::json::error_handler_t::replace);
}

std::string TTableJSon::JSonFromDataSetParam(std::string_view /*AProviderName*/, const TParams* AParams,
                                             std::string_view ASQL)
{
    if (!AParams) return "{}";
    ojson list = ojson::array();
    for (const TParam& p : *AParams) {
        list.push_back(ojson{{"paramName", p.Name()},
                             {"jsonType", XmlFieldType(p.DataType())},
                             {"encrypt", false},
                             {"paramSize", p.Size()},
                             {"paramValue", EncodeXmlText(p.AsString(), p.DataType())}});
    }
    if (!ASQL.empty()) {
        list.push_back(ojson{{"paramName", "SQL"},
                             {"jsonType", "string"},
                             {"fieldSize", Utf16Length(ASQL)},
                             {"paramValue", EncodeXmlText(ASQL, ftString)}});
    }
    return ojson{{"param", std::move(list)}}.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string TTableJSon::XMLFromJSon(std::string_view /*ProviderName*/, std::string_view Json)
{
    if (Trim(Json).empty()) return {};
    simdjson::dom::parser parser;
    const element doc = Parse(parser, Json);
    std::string xml = R"(<?xml version="1.0" encoding="gb2312" standalone="yes"?><DATAPACKET Version="2.0"><METADATA><FIELDS>)";
    simdjson::dom::array cols, data;
    if (Member(doc, "Cols").get_array().get(cols)) throw Exception("表格的“Cols”不是JSON数组");
    if (Member(doc, "Data").get_array().get(data)) throw Exception("表格的“Data”不是JSON数组");
    for (element col : cols) {
        element size;
        std::string width = col.at_key("fieldSize").get(size) ? "" : TextOf(size);
        if (width.empty() || width == "0") width = "10";
        xml += "<FIELD attrname=\"" + TextOf(Member(col, "fieldName")) + "\" fieldtype=\"" +
               TextOf(Member(col, "fieldType")) + "\" WIDTH=\"" + width + "\" />";
    }
    xml += "</FIELDS><PARAMS/></METADATA><ROWDATA>";
    for (element row : data) {
        simdjson::dom::object members;
        if (row.get_object().get(members) || members.size() == 0) continue;
        xml += "<ROW ";
        for (auto member : members) xml += " " + std::string(member.key) + "=\"" + XmlAttribute(TextOf(member.value)) + "\"";
        xml += " />";
    }
    xml += "</ROWDATA></DATAPACKET>";
    return xml;
}

std::string TTableJSon::MergeFromJson(std::string_view Pkey, std::string_view sJson)
{
    simdjson::dom::parser parser;
    const element doc = Parse(parser, sJson);
    simdjson::dom::array data;
    if (Member(doc, "Data").get_array().get(data)) throw Exception("表格的“Data”不是JSON数组");
    if (data.size() < 2) return {};
    const element first = data.at(0).value();
    ojson second = ToOrdered(data.at(1).value());
    if (!second.is_object()) return second.dump();
    const std::string key(Pkey);
    element keyValue;
    const bool emptyKey = !second.contains(key) || second[key].is_null() ||
                          (second[key].is_string() && second[key].get<std::string>().empty());
    if (emptyKey && first.is_object() && !first.at_key(key).get(keyValue)) second[key] = ToOrdered(keyValue);
    return second.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace kiosk
