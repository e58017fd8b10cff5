#pragma once
// Keeps an exception of the seat views' own work inside the Qt event handler that ran it.
#include <exception>

#include "core/sysservice.h"

namespace kiosk {

// Runs an input handler; a failure is shown with its text (or logged when there is no dialog).
template <typename F>
void GuardInput(F&& work)
{
    try {
        work();
    } catch (const std::exception& e) {
        if (auto dialog = QueryService<IDialog>()) dialog->ShowException(e);
        else if (auto log = QueryService<ILog>()) log->WriteLog(e.what());
    }
}

// Runs drawing work; a failure is only logged (no dialog in the middle of a paint).
template <typename F>
void GuardPaint(F&& work)
{
    try {
        work();
    } catch (const std::exception& e) {
        if (auto log = QueryService<ILog>()) log->WriteLog(e.what());
    }
}

} // namespace kiosk
