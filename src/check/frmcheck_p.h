#pragma once
// Small pieces shared by the check screen's source files.
#include <QFont>
#include <QPushButton>
#include <string>

#include "core/services.h"
#include "core/sysservice.h"
#include "data/controls/tkestedit.h"
#include "platform/exception.h"
#include "widgets/kioskstyle.h"

namespace kiosk::checkscreen {

// The logged-in staff user; a screen without one cannot ask the server anything.
inline const TLoginUserInfo& User()
{
    const auto user = GetSysInfo()->LoginUserInfo();
    if (!user) throw Exception("尚未登录");
    return *user;
}

// Runs a handler's work so that no exception leaves it: the application's error box shows it.
template <typename Work>
void Guarded(Work work)
{
    try {
        work();
    } catch (const std::exception& e) {
        ReportHandlerError(e);
    }
}

// Writes "prefix" + the error's text to the day's log; a log that cannot be written must not
// stop the check screen.
inline void WriteLogLine(const std::string& prefix, const std::exception& e)
{
    try {
        GetLog()->WriteLog(prefix + e.what());
    } catch (const std::exception&) {
    }
}

// A touch-sized button that never takes the focus from the ticket field.
inline QPushButton* Button(const char* name, const QString& caption, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setFont(KioskFont(30, true));
    button->setMinimumSize(150, 70);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace kiosk::checkscreen
