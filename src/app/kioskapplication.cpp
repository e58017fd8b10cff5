#include "app/kioskapplication.h"

#include <QMessageBox>
#include <cstdio>

#include "core/sysservice.h"
#include "widgets/screentext.h"

namespace kiosk {

TKioskApplication::TKioskApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName("kiosk");
    setApplicationDisplayName("自助检票打单系统");
}

bool TKioskApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowUnhandled(e.what());
    } catch (...) {
        ShowUnhandled("未知错误");
    }
    return false;
}

void TKioskApplication::ShowUnhandled(const char* text) noexcept
{
    try {
        std::fprintf(stderr, "kiosk: %s\n", text);
        if (auto log = QueryService<ILog>()) log->WriteLog(text);
    } catch (...) {
        // The log is only a second record of the error; the box below is what counts.
    }
    try {
        if (auto dialog = QueryService<IDialog>()) {
            dialog->ShowError(text);
            return;
        }
        QMessageBox::critical(nullptr, "错误", ScreenText(text));
    } catch (...) {
        // Nothing is left to report with.
    }
}

} // namespace kiosk
