// The check screen's tabs besides the check: the vehicle's settlement slips, the tickets sold
// per reported schedule, and the vehicle's password.
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "check/frmcheck.h"
#include "check/frmcheck_p.h"
#include "check/frmtickets.h"
#include "core/dmpublic.h"
#include "core/sysservice.h"
#include "platform/inifile.h"

namespace kiosk {

using namespace checkscreen;

namespace {

constexpr int kSaveInfoMs = 10000;
const QColor kOlive(128, 128, 0);
const QColor kMagenta(255, 0, 255);

QLabel* TabCaption(const char* name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(KioskFont(28));
    return label;
}

QDateEdit* DayPicker(const char* name, QWidget* parent)
{
    auto* picker = new QDateEdit(parent);
    picker->setObjectName(name);
    picker->setDisplayFormat("yyyy-MM-dd");
    picker->setCalendarPopup(true);
    picker->setFont(KioskFont(28));
    return picker;
}

std::string DayText(const QDateEdit* picker) { return picker->date().toString("yyyy-MM-dd").toStdString(); }

void StepDay(QDateEdit* picker, int days) { picker->setDate(picker->date().addDays(days)); }

TKestEdit* PasswordEdit(const char* name, QWidget* parent)
{
    auto* edit = new TKestEdit(parent);
    edit->setObjectName(name);
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet("lineedit-password-character: 42;");
    edit->setMaxLength(50);
    edit->setFont(KioskFont(28));
    edit->setMinimumWidth(420);
    return edit;
}

bool HasRows(const TDataSet& ds) { return ds.Active() && !ds.IsEmpty(); }

} // namespace

// ---------------------------------------------------------------- building the tabs

void TFrmCheck::CreateRecordTabs()
{
    CreateSlipsTab();
    CreateSalesTab();
    CreatePasswordTab();
    DeclareRecordDataSets();
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (PageControl1->widget(index) == TabSheet5) TabSheet5Show();
    });
}

void TFrmCheck::CreateSlipsTab()
{
    auto* top = new QWidget(TabSheet2);
    top->setObjectName("Panel3");
    Label9 = TabCaption("Label9", "发车日期", top);
    DpDepartByInV = DayPicker("DpDepartByInV", top);
    lbl1 = TabCaption("lbl1", "至", top);
    dtpDpDepartByInVend = DayPicker("dtpDpDepartByInVend", top);
    BitBtn2 = Button("BitBtn2", "查询", top);
    BitBtn6 = Button("BitBtn6", "明细", top);
    repickprint = Button("repickprint", "重打", top);
    BitBtn3 = Button("BitBtn3", "< 前一天", top);
    BitBtn4 = Button("BitBtn4", "后一天 >", top);
    BitBtn5 = Button("BitBtn5", "补打", top);
    for (QPushButton* hidden : {BitBtn3, BitBtn4, BitBtn5}) hidden->setVisible(false);
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
    connect(BitBtn4, &QPushButton::clicked, this, [this] { BitBtn4Click(); });
    connect(BitBtn6, &QPushButton::clicked, this, [this] { BitBtn6Click(); });
    connect(repickprint, &QPushButton::clicked, this, [this] {
        stopminute = 0;
        repickprintClick();
    });
    connect(BitBtn5, &QPushButton::clicked, this, [this] {
        stopminute = 0;
        BitBtn5Click();
    });

    auto* row = new QHBoxLayout(top);
    for (QWidget* w : std::initializer_list<QWidget*>{Label9, DpDepartByInV, lbl1, dtpDpDepartByInVend, BitBtn3, BitBtn4,
                                                     BitBtn2, BitBtn6, repickprint, BitBtn5})
        row->addWidget(w);
    row->addStretch(1);

    KtDbgridEh5 = RecordGrid("KtDbgridEh5", TabSheet2);
    KtDbgridEh5->SetColumns({
        {"departdate", "发车日期", 130, true, {fvtStaticText, "合计"}},
        {"stationname", "终点站", 110},
        {"routename", "营运线路", 150, false, {fvtCount, {}}},
        {"code", "班次号", 100},
        {"departtime", "发车时间", 100},
        {"vehicleno", "车牌号码", 120},
        {"departinvoicesno", "结算单号", 130},
        {"departstatus", "状态", 130},
        {"tickets", "已检数", 90, true, {fvtSum, {}}},
        {"ticketnum", "打单数", 90, true, {fvtSum, {}}},
        {"balanceamount", "结算单金额", 130, true, {fvtSum, {}}},
    });
    KtDbgridEh5->SetDataSet(&jscdqryDepartinvoicesByorg);
    KtDbgridEh5->OnGetCellParams = [this](TKtDbgridEh& grid, TKtCellParams& params) {
        KtDbgridEh5GetCellParams(grid, params);
    };

    auto* layout = new QVBoxLayout(TabSheet2);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(top);
    layout->addWidget(KtDbgridEh5, 1);
}

