#pragma once
// The table loaders on an already parsed answer: the transport hands over the simdjson elements
// of the envelope, so an answer is parsed once and its values go straight into the records.
#include <cstdint>
#include <string>

#include <simdjson.h>

#include "platform/dataset.h"

namespace kiosk::tablejson {

// CDSFromJSon2 on parsed values. `rows` is an array of row objects or a string holding the
// text of one; `lengths` may be a null element (every column gets the default length).
bool LoadAnswerTable(TDataSet& cds, simdjson::dom::element rows, simdjson::dom::element types,
                     simdjson::dom::element lengths);

// The steps of the loaders, shared by the text operations of TTableJSon.
void LoadRows(TDataSet& cds, simdjson::dom::element rows);
int FieldSize(std::string_view name, simdjson::dom::element lengths);
void CreateFieldDefs(TDataSet& cds, simdjson::dom::element types, simdjson::dom::element lengths);
void CreateTable(TDataSet& cds);

// An XML data packet (FIELDS and ROWDATA) as a dataset's structure and records.
TDataPacket DataPacketFromXml(std::string_view xml);

// The value's text form: a string's content, a number's digits, true/false, or the JSON text
// of an object or array; empty for null.
std::string TextOf(simdjson::dom::element value);

// Milliseconds since 1970-01-01 00:00 UTC of a local date-time, and back (the machine's
// time-zone rules apply).
std::int64_t LocalToEpochMsecs(DateTime local);
DateTime EpochMsecsToLocal(std::int64_t msecs);

// "JSON解析失败：…" for a parse error of simdjson; std::bad_alloc when the parser had no memory.
[[noreturn]] void ThrowParseError(simdjson::error_code error);

} // namespace kiosk::tablejson
