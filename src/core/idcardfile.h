#pragma once
// The text file "wz.txt" that the ID card SDK writes after each read: UTF-16LE text of
// fixed-width fields. Each field is converted on its own; a code or date that cannot be
// converted takes its fallback and the card is still reported.
#include <optional>
#include <string>
#include <string_view>

#include "platform/datetime.h"

namespace kiosk {

struct TIDCardFields {
    std::string FName;
    std::string FSex;
    std::string FMZ;
    DateTime FBday;
    std::string FAddr;
    std::string FID;
    std::string FDep;
    std::optional<DateTime> FVld_S;
    std::optional<DateTime> FVld_E;  // empty for a card valid for an unlimited period ("长期")
    std::string FNewAddr;
};

// Converts the file's bytes (UTF-16LE, read up to the first zero character).
TIDCardFields ParseIdCardText(std::string_view utf16le);

// The ethnic group of a national code (1 汉 … 56 基诺, 97 其他, 98 外国血统中国籍人士);
// any other code gives "未知".
std::string EthnicGroupName(int code);

} // namespace kiosk
