#pragma once
// Small pieces shared by the check screen's source files.
#include <QDate>
#include <QFont>
#include <QPushButton>
#include <string>

#include "core/services.h"
#include "core/sysservice.h"
#include "data/controls/tkestedit.h"
#include "grid/tktdbgrideh.h"
#include "platform/dataset.h"
#include "platform/datetime.h"
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

// Writes "prefix" + the error's text to the day's log; a log that cannot be written must not
// stop the check screen.
inline void WriteLogLine(const std::string& prefix, const std::exception& e) { TryWriteLog(prefix + e.what()); }

// The calendar day of a date picker, and back.
inline QDate ToQDate(const DateTime& day) { return QDate(day.Year(), day.Month(), day.Day()); }
inline DateTime FromQDate(const QDate& day) { return DateTime::FromParts(day.year(), day.month(), day.day()); }

// A list of the records tabs: whole rows, a readable font.
inline TKtDbgridEh* RecordGrid(const char* name, QWidget* parent)
{
    auto* grid = new TKtDbgridEh(parent);
    grid->setObjectName(name);
    grid->setFont(KioskFont(20));
    grid->SetRowSelect(true);
    return grid;
}

// The columns of a list of sold tickets; the check screen's list also names each ticket's slip.
inline TKtColumns SoldTicketColumns(bool withSlipNumber)
{
    TKtColumns columns = {
        {"departdate", "发车日期", 130, true, {fvtStaticText, "合计"}},
        {"name", "线路名称", 150, false, {fvtCount, {}}},
        {"ticketno", "票号", 150},
        {"code", "班次号", 100},
        {"departtime", "发车时间", 100},
        {"reachname", "到站", 110},
        {"seatno", "座位号", 80},
        {"tickettypename", "票种", 90},
        {"price", "票价", 90, true, {fvtSum, {}}},
        {"dticketstatus", "状态", 90},
    };
    if (withSlipNumber) columns.insert(columns.begin() + 1, {"departinvoicesno", "结算单号", 120});
    return columns;
}

// Display updates of a dataset's grids stay off while a scan of its records moves the cursor.
class ControlsDisabled {
public:
    explicit ControlsDisabled(TDataSet& ds) : ds_(ds) { ds_.DisableControls(); }
    ~ControlsDisabled() { ds_.EnableControls(); }
    ControlsDisabled(const ControlsDisabled&) = delete;
    ControlsDisabled& operator=(const ControlsDisabled&) = delete;

private:
    TDataSet& ds_;
};

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