void TFrmCheck::CreateSalesTab()
{
    auto* top = new QWidget(TabSheet3);
    top->setObjectName("Panel4");
    Label8 = TabCaption("Label8", "发车日期", top);
    DpTicketDepart = DayPicker("DpTicketDepart", top);
    BitQryTickets = Button("BitQryTickets", "查询", top);
    BtnPreDay = Button("BtnPreDay", "< 前一天", top);
    BtnNextDay = Button("BtnNextDay", "后一天 >", top);
    connect(BitQryTickets, &QPushButton::clicked, this, [this] { BitQryTicketsClick(); });
    connect(BtnPreDay, &QPushButton::clicked, this, [this] { BtnPreDayClick(); });
    connect(BtnNextDay, &QPushButton::clicked, this, [this] { BtnNextDayClick(); });
    auto* row = new QHBoxLayout(top);
    for (QWidget* w : std::initializer_list<QWidget*>{Label8, DpTicketDepart, BtnPreDay, BtnNextDay, BitQryTickets})
        row->addWidget(w);
    row->addStretch(1);

    KtDbgridEh3 = RecordGrid("KtDbgridEh3", TabSheet3);
    KtDbgridEh3->setFixedWidth(300);
    KtDbgridEh3->SetColumns({{"code", "班次号", 120}, {"departtime", "发车时间", 120}});
    KtDbgridEh3->SetDataSet(&jscdQryReportSchs);

    KtDbgridEh4 = RecordGrid("KtDbgridEh4", TabSheet3);
    KtDbgridEh4->SetColumns(SoldTicketColumns(true));
    KtDbgridEh4->SetDataSet(&jscdqryTicketsellsByVehicle);
    KtDbgridEh4->OnGetCellParams = [this](TKtDbgridEh& grid, TKtCellParams& params) {
        KtDbgridEh4GetCellParams(grid, params);
    };

    auto* body = new QHBoxLayout;
    body->addWidget(KtDbgridEh3);
    body->addWidget(KtDbgridEh4, 1);
    auto* layout = new QVBoxLayout(TabSheet3);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(top);
    layout->addLayout(body, 1);
}

