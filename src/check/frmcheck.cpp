#include "check/frmcheck.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "check/checksignal.h"
#include "check/frmcheck_p.h"
#include "check/scannerreopen.h"
#include "check/tcomm.h"
#include "core/unattended.h"
#include "core/dmpublic.h"
#include "core/login.h"
#include "core/sharedops.h"
#include "core/sysservice.h"
#include "platform/exception.h"
#include "platform/inifile.h"
#include "platform/textutil.h"
#include "seatplan/seatpichelp.h"
#include "seatplan/view/seatplanchecked.h"
#include "widgets/screentext.h"

namespace kiosk {

TFrmCheck* FrmCheck = nullptr;

using namespace checkscreen;

namespace {

constexpr int kEnterKey = 13;
constexpr const char* kChecked = "已检票";

QLabel* Caption(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFont(KioskFont(28));
    return label;
}

TKestEdit* ReadOnlyEdit(const char* name, QWidget* parent)
{
    auto* edit = new TKestEdit(parent);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    edit->setFont(KioskFont(28));
    return edit;
}

QLabel* BoldLabel(const char* name, const QString& color, int pixelSize, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFont(KioskFont(pixelSize, true));
    label->setStyleSheet("color: " + color + ";");
    return label;
}

} // namespace

std::string TFrmCheck::leftAddZero(const std::string& text, int len) { return PadZeroLeft(text, len); }

TFrmCheck::TFrmCheck(QWidget* owner) : QDialog(owner)
{
    setObjectName("FrmCheck");
    setWindowTitle("自助检票打单系统");
    setFont(KioskFont(35));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    TabSheet1 = AddTabPage(*PageControl1, "TabSheet1", "检票打单");
    TabSheet2 = AddTabPage(*PageControl1, "TabSheet2", "结算单明细");
    TabSheet3 = AddTabPage(*PageControl1, "TabSheet3", "售票明细");
    TabSheet5 = AddTabPage(*PageControl1, "TabSheet5", "修改密码");
    PageControl1->setTabVisible(3, false);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TFrmCheck::PageControl1Change);

    buttoncanl = Button("buttoncanl", "退出", this);
    connect(buttoncanl, &QPushButton::clicked, this, &QWidget::close);

    CreateCheckTab();
    checkSignal_ = new TCheckSignal(KestEdtTicketNO, GetSysInfo()->AppPath(), this);
    CreateRecordTabs();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(PageControl1, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(buttoncanl);
    layout->addLayout(bottom);

    Comm1 = new TComm(this);
    connect(Comm1, &TComm::ReceiveData, this, &TFrmCheck::Comm1ReceiveData);
    connect(Comm1, &TComm::PortLost, this, &TFrmCheck::OnScannerLost);
    scannerReopen_ = new TScannerReopen(*Comm1, UnattendedSettings().scannerRetrySeconds, this);
    connect(scannerReopen_, &TScannerReopen::Reopened, this, &TFrmCheck::OnScannerReopened);

    tmrfalshschedule = new QTimer(this);
    tmrfalshschedule->setObjectName("tmrfalshschedule");
    connect(tmrfalshschedule, &QTimer::timeout, this, &TFrmCheck::tmrfalshscheduleTimer);
    TimerAutoClose = new QTimer(this);
    TimerAutoClose->setObjectName("TimerAutoClose");
    TimerAutoClose->setInterval(1000);
    connect(TimerAutoClose, &QTimer::timeout, this, &TFrmCheck::TimerAutoCloseTimer);

    DeclareDataSets();
    DeclareSlipDataSets();
    // Key presses anywhere in the form and touches on it count as input (the form previews keys).
    qApp->installEventFilter(this);
    // A tap on the date picker opens its calendar but does not keep the keys: digits typed
    // next go to the ticket field instead of changing the date.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && now != KestEdtTicketNO && Panel1->isAncestorOf(now)) Panel1Enter();
    });
    FormCreate();
}

TFrmCheck::~TFrmCheck()
{
    // The children go after this body; their focus changes must not reach the panel's handler.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
    if (FrmCheck == this) FrmCheck = nullptr;
}

void TFrmCheck::SetSoundPlayer(ICheckSoundPlayer* player) { checkSignal_->SetPlayer(player); }

// ---------------------------------------------------------------- building the check tab

