#include "core/logininfo.h"

#include "core/sharedops.h"
#include "core/sysservice.h"
#include "platform/textutil.h"

namespace kiosk {

bool TLoginUserInfo::increaseBillNo(const std::string& bill, std::int64_t num)
{
    const auto no = curBillNo.find(bill);
    if (no == curBillNo.end()) {
        GetDialog()->ShowError(bill + "类型票据没有初始化！");
        return false;
    }
    std::int64_t& left = curBillNum[bill];
    if (left < num) {
        GetDialog()->ShowError("剩余票张数不足！");
        return false;
    }
    std::int64_t current = 0;
    if (left - num != 0 && !TryStrToInt64(no->second, current)) {
        GetDialog()->ShowError(bill + "类型票据没有初始化！");
        return false;
    }
    left -= num;
    no->second = left != 0 ? PadZeroLeft(IntToStr(current + num), static_cast<int>(no->second.size())) : std::string();
    return true;
}

} // namespace kiosk
