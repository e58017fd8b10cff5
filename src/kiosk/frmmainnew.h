#pragma once
// TFrmMainNew: the kiosk's main window. A full-screen frame with three tabs (the driver login,
// the abnormal and the extra schedules), a status bar with a clock, and the IMainForm service
// through which start-up and the screens write status texts and end the program.
//
// The driver login: a driver picks his vehicle's plate and types his ID number on the on-screen
// keypad, or lays his ID card on the reader (IIDCardfound) or an IC card (ICardNotify); the
// server names his vehicle and the ticket check window TFrmCheck opens for it, modal.
// The requests go through the data module's connection (DMPublic()->jcon), which must exist
// before the window is made.
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <string>

#include "core/services.h"
#include "data/controls/tkesthelp.h"
#include "data/tjsonclientdataset.h"
#include "grid/tktdbgrideh.h"
#include "kiosk/cardnotify.h"
#include "kiosk/idcardreader.h"
#include "widgets/kioskstyle.h"

namespace kiosk {

class TFrmCheck;

struct MainWindowOptions {
    bool showStatusBar = false;  // App.ini [ui] statusbar=1
    QString backgroundFile;      // a picture for the login tab; empty or unreadable: the drawn one
    // Unattended: an ID card reader that cannot be opened is no box but a line on the login
    // screen, and the reader is tried again every readerRetrySeconds.
    bool unattended = false;
    int readerRetrySeconds = 5;
};

class TFrmMainNew : public QWidget, public IMainForm, public IIDCardfound, public ICardNotify {
    Q_OBJECT
public:
    static constexpr int kPanelCount = 7;

    explicit TFrmMainNew(MainWindowOptions options = {}, QWidget* parent = nullptr);
    // Leaves the ID card reader.
    ~TFrmMainNew() override;

    bool Implements(const TGUID& iid) const override
    {
        return iid == IMainForm::IID || iid == IIDCardfound::IID || iid == ICardNotify::IID || iid == IInterface::IID;
    }
    // Sets panel 0 to 5; other indices are ignored.
    void ShowStatus(int PnlIndex, const std::string& Msg) override;
    // Ends the message loop as soon as it runs (also when it has not started yet).
    void ExitApplication() override;
    void setLblloginname(const std::string&) override {}

    QString PanelText(int index) const;
    // Whether ExitApplication was asked for (the program body then does not show the window).
    bool ExitRequested() const { return exitRequested_; }
    // While held (an unattended start-up try runs), ExitApplication only notes the request;
    // TakeExitRequest answers it and forgets it.
    void HoldExit(bool hold) { holdExit_ = hold; }
    bool TakeExitRequest();

    QTabWidget* pagecontrl;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QWidget* TabSheet3;
    QLabel* Image1;
    QLabel* Label4;
    QStatusBar* StatusBar;
    QTimer* tmrTime;

    // ---- the driver login (TabSheet1)
    // The typed login: raises what the login request raises (the handlers report it).
    void VehicleLogin();
    // The ID card login; a card without an ID number is ignored.
    void cardfound(const TIDCard& card) override;
    // An IC card read with result 0 logs its vehicle's driver in.
    void CardNotify(const TCardRecord& card) override;

    QFrame* pnlLogin = nullptr;  // the white panel over the background that holds the login
    QLabel* LabPinfo;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    TKestHelp* KestVehicle;
    TKestEdit* edtUserpwd;
    QFrame* pnlkeyboard;
    QPushButton* BitBtnkey0;
    QPushButton* BitBtnkey1;
    QPushButton* BitBtnkey2;
    QPushButton* BitBtnkey3;
    QPushButton* BitBtnkey4;
    QPushButton* BitBtnkey5;
    QPushButton* BitBtnkey6;
    QPushButton* BitBtnkey7;
    QPushButton* BitBtnkey8;
    QPushButton* BitBtnkey9;
    QPushButton* BitBtn3;
    QPushButton* BitBtnkeydel;
    QPushButton* BitBtnkeyok;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QLabel* LabReader;       // "身份证读卡器未连接" while an unattended kiosk waits for its reader
    QTimer* tmrReader;       // tries the reader again while that line shows
    TjsonClientDataSet jscdQryVehicle{"jscdQryVehicle"};

    // Number of a contactless IC card while its login runs; empty otherwise.
    std::string cardNo;
    // The window is registered with the ID card reader.
    bool initIdcard = false;
    // The input the driver left last: 1 the plate lookup, 2 the ID number edit, 0 none yet.
    std::int64_t leavetype = 0;

    // ---- the abnormal (TabSheet2) and the extra schedules (TabSheet3)
    TjsonClientDataSet jscdQrySchStatus{"jscdQrySchStatus"};
    TKtDbgridEh* KtDbgridEh2;
    TjsonClientDataSet jscdQrySchadd{"jscdQrySchadd"};
    TKtDbgridEh* KtDbgridEh1;

public slots:
    void FormShow();
    void tmrTimeTimer();
    void BitBtn1Click();
    void BitBtn2Click();
    void keyboardClick(QPushButton* Sender);
    void TabSheet2Show();
    void TabSheet3Show();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateStatusBar(bool visible);
    void LayOutLoginTab();

    // driverlogin.cpp
    void CreateLoginTab();
    QPushButton* CreateKey(const QString& caption, const char* name, int keyCode);
    void SetUpVehicleLookup();
    void SetUpLoginRequest();
    void RegisterWithCardReader();
    void ShowReaderState();
    void edtUserpwdKeyPress(QChar key);
    void edtUserpwdExit();
    void KestVehicleKeyPress(QChar key);
    void KestVehicleExit();
    void KestVehicleIdChange();
    // Runs the login request; true when the server found a vehicle.
    bool RequestVehicle();
    void OpenCheckWindow();
    void ClearLogin();
    void ShowPinfo(const char* text);

    // schedulelists.cpp
    void CreateScheduleTabs();

    std::array<QLabel*, kPanelCount> panels_{};
    QPixmap background_;
    bool exitRequested_ = false;
    bool holdExit_ = false;
    bool unattended_ = false;
    // The check window of the last login here; it is destroyed when the next login opens one.
    QPointer<TFrmCheck> lastCheck_;
};

} // namespace kiosk