void TFrmCheck::CreateCheckTab()
{
    auto* layout = new QVBoxLayout(TabSheet1);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(CreateTopPanel());
    auto* body = new QHBoxLayout;
    KtDbgridEh6 = new TKtDbgridEh(TabSheet1);
    KtDbgridEh6->setObjectName("KtDbgridEh6");
    KtDbgridEh6->setFixedWidth(297);
    KtDbgridEh6->setFont(KioskFont(18));
    KtDbgridEh6->SetRowSelect(true);
    KtDbgridEh6->SetColumns({{"id", "id", 0, false}, {"name", "班次号", 80}, {"departdate", "发车时间", 180}});
    KtDbgridEh6->SetDataSet(&jsonClientDataSetsch);
    body->addWidget(KtDbgridEh6);
    body->addWidget(CreateTicketArea(), 1);
    layout->addLayout(body, 1);
}

QWidget* TFrmCheck::CreateTopPanel()
{
    Panel1 = new QWidget(TabSheet1);
    Panel1->setObjectName("Panel1");
    Panel1->setFixedHeight(217);
    auto* grid = new QGridLayout(Panel1);

    DpDepartDate = new QDateEdit(Panel1);
    DpDepartDate->setObjectName("DpDepartDate");
    DpDepartDate->setDisplayFormat("yyyy-MM-dd");
    DpDepartDate->setCalendarPopup(true);
    DpDepartDate->setFont(KioskFont(28));
    connect(DpDepartDate, &QDateEdit::dateChanged, this, [this] { ReportingErrors([this] { DpDepartDateChange(); }); });

    KestEdtSch = new TKestHelp(Panel1);
    KestEdtSch->setObjectName("KestEdtSch");
    KestEdtSch->setReadOnly(true);
    KestEdtSch->setFocusPolicy(Qt::NoFocus);
    KestEdtSch->setFont(KioskFont(28));
    KestEdtStation = ReadOnlyEdit("KestEdtStation", Panel1);
    KestEdtTime = ReadOnlyEdit("KestEdtTime", Panel1);
    KestEdtVehicleNo = ReadOnlyEdit("KestEdtVehicleNo", Panel1);
    KestEdtVehicleNo->setStyleSheet("color: blue;");

    KestEdtTicketNO = new TKestEdit(Panel1);
    KestEdtTicketNO->setObjectName("KestEdtTicketNO");
    KestEdtTicketNO->SetValueType(ssTicket);
    KestEdtTicketNO->setMaxLength(50);
    KestEdtTicketNO->setFont(KioskFont(34, true));
    KestEdtTicketNO->setMinimumHeight(60);
    connect(KestEdtTicketNO, &TKestEdit::OnKeyUp, this, [this](int key, Qt::KeyboardModifiers) {
        KestEdtTicketNOKeyUp(key == Qt::Key_Return || key == Qt::Key_Enter ? kEnterKey : key);
    });

    LabChecks = BoldLabel("LabChecks", "red", 48, Panel1);
    LabSeats = BoldLabel("LabSeats", "blue", 48, Panel1);
    lbl2 = BoldLabel("lbl2", "red", 30, Panel1);
    lbl2->setWordWrap(true);

    KestHCobEntrance = new TKestCheckedComboBox(Panel1);
    KestHCobEntrance->setObjectName("KestHCobEntrance");
    KestHCobEntrance->setVisible(false);
    BitBtn7 = Button("BitBtn7", "查询", Panel1);
    connect(BitBtn7, &QPushButton::clicked, this, &TFrmCheck::BitBtn7Click);
    BitBtn1 = Button("BitBtn1", "打印", Panel1);
    connect(BitBtn1, &QPushButton::clicked, this, &TFrmCheck::BitBtn1Click);

    grid->addWidget(Caption("发车日期", Panel1), 0, 0);
    grid->addWidget(DpDepartDate, 0, 1);
    grid->addWidget(Caption("班次", Panel1), 0, 2);
    grid->addWidget(KestEdtSch, 0, 3);
    grid->addWidget(Caption("终点站", Panel1), 0, 4);
    grid->addWidget(KestEdtStation, 0, 5);
    grid->addWidget(Caption("发车时间", Panel1), 1, 0);
    grid->addWidget(KestEdtTime, 1, 1);
    grid->addWidget(Caption("车牌号", Panel1), 1, 2);
    grid->addWidget(KestEdtVehicleNo, 1, 3);
    grid->addWidget(Caption("已检/已售", Panel1), 1, 4);
    auto* counters = new QHBoxLayout;
    counters->addWidget(LabChecks);
    counters->addWidget(LabSeats);
    counters->addStretch(1);
    grid->addLayout(counters, 1, 5);
    grid->addWidget(Caption("票号", Panel1), 2, 0);
    grid->addWidget(KestEdtTicketNO, 2, 1, 1, 3);
    grid->addWidget(BitBtn7, 2, 4);
    grid->addWidget(BitBtn1, 2, 5, Qt::AlignLeft);
    grid->addWidget(lbl2, 3, 0, 1, 6);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(3, 2);
    grid->setColumnStretch(5, 2);
    return Panel1;
}

