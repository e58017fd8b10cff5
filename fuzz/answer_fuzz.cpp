// Arbitrary bytes as a whole answer of the station server, read as the connection reads every
// answer: the first byte picks the status (200, 0 or 500), the rest of the first line is the
// Content-Type (its charset decodes the body), the rest is the body. The envelope is then filled
// into output parameters of every kind (dotted paths too) and, when it carries "rows" with its
// "_type" and "_typelength", loaded as a table. Errors are the system's kiosk::Exception;
// anything else (a crash, another exception, a sanitizer report) is a fault.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "data/tablejson_p.h"
#include "data/tjsonconnection.h"
#include "data/tjsonconnection_p.h"

namespace {

kiosk::TParams OutputParams()
{
    kiosk::TParams params;
    params.CreateParam(kiosk::ftBCD, "flag", kiosk::ptOutput);
    params.CreateParam(kiosk::ftString, "msg", kiosk::ptOutput);
    params.CreateParam(kiosk::ftBCD, "global.userinfo.id", kiosk::ptOutput);
    params.CreateParam(kiosk::ftDateTime, "curDatetime", kiosk::ptOutput);
    params.CreateParam(kiosk::ftLargeint, "reportid", kiosk::ptOutput);
    return params;
}

void ReadParams(kiosk::TParams& params)
{
    for (kiosk::TParam& p : params) {
        (void)p.AsString();
        if (!p.IsNull()) (void)p.AsFloat();
    }
}

void LoadRows(simdjson::dom::object answer)
{
    simdjson::dom::element rows, types, lengths;
    if (answer.at_key("rows").get(rows) || answer.at_key("rows_type").get(types) ||
        answer.at_key("rows_typelength").get(lengths))
        return;
    kiosk::TDataSet table("FcdsResult");
    kiosk::tablejson::LoadAnswerTable(table, rows, types, lengths);
    for (table.First(); !table.Eof(); table.Next())
        for (int i = 0; i < table.FieldCount(); ++i) (void)table.Fields(i).AsString();
}

kiosk::TjsonConnection& Connection()
{
    static kiosk::TjsonConnection connection("fuzz");  // its charset converter and parser are reused
    return connection;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t line = input.find('\n');
    kiosk::THttpAnswer answer;
    answer.Status = data[0] % 3 == 0 ? 200 : data[0] % 3 == 1 ? 0 : 500;
    answer.StatusText = "OK";
    answer.ContentType = std::string(input.substr(0, line));
    answer.Body = line == std::string_view::npos ? std::string() : std::string(input.substr(line + 1));
    try {
        const simdjson::dom::object envelope = Connection().ReadAnswer(std::move(answer));
        kiosk::TParams params = OutputParams();
        try {
            kiosk::FillOutputParams(envelope, params);
        } catch (const kiosk::Exception&) {
        }
        ReadParams(params);
        LoadRows(envelope);
    } catch (const kiosk::Exception&) {
    }
    return 0;
}
