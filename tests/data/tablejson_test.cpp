// JSON tables: the server's answer layout into datasets, the self-describing layout both
// ways, the XML data packet, and the value encoders of requests and deltas.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>

#include "data/tablejson.h"

using namespace kiosk;

namespace {

struct ExpectedField {
    const char* name;
    TFieldType type;
    int size;
};

std::string ErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Exception& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(CDSFromJSon2, buildsFieldsFromServerTypeNamesInAnswerOrder)
{
    TDataSet cds;
    ASSERT_TRUE(TTableJSon::CDSFromJSon2(
        cds, "[]",
        R"({"id":"BigInteger","name":"String","price":"BigDecimal","isactive":"Boolean","departdate":"Date",)"
        R"("departtime":"Timestamp","photo":"byte[]","seats":"Short","n":"int","lower":"bigdecimal","upper":"LONG"})",
        R"({"name":20})"));
    const ExpectedField expected[] = {
        {"id", ftLargeint, 0},   {"name", ftWideString, 300}, {"price", ftFloat, 0},      {"isactive", ftBoolean, 0},
        {"departdate", ftDate, 0}, {"departtime", ftDateTime, 0}, {"photo", ftBlob, 0},   {"seats", ftInteger, 0},
        {"n", ftInteger, 0},     {"lower", ftWideString, 300}, {"upper", ftWideString, 300},
    };
    ASSERT_EQ(cds.FieldCount(), 11);
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(cds.Fields(i).FieldName(), expected[i].name);
        EXPECT_EQ(cds.Fields(i).DataType(), expected[i].type) << expected[i].name;
        EXPECT_EQ(cds.Fields(i).Size(), expected[i].size) << expected[i].name;
    }
    EXPECT_TRUE(cds.Active());
    EXPECT_TRUE(cds.IsEmpty());
}

TEST(CDSFromJSon2, textLengthsBelow300AreRaisedAndAbove20000BecomeBlobs)
{
    TDataSet cds;
    TTableJSon::CDSFromJSon2(cds, "[]", R"({"a":"String","b":"String","c":"String","d":"String","e":"x"})",
                             R"({"a":500,"b":20000,"c":20001,"d":"40","e":-3})");
    EXPECT_EQ(cds.FieldByName("a").Size(), 500);
    EXPECT_EQ(cds.FieldByName("b").DataType(), ftWideString);
    EXPECT_EQ(cds.FieldByName("b").Size(), 20000);
    EXPECT_EQ(cds.FieldByName("c").DataType(), ftBlob);
    EXPECT_EQ(cds.FieldByName("c").Size(), 20001);
    EXPECT_EQ(cds.FieldByName("d").Size(), 300);
    EXPECT_EQ(cds.FieldByName("e").Size(), 300);
    EXPECT_EQ(TTableJSon::GetFieldSize("A", R"({"a":500})"), 300) << "lengths match the exact name";
}

TEST(CDSFromJSon2, loadsRowsMatchingMembersCaseInsensitivelyAndSkippingExtras)
{
    TDataSet cds;
    ASSERT_TRUE(TTableJSon::CDSFromJSon2(
        cds,
        R"([{"TicketNo":"0001234567","seatno":12,"price":35.5,"departdate":"2013-05-01","departtime":"2013-05-01T08:30:00","extra":1},)"
        R"({"ticketno":"0001234568","seatno":"13","price":"20","departdate":null,"departtime":"2013-05-01 09:15:00"}])",
        R"({"ticketno":"String","seatno":"Short","price":"BigDecimal","departdate":"Date","departtime":"Timestamp"})",
        R"({"ticketno":20})"));
    ASSERT_EQ(cds.RecordCount(), 2);
    EXPECT_EQ(cds.ChangeCount(), 2) << "rows are pending inserts until the change log is merged";
    cds.First();
    EXPECT_EQ(cds.FieldByName("ticketno").AsString(), "0001234567");
    EXPECT_EQ(cds.FieldByName("seatno").AsInteger(), 12);
    EXPECT_DOUBLE_EQ(cds.FieldByName("price").AsFloat(), 35.5);
    EXPECT_EQ(cds.FieldByName("departdate").AsDateTime(), DateTime::FromParts(2013, 5, 1));
    EXPECT_EQ(cds.FieldByName("departtime").AsDateTime(), DateTime::FromParts(2013, 5, 1, 8, 30));
    cds.Next();
    EXPECT_EQ(cds.FieldByName("seatno").AsInteger(), 13);
    EXPECT_TRUE(cds.FieldByName("departdate").IsNull());
    EXPECT_EQ(cds.FieldByName("departtime").AsString(), "2013-05-01 09:15:00");
    EXPECT_FALSE(cds.ControlsDisabled());
}