QWidget* TFrmCheck::CreateTicketArea()
{
    auto* area = new QWidget(TabSheet1);
    auto* stack = new QGridLayout(area);
    stack->setContentsMargins(0, 0, 0, 0);
    KtDbgridEh1 = new TKtDbgridEh(area);
    KtDbgridEh1->setObjectName("KtDbgridEh1");
    KtDbgridEh1->SetRowSelect(true);
    KtDbgridEh1->SetColumns({
        {"departdate", "发车日期", 150, true, {fvtStaticText, "合计"}},
        {"ticketno", "票号", 170, true, {fvtCount, {}}},
        {"departtime", "发车时间", 110},
        {"reachstation", "到站", 120},
        {"seatno", "座位号", 90},
        {"price", "票价", 100, true, {fvtSum, {}}},
        {"tickettypename", "票种", 100},
        {"dticketstatus", "检票状态", 120},
        {"printstatus", "打单状态", 120},
    });
    KtDbgridEh1->SetDataSet(&jscdQryCheckeds);
    // The seat plan lies above the ticket grid in the same place; the panel takes no input.
    Panel2 = new QWidget(area);
    Panel2->setObjectName("Panel2");
    Panel2->setAutoFillBackground(true);
    Panel2->setEnabled(false);
    new QVBoxLayout(Panel2);
    Panel2->layout()->setContentsMargins(0, 0, 0, 0);
    stack->addWidget(KtDbgridEh1, 0, 0);
    stack->addWidget(Panel2, 0, 0);
    Panel2->raise();
    return area;
}

