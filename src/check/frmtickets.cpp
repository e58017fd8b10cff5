#include "check/frmtickets.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "check/frmcheck_p.h"
#include "core/dmpublic.h"

namespace kiosk {

using namespace checkscreen;

TFrmTickets::TFrmTickets(QWidget* owner) : QDialog(owner)
{
    setObjectName("FrmTickets");
    setWindowTitle("结算单售票明细信息");
    setFont(KioskFont(20));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowState(Qt::WindowMaximized);

    Panel1 = new QWidget(this);
    Panel1->setObjectName("Panel1");
    BtnClose = Button("BtnClose", "&关闭", Panel1);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::reject);
    auto* top = new QHBoxLayout(Panel1);
    top->addStretch(1);
    top->addWidget(BtnClose);

    jscdqryTicketsellsByVehicle.SetRemoteServer(&DMPublic()->jcon);
    jscdqryTicketsellsByVehicle.SetQueryAddress("checkticket/qryTicketsellsByVehicle");
    jscdqryTicketsellsByVehicle.SetDataSourceName("departinvoicesMap");
    for (const char* name : {"departdate", "vehiclereportid", "scheduleplanid", "departinvoicesno"})
        AddParam(jscdqryTicketsellsByVehicle, ftString, name, ptInput);

    KtDbgridEh4 = RecordGrid("KtDbgridEh4", this);
    KtDbgridEh4->SetColumns(SoldTicketColumns(false));
    KtDbgridEh4->SetDataSet(&jscdqryTicketsellsByVehicle);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(Panel1);
    layout->addWidget(KtDbgridEh4, 1);
}

void TFrmTickets::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (formShown_) return;
    formShown_ = true;
    FormShow();
}

void TFrmTickets::FormShow()
{
    try {
        QueryTickets();
    } catch (const std::exception& e) {
        WriteLogLine("查询结算单售票明细操作失败：", e);
    }
}

void TFrmTickets::QueryTickets()
{
    jscdqryTicketsellsByVehicle.Close();
    const auto day = DateTime::Parse(departdate);
    if (!day) throw Exception("发车日期不正确：" + departdate);
    jscdqryTicketsellsByVehicle.ParamByName("departdate").SetAsString(day->Format("yyyy-mm-dd"));
    jscdqryTicketsellsByVehicle.ParamByName("vehiclereportid").SetAsString(std::to_string(reportid));
    jscdqryTicketsellsByVehicle.ParamByName("scheduleplanid").SetAsString(std::to_string(scheduleplanid));
    jscdqryTicketsellsByVehicle.ParamByName("departinvoicesno").SetAsString(departinvoicesno);
    jscdqryTicketsellsByVehicle.Open();
}

} // namespace kiosk
