// The driver login tab of the main window: its controls laid out for a touch screen, the
// on-screen keypad, the typed, ID card and IC card logins, and the check window they open.
#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QVBoxLayout>

#include "check/frmcheck.h"
#include "core/dmpublic.h"
#include "core/sysservice.h"
#include "data/controls/kestcolors.h"
#include "kiosk/frmmainnew.h"
#include "platform/exception.h"
#include "platform/textutil.h"

namespace kiosk {

namespace {

// Key codes of the keypad buttons: the digits, "X" and backspace.
constexpr int kKeyBackspace = 8;
constexpr int kKeyX = 88;
const char* const kKeyCodeProperty = "keyCode";

constexpr int kInputHeight = 84;
constexpr int kKeyWidth = 150;
constexpr int kKeyHeight = 110;

bool IsEnterKey(QChar key) { return key == QChar('\r') || key == QChar('\n'); }

QLabel* CreateCaption(const QString& text, const char* name, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(KioskFont(40, true));
    label->setStyleSheet("color: #0a3e80;");
    return label;
}

// The keypad's key as the input takes it when typed: the digit or X at the caret, backspace
// deleting the character before it, through the input's own key handling.
void TypeKey(QLineEdit& input, int keyCode)
{
    const int key = keyCode == kKeyBackspace ? Qt::Key_Backspace : keyCode;
    const QString text = keyCode == kKeyBackspace ? QString() : QString(QChar(keyCode));
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&input, &press);
    QCoreApplication::sendEvent(&input, &release);
}

} // namespace

// ---------------------------------------------------------------- the tab's controls