void TFrmCheck::DeclareDataSets()
{
    TjsonConnection* jcon = &DMPublic()->jcon;
    for (TjsonClientDataSet* ds : {&jsonClientDataSetsch, &jscdQrySchVehicle, &jscdQryCheckeds, &jcdscheckticketno,
                                   &jscdCheckByTicketno, &qryreportissame})
        ds->SetRemoteServer(jcon);

    jsonClientDataSetsch.SetQueryAddress("system/tavrelSchedule");
    jsonClientDataSetsch.SetDataSourceName("helpmap");
    for (const char* name : {"departdate", "vehicleid", "reportorgid"}) AddParam(jsonClientDataSetsch, ftString, name, ptInput);
    jsonClientDataSetsch.AfterScroll = [this](TDataSet&) { jsonClientDataSetschAfterScroll(); };

    jscdQrySchVehicle.SetQueryAddress("checkticket/qryScheduleplan");
    jscdQrySchVehicle.SetDataSourceName("planlist");
    for (const char* name : {"departdate", "reportorgid", "checkstationid", "filter_INS_ss!departstationid",
                             "filter_EQL_vr!id", "filter_EQB_ss!isdeparted", "filter_GES_ss!departtime",
                             "filter_INS_ta!id", "filter_EQL_sp!endstationid", "filter_EQB_ss!isreported",
                             "filter_EQL_sp!scheduleid", "filter_EQL_vr!vehicleid"})
        AddParam(jscdQrySchVehicle, ftString, name, ptInput);

    jscdQryCheckeds.SetQueryAddress("checkticket/queryCheckedticket");
    jscdQryCheckeds.SetDataSourceName("ticketlist");
    AddParam(jscdQryCheckeds, ftString, "filter_EQL_sp!id", ptInput);
    AddParam(jscdQryCheckeds, ftString, "filter_EQL_t!vehiclereportid", ptInput);

    jcdscheckticketno.SetSaveAddress("checkticket/checkisschedule");
    jcdscheckticketno.SetDataSourceName("dataSet");
    for (const char* name : {"ticketno", "vehiclereportid", "departdate"}) AddParam(jcdscheckticketno, ftString, name, ptInput);
    AddParam(jcdscheckticketno, ftString, "flag", ptOutput);
    AddParam(jcdscheckticketno, ftString, "msg", ptOutput, 1000);

    jscdCheckByTicketno.SetSaveAddress("checkticket/checkbyTicketno");
    jscdCheckByTicketno.SetDataSourceName("ticketselllist");
    for (const char* name : {"checkstationid", "vehiclereportid", "ticketno", "ticketentrance", "ip", "islazycheck",
                             "ticketsellid", "departdate1"})
        AddParam(jscdCheckByTicketno, ftString, name, ptInput);
    AddParam(jscdCheckByTicketno, ftBCD, "flag", ptOutput);
    AddParam(jscdCheckByTicketno, ftString, "msg", ptOutput, 1000);
    AddParam(jscdCheckByTicketno, ftBCD, "scheduleplanid", ptOutput);
    AddParam(jscdCheckByTicketno, ftString, "reportid", ptOutput);

    qryreportissame.SetSaveAddress("checkticket/qryIssamerep");
    qryreportissame.SetDataSourceName("planlist");
    for (const char* name : {"vehiclereportid", "ticketno", "checkstationid", "departdate"})
        AddParam(qryreportissame, ftString, name, ptInput);
    AddParam(qryreportissame, ftBCD, "flag", ptOutput);
    AddParam(qryreportissame, ftString, "msg", ptOutput, 1000);

    SetUpScheduleLookup();

    auto& entrance = KestHCobEntrance->HelpOptions();
    entrance.HJSONConnection = jcon;
    entrance.HQueryAddress = "checkticket/qryTicketentrance";
    entrance.HDataSourceName = "entrancelist";
    KestHCobEntrance->Params().CreateParam(ftString, "ip", ptInput);
    KestHCobEntrance->Params().CreateParam(ftString, "orgid", ptInput);
}

// The lookup of the schedule field asks what the schedule list asks; the screen fills the
// field itself, so the lookup stays a setting of the read-only field.
void TFrmCheck::SetUpScheduleLookup()
{
    THelpOptions& o = KestEdtSch->HelpOptions();
    o.HJSONConnection = &DMPublic()->jcon;
    o.HQueryAddress = jsonClientDataSetsch.QueryAddress();
    o.HDataSourceName = "helpmap";
    o.EdtField = "name";
    o.SetHelpWidth(THelpOptions::kWidthOfColumns);
    o.SetHelpHeight(360);
    KestEdtSch->SetHDBGColumns({{"name", "班次号", 80}, {"departdate", "报班时间", 180}, {"id", "id", 0, false}});
    for (const char* name : {"departdate", "vehicleid", "reportorgid"})
        KestEdtSch->Params().CreateParam(ftString, name, ptInput);
    KestEdtSch->SetnotFocusedShowHelp(false);
    KestEdtSch->SetCharCase(ecUpperCase);
}

// ---------------------------------------------------------------- creation, showing, closing

void TFrmCheck::FormCreate()
{
    try {
        ReadSerialSettings();
    } catch (const std::exception& e) {
        WriteLogLine("读取串口配置文件错误：", e);
    }
    checktickethelp = std::make_unique<TSeatPicHelp>(&DMPublic()->jcon);
}

void TFrmCheck::ReadSerialSettings()
{
    TIniFile ini(GetSysInfo()->AppPath() + "App.ini");
    comk = ini.ReadString("server", "com", "");
    BaudRate = static_cast<int>(ini.ReadInteger("server", "baudrate", 9600));
    if (comk.empty()) {
        ini.WriteString("server", "com", "com1");
        ini.WriteInteger("server", "baudrate", 9600);
        comk = "com1";
    }
}

void TFrmCheck::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (formShown_) return;
    formShown_ = true;
    // Without a window manager (a bare X server, some kiosk set-ups) nobody maximises the
    // window: it takes the screen itself.
    if ((windowState() & Qt::WindowMaximized) && screen()) setGeometry(screen()->availableGeometry());
    ReportingErrors([this] { FormShow(); });
}

