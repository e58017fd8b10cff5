#include "app/kioskmain.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/kioskapplication.h"
#include "app/options.h"
#include "app/selfcheck.h"
#include "app/startupretry.h"
#include "app/systemdnotify.h"
#include "app/unitservices.h"
#include "core/configreport.h"
#include "core/dmpublic.h"
#include "core/logobj.h"
#include "core/pluginmgr.h"
#include "core/unattended.h"
#include "core/sysservice.h"
#include "kiosk/frmmainnew.h"
#include "kiosk/idcardreader.h"
#include "platform/inifile.h"
#include "seatplan/seatplanloader.h"

#ifndef KIOSK_VERSION
#define KIOSK_VERSION "0.0.0"
#endif

namespace kiosk {

namespace {

const auto g_started = std::chrono::steady_clock::now();

// Reports on standard error how long the start-up took, once the first frame is painted.
void ReportStartupTime(TFrmMainNew& window)
{
    QTimer::singleShot(0, &window, [] {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - g_started);
        std::fprintf(stderr, "kiosk: main window shown %lld ms after start\n", static_cast<long long>(ms.count()));
    });
}

void ScheduleScreenshot(TFrmMainNew& window, const KioskOptions& options)
{
    if (options.screenshot.empty()) return;
    QTimer::singleShot(1500, &window, [&window, options] {
        const bool saved = window.grab().save(QString::fromStdString(options.screenshot), "PNG");
        std::fprintf(stderr, saved ? "kiosk: screenshot saved to %s\n" : "kiosk: cannot save screenshot %s\n",
                     options.screenshot.c_str());
        if (options.quitAfterScreenshot) window.ExitApplication();
    });
}

void ShowMainWindow(TFrmMainNew& mainWindow, const KioskOptions& options, const AfterShow& afterShow,
                    TSystemdNotify& notify)
{
    // The kiosk fills the screen also where no window manager maximises it.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) mainWindow.setGeometry(screen->availableGeometry());
    mainWindow.show();
    ReportStartupTime(mainWindow);
    ScheduleScreenshot(mainWindow, options);
    if (afterShow) afterShow(mainWindow);
    // Ready once the login screen is on the screen, from the event loop.
    QTimer::singleShot(0, &notify, [&notify] { notify.Ready(); });
}

int RunKiosk(const KioskOptions& options, const AfterShow& afterShow)
{
    const TIniFile appIni(options.home + "App.ini");
    const TUnattendedSettings unattended = ReadUnattendedSettings(appIni, options.unattended);
    SetUnattendedSettings(unattended);
    TLogObj::SetReportFileFailuresOnly(unattended.unattended);
    ReportConfiguration(options.home);

    MainWindowOptions windowOptions;
    windowOptions.showStatusBar = appIni.ReadBool("ui", "statusbar", false);
    windowOptions.backgroundFile = QString::fromStdString(options.home + "images/background.png");
    windowOptions.unattended = unattended.unattended;
    windowOptions.readerRetrySeconds = unattended.readerRetrySeconds;
    TIDCardReader::SetLibrary(appIni.ReadString("idcard", "library", TIDCardSdk::kDefaultLibrary));

    TSystemdNotify notify;
    notify.StartWatchdog();
    TDMPublic dataModule;
    SetSeatPlanConnection(&dataModule.jcon);
    TFrmMainNew mainWindow(windowOptions);
    int exitCode = 0;
    {
        TPluginMgr pluginMgr(&mainWindow, options.home);
        const auto showMain = [&] { ShowMainWindow(mainWindow, options, afterShow, notify); };
        std::unique_ptr<TStartupRetry> retry;
        if (unattended.unattended) {
            retry = std::make_unique<TStartupRetry>(pluginMgr, mainWindow, unattended, showMain);
            QObject::connect(retry.get(), &TStartupRetry::Failed, &notify,
                             [&notify](const QString& texts) { notify.Status(texts.toStdString()); });
            retry->Start();
        } else {
            pluginMgr.Init();
            if (!mainWindow.ExitRequested()) showMain();
        }
        exitCode = QApplication::exec();
        FactoryManager().ReleaseInstances();
    }
    TIDCardReader::FreeInstance();
    return exitCode;
}

} // namespace

int KioskMain(int argc, char** argv, const AfterShow& afterShow)
{
    const KioskOptions options = ParseKioskOptions(argc, argv);
    if (options.help) {
        std::fputs(KioskUsage(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("kiosk %s\n", KIOSK_VERSION);
        return 0;
    }
    if (!options.error.empty()) {
        std::fprintf(stderr, "kiosk: %s\n%s", options.error.c_str(), KioskUsage());
        return 2;
    }
    // The ID card SDK (and its simulator) find the application folder here.
    setenv("KIOSK_HOME", options.home.c_str(), 1);
    if (options.check) return SelfCheckMain(options.home, argc, argv);
    RegisterUnitServices(options.home);

    int exitCode = 0;
    {
        TKioskApplication app(argc, argv);
        InstallFontSubstitutes();
        exitCode = RunKiosk(options, afterShow);
    }
    FreeSysService();
    FreeFactoryManager();
    return exitCode;
}

} // namespace kiosk