void TFrmCheck::CreatePasswordTab()
{
    Label11 = TabCaption("Label11", "新密码", TabSheet5);
    KestEdtPassword = PasswordEdit("KestEdtPassword", TabSheet5);
    Label12 = TabCaption("Label12", "确认密码", TabSheet5);
    KestEdtPassword2 = PasswordEdit("KestEdtPassword2", TabSheet5);
    BtnSavePas = Button("BtnSavePas", "保存", TabSheet5);
    LabSaveInfo = new QLabel(TabSheet5);
    LabSaveInfo->setObjectName("LabSaveInfo");
    LabSaveInfo->setFont(KioskFont(28, true));
    LabSaveInfo->setStyleSheet("color: red;");
    connect(BtnSavePas, &QPushButton::clicked, this, [this] { BtnSavePasClick(); });

    auto* grid = new QGridLayout(TabSheet5);
    grid->addWidget(Label11, 0, 0);
    grid->addWidget(KestEdtPassword, 0, 1);
    grid->addWidget(Label12, 1, 0);
    grid->addWidget(KestEdtPassword2, 1, 1);
    grid->addWidget(BtnSavePas, 2, 1, Qt::AlignLeft);
    grid->addWidget(LabSaveInfo, 3, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(4, 1);

    // One shot: it clears the result 10 s after a successful save (and once after creation).
    TimeLabSaveInfo = new QTimer(this);
    TimeLabSaveInfo->setObjectName("TimeLabSaveInfo");
    TimeLabSaveInfo->setInterval(kSaveInfoMs);
    connect(TimeLabSaveInfo, &QTimer::timeout, this, [this] { TimeLabSaveInfoTimer(); });
    TimeLabSaveInfo->start();
}

void TFrmCheck::DeclareRecordDataSets()
{
    TjsonConnection* jcon = &DMPublic()->jcon;
    for (TjsonClientDataSet* ds :
         {&jscdqryDepartinvoicesByorg, &jscdQryReportSchs, &jscdqryTicketsellsByVehicle, &jsonCDSVehSave})
        ds->SetRemoteServer(jcon);

    jscdqryDepartinvoicesByorg.SetQueryAddress("checkticket/qryDepartinvoicesByorg");
    jscdqryDepartinvoicesByorg.SetDataSourceName("departinvoicesMap");
    for (const char* name : {"departdate", "vehicleid", "printorgid", "departdateend"})
        AddParam(jscdqryDepartinvoicesByorg, ftString, name, ptInput);
    jscdqryDepartinvoicesByorg.AfterScroll = [this](TDataSet&) { jscdqryDepartinvoicesByorgAfterScroll(); };

    jscdQryReportSchs.SetQueryAddress("checkticket/QryReportSchs");
    jscdQryReportSchs.SetDataSourceName("departinvoicesMap");
    for (const char* name : {"departdate", "vehicleid", "printorgid"}) AddParam(jscdQryReportSchs, ftString, name, ptInput);
    jscdQryReportSchs.AfterScroll = [this](TDataSet&) { jscdQryReportSchsAfterScroll(); };

    jscdqryTicketsellsByVehicle.SetQueryAddress("checkticket/qryTicketsellsByVehicle");
    jscdqryTicketsellsByVehicle.SetDataSourceName("departinvoicesMap");
    for (const char* name : {"departdate", "vehiclereportid", "scheduleplanid"})
        AddParam(jscdqryTicketsellsByVehicle, ftString, name, ptInput);

    jsonCDSVehSave.SetSaveAddress("base/updateVehicle");
    jsonCDSVehSave.SetDataSourceName("unitlist");
    AddParam(jsonCDSVehSave, ftString, "vehicle.id", ptInput);
    AddParam(jsonCDSVehSave, ftString, "vehicle.gprs", ptInput);
    AddParam(jsonCDSVehSave, ftBCD, "flag", ptOutput);
    AddParam(jsonCDSVehSave, ftString, "msg", ptOutput, 1000);
}

void TFrmCheck::PrepareRecordTabs(const DateTime& now)
{
    // The driver sees only the check tab unless the kiosk is set up to offer the others.
    bool records = false, password = false;
    try {
        const TIniFile ini(GetSysInfo()->AppPath() + "App.ini");
        records = ini.ReadBool("ui", "records", false);
        password = ini.ReadBool("ui", "password", false);
    } catch (const std::exception&) {
        // An unreadable App.ini keeps the tabs hidden.
    }
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet2), records);
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet3), records);
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet5), password);
    for (QDateEdit* picker : {DpDepartByInV, dtpDpDepartByInVend, DpTicketDepart}) picker->setDate(ToQDate(now));
}

// ---------------------------------------------------------------- the slips