TEST(CDSFromJSon2, convertsEachValueForItsColumn)
{
    struct Case {
        const char* type;
        const char* json;
        Value expected;
    };
    const Case cases[] = {
        {"int", "1.5", Value(2)},          {"Long", "-2.5", Value(-3)},        {"Long", R"("2.5")", Value(3)},
        {"int", R"(" 7 ")", Value(7)},     {"int", R"("")", Value(0)},         {"BigDecimal", R"(" ")", Value(0.0)},
        {"Boolean", R"("yes")", Value(true)}, {"Boolean", R"("FALSE")", Value(false)}, {"Boolean", R"("0")", Value(false)},
        {"Boolean", R"("2")", Value(true)},   {"Boolean", R"("N")", Value(false)},     {"Boolean", R"("")", Value(false)},
        {"Date", R"("")", Value()},
    };
    for (const Case& c : cases) {
        TDataSet cds;
        TTableJSon::CDSFromJSon2(cds, std::string(R"([{"v":)") + c.json + "}]", std::string(R"({"v":")") + c.type + "\"}",
                                 "{}");
        EXPECT_EQ(cds.FieldByName("v").AsVariant(), c.expected) << c.type << " " << c.json;
    }
}

TEST(CDSFromJSon2, anElementThatIsNoObjectGivesARecordOfNulls)
{
    TDataSet cds;
    TTableJSon::CDSFromJSon2(cds, R"([{"a":1,"b":"x"},5,[1],"t",null,{"a":2}])", R"({"a":"Long","b":"String"})", "{}");
    ASSERT_EQ(cds.RecordCount(), 6);
    cds.First();
    EXPECT_EQ(cds.FieldByName("a").AsInteger(), 1);
    for (int row = 2; row <= 5; ++row) {
        cds.Next();
        EXPECT_TRUE(cds.FieldByName("a").IsNull()) << row;
        EXPECT_TRUE(cds.FieldByName("b").IsNull()) << row;
    }
    cds.Next();
    EXPECT_EQ(cds.FieldByName("a").AsInteger(), 2);
}

TEST(CDSFromJSon2, textColumnsTakeTheTextFormOfAnyValue)
{
    TDataSet cds;
    TTableJSon::CDSFromJSon2(cds, R"([{"a":5001,"b":true,"c":{"x":[1,2]},"d":35.5}])",
                             R"({"a":"String","b":"String","c":"String","d":"String"})", "{}");
    EXPECT_EQ(cds.FieldByName("a").AsString(), "5001");
    EXPECT_EQ(cds.FieldByName("b").AsString(), "true");
    EXPECT_EQ(cds.FieldByName("c").AsString(), R"({"x":[1,2]})");
    EXPECT_EQ(cds.FieldByName("d").AsString(), "35.5");
}

TEST(CDSFromJSon2, rowsGivenAsTextArePassedAgain)
{
    TDataSet cds;
    ASSERT_TRUE(TTableJSon::CDSFromJSon2(cds, R"(  [{"id":1},{"id":2}] )", R"({"id":"Long"})", ""));
    EXPECT_EQ(cds.RecordCount(), 2);
}

TEST(CDSFromJSon2, blankRowsTextReturnsFalseAndLeavesTheDataset)
{
    TDataSet cds;
    TTableJSon::CDSFromJSon2(cds, R"([{"id":1}])", R"({"id":"Long"})", "{}");
    EXPECT_FALSE(TTableJSon::CDSFromJSon2(cds, "  \r\n", R"({"other":"Long"})", "{}"));
    EXPECT_EQ(cds.RecordCount(), 1);
    EXPECT_TRUE(cds.FindField("id"));
}

TEST(CDSFromJSon2, keepsExistingFieldDefinitions)
{
    TDataSet cds;
    cds.FieldDefs().Add("id", ftString, 10);
    TTableJSon::CDSFromJSon2(cds, R"([{"id":7}])", R"({"id":"Long","x":"String"})", "{}");
    EXPECT_EQ(cds.FieldCount(), 1);
    EXPECT_EQ(cds.FieldByName("id").AsVariant(), Value("7"));
}

struct BadInput {
    const char* name;
    std::string rows;
    const char* types;
    const char* lengths;
    const char* error;
};

