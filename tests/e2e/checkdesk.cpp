#include "e2e/checkdesk.h"

#include <QTest>
#include <filesystem>
#include <fstream>
#include <regex>
#include <unistd.h>

#include "core/coreservices.h"
#include "core/sysfactory.h"
#include "core/sysservice.h"
#include "seatplan/seatplanloader.h"
#include "support/qtapp.h"
#include "support/staffsession.h"

namespace kiosk::test {

CheckDesk::CheckDesk(const std::string& appIni)
{
    EnsureApplication();
    DateTime::SetNowSource([] { return DateTime::FromParts(2024, 5, 1, 10, 0, 0); });
    FreeSysService();
    FreeFactoryManager();
    RegisterCoreServices(home_.str());
    dialogs_ = RegisterRecordingDialog();
    module_ = std::make_unique<TDMPublic>();
    auto user = std::make_shared<TLoginUserInfo>();
    user->OrgID = 11;
    user->StationID = 101;
    user->_automin = 60;
    GetSysInfo()->setLoginUserInfo(user);
    GetSysInfo()->setBillLength({{"Ticket", 10}, {"BalanceBill", 8}});
    GetSysInfo()->setLocalHostAddress("127.0.0.1");
    home_.Write("App.ini", appIni);
}

CheckDesk::~CheckDesk()
{
    form_.reset();
    SetSeatPlanConnection(nullptr);
    module_.reset();
    FreeSysService();
    FreeFactoryManager();
    DateTime::SetNowSource({});
}

void CheckDesk::SetServer(const std::string& urlHost)
{
    module_->jcon.SetURLHost(urlHost);
    SetSeatPlanConnection(&module_->jcon);
    StaffLogin(module_->jcon);
}

TFrmCheck& CheckDesk::Open(std::int64_t vehicle)
{
    form_.reset();
    form_ = std::make_unique<TFrmCheck>(nullptr);
    form_->KestEdtVehicleNo->SetText(vehicle == kLineBus ? "粤A23456" : "粤A12345");
    form_->vehicleid = vehicle;
    form_->resize(1600, 900);
    form_->show();
    return *form_;
}

void CheckDesk::Check(const QString& ticketno)
{
    form_->KestEdtTicketNO->setFocus();
    form_->KestEdtTicketNO->setText(ticketno);
    QTest::keyClick(form_->KestEdtTicketNO, Qt::Key_Return);
}

std::string CheckDesk::Log() const
{
    std::string all;
    if (std::filesystem::exists(home_ / "error"))
        for (const auto& file : std::filesystem::directory_iterator(home_ / "error")) all += ReadFile(file.path());
    return all;
}

QString LineTicket(int n)
{
    const int number = n < kDemoLineTickets ? 13004 + n : 1000001 + (n - kDemoLineTickets);
    return QString("%1").arg(number, 10, 10, QChar('0'));
}

std::vector<std::string> MalformedLogLines(const std::string& log)
{
    static const std::regex wellFormed(R"(\[\d\d:\d\d:\d\d\]  [^\r\n]+)");
    std::vector<std::string> bad;
    std::size_t from = 0;
    while (from < log.size()) {
        const auto end = log.find("\r\n", from);
        const std::string line = log.substr(from, end == std::string::npos ? std::string::npos : end - from);
        if (end == std::string::npos || !std::regex_match(line, wellFormed)) bad.push_back(line);
        if (end == std::string::npos) break;
        from = end + 2;
    }
    return bad;
}

std::size_t ResidentBytes()
{
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

} // namespace kiosk::test
