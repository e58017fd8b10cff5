// MoneyToCapital and AmountDigitAt over arbitrary doubles and positions: results are
// well-formed text, AmountDigitAt gives at most one character, and only the amount errors come
// out (not a number, out of range).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/exception.h"
#include "platform/textutil.h"
#include "print/moneycapital.h"

namespace {

bool IsAmountError(const std::string& message)
{
    return message.rfind("无效的金额：", 0) == 0 || message.rfind("金额超出范围：", 0) == 0;
}

std::size_t CodePoints(const std::string& text)
{
    std::size_t n = 0;
    for (unsigned char c : text) n += (c & 0xC0) != 0x80;
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 13) return 0;
    double amount;
    std::memcpy(&amount, data, sizeof amount);
    std::int32_t position;
    std::memcpy(&position, data + 8, sizeof position);
    const bool capital = data[12] & 1, currency = data[12] & 2;
    try {
        const std::string text = kiosk::MoneyToCapital(amount);
        if (!kiosk::IsValidUtf8(text)) std::abort();
    } catch (const kiosk::Exception& e) {
        if (!IsAmountError(e.what())) std::abort();
    }
    try {
        const std::string digit = kiosk::AmountDigitAt(position, capital, currency, amount);
        if (!kiosk::IsValidUtf8(digit) || CodePoints(digit) > 1) std::abort();
    } catch (const kiosk::Exception& e) {
        if (!IsAmountError(e.what())) std::abort();
    }
    return 0;
}
