#pragma once
// JSON tables and the in-memory dataset: the server's answer layout (rows, column types and
// column lengths side by side) and the self-describing layout {"Cols": …, "Data": …}, plus the
// value encoders of request bodies, delta texts and parameter JSON.
//
// Loading failures (text that is not JSON, a row that is not an object, a value that does not
// convert for its column, a type that cannot be built) raise kiosk::Exception with a text the
// transport completes with "服务器传输的数据格式有误！". Display updates always resume.
#include <string>
#include <string_view>

#include "platform/dataset.h"

namespace kiosk {

class TTableJSon {
public:
    TTableJSon() = delete;

    // Loads the answer layout into `CDS`: `sData` the rows (a JSON array of row objects),
    // `sDatasetType` the object of column type names, `sFiledSize` the object of column lengths.
    // Returns false, leaving `CDS` untouched, when `sData` is blank.
    static bool CDSFromJSon2(TDataSet& CDS, std::string_view sData, std::string_view sDatasetType,
                             std::string_view sFiledSize);
    // Replaces the field definitions of `CDS` by one per member of the type object, in the
    // object's order, with the data type and size of the server type name.
    static bool CreateField(TDataSet& CDS, std::string_view fieldTypes, std::string_view sFiledSize);
    // The length of one column: its entry in the length object, at least 300; 300 without one.
    static int GetFieldSize(std::string_view _FieldName, std::string_view sFiledSize);

    // Loads the self-describing layout. Returns false when `Json` is blank.
    static bool CDSFromJSon(TDataSet& CDS, std::string_view Json);
    // Writes the dataset in the self-describing layout (the cursor ends at the last record).
    static std::string JSonFromDataSet(TDataSet& DataSet);
    // Writes a parameter set as {"param":[…]}; "{}" for no parameter set.
    static std::string JSonFromDataSetParam(std::string_view AProviderName, const TParams* AParams,
                                            std::string_view ASQL);
    // Turns the self-describing layout into an XML data packet; empty for a blank `Json`.
    static std::string XMLFromJSon(std::string_view ProviderName, std::string_view Json);
    // The second row of a self-describing table as JSON, its `Pkey` member filled from the first
    // row when empty; empty when the table has fewer than two rows.
    static std::string MergeFromJson(std::string_view Pkey, std::string_view sJson);
};

// Request and delta values: string types escaped (& " < > % ?), dates and date-times rewritten
// as yyyy-mm-dd [hh:nn:ss], Oracle blob and clob types in Base64, other types unchanged.
std::string EncodeFieldText(std::string_view text, TFieldType dataType);
// Parameter values of JSonFromDataSetParam: string types XML-escaped (with the system's tab and
// line-break marks), dates and date-times rewritten, Oracle blob and clob types in Base64.
std::string EncodeXmlText(std::string_view text, TFieldType dataType);
// Standard Base64 of the text's bytes on one line.
std::string Base64Text(std::string_view text);
// Standard Base64 of the text's bytes with CR LF after every 76 characters.
std::string Base64Lines(std::string_view text);
// A date ("2013-05-01", "2013.5.1"); raises "“text”不是有效的日期" otherwise.
DateTime ParseDateText(std::string_view text);
// A date with an optional time; raises "“text”不是有效的日期时间" otherwise.
DateTime ParseDateTimeText(std::string_view text);
// The "jsonType" of a field of `type` in the self-describing layout.
std::string FieldTypeNames(TFieldType type);
// A data type's name in an XML data packet.
std::string XmlFieldType(TFieldType type);

} // namespace kiosk
