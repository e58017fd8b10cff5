#pragma once
// The logged-in staff user of the kiosk, filled by the staff login.
#include <cstdint>
#include <map>
#include <string>

namespace kiosk {

struct TLoginUserInfo {
    std::int64_t UserID = 0;
    std::string UserCode;
    std::string UserName;
    std::int64_t RoleID = 1;
    std::string RoleName;
    bool IsAdmin = false;
    std::int64_t OrgID = 0;
    std::string OrgIDs;
    std::string OrgName;
    int _automin = 60;
    std::int64_t POrgID = 0;
    std::string POrgName;
    std::int64_t ticketoutletsid = 0;
    std::string ticketoutletsname;
    std::int64_t departmentID = 0;
    std::string departmentName;
    std::int64_t StationID = 0;
    std::map<std::string, std::string> curBillNo;    // bill type code → next bill number
    std::map<std::string, std::int64_t> curBillNum;  // bill type code → bills left

    // Takes `num` bills of type `bill`: advances the next number (zero-padded to the old
    // length, never cut) and lowers the count. Shows the error and answers false when the
    // type has no number or fewer than `num` bills are left.
    bool increaseBillNo(const std::string& bill, std::int64_t num);
};

} // namespace kiosk