void TFrmCheck::FormShow()
{
    const DateTime now = DateTime::Now();
    PrepareRecordTabs(now);
    PageControl1->setCurrentWidget(TabSheet1);
    OpenScanner();
    LoadEntrances();
    {
        const QSignalBlocker quiet(DpDepartDate);
        DpDepartDate->setDate(ToQDate(now));
    }
    OpenScheduleList(now);
    StartAutoRefresh();
    TimerAutoClose->start();
}

void TFrmCheck::OpenScanner()
{
    try {
        Comm1->SetCommName(comk);
        Comm1->SetBaudRate(BaudRate);
        Comm1->StartComm();
        cominitsuc = true;
        scannerReopen_->Remember(comk);
    } catch (const std::exception& e) {
        cominitsuc = false;
        WriteLogLine("串口初始化失败：", e);
        // An unattended kiosk takes the scanner as soon as it is plugged in.
        if (UnattendedSettings().unattended && !comk.empty()) scannerReopen_->Start();
    }
}

void TFrmCheck::LoadEntrances()
{
    KestHCobEntrance->SetActive(false);
    KestHCobEntrance->Params().ParamByName("ip").SetAsString(GetSysInfo()->LocalHostAddress());
    KestHCobEntrance->Params().ParamByName("orgid").SetAsString(std::to_string(User().OrgID));
    KestHCobEntrance->SetActive(true);
    KestHCobEntrance->CheckAll(true);
}

void TFrmCheck::OpenScheduleList(const DateTime& departDate)
{
    jsonClientDataSetsch.Close();
    jsonClientDataSetsch.ParamByName("vehicleid").SetAsString(std::to_string(vehicleid));
    jsonClientDataSetsch.ParamByName("departdate").SetAsString(departDate.DateText());
    jsonClientDataSetsch.ParamByName("reportorgid").SetAsString(std::to_string(User().OrgID));
    jsonClientDataSetsch.Open();
}

void TFrmCheck::StartAutoRefresh()
{
    const std::int64_t org = User().OrgID;
    if (FindParameterValue("3009", org) != "1") {
        tmrfalshschedule->stop();
        return;
    }
    std::int64_t seconds = 60;
    try {
        if (!TryStrToInt64(FindParameterValue("3007", org), seconds)) seconds = 60;
    } catch (const std::exception&) {
        seconds = 60;
    }
    // No interval, no automatic refresh.
    if (seconds <= 0) {
        tmrfalshschedule->stop();
        return;
    }
    constexpr std::int64_t longest = std::numeric_limits<int>::max();
    tmrfalshschedule->setInterval(int(std::min(seconds, longest / 1000) * 1000));
    tmrfalshschedule->start();
}

void TFrmCheck::done(int result)
{
    if (!closing_) {
        closing_ = true;
        FormClose();
    }
    QDialog::done(result);
}

void TFrmCheck::FormClose()
{
    scannerReopen_->Stop();
    if (cominitsuc) {
        try {
            Comm1->StopComm();
        } catch (const std::exception& e) {
            WriteLogLine("串口关闭错误：", e);
        }
    }
    if (tmrfalshschedule->isActive()) tmrfalshschedule->stop();
    // A closed screen counts no more idle seconds.
    TimerAutoClose->stop();
    pendingScans_.clear();
}

// ---------------------------------------------------------------- schedules

DateTime TFrmCheck::DepartDate() const
{
    return FromQDate(DpDepartDate->date());
}

void TFrmCheck::DpDepartDateChange() { OpenScheduleList(DepartDate()); }

void TFrmCheck::jsonClientDataSetschAfterScroll()
{
    if (!jsonClientDataSetsch.Active() || jsonClientDataSetsch.IsEmpty()) return;
    const std::int64_t reportId = jsonClientDataSetsch.FieldByName("id").AsLargeInt();
    try {
        LoadSchedulePlan(reportId);
    } catch (const std::exception& e) {
        GetDialog()->ShowMessage(e.what());
    }
    if (jscdQrySchVehicle.Active() && !jscdQrySchVehicle.IsEmpty()) ShowSchedulePlan();
}