class CDSFromJSon2Refuses : public ::testing::TestWithParam<BadInput> {};

TEST_P(CDSFromJSon2Refuses, withAClearText)
{
    const BadInput& c = GetParam();
    TDataSet cds;
    const std::string error = ErrorOf([&] { TTableJSon::CDSFromJSon2(cds, c.rows, c.types, c.lengths); });
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
    EXPECT_FALSE(cds.ControlsDisabled());
    EXPECT_NE(cds.State(), dsInsert);
}

INSTANTIATE_TEST_SUITE_P(
    TableJson, CDSFromJSon2Refuses,
    ::testing::Values(
        BadInput{"notJson", "[{\"a\":1", R"({"a":"Long"})", "{}", "JSON解析失败"},
        BadInput{"notArray", R"({"a":1})", R"({"a":"Long"})", "{}", "表格数据不是JSON数组"},
        BadInput{"badDate", R"([{"d":"2013-13-45"}])", R"({"d":"Date"})", "{}", "字段“d”的值“2013-13-45”不是有效的日期时间"},
        BadInput{"textInInteger", R"([{"n":"abc"}])", R"({"n":"int"})", "{}", "字段“n”的值“abc”不是有效的整数"},
        BadInput{"outOfInt", R"([{"n":3000000000}])", R"({"n":"int"})", "{}", "字段“n”的值“3000000000”超出范围"},
        BadInput{"outOfLong", R"([{"n":18446744073709551615}])", R"({"n":"Long"})", "{}", "超出范围"},
        BadInput{"hugeNumber", "[{\"n\":1" + std::string(400, '0') + "}]", R"({"n":"Long"})", "{}", "JSON解析失败"},
        BadInput{"objectInNumber", R"([{"p":{}}])", R"({"p":"BigDecimal"})", "{}", "不是有效的数值"},
        BadInput{"deepNesting", std::string(3000, '[') + std::string(3000, ']'), "{}", "{}", "JSON解析失败"},
        BadInput{"invalidUtf8", "[{\"a\":\"\xC3\x28\"}]", R"({"a":"String"})", "{}", "JSON解析失败"},
        BadInput{"typesNotObject", "[]", "[1]", "{}", "字段类型不是JSON对象"},
        BadInput{"duplicateColumn", "[]", R"({"a":"Long","a":"String"})", "{}", "字段“a”重复"},
        BadInput{"enormousLength", "[]", R"({"a":"String"})", R"({"a":99999999999})", "字段“a”的长度"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CDSFromJSon2, numberInADateColumnIsMillisecondsSince1970)
{
    TDataSet cds;
    TTableJSon::CDSFromJSon2(cds, R"([{"t":0}])", R"({"t":"Timestamp"})", "{}");
    const std::time_t zero = 0;
    std::tm local{};
    localtime_r(&zero, &local);
    EXPECT_EQ(cds.FieldByName("t").AsDateTime(),
              DateTime::FromParts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min));
}

TEST(CDSFromJSon, roundTripsTheSelfDescribingLayoutDateTimesIncluded)
{
    TDataSet source;
    source.FieldDefs().Add("id", ftLargeint);
    source.FieldDefs().Add("name", ftWideString, 40);
    source.FieldDefs().Add("price", ftBCD);
    source.FieldDefs().Add("ok", ftBoolean);
    source.FieldDefs().Add("at", ftDateTime);
    source.FieldDefs().Add("note", ftMemo);
    source.CreateDataSet();
    source.Append();
    source.FieldByName("id").SetAsLargeInt(9007199254740993);
    source.FieldByName("name").SetAsString("乌鲁木齐 \"东\"");
    source.FieldByName("price").SetAsFloat(35.5);
    source.FieldByName("ok").SetAsBoolean(true);
    source.FieldByName("at").SetAsDateTime(DateTime::FromParts(2013, 5, 1, 8, 30, 15));
    source.Post();
    source.Append();
    source.Post();

    const std::string json = TTableJSon::JSonFromDataSet(source);
    EXPECT_NE(json.find(R"({"fieldName":"id","fieldType":"Largeint","jsonType":"integer","fieldSize":0,"required":false,"fieldIndex":0})"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find(R"("jsonType":"double")"), std::string::npos);
    EXPECT_NE(json.find(R"("note":null)"), std::string::npos);

    TDataSet copy;
    ASSERT_TRUE(TTableJSon::CDSFromJSon(copy, json));
    ASSERT_EQ(copy.RecordCount(), 2);
    copy.First();
    EXPECT_EQ(copy.FieldByName("id").AsLargeInt(), 9007199254740993);
    EXPECT_EQ(copy.FieldByName("name").AsString(), "乌鲁木齐 \"东\"");
    EXPECT_EQ(copy.FieldByName("name").Size(), 40);
    EXPECT_TRUE(copy.FieldByName("ok").AsBoolean());
    EXPECT_EQ(copy.FieldByName("at").AsDateTime(), DateTime::FromParts(2013, 5, 1, 8, 30, 15));
    copy.Next();
    EXPECT_TRUE(copy.FieldByName("id").IsNull());
}

TEST(CDSFromJSon, refusesUnknownFieldTypesAndTakesAutoIncAsInteger)
{
    TDataSet cds;
    EXPECT_EQ(ErrorOf([&] { TTableJSon::CDSFromJSon(cds, R"({"Cols":[{"fieldName":"a","fieldType":"Gizmo"}],"Data":[]})"); }),
              "未知的字段类型“Gizmo”");
    ASSERT_TRUE(TTableJSon::CDSFromJSon(cds, R"({"Cols":[{"fieldName":"a","fieldType":"AutoInc","fieldSize":0}],"Data":[{"a":3}]})"));
    EXPECT_EQ(cds.FieldByName("a").DataType(), ftInteger);
    EXPECT_FALSE(TTableJSon::CDSFromJSon(cds, ""));
}

TEST(JSonFromDataSet, writesBlobsAsBase64Lines)
{
    TDataSet cds;
    cds.FieldDefs().Add("pic", ftBlob);
    cds.CreateDataSet();
    cds.Append();
    cds.FieldByName("pic").SetAsString(std::string(60, 'x'));
    cds.Post();
    const std::string json = TTableJSon::JSonFromDataSet(cds);
    EXPECT_NE(json.find("\\r\\n"), std::string::npos) << json;
}

TEST(XMLFromJSon, writesTheDataPacketText)
{
    const std::string xml = TTableJSon::XMLFromJSon(
        "p", R"({"Cols":[{"fieldName":"a","fieldType":"String","fieldSize":20},{"fieldName":"b","fieldType":"Integer","fieldSize":0}],)"
             R"("Data":[{"a":"1","b":"x"},{},{"a":"q\"<"}]})");
    EXPECT_EQ(xml,
              R"(<?xml version="1.0" encoding="gb2312" standalone="yes"?><DATAPACKET Version="2.0"><METADATA><FIELDS>)"
              R"(<FIELD attrname="a" fieldtype="String" WIDTH="20" /><FIELD attrname="b" fieldtype="Integer" WIDTH="10" />)"
              R"(</FIELDS><PARAMS/></METADATA><ROWDATA><ROW  a="1" b="x" /><ROW  a="q&quot;&lt;" /></ROWDATA></DATAPACKET>)");
    EXPECT_EQ(TTableJSon::XMLFromJSon("p", ""), "");
}

