// The unattended start-up in the kiosk's own process: the server away, the start-up page with
// the failure's text and the time of the next try, no message box, and the login screen's turn
// once the server answers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "app/startupretry.h"
#include "app/unitservices.h"
#include "core/dmpublic.h"
#include "core/pluginmgr.h"
#include "core/sharedops.h"
#include "core/sysservice.h"
#include "kiosk/frmmainnew.h"
#include "platform/datetime.h"
#include "support/qtapp.h"
#include "support/stationd_fixture.h"
#include "support/tempfolder.h"

using namespace kiosk;

namespace {

int UnusedPort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

bool AnyMessageBox()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMessageBox*>(w) && w->isVisible()) return true;
    return false;
}

} // namespace

TEST(StartupRetry, showsTheFailureAndTheNextTryThenGoesOnWhenTheServerAnswers)
{
    test::EnsureApplication();
    test::TempFolder home;
    const int port = UnusedPort();
    home.Write("App.ini", "[server]\nip=127.0.0.1\nport=" + std::to_string(port) +
                              "\n[userinfo]\nusername=kiosk01\npassword=123456\n[ticketoutlet]\ncode=ZZ01\n");
    RegisterUnitServices(home.str());
    SetClockSetter([](const DateTime&) { return true; });  // never the machine's clock
    {
        TDMPublic dm;
        MainWindowOptions options;
        options.unattended = true;
        TFrmMainNew mainWindow(options);
        TPluginMgr pluginMgr(&mainWindow, home.str());
        TUnattendedSettings settings;
        settings.unattended = true;
        settings.retrySeconds = 1;
        settings.retryMaxSeconds = 2;
        int started = 0;
        TStartupRetry retry(pluginMgr, mainWindow, settings, [&] { ++started; });
        QSignalSpy failed(&retry, &TStartupRetry::Failed);
        retry.Start();

        QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, 10000);
        const DateTime failedAt = DateTime::Now();
        EXPECT_EQ(failed[0][1].toInt(), 1);
        TStartupPage& page = retry.Page();
        EXPECT_TRUE(page.isVisible());
        EXPECT_TRUE(page.isFullScreen());
        EXPECT_EQ(page.LabFailure->text().toStdString(), "无法连接应用服务器");
        const std::string next = page.LabNextTry->text().toStdString();
        EXPECT_TRUE(next == "下次重试时间：" + failedAt.AddSeconds(1).Format("hh:nn:ss") ||
                    next == "下次重试时间：" + failedAt.Format("hh:nn:ss"))
            << next;
        EXPECT_FALSE(AnyMessageBox());
        EXPECT_FALSE(mainWindow.ExitRequested());
        // Backing off: 1 s, then 2 s, then 2 s.
        QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 3, 10000);
        EXPECT_EQ(failed[1][1].toInt(), 2);
        EXPECT_EQ(failed[2][1].toInt(), 2);
        EXPECT_EQ(started, 0);

        stationd::test::Stationd station({true, {"--port", std::to_string(port)}});
        QTRY_COMPARE_WITH_TIMEOUT(started, 1, 10000);
        EXPECT_FALSE(page.isVisible());
        EXPECT_FALSE(mainWindow.ExitRequested());
        EXPECT_NE(GetSysInfo()->LoginUserInfo(), nullptr);
        const std::string log = home.Read("error/" + DateTime::Today().DateText() + ".txt");
        EXPECT_NE(log.find("启动失败：无法连接应用服务器，"), std::string::npos) << log;
        EXPECT_NE(log.find("应用服务器已连接，启动完成"), std::string::npos) << log;
    }
    SetClockSetter({});
    FreeSysService();
    FreeFactoryManager();
}