void TFrmCheck::LoadSchedulePlan(std::int64_t reportId)
{
    const std::string station = std::to_string(User().StationID);
    jscdQrySchVehicle.Close();
    jscdQrySchVehicle.ParamByName("departdate").SetAsString(DepartDate().DateText());
    jscdQrySchVehicle.ParamByName("reportorgid").SetAsString(std::to_string(User().OrgID));
    jscdQrySchVehicle.ParamByName("checkstationid").SetAsString(station);
    jscdQrySchVehicle.ParamByName("filter_EQL_vr!id").SetAsString(std::to_string(reportId));
    jscdQrySchVehicle.ParamByName("filter_EQB_ss!isdeparted").Clear();
    jscdQrySchVehicle.ParamByName("filter_GES_ss!departtime").Clear();
    jscdQrySchVehicle.ParamByName("filter_INS_ss!departstationid").SetAsString(station);
    jscdQrySchVehicle.Open();
}

void TFrmCheck::ShowSchedulePlan()
{
    KestEdtStation->SetText(jscdQrySchVehicle.FieldByName("endstation").AsString());
    KestEdtSch->SetText(jscdQrySchVehicle.FieldByName("code").AsString());
    const bool lineWork = jsonClientDataSetsch.FieldByName("islinework").AsBoolean();
    KestEdtTime->SetText(lineWork ? jsonClientDataSetsch.FieldByName("departdate").AsString()
                                  : jscdQrySchVehicle.FieldByName("departtime").AsString());
    refreshCheckInfo();
    KestEdtTicketNO->setFocus();
}

// ---------------------------------------------------------------- counters and seat plan

void TFrmCheck::refreshCheckInfo()
{
    try {
        if (!jscdQrySchVehicle.Active()) return;
        if (jscdQrySchVehicle.IsEmpty()) {
            LabChecks->setText("0");
            LabSeats->setText("/0");
            lbl2->setText("该车辆还未报班！");
            return;
        }
        try {
            RefreshCounters();
        } catch (const std::exception& e) {
            GetDialog()->ShowMessage(e.what());
        }
        RefreshSeatPlan();
    } catch (const std::exception& e) {
        WriteLogLine("查询失败:", e);
        GetDialog()->ShowMessage(e.what());
    }
}

void TFrmCheck::RefreshCounters()
{
    const std::int64_t planId = jscdQrySchVehicle.FieldByName("id").AsLargeInt();
    const std::int64_t reportId = jscdQrySchVehicle.FieldByName("vehiclereportid").AsLargeInt();
    jscdQryCheckeds.Close();
    jscdQryCheckeds.ParamByName("filter_EQL_sp!id").SetAsString(std::to_string(planId));
    if (jscdQrySchVehicle.FieldByName("islinework").AsBoolean())
        jscdQryCheckeds.ParamByName("filter_EQL_t!vehiclereportid").SetAsString(std::to_string(reportId));
    else
        jscdQryCheckeds.ParamByName("filter_EQL_t!vehiclereportid").Clear();
    jscdQryCheckeds.Open();
    if (jscdQryCheckeds.IsEmpty()) {
        LabChecks->setText("0");
        LabSeats->setText("/0");
        return;
    }
    int checked = 0;
    jscdQryCheckeds.First();
    {
        const ControlsDisabled quiet(jscdQryCheckeds);
        for (; !jscdQryCheckeds.Eof(); jscdQryCheckeds.Next())
            if (jscdQryCheckeds.FieldByName("dticketstatus").AsString() == kChecked) ++checked;
    }
    lbl2->clear();
    LabChecks->setText(QString::number(checked));
    LabSeats->setText("/" + QString::number(jscdQryCheckeds.RecordCount()));
}

void TFrmCheck::RefreshSeatPlan()
{
    if (jscdQrySchVehicle.FieldByName("islinework").AsBoolean()) {
        if (SeatPlanC) SeatPlanC->hide();
        return;
    }
    checktickethelp->qrySeatstatus(jscdQrySchVehicle.FieldByName("id").AsLargeInt(), false);
    if (!SeatPlanC) CreateSeatPlan();
    SeatPlanC->setBrandModelid(0);
    SeatPlanC->show();
    SeatPlanC->repaintChangedCells();
}

