// kiosk-road: the kiosk itself, playing one driver's day by itself for the headless demo. It
// starts exactly as `kiosk` does, then, on the real screens and through the real devices:
// logs driver 张建国 in by his ID number on the keypad, checks one ticket typed and one scanned
// on a pseudo-terminal scanner, prints the slip (to a PDF when no printer is installed) and
// waits for the check screen to close; then his co-driver 刘洋 lays his ID card on the reader
// (the simulator, fed with lay-card), checks a ticket of the extra run, looks the bus's slips up
// on the records tab and leaves. Each screen is saved as a PNG in the output folder, with the
// slip as slip.pdf. It exits 0 only when every step did what the kiosk should; a step that did
// not is named on a line "kiosk-road: FAILED: …".
//
//   kiosk-road --home DIR --road-out DIR [kiosk options]
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/kioskmain.h"
#include "check/frmcheck.h"
#include "check/frmdialogs.h"
#include "core/sysservice.h"
#include "kiosk/frmmainnew.h"
#include "platform/inifile.h"

namespace fs = std::filesystem;
using namespace kiosk;

namespace {

constexpr const char* kDriverId = "440101198001010011";  // 张建国, 粤A12345
constexpr const char* kTypedTicket = "11011";
constexpr const char* kScannedTicket = "0000011012\r\n";
constexpr const char* kCardDriverId = "440101198203030044";  // 刘洋, also 粤A12345
constexpr const char* kCardDriverName = "刘洋";
constexpr const char* kExtraRunTicket = "12003";             // J1400, the extra run
constexpr const char* kExtraRunSchedule = "J1400";

struct Road {
    fs::path out;
    fs::path bin;       // where lay-card is
    int masterFd = -1;  // the scanner's side of the pseudo-terminal
    bool finished = false;
    bool cardScreenDone = false;
    int failures = 0;
};

Road g_road;

void Say(const std::string& text) { std::printf("kiosk-road: %s\n", text.c_str()); std::fflush(stdout); }

void Fail(const std::string& what)
{
    ++g_road.failures;
    Say("FAILED: " + what);
}

// A ticket of the bus's other reported schedule: the check passes and the screen moves on to that
// schedule, whose refresh clears the status line.
void ExpectMovedTo(TFrmCheck& check, const std::string& ticket, const char* schedule)
{
    const std::string shown = check.KestEdtSch->text().toStdString();
    Say("schedule after " + ticket + ": " + shown + ", checked " + check.LabChecks->text().toStdString());
    if (shown != schedule) Fail("ticket " + ticket + " did not move the check screen to " + schedule + ": " + shown);
}

void Shot(QWidget& window, const char* name)
{
    const fs::path file = g_road.out / name;
    window.grab().save(QString::fromStdString(file.string()), "PNG");
    Say("screen saved to " + file.string());
}

// A pseudo-terminal stands in for the scanner; App.ini names its device before the check
// screen reads it.
// The records tabs are shown too.
void PlugInScanner()
{
    TIniFile ini(GetSysInfo()->AppPath() + "App.ini");
    ini.WriteString("ui", "records", "1");
    g_road.masterFd = posix_openpt(O_RDWR | O_NOCTTY);
    if (g_road.masterFd < 0 || grantpt(g_road.masterFd) != 0 || unlockpt(g_road.masterFd) != 0) {
        Say("no pseudo-terminal: the scan is left out");
        return;
    }
    ini.WriteString("server", "com", ptsname(g_road.masterFd));
}

// Lays the driver's ID card on the simulated reader with the lay-card tool.
void LayCard(const char* id, const char* name)
{
    const std::string command = "'" + (g_road.bin / "lay-card").string() + "' --name '" + name + "' " + id;
    Say(std::string("laying the ID card of ") + name);
    if (std::system(command.c_str()) != 0) Fail("lay-card did not lay the card");
}

void Scan(const char* code)
{
    if (g_road.masterFd < 0) return;
    const std::string bytes = code;
    if (::write(g_road.masterFd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) Say("scan not sent");
}

void KeepSlip()
{
    const fs::path prints = fs::path(GetSysInfo()->AppPath()) / "prints";
    std::error_code ec;
    fs::path newest;
    for (const auto& f : fs::directory_iterator(prints, ec))
        if (f.path().extension() == ".pdf" && (newest.empty() || f.last_write_time() > fs::last_write_time(newest)))
            newest = f.path();
    if (newest.empty()) {
        Fail("no slip was printed");
        return;
    }
    fs::copy_file(newest, g_road.out / "slip.pdf", fs::copy_options::overwrite_existing, ec);
    Say("slip printed to " + newest.string() + " (copied to " + (g_road.out / "slip.pdf").string() + ")");
}

void ConfirmPrint()
{
    auto* box = qobject_cast<TFrmDialogs*>(QApplication::activeModalWidget());
    if (!box) return;
    Shot(*box, "4-confirm.png");
    box->BitBtn1->click();
}

// Runs inside the check screen's modal loop.
void WorkOnCheckScreen()
{
    TFrmCheck* check = FrmCheck;
    if (!check || !check->isVisible()) {
        QTimer::singleShot(200, WorkOnCheckScreen);
        return;
    }
    QTest::qWait(500);
    Shot(*check, "2-check-screen.png");
    Say(std::string("typing ticket ") + kTypedTicket);
    QTest::keyClicks(check->KestEdtTicketNO, kTypedTicket);
    QTest::keyClick(check->KestEdtTicketNO, Qt::Key_Return);
    Say("scanning ticket 0000011012");
    Scan(kScannedTicket);
    QTest::qWait(1000);
    Say("status line: " + check->lbl2->text().toStdString() + ", checked " + check->LabChecks->text().toStdString() +
        check->LabSeats->text().toStdString());
    if (check->LabChecks->text().toInt() != 12) Fail("the two tickets did not both count as checked");
    Shot(*check, "3-checked.png");
    QTimer::singleShot(500, ConfirmPrint);
    check->BitBtn1->click();
    QTest::qWait(300);
    Shot(*check, "5-printed.png");
    KeepSlip();
}

// Runs inside the modal loop of the check screen that the ID card opened.
void WorkOnCardScreen()
{
    TFrmCheck* check = FrmCheck;
    if (!check || !check->isVisible() || check->vehicleid == 0) {
        QTimer::singleShot(200, WorkOnCardScreen);
        return;
    }
    QTest::qWait(500);
    Shot(*check, "7-card-login.png");
    Say(std::string("typing ticket ") + kExtraRunTicket);
    QTest::keyClicks(check->KestEdtTicketNO, kExtraRunTicket);
    QTest::keyClick(check->KestEdtTicketNO, Qt::Key_Return);
    QTest::qWait(300);
    ExpectMovedTo(*check, kExtraRunTicket, kExtraRunSchedule);
    check->PageControl1->setCurrentWidget(check->TabSheet2);
    check->BitBtn2->click();
    QTest::qWait(300);
    const int slips = check->jscdqryDepartinvoicesByorg.Active() ? check->jscdqryDepartinvoicesByorg.RecordCount() : 0;
    Say("records tab: " + std::to_string(slips) + " slip(s) of the bus");
    if (slips < 1) Fail("the records tab lists no slip");
    Shot(*check, "8-records.png");
    g_road.cardScreenDone = true;
    check->buttoncanl->click();
}

void CardLogin(TFrmMainNew& main)
{
    // The reader reports a card to the window in front: the login screen, once the check screen is gone.
    if (!QTest::qWaitForWindowActive(&main, 5000)) Say("the login screen is not the active window");
    QTimer::singleShot(0, WorkOnCardScreen);
    LayCard(kCardDriverId, kCardDriverName);
    // The reader polls every 500 ms; the check screen it opens runs its own modal loop in here.
    for (int i = 0; i < 300 && !g_road.cardScreenDone; ++i) QTest::qWait(100);
    if (!g_road.cardScreenDone) Fail("the ID card opened no check screen");
    QTest::qWait(300);
    Shot(main, "9-after-card.png");
}

void Start(TFrmMainNew& main)
{
    QTimer::singleShot(1000, &main, [&main] {
        Shot(main, "1-login.png");
        PlugInScanner();
        Say(std::string("logging in by ID number ") + kDriverId);
        main.edtUserpwd->setFocus();
        QTest::keyClicks(main.edtUserpwd, kDriverId);
        QTimer::singleShot(0, WorkOnCheckScreen);
        main.BitBtnkeyok->click();  // returns when the check screen has closed
        QTest::qWait(300);
        Shot(main, "6-after-close.png");
        CardLogin(main);
        g_road.finished = true;
        main.ExitApplication();
    });
}

} // namespace

int main(int argc, char** argv)
{
    fs::path home;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--road-out") g_road.out = argv[i + 1];
        if (std::string(argv[i]) == "--home") home = argv[i + 1];
    }
    if (g_road.out.empty()) {
        std::fputs("usage: kiosk-road --home DIR --road-out DIR [kiosk options]\n", stderr);
        return 2;
    }
    std::error_code ec;
    fs::create_directories(g_road.out, ec);
    if (!home.empty()) fs::create_directories(home / "idcard-spool", ec);  // the reader is there
    g_road.bin = fs::read_symlink("/proc/self/exe", ec).parent_path();
    const int code = KioskMain(argc, argv, Start);
    if (g_road.masterFd >= 0) ::close(g_road.masterFd);
    if (code != 0) return code;
    if (!g_road.finished) Say("FAILED: the road did not reach its end");
    return g_road.finished && g_road.failures == 0 ? 0 : 1;
}