void TFrmMainNew::CreateLoginTab()
{
    pnlLogin = new QFrame(TabSheet1);
    pnlLogin->setObjectName("pnlLogin");
    pnlLogin->setStyleSheet("#pnlLogin { background: rgba(255, 255, 255, 238); border-radius: 24px; }");

    LabPinfo = new QLabel(pnlLogin);
    LabPinfo->setObjectName("LabPinfo");
    LabPinfo->setFont(KioskFont(36, true));
    LabPinfo->setStyleSheet("color: red;");
    LabPinfo->setFixedHeight(60);
    LabPinfo->setWordWrap(true);

    Label1 = CreateCaption("车牌号码", "Label1", pnlLogin);
    Label2 = CreateCaption("证件号码", "Label2", pnlLogin);
    Label3 = new QLabel("*可直接刷司机身份证进行登录", pnlLogin);
    Label3->setObjectName("Label3");
    Label3->setFont(KioskFont(32));
    Label3->setStyleSheet("color: red;");

    KestVehicle = new TKestHelp(pnlLogin);
    KestVehicle->setObjectName("KestVehicle");
    KestVehicle->setFont(KioskFont(44));
    KestVehicle->setFixedHeight(kInputHeight);
    SetUpVehicleLookup();

    edtUserpwd = new TKestEdit(pnlLogin);
    edtUserpwd->setObjectName("edtUserpwd");
    edtUserpwd->SetCharCase(ecUpperCase);
    edtUserpwd->setMaxLength(20);
    edtUserpwd->setFont(KioskFont(44, true));
    edtUserpwd->setFixedHeight(kInputHeight);
    connect(edtUserpwd, &TKestEdit::OnKeyPress, this, &TFrmMainNew::edtUserpwdKeyPress);
    connect(edtUserpwd, &TKestEdit::OnExit, this, &TFrmMainNew::edtUserpwdExit);

    pnlkeyboard = new QFrame(pnlLogin);
    pnlkeyboard->setObjectName("pnlkeyboard");
    pnlkeyboard->setStyleSheet(
        "QPushButton { background: #f2f6fb; color: #0a3e80; border: 2px solid #8fb0d8; border-radius: 14px; }"
        "QPushButton:pressed { background: #bcd6f2; }");
    BitBtnkey7 = CreateKey("7", "BitBtnkey7", '7');
    BitBtnkey8 = CreateKey("8", "BitBtnkey8", '8');
    BitBtnkey9 = CreateKey("9", "BitBtnkey9", '9');
    BitBtnkey4 = CreateKey("4", "BitBtnkey4", '4');
    BitBtnkey5 = CreateKey("5", "BitBtnkey5", '5');
    BitBtnkey6 = CreateKey("6", "BitBtnkey6", '6');
    BitBtnkey1 = CreateKey("1", "BitBtnkey1", '1');
    BitBtnkey2 = CreateKey("2", "BitBtnkey2", '2');
    BitBtnkey3 = CreateKey("3", "BitBtnkey3", '3');
    BitBtnkey0 = CreateKey("0", "BitBtnkey0", '0');
    BitBtn3 = CreateKey("X", "BitBtn3", kKeyX);
    BitBtnkeydel = CreateKey("删除", "BitBtnkeydel", kKeyBackspace);
    auto* keys = new QGridLayout(pnlkeyboard);
    keys->setContentsMargins(0, 0, 0, 0);
    keys->setSpacing(14);
    QPushButton* const rows[4][3] = {{BitBtnkey7, BitBtnkey8, BitBtnkey9},
                                     {BitBtnkey4, BitBtnkey5, BitBtnkey6},
                                     {BitBtnkey1, BitBtnkey2, BitBtnkey3},
                                     {BitBtnkey0, BitBtn3, BitBtnkeydel}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c) keys->addWidget(rows[r][c], r, c);

    BitBtnkeyok = new QPushButton("登录", pnlLogin);
    BitBtnkeyok->setObjectName("BitBtnkeyok");
    BitBtnkeyok->setFont(KioskFont(48, true));
    BitBtnkeyok->setFixedHeight(kKeyHeight);
    BitBtnkeyok->setStyleSheet("QPushButton { background: #1f8f4e; color: white; border-radius: 16px; }"
                               "QPushButton:pressed { background: #15683a; }");
    connect(BitBtnkeyok, &QPushButton::clicked, this, &TFrmMainNew::BitBtn1Click);

    // Kept for the keyboard shortcuts of a kiosk with a keyboard; not shown.
    BitBtn1 = new QPushButton("&L 登录", pnlLogin);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->hide();
    connect(BitBtn1, &QPushButton::clicked, this, &TFrmMainNew::BitBtn1Click);
    BitBtn2 = new QPushButton("&重置", pnlLogin);
    BitBtn2->setObjectName("BitBtn2");
    BitBtn2->hide();
    connect(BitBtn2, &QPushButton::clicked, this, &TFrmMainNew::BitBtn2Click);

    LabReader = new QLabel("身份证读卡器未连接", pnlLogin);
    LabReader->setObjectName("LabReader");
    LabReader->setFont(KioskFont(26));
    LabReader->setStyleSheet("color: #b05a00;");
    LabReader->hide();

    auto* inputs = new QGridLayout;
    inputs->setHorizontalSpacing(24);
    inputs->setVerticalSpacing(36);
    inputs->addWidget(Label1, 0, 0);
    inputs->addWidget(KestVehicle, 0, 1);
    inputs->addWidget(Label2, 1, 0);
    inputs->addWidget(edtUserpwd, 1, 1);
    inputs->addWidget(Label3, 2, 1);
    inputs->addWidget(LabReader, 3, 1);

    auto* left = new QVBoxLayout;
    left->setSpacing(24);
    left->addWidget(LabPinfo);
    left->addLayout(inputs);
    left->addStretch(1);
    left->addWidget(BitBtnkeyok);

    auto* panel = new QHBoxLayout(pnlLogin);
    panel->setContentsMargins(56, 40, 56, 48);
    panel->setSpacing(64);
    panel->addLayout(left, 1);
    panel->addWidget(pnlkeyboard, 0, Qt::AlignBottom);

    SetUpLoginRequest();
}

QPushButton* TFrmMainNew::CreateKey(const QString& caption, const char* name, int keyCode)
{
    auto* key = new QPushButton(caption, pnlkeyboard);
    key->setObjectName(name);
    key->setProperty(kKeyCodeProperty, keyCode);
    key->setFont(KioskFont(keyCode == kKeyBackspace ? 40 : 52, true));
    key->setFixedSize(kKeyWidth, kKeyHeight);
    connect(key, &QPushButton::clicked, this, [this, key] { keyboardClick(key); });
    return key;
}