void TFrmCheck::CreateSeatPlan()
{
    SeatPlanC = new TSeatPlanChecked(Panel2);
    SeatPlanC->setObjectName("SeatPlanC");
    // Two lines of seat text under a 48-pixel seat picture fit the 95 × 100 cells; the screen's
    // 35-pixel font would leave no room for the picture.
    SeatPlanC->setFont(KioskFont(16));
    SeatPlanC->setShowHint(false);
    SeatPlanC->setContextMenuPolicy(Qt::NoContextMenu);
    SeatPlanC->setDefaultcellwidth(95);
    SeatPlanC->setDefaultcellheight(100);
    SeatPlanC->setDefaultcolcount(11);
    SeatPlanC->setShowspacename(false);
    SeatPlanC->setSelectSeatStatus(checktickethelp->selectSeatStatus);
    SeatPlanC->setSeatsStatus(checktickethelp->seatsStatus);
    SeatPlanC->setSeatsTickettype(checktickethelp->seatsTickettype);
    SeatPlanC->setSeatsticketno(checktickethelp->seatticketno);
    SeatPlanC->setSeatsreachstationname(checktickethelp->seatStation);
    SeatPlanC->setSeatscolor(checktickethelp->seatscolor);
    SeatPlanC->setSelectSeatNum(110);
    Panel2->layout()->addWidget(SeatPlanC);
}

// ---------------------------------------------------------------- the ticket check

void TFrmCheck::KestEdtTicketNOKeyUp(int key)
{
    if (key == kEnterKey) ReportingErrors([this] { KestEdtTicketNOChange(); });
}

void TFrmCheck::KestEdtTicketNOChange()
{
    stopminute = 0;
    const std::string typed = Trim(KestEdtTicketNO->Text());
    if (typed.empty()) return;
    const auto& lengths = GetSysInfo()->BillLength();
    const auto length = lengths.find("Ticket");
    if (length == lengths.end()) throw Exception("Item not found");
    KestEdtTicketNO->SetText(leftAddZero(typed, length->second));
    const std::string ticketno = Trim(KestEdtTicketNO->Text());

    checking_ = true;
    try {
        CheckTicket(ticketno);
    } catch (const std::exception& e) {
        WriteLogLine("检票操作失败：", e);
        // The check did not pass: the status line must not keep the former passenger's
        // "检票成功！", where it would read as this ticket's.
        lbl2->setText(ScreenText("检票操作失败：" + std::string(e.what())));
        checkSignal_->Show(TCheckSound::Error);
        KestEdtTicketNO->clear();
        KestEdtTicketNO->setFocus();
    }
    checking_ = false;
    RunPendingScans();
}

std::string TFrmCheck::CurrentReportId() const
{
    return jscdQrySchVehicle.FieldByName("vehiclereportid").AsString();
}

bool TFrmCheck::PreCheckPasses(const std::string& ticketno)
{
    try {
        jcdscheckticketno.Close();
        jcdscheckticketno.ParamByName("ticketno").SetAsString(ticketno);
        jcdscheckticketno.ParamByName("vehiclereportid").SetAsString(CurrentReportId());
        jcdscheckticketno.ParamByName("departdate").SetAsString(DepartDate().DateText());
        jcdscheckticketno.Execute();
        if (jcdscheckticketno.ParamByName("flag").AsInteger() != 1) {
            KestEdtTicketNO->clear();
            checkSignal_->Show(TCheckSound::Refused);
            GetDialog()->ShowWarning(jcdscheckticketno.ParamByName("msg").AsString());
            return false;
        }
    } catch (const std::exception& e) {
        WriteLogLine("票号校验失败：", e);
    }
    return true;
}

