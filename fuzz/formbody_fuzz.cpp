// stationd's reading of a request body, given any bytes a client may send: either the
// parameters, each name non-empty, unique and UTF-8 with a UTF-8 value, or FormError; the value
// decoding alone never fails and keeps UTF-8 text UTF-8.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string_view>

#include "formbody.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    try {
        std::set<std::string> names;
        for (const auto& [name, value] : stationd::ParseFormBody(body)) {
            if (name.empty() || !names.insert(name).second) std::abort();
            if (!stationd::IsValidUtf8(name) || !stationd::IsValidUtf8(value)) std::abort();
        }
    } catch (const stationd::FormError&) {
        // a body the server answers with its 400 page
    }
    const std::string decoded = stationd::DecodeFormValue(body);
    if (stationd::IsValidUtf8(body) && !stationd::IsValidUtf8(decoded)) std::abort();
    return 0;
}