void TFrmCheck::qryDepartinvoices()
{
    stopminute = 0;
    try {
        jscdqryDepartinvoicesByorg.Close();
        jscdqryDepartinvoicesByorg.ParamByName("departdate").SetAsString(DayText(DpDepartByInV));
        jscdqryDepartinvoicesByorg.ParamByName("departdateend").SetAsString(DayText(dtpDpDepartByInVend));
        jscdqryDepartinvoicesByorg.ParamByName("vehicleid").SetAsString(std::to_string(vehicleid));
        jscdqryDepartinvoicesByorg.ParamByName("printorgid").SetAsString(std::to_string(User().OrgID));
        jscdqryDepartinvoicesByorg.Open();
    } catch (const std::exception& e) {
        WriteLogLine("查询结算单明细操作失败：", e);
    }
}

void TFrmCheck::BitBtn2Click()
{
    stopminute = 0;
    ReportingErrors([this] { DpDepartDate->setDate(ToQDate(DateTime::Now())); });
    qryDepartinvoices();
}

void TFrmCheck::BitBtn3Click()
{
    stopminute = 0;
    StepDay(DpDepartByInV, -1);
    qryDepartinvoices();
}

void TFrmCheck::BitBtn4Click()
{
    stopminute = 0;
    StepDay(DpDepartByInV, 1);
    qryDepartinvoices();
}

void TFrmCheck::jscdqryDepartinvoicesByorgAfterScroll()
{
    if (!HasRows(jscdqryDepartinvoicesByorg)) return;
    try {
        const TjsonClientDataSet& slip = jscdqryDepartinvoicesByorg;
        originaldepartinvoicesno.clear();
        scheduleplanidrep = slip.FieldByName("scheduleplanid").AsLargeInt();
        vehiclereportidrep = slip.FieldByName("vehiclereportid").AsLargeInt();
        schedulecoderep = slip.FieldByName("code").AsString();
        departdaterep = slip.FieldByName("departdate").AsString();
        departtimerep = slip.FieldByName("departtime").AsString();
        endstationrep = slip.FieldByName("stationname").AsString();
        routenamerep = slip.FieldByName("routename").AsString();
        const TField* departStation = slip.FindField("departstation");
        departstationrep = departStation ? departStation->AsString() : std::string();
        originaldepartinvoicesno = slip.FieldByName("departinvoicesno").AsString();
    } catch (const std::exception& e) {
        WriteLogLine("查询结算单明细操作失败：", e);
    }
}

void TFrmCheck::KtDbgridEh5GetCellParams(TKtDbgridEh& grid, TKtCellParams& params)
{
    if (!HasRows(jscdqryDepartinvoicesByorg)) return;
    // Checked count differs from the printed count: the slip leaves tickets out.
    const std::int64_t checked = dataconv::AsLargeInt(grid.RowValue(params.Row, "tickets"));
    const std::int64_t printed = dataconv::AsLargeInt(grid.RowValue(params.Row, "ticketnum"));
    if (checked != printed) params.Background = Qt::yellow;
}

void TFrmCheck::BitBtn6Click()
{
    stopminute = 0;
    if (!HasRows(jscdqryDepartinvoicesByorg)) return;
    ReportingErrors([this] {
        const TjsonClientDataSet& slip = jscdqryDepartinvoicesByorg;
        TFrmTickets tickets(this);
        tickets.departdate = slip.FieldByName("departdate").AsDateTime().DateText();
        tickets.reportid = slip.FieldByName("reportid").AsLargeInt();
        tickets.scheduleplanid = slip.FieldByName("scheduleplanid").AsLargeInt();
        tickets.departinvoicesno = slip.FieldByName("departinvoicesno").AsString();
        tickets.exec();
    });
}

// ---------------------------------------------------------------- the sold tickets of a day

void TFrmCheck::qryReportSchs()
{
    stopminute = 0;
    try {
        jscdQryReportSchs.Close();
        jscdQryReportSchs.ParamByName("departdate").SetAsString(DayText(DpTicketDepart));
        jscdQryReportSchs.ParamByName("vehicleid").SetAsString(std::to_string(vehicleid));
        jscdQryReportSchs.ParamByName("printorgid").SetAsString(std::to_string(User().OrgID));
        jscdQryReportSchs.Open();
        if (jscdQryReportSchs.IsEmpty())
            jscdqryTicketsellsByVehicle.Close();
        else
            KtDbgridEh3->setFocus();
    } catch (const std::exception& e) {
        WriteLogLine("查询报班班次操作失败：", e);
    }
}