TEST(MergeFromJson, fillsTheKeyOfTheSecondRowFromTheFirst)
{
    EXPECT_EQ(TTableJSon::MergeFromJson("id", R"({"Cols":[],"Data":[{"id":7,"a":1},{"a":2,"id":""}]})"), R"({"a":2,"id":7})");
    EXPECT_EQ(TTableJSon::MergeFromJson("id", R"({"Cols":[],"Data":[{"id":7},{"id":8}]})"), R"({"id":8})");
    EXPECT_EQ(TTableJSon::MergeFromJson("id", R"({"Cols":[],"Data":[{"id":7}]})"), "");
}

TEST(JSonFromDataSetParam, writesEveryParameterAndTheCommandText)
{
    TParams params;
    params.CreateParam(ftString, "name", ptInput).SetAsString("a'b\tc");
    params.CreateParam(ftInteger, "n", ptInput).SetAsInteger(5);
    params.ParamByName("n").SetSize(4);
    EXPECT_EQ(TTableJSon::JSonFromDataSetParam("p", &params, "select 1"),
              R"({"param":[{"paramName":"name","jsonType":"string","encrypt":false,"paramSize":0,"paramValue":"a&apos;b^$%x%$^09;c"},)"
              R"({"paramName":"n","jsonType":"i4","encrypt":false,"paramSize":4,"paramValue":"5"},)"
              R"({"paramName":"SQL","jsonType":"string","fieldSize":8,"paramValue":"select 1"}]})");
    EXPECT_EQ(TTableJSon::JSonFromDataSetParam("p", nullptr, ""), "{}");
}

