// MakeBarPattern and BarcodeWidth over every type (and ordinals past the last), arbitrary
// text, check modes, module widths and ratios: only the encoder's own errors may come out, and
// every pattern is made of module characters whose widths add up to BarcodeWidth.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/exception.h"
#include "print/barcode.h"

namespace {

// what() ends at the first NUL byte of a message that quotes the text.
std::string UpToNul(const std::string& text) { return std::string(text.c_str()); }

bool IsEncoderError(const std::string& message, std::string_view text)
{
    const std::string quoted(text);
    for (const std::string& expected : {std::string("Wrong barcode type."), std::string("Barcode module width out of range."),
                                        quoted + " : Barcode must be numeric.", quoted + " : Code_93 bad data."})
        if (message == UpToNul(expected)) return true;
    return message.rfind("EAN8 : Invalid barcode length.", 0) == 0 || message.rfind("EAN13 : Invalid barcode length.", 0) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 11) return 0;
    const auto type = static_cast<kiosk::TBarType>(data[0] % 26);
    const int checkSumMode = data[1] % 3;
    const int moduleWidth = static_cast<std::int8_t>(data[2]);
    double ratio;
    std::memcpy(&ratio, data + 3, sizeof ratio);
    const std::string_view text(reinterpret_cast<const char*>(data + 11), size - 11);
    try {
        const kiosk::TBarPattern bars = kiosk::MakeBarPattern(type, text, moduleWidth, checkSumMode, ratio);
        std::int64_t width = 0;
        for (char c : bars.pattern) width += kiosk::PatternElement(c, bars.widths).width;
        if (width != kiosk::BarcodeWidth(type, text, moduleWidth, checkSumMode, ratio)) std::abort();
        for (int w : bars.widths)
            if (w < 1 || w > 127) std::abort();
    } catch (const kiosk::Exception& e) {
        if (!IsEncoderError(e.what(), text)) std::abort();
    }
    return 0;
}
