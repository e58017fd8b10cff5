// Arbitrary bytes into the JSON table loaders. The input is split at the first two zero bytes
// into rows, type object and length object for CDSFromJSon2; the whole input also goes to
// CDSFromJSon. Errors are the loaders' kiosk::Exception; anything else (a crash, another
// exception, a sanitizer report, display updates left suspended) is a fault.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "data/tablejson.h"

namespace {

void Check(bool ok)
{
    if (!ok) std::abort();
}

void LoadAnswer(std::string_view rows, std::string_view types, std::string_view lengths)
{
    kiosk::TDataSet cds("fuzz");
    try {
        kiosk::TTableJSon::CDSFromJSon2(cds, rows, types, lengths);
        for (cds.First(); !cds.Eof(); cds.Next())
            for (int i = 0; i < cds.FieldCount(); ++i) (void)cds.Fields(i).AsString();
        (void)kiosk::TTableJSon::JSonFromDataSet(cds);
    } catch (const kiosk::Exception&) {
    }
    Check(!cds.ControlsDisabled());
}

void LoadSelfDescribing(std::string_view json)
{
    kiosk::TDataSet cds("fuzz");
    try {
        kiosk::TTableJSon::CDSFromJSon(cds, json);
    } catch (const kiosk::Exception&) {
    }
    Check(!cds.ControlsDisabled());
    try {
        (void)kiosk::TTableJSon::XMLFromJSon("fuzz", json);
        (void)kiosk::TTableJSon::MergeFromJson("id", json);
    } catch (const kiosk::Exception&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t a = input.find('\0');
    const std::size_t b = a == std::string_view::npos ? a : input.find('\0', a + 1);
    const std::string_view rows = input.substr(0, a);
    const std::string_view types = a == std::string_view::npos ? std::string_view("{}") : input.substr(a + 1, b - a - 1);
    const std::string_view lengths = b == std::string_view::npos ? std::string_view("{}") : input.substr(b + 1);
    LoadAnswer(rows, types, lengths);
    LoadSelfDescribing(input);
    return 0;
}