void TFrmMainNew::SetUpVehicleLookup()
{
    KestVehicle->setMaxLength(50);
    KestVehicle->SetOnEnterColor(clSkyBlue);
    KestVehicle->SetStopErrorKey(true);
    KestVehicle->SetnotFocusedShowHelp(true);
    THelpOptions& o = KestVehicle->HelpOptions();
    o.HQueryAddress = "system/helpNoAuth";
    o.HDataSourceName = "helpmap";
    o.HelpType = "VehiclenoHelp";
    o.HJSONConnection = DMPublic() ? &DMPublic()->jcon : nullptr;
    o.EdtField = "name";
    o.SetHelpWidth(400);
    o.SetHelpHeight(400);
    KestVehicle->Params().CreateParam(ftString, "helpType", ptInput).SetAsString("VehiclenoHelp");
    KestVehicle->SetHDBGColumns({{"name", "车牌号码", 200}, {"seatnum", "座位数", 140}});
    // Rows a finger can pick on the touch screen.
    KestVehicle->HelpGrid()->setFont(KioskFont(34));
    KestVehicle->HelpGrid()->horizontalHeader()->setFont(KioskFont(24));
    connect(KestVehicle, &TKestEdit::OnKeyPress, this, &TFrmMainNew::KestVehicleKeyPress);
    connect(KestVehicle, &TKestEdit::OnExit, this, &TFrmMainNew::KestVehicleExit);
    connect(KestVehicle, &TKestEdit::OnIdChange, this, &TFrmMainNew::KestVehicleIdChange);
}

void TFrmMainNew::SetUpLoginRequest()
{
    if (DMPublic()) jscdQryVehicle.SetRemoteServer(&DMPublic()->jcon);
    jscdQryVehicle.SetSaveAddress("base/qryVehiclebyIdcard");
    jscdQryVehicle.SetDataSourceName("userinfos");
    AddParam(jscdQryVehicle, ftString, "vehicle.id", ptInput, 10);
    AddParam(jscdQryVehicle, ftString, "vehicle.gprs", ptInput, 100);
    AddParam(jscdQryVehicle, ftString, "vehicle.cardno", ptInput);
    AddParam(jscdQryVehicle, ftInteger, "flag", ptOutput);
    AddParam(jscdQryVehicle, ftString, "msg", ptOutput, 1000);
    AddParam(jscdQryVehicle, ftBlob, "vehicleid", ptOutput);
    AddParam(jscdQryVehicle, ftString, "vehicleno", ptOutput);
    AddParam(jscdQryVehicle, ftString, "isidcardlogin", ptInput);
}

TFrmMainNew::~TFrmMainNew()
{
    if (FrmCheck && FrmCheck == lastCheck_) FrmCheck = nullptr;  // it goes with this window
    if (!initIdcard) return;
    try {
        TIDCardReader::GetInstance()->removeObserver(this);
    } catch (...) {
        // The reader is left as it is; nothing more can be done while the window goes.
    }
}

// ---------------------------------------------------------------- the ID card reader

void TFrmMainNew::RegisterWithCardReader()
{
    try {
        // Unattended, nobody would touch the hint away: the login screen's line says it instead.
        TIDCardReader::GetInstance()->addObserver(this, !unattended_, true);
        if (TIDCardReader::DeviceOpen()) initIdcard = true;
    } catch (const std::exception&) {
        if (auto dialog = QueryService<IDialog>()) dialog->ShowWarning("读卡器初始化失败，不能读取身份证");
    }
    if (unattended_) ShowReaderState();
}

// The line shows while the reader is away and the reader is tried again meanwhile; the log
// says when it went away at start and when it came.
void TFrmMainNew::ShowReaderState()
{
    LabReader->setVisible(!initIdcard);
    if (initIdcard) {
        if (tmrReader->isActive()) {
            tmrReader->stop();
            TryWriteLog("身份证读卡器已连接");
        }
        return;
    }
    if (tmrReader->isActive()) return;
    TryWriteLog("身份证读卡器未连接，每" + std::to_string(tmrReader->interval() / 1000) + "秒重试");
    tmrReader->start();
}

// ---------------------------------------------------------------- handlers

void TFrmMainNew::BitBtn1Click()
{
    ReportingErrors([this] { VehicleLogin(); });
}

void TFrmMainNew::BitBtn2Click()
{
    KestVehicle->clear();
    edtUserpwd->clear();
}

void TFrmMainNew::edtUserpwdKeyPress(QChar key)
{
    if (IsEnterKey(key)) ReportingErrors([this] { VehicleLogin(); });
}

void TFrmMainNew::edtUserpwdExit() { leavetype = 2; }

// A plate being typed is the lookup's business; Enter in an empty one logs in by the ID number.
void TFrmMainNew::KestVehicleKeyPress(QChar key)
{
    if (IsEnterKey(key) && KestVehicle->ValueTrim().empty()) ReportingErrors([this] { VehicleLogin(); });
}

void TFrmMainNew::KestVehicleExit() { leavetype = 1; }

// Picking a vehicle logs in. The login runs once the lookup has finished its pick, so that the
// pick's own focus and list handling do not run over what the login shows.
void TFrmMainNew::KestVehicleIdChange()
{
    if (KestVehicle->Id() <= 0) return;
    QMetaObject::invokeMethod(this, [this] { ReportingErrors([this] { VehicleLogin(); }); }, Qt::QueuedConnection);
}