struct EncodeCase {
    const char* text;
    TFieldType type;
    const char* encoded;
};

class EncodeFieldTextCase : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeFieldTextCase, encodesByDataType)
{
    EXPECT_EQ(EncodeFieldText(GetParam().text, GetParam().type), GetParam().encoded);
}

INSTANTIATE_TEST_SUITE_P(TableJson, EncodeFieldTextCase,
                         ::testing::Values(EncodeCase{"50%?", ftString, "50%25%3F"},
                                           EncodeCase{"a&b<c>%?", ftWideString, "a&amp;b&lt;c&gt;%25%3F"},
                                           EncodeCase{"say \"hi\"", ftString, "say &quot;hi&quot;"},
                                           EncodeCase{"x+y z=#", ftString, "x+y z=#"},
                                           EncodeCase{"2013.5.1", ftDate, "2013-05-01"},
                                           EncodeCase{"2013-5-1 8:30", ftDateTime, "2013-05-01 08:30:00"},
                                           EncodeCase{"abc", ftOraClob, "YWJj"},
                                           EncodeCase{"a&b", ftInteger, "a&b"},
                                           EncodeCase{"", ftDate, ""}));

TEST(EncodeXmlText, escapesXmlAndMarksTabsAndLineBreaks)
{
    EXPECT_EQ(EncodeXmlText("a&\"'<>\\\tb\r\nc", ftString), "a&amp;&quot;&apos;&lt;&gt;&#092;^$%x%$^09;b^$%x%$^0D;^$%x%$^0A;c");
    EXPECT_EQ(EncodeXmlText("2013-05-01 08:30", ftDate), "2013-05-01");
}

TEST(ValueHelpers, base64LinesBreaksEvery76CharactersAndAfterAFullLastLine)
{
    EXPECT_EQ(Base64Text("Man"), "TWFu");
    EXPECT_EQ(Base64Text("Ma"), "TWE=");
    EXPECT_EQ(Base64Text("M"), "TQ==");
    EXPECT_EQ(Base64Lines(""), "");
    const std::string full = Base64Lines(std::string(57, 'a'));   // exactly 76 characters
    EXPECT_EQ(full.size(), 78u);
    EXPECT_EQ(full.substr(76), "\r\n");
    const std::string longer = Base64Lines(std::string(600, 'a'));   // 800 characters
    EXPECT_EQ(longer.size(), 800u + 10 * 2);
    EXPECT_EQ(longer.substr(76, 2), "\r\n");
    EXPECT_NE(longer.substr(longer.size() - 2), "\r\n");
}

TEST(ValueHelpers, dateTextsParseOrRaise)
{
    EXPECT_EQ(ParseDateText("2013.5.1"), DateTime::FromParts(2013, 5, 1));
    EXPECT_EQ(ParseDateText("2013-05-01"), DateTime::FromParts(2013, 5, 1));
    EXPECT_EQ(ErrorOf([] { ParseDateText("2013-05-01 08:00"); }), "“2013-05-01 08:00”不是有效的日期");
    EXPECT_EQ(ParseDateTimeText("2013.05.01 08:30:00"), DateTime::FromParts(2013, 5, 1, 8, 30));
    EXPECT_EQ(ErrorOf([] { ParseDateTimeText("tomorrow"); }), "“tomorrow”不是有效的日期时间");
}

TEST(ValueHelpers, typeNamesOfTheSelfDescribingLayoutAndTheXmlPacket)
{
    EXPECT_EQ(FieldTypeNames(ftWideString), "string");
    EXPECT_EQ(FieldTypeNames(ftDateTime), "integer");
    EXPECT_EQ(FieldTypeNames(ftLargeint), "integer");
    EXPECT_EQ(FieldTypeNames(ftCurrency), "currency");
    EXPECT_EQ(FieldTypeNames(ftBCD), "double");
    EXPECT_EQ(FieldTypeNames(ftBoolean), "boolean");
    EXPECT_EQ(FieldTypeNames(ftBlob), "variant");
    EXPECT_EQ(XmlFieldType(ftString), "string");
    EXPECT_EQ(XmlFieldType(ftWord), "i4");
    EXPECT_EQ(XmlFieldType(ftBCD), "r8");
    EXPECT_EQ(XmlFieldType(ftTime), "time");
    EXPECT_EQ(XmlFieldType(ftDateTime), "datetime");
}
