// wz.txt, the ID card SDK's text file, as any bytes (a card read half-way, an SDK of another
// version): every field converts or takes its fallback, the texts are UTF-8 and the dates are
// real dates. A blank or missing ID number stays empty: the login screen ignores such a card.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/idcardfile.h"
#include "platform/textutil.h"

namespace {

void CheckText(const std::string& text)
{
    if (!kiosk::IsValidUtf8(text)) std::abort();
}

void CheckDate(const kiosk::DateTime& date)
{
    if (!kiosk::DateTime::IsValidDate(date.Year(), date.Month(), date.Day())) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const kiosk::TIDCardFields card =
        kiosk::ParseIdCardText(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const std::string* text : {&card.FName, &card.FSex, &card.FMZ, &card.FAddr, &card.FID, &card.FDep, &card.FNewAddr})
        CheckText(*text);
    if (card.FSex != "男" && card.FSex != "女") std::abort();
    CheckDate(card.FBday);
    if (card.FVld_S) CheckDate(*card.FVld_S);
    if (card.FVld_E) CheckDate(*card.FVld_E);
    return 0;
}