void TFrmCheck::CheckTicket(const std::string& ticketno)
{
    if (!PreCheckPasses(ticketno)) return;
    jscdCheckByTicketno.Close();
    jscdCheckByTicketno.ParamByName("checkstationid").SetAsString(std::to_string(User().StationID));
    jscdCheckByTicketno.ParamByName("vehiclereportid").SetAsString(CurrentReportId());
    jscdCheckByTicketno.ParamByName("islazycheck").SetAsBoolean(jscdQrySchVehicle.FieldByName("isdeparted").AsBoolean());
    jscdCheckByTicketno.ParamByName("ip").SetAsString(GetSysInfo()->LocalHostAddress());
    jscdCheckByTicketno.ParamByName("ticketno").SetAsString(ticketno);
    jscdCheckByTicketno.ParamByName("ticketentrance").SetAsString(KestHCobEntrance->Text());
    jscdCheckByTicketno.Execute();
    const std::string msg = jscdCheckByTicketno.ParamByName("msg").AsString();
    if (jscdCheckByTicketno.ParamByName("flag").AsInteger() != 1) {
        lbl2->setText(ScreenText(msg));
        checkSignal_->Show(TCheckSound::Refused);
        KestEdtTicketNO->clear();
        KestEdtTicketNO->setFocus();
        return;
    }
    refreshCheckInfo();
    lbl2->setText(ScreenText(msg));
    checkSignal_->Show(TCheckSound::Ok);
    try {
        MoveToReportedSchedule(ticketno);
    } catch (const std::exception& e) {
        // The ticket is checked; only the move to its schedule failed.
        WriteLogLine("检票操作失败：", e);
    }
    KestEdtTicketNO->clear();
}

void TFrmCheck::MoveToReportedSchedule(const std::string& ticketno)
{
    qryreportissame.Close();
    qryreportissame.ParamByName("vehiclereportid").SetAsString(CurrentReportId());
    qryreportissame.ParamByName("ticketno").SetAsString(ticketno);
    qryreportissame.ParamByName("checkstationid").SetAsString(std::to_string(User().StationID));
    qryreportissame.ParamByName("departdate").SetAsString(DepartDate().DateText());
    qryreportissame.Execute();
    const std::string msg = qryreportissame.ParamByName("msg").AsString();
    if (qryreportissame.ParamByName("flag").AsInteger() == 1 && msg != "0") jsonClientDataSetsch.Locate("id", Value(msg));
}

// ---------------------------------------------------------------- the scanner

void TFrmCheck::Comm1ReceiveData(const QByteArray& buffer)
{
    if (!cominitsuc || printedClosing_) return;
    if (checking_) {
        // The screen is inside a check (a message box of it may be open): this scan waits.
        pendingScans_.push_back(buffer);
        return;
    }
    ReportingErrors([this, &buffer] {
        KestEdtTicketNO->SetText(QString::fromLatin1(buffer.left(TComm::kChunkLimit)).toStdString());
        KestEdtTicketNOChange();
    });
}

void TFrmCheck::RunPendingScans()
{
    if (pendingScans_.empty() || closing_) return;
    const QByteArray next = pendingScans_.front();
    pendingScans_.pop_front();
    // Later, from the event loop, so a burst of scans does not nest checks on the stack.
    QMetaObject::invokeMethod(this, [this, next] { Comm1ReceiveData(next); }, Qt::QueuedConnection);
}

void TFrmCheck::OnScannerLost(const QString& reason)
{
    cominitsuc = false;
    TryWriteLog("串口读取错误：" + reason.toStdString());
    if (UnattendedSettings().unattended && !closing_) scannerReopen_->Start();
}

void TFrmCheck::OnScannerReopened(const QString& device)
{
    cominitsuc = true;
    TryWriteLog("串口已重新打开：" + device.toStdString());
}

// ---------------------------------------------------------------- timers, buttons, input

void TFrmCheck::BitBtn7Click()
{
    stopminute = 0;
    ReportingErrors([this] { refreshCheckInfo(); });
}

void TFrmCheck::tmrfalshscheduleTimer()
{
    try {
        refreshCheckInfo();
    } catch (const std::exception& e) {
        WriteLogLine("查询报班班次操作失败：", e);
    }
}

void TFrmCheck::TimerAutoCloseTimer()
{
    if (stopminute < User()._automin) {
        ++stopminute;
        return;
    }
    TimerAutoClose->stop();
    close();
}

void TFrmCheck::PageControl1Change() { stopminute = 0; }

void TFrmCheck::Panel1Enter() { KestEdtTicketNO->setFocus(); }

void TFrmCheck::keyPressEvent(QKeyEvent* event)
{
    // The screen has no cancel button: Esc does not close it.
    if (event->key() == Qt::Key_Escape) return;
    QDialog::keyPressEvent(event);
}

bool TFrmCheck::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::MouseButtonPress || type == QEvent::TouchBegin) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && (widget == this || isAncestorOf(widget))) stopminute = 0;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kiosk
