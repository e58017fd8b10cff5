// The main window's lists of the day's abnormal schedules (stopped, late: TabSheet2) and extra
// runs (TabSheet3), asked again from the server each time their tab is shown.
#include <QHeaderView>
#include <QVBoxLayout>

#include "core/dmpublic.h"
#include "core/sysservice.h"
#include "kiosk/frmmainnew.h"

namespace kiosk {

namespace {

TKtDbgridEh* CreateScheduleGrid(QWidget* tab, const char* name, TjsonClientDataSet& dataSet, TKtColumns columns)
{
    auto* grid = new TKtDbgridEh(tab);
    grid->setObjectName(name);
    grid->setFont(KioskFont(35));
    grid->SetRowSelect(true);
    grid->SetShowLineNo(true);
    grid->horizontalHeader()->setSectionsMovable(true);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid->SetColumns(std::move(columns));
    grid->SetDataSet(&dataSet);
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(grid);
    return grid;
}

void UseSharedConnection(TjsonClientDataSet& dataSet)
{
    if (DMPublic()) dataSet.SetRemoteServer(&DMPublic()->jcon);
}

// The lists only inform: a failure goes to the log and the tab stays as it was.
template <typename Step>
void LoggingFailure(Step step)
{
    try {
        step();
    } catch (const std::exception& e) {
        TryWriteLog(std::string("查询报班班次操作失败：") + e.what());
    }
}

} // namespace

void TFrmMainNew::CreateScheduleTabs()
{
    UseSharedConnection(jscdQrySchStatus);
    jscdQrySchStatus.SetQueryAddress("checkticket/qryNonomalSch");
    jscdQrySchStatus.SetDataSourceName("departinvoicesMap");
    AddParam(jscdQrySchStatus, ftString, "departstationid", ptInput);
    KtDbgridEh2 = CreateScheduleGrid(TabSheet2, "KtDbgridEh2", jscdQrySchStatus,
                                     {{"name", "线路名称", 300},
                                      {"code", "班次号", 170},
                                      {"departdate", "发车日期", 230},
                                      {"departtime", "发车时间", 190},
                                      {"soldeatnum", "已售", 120},
                                      {"statusname", "状态", 140},
                                      {"reason", "原因", 680}});

    UseSharedConnection(jscdQrySchadd);
    jscdQrySchadd.SetQueryAddress("checkticket/qryNonomalSchadd");
    jscdQrySchadd.SetDataSourceName("departinvoicesMap");
    KtDbgridEh1 = CreateScheduleGrid(TabSheet3, "KtDbgridEh1", jscdQrySchadd,
                                     {{"routename", "线路名称", 420},
                                      {"schedulecode", "班次号", 200},
                                      {"departdate", "发车日期", 240},
                                      {"departtime", "发车时间", 220},
                                      {"soldeatnum", "已售数", 180},
                                      {"vehicleparkname", "停车库", 380}});
    TabSheet2->installEventFilter(this);
    TabSheet3->installEventFilter(this);
}

void TFrmMainNew::TabSheet2Show()
{
    LoggingFailure([this] {
        jscdQrySchStatus.Close();
        const auto user = GetSysInfo()->LoginUserInfo();
        // Before a staff login there is no station: the list stays empty.
        jscdQrySchStatus.Params().ParamByName("departstationid").SetAsString(std::to_string(user ? user->StationID : 0));
        jscdQrySchStatus.Open();
    });
}

void TFrmMainNew::TabSheet3Show()
{
    LoggingFailure([this] {
        jscdQrySchadd.Close();
        jscdQrySchadd.Open();
    });
}

} // namespace kiosk
