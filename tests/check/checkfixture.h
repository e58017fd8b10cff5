#pragma once
// The check screen's test fixture: a fresh stationd on the demo day 2024-05-01, the services,
// the data module and a logged-in staff user (organisation 11, station 101), an application
// folder with an App.ini naming a scanner that does not exist, and the screen itself.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QTest>
#include <filesystem>

#include "check/frmcheck.h"
#include "core/coreservices.h"
#include "core/dmpublic.h"
#include "core/sysfactory.h"
#include "core/sysservice.h"
#include "seatplan/seatpichelp.h"
#include "seatplan/seatplanloader.h"
#include "support/qtapp.h"
#include "support/recordingdialog.h"
#include "support/staffsession.h"
#include "support/stationd_fixture.h"
#include "support/tempfolder.h"

namespace kiosk::test {

constexpr std::int64_t kBusK0830 = 71;    // 粤A12345: K0830 and the extra run J1400
constexpr std::int64_t kLineBus = 72;     // 粤A23456: line work LS01
constexpr std::int64_t kDepartedBus = 73; // 粤A34567: K0700, departed with slip 00030001

inline int Count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

class CheckScreen : public testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    void SetUp() override
    {
        DateTime::SetNowSource([] { return DateTime::FromParts(2024, 5, 1, 10, 0, 0); });
        FreeSysService();
        FreeFactoryManager();
        RegisterCoreServices(home.str());
        dialogs = RegisterRecordingDialog();
        module = std::make_unique<TDMPublic>();
        SetServer("http://127.0.0.1:" + std::to_string(station.Port()) + "/KtBusWeb/");
        ASSERT_NO_THROW(StaffLogin(module->jcon));
        auto user = std::make_shared<TLoginUserInfo>();
        user->OrgID = 11;
        user->StationID = 101;
        user->_automin = 60;
        user->UserName = "kiosk01";
        user->OrgName = "广州市汽车客运站";
        GetSysInfo()->setLoginUserInfo(user);
        GetSysInfo()->setBillLength({{"Ticket", 10}, {"BalanceBill", 8}});
        GetSysInfo()->setLocalHostAddress("127.0.0.1");
        home.Write("App.ini", "[server]\ncom=/dev/no-scanner-here\n");
    }

    void TearDown() override
    {
        form.reset();
        SetSeatPlanConnection(nullptr);
        module.reset();
        FreeSysService();
        FreeFactoryManager();
        DateTime::SetNowSource({});
    }

    void SetServer(const std::string& url)
    {
        module->jcon.SetURLHost(url);
        SetSeatPlanConnection(&module->jcon);
    }

    TFrmCheck& Open(std::int64_t vehicle)
    {
        form = std::make_unique<TFrmCheck>(nullptr);
        form->KestEdtVehicleNo->SetText("粤A12345");
        form->vehicleid = vehicle;
        form->resize(1600, 900);
        form->show();
        return *form;
    }

    void Type(const QString& digits)
    {
        form->KestEdtTicketNO->setFocus();
        QTest::keyClicks(form->KestEdtTicketNO, digits);
        QTest::keyClick(form->KestEdtTicketNO, Qt::Key_Return);
    }

    std::string Log() const
    {
        std::string all;
        if (std::filesystem::exists(home / "error"))
            for (const auto& file : std::filesystem::directory_iterator(home / "error")) all += ReadFile(file.path());
        return all;
    }

    int Checks() const { return form->LabChecks->text().toInt(); }
    std::string SeatState(int seat) const { return (*form->SeatPicHelp()->seatsStatus)[seat]; }

    // Changes the station's data behind its back.
    void Sql(const std::string& sql) const
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(station.Database().c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql;
        sqlite3_close(db);
    }
    void SetParameter(const std::string& code, const std::string& value) const
    {
        Sql("UPDATE parameter SET value = '" + value + "' WHERE code = '" + code + "'");
    }

    TempFolder home;
    stationd::test::Stationd station;
    std::shared_ptr<TRecordingDialog::Script> dialogs;
    std::unique_ptr<TDMPublic> module;
    std::unique_ptr<TFrmCheck> form;
};

} // namespace kiosk::test