void TFrmMainNew::keyboardClick(QPushButton* Sender)
{
    QLineEdit* target = leavetype == 1 ? static_cast<QLineEdit*>(KestVehicle)
                        : leavetype == 2 ? static_cast<QLineEdit*>(edtUserpwd)
                                         : nullptr;
    if (!target || !Sender) return;
    // The driver goes on typing where he was: the input takes the focus back from the key.
    target->setFocus(Qt::OtherFocusReason);
    TypeKey(*target, Sender->property(kKeyCodeProperty).toInt());
}

// ---------------------------------------------------------------- logins

void TFrmMainNew::VehicleLogin()
{
    if (cardNo.empty() && Trim(edtUserpwd->Text()).empty()) {
        ShowPinfo("请输入驾驶员身份证号！");
        edtUserpwd->setFocus(Qt::OtherFocusReason);
        return;
    }
    jscdQryVehicle.Close();
    TParams& params = jscdQryVehicle.Params();
    params.ParamByName("vehicle.id").SetAsString(std::to_string(KestVehicle->Id()));
    params.ParamByName("vehicle.cardno").SetAsString(cardNo);
    params.ParamByName("vehicle.gprs").SetAsString(edtUserpwd->Text());
    params.ParamByName("isidcardlogin").SetAsBoolean(cardNo.empty());
    if (!RequestVehicle()) {
        ShowPinfo("登录失败，找不到驾驶员对应车辆信息！");
        edtUserpwd->setFocus(Qt::OtherFocusReason);
        return;
    }
    OpenCheckWindow();
    ClearLogin();
}

// The reader swallows what an observer raises, so a failing request is reported here.
void TFrmMainNew::cardfound(const TIDCard& card)
{
    if (card.FID.empty()) return;
    ReportingErrors([&] {
        jscdQryVehicle.Close();
        TParams& params = jscdQryVehicle.Params();
        // The card names the driver; the vehicle is the one picked now, if any, and no IC card
        // number of an earlier login goes with it.
        params.ParamByName("vehicle.id").SetAsString(std::to_string(KestVehicle->Id()));
        params.ParamByName("vehicle.cardno").SetAsString("");
        params.ParamByName("vehicle.gprs").SetAsString(card.FID);
        params.ParamByName("isidcardlogin").SetAsBoolean(true);
        if (!RequestVehicle()) {
            ShowPinfo("登录失败，找不到车辆信息！");
            if (KestVehicle->Id() <= 0) KestVehicle->setFocus(Qt::OtherFocusReason);
            return;
        }
        OpenCheckWindow();
        ClearLogin();
    });
}

// The IC card's number stands for the typed ID number during its own login only, so that the
// next driver's typed login is not taken for the card.
void TFrmMainNew::CardNotify(const TCardRecord& card)
{
    if (card.result != 0) return;
    cardNo = card.cardNo;
    ReportingErrors([this] { VehicleLogin(); });
    cardNo.clear();
}

bool TFrmMainNew::RequestVehicle()
{
    jscdQryVehicle.Execute();
    return jscdQryVehicle.Params().ParamByName("flag").AsInteger() == 1;
}

// A new check window per login, owned by this window and shown maximised and modal; the login
// waits here until it closes. The window of the login before is destroyed now, so the kiosk
// keeps one check window however many drivers log in during the day.
void TFrmMainNew::OpenCheckWindow()
{
    const TParams& params = jscdQryVehicle.Params();
    const std::string vehicleno = params.ParamByName("vehicleno").AsString();
    const std::int64_t vehicleid = params.ParamByName("vehicleid").AsLargeInt();
    auto* check = new TFrmCheck(this);
    delete lastCheck_.data();
    lastCheck_ = check;
    FrmCheck = check;
    check->KestEdtVehicleNo->SetText(vehicleno);
    check->vehicleid = vehicleid;
    check->setWindowState(check->windowState() | Qt::WindowMaximized);
    check->exec();
    // Without a window manager nobody hands the activation back, and the ID card reader only
    // reports to the login screen while it is the active window.
    activateWindow();
}

void TFrmMainNew::ClearLogin()
{
    LabPinfo->clear();
    KestVehicle->clear();
    edtUserpwd->clear();
}

void TFrmMainNew::ShowPinfo(const char* text) { LabPinfo->setText(QString::fromUtf8(text)); }

} // namespace kiosk