void TFrmCheck::BitQryTicketsClick()
{
    stopminute = 0;
    qryReportSchs();
}

void TFrmCheck::BtnPreDayClick()
{
    stopminute = 0;
    StepDay(DpTicketDepart, -1);
    qryReportSchs();
}

void TFrmCheck::BtnNextDayClick()
{
    stopminute = 0;
    StepDay(DpTicketDepart, 1);
    qryReportSchs();
}

void TFrmCheck::jscdQryReportSchsAfterScroll()
{
    if (!HasRows(jscdQryReportSchs)) return;
    try {
        jscdqryTicketsellsByVehicle.Close();
        jscdqryTicketsellsByVehicle.ParamByName("departdate").SetAsString(DayText(DpTicketDepart));
        jscdqryTicketsellsByVehicle.ParamByName("vehiclereportid")
            .SetAsString(jscdQryReportSchs.FieldByName("reportid").AsString());
        jscdqryTicketsellsByVehicle.ParamByName("scheduleplanid")
            .SetAsString(jscdQryReportSchs.FieldByName("scheduleplanid").AsString());
        jscdqryTicketsellsByVehicle.Open();
    } catch (const std::exception& e) {
        WriteLogLine("查询报班班次操作失败：", e);
    }
}

void TFrmCheck::KtDbgridEh4GetCellParams(TKtDbgridEh& grid, TKtCellParams& params)
{
    const std::string status = dataconv::AsString(grid.RowValue(params.Row, "dticketstatus"), ftString);
    if (status == "已打单")
        params.Background = kOlive;
    else if (status == "未检" && !params.Selected)
        params.Background = kMagenta;
}

// ---------------------------------------------------------------- the password

void TFrmCheck::TabSheet5Show() { KestEdtPassword->setFocus(); }

void TFrmCheck::BtnSavePasClick()
{
    stopminute = 0;
    const QString password = KestEdtPassword->text().trimmed();
    const QString confirmation = KestEdtPassword2->text().trimmed();
    ReportingErrors([&] {
        if (password.isEmpty()) {
            GetDialog()->ShowWarning("请输入密码");
            KestEdtPassword->setFocus();
        } else if (confirmation.isEmpty()) {
            GetDialog()->ShowWarning("请输入确认密码");
            KestEdtPassword2->setFocus();
        } else if (password != confirmation) {
            KestEdtPassword->clear();
            KestEdtPassword2->clear();
            GetDialog()->ShowWarning("您2次输入的密码不一样，请重新输入！");
            KestEdtPassword->setFocus();
        } else {
            SavePassword(confirmation.toStdString());
        }
    });
}

void TFrmCheck::SavePassword(const std::string& password)
{
    bool saved = false;
    try {
        jsonCDSVehSave.Close();
        jsonCDSVehSave.ParamByName("vehicle.id").SetAsString(std::to_string(vehicleid));
        jsonCDSVehSave.ParamByName("vehicle.gprs").SetAsString(password);
        jsonCDSVehSave.Execute();
        saved = jsonCDSVehSave.ParamByName("flag").AsInteger() == 1;
    } catch (const std::exception& e) {
        WriteLogLine("修改密码操作失败：", e);
    }
    if (saved) {
        LabSaveInfo->setText("保存成功！");
        TimeLabSaveInfo->start();
        return;
    }
    // A failure stays on screen: a timer still running from an earlier success must not clear it.
    TimeLabSaveInfo->stop();
    LabSaveInfo->setText("保存失败！");
}

void TFrmCheck::TimeLabSaveInfoTimer()
{
    LabSaveInfo->clear();
    TimeLabSaveInfo->stop();
}

} // namespace kiosk
