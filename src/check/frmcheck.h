#pragma once
// TFrmCheck: the ticket check screen a driver works in after logging in. The login screen
// creates one per login, sets the vehicle's plate (KestEdtVehicleNo) and id (vehicleid) and
// shows it maximised and modal.
//
// The first tab lists the schedules the vehicle reported for the departure date, shows the
// chosen schedule plan, checks each ticket typed or scanned against the server and shows the
// counters, the status line and the seat plan with the checked seats. The screen closes itself
// after `_automin` + 1 seconds without input.
//
// Every request goes through the data module's connection; no exception leaves a handler.
#include <QByteArray>
#include <QDateEdit>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "data/controls/tkestcheckedcombobox.h"
#include "data/controls/tkestedit.h"
#include "data/controls/tkesthelp.h"
#include "data/tjsonclientdataset.h"
#include "grid/tktdbgrideh.h"

namespace kiosk {

class TComm;
class TSeatPicHelp;
class TSeatPlanChecked;

class TFrmCheck : public QDialog {
    Q_OBJECT
public:
    explicit TFrmCheck(QWidget* owner);
    ~TFrmCheck() override;

    // "0" put in front of `text` until it is `len` characters long.
    static std::string leftAddZero(const std::string& text, int len);

    // ---- the form
    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QWidget* TabSheet3;
    QWidget* TabSheet5;
    QPushButton* buttoncanl;

    // ---- the check tab
    QWidget* Panel1;
    QDateEdit* DpDepartDate;
    TKestHelp* KestEdtSch;
    TKestEdit* KestEdtStation;
    TKestEdit* KestEdtTime;
    TKestEdit* KestEdtVehicleNo;
    TKestEdit* KestEdtTicketNO;
    QLabel* LabChecks;
    QLabel* LabSeats;
    QLabel* lbl2;
    TKestCheckedComboBox* KestHCobEntrance;
    QPushButton* BitBtn7;
    QPushButton* BitBtn1;
    TKtDbgridEh* KtDbgridEh6;
    TKtDbgridEh* KtDbgridEh1;
    QWidget* Panel2;
    TComm* Comm1;
    QTimer* tmrfalshschedule;
    QTimer* TimerAutoClose;

    TjsonClientDataSet jsonClientDataSetsch{"jsonClientDataSetsch"};
    TjsonClientDataSet jscdQrySchVehicle{"jscdQrySchVehicle"};
    TjsonClientDataSet jscdQryCheckeds{"jscdQryCheckeds"};
    TjsonClientDataSet jcdscheckticketno{"jcdscheckticketno"};
    TjsonClientDataSet jscdCheckByTicketno{"jscdCheckByTicketno"};
    TjsonClientDataSet qryreportissame{"qryreportissame"};

    // Set by the login screen before the form is shown.
    std::int64_t vehicleid = 0;

    // ---- state the screen's tests and the slip read
    bool ComInitSucceeded() const { return cominitsuc; }
    int StopMinute() const { return stopminute; }
    TSeatPlanChecked* SeatPlan() const { return SeatPlanC; }
    TSeatPicHelp* SeatPicHelp() const { return checktickethelp.get(); }

public slots:
    void FormShow();
    void DpDepartDateChange();
    void KestEdtTicketNOChange();
    void Comm1ReceiveData(const QByteArray& buffer);
    void BitBtn7Click();
    void tmrfalshscheduleTimer();
    void TimerAutoCloseTimer();
    void PageControl1Change();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    void CreateCheckTab();
    QWidget* CreateTopPanel();
    QWidget* CreateTicketArea();
    void DeclareDataSets();
    void ReadSerialSettings();
    void OpenScanner();
    void LoadEntrances();
    void OpenScheduleList(const DateTime& departDate);
    void StartAutoRefresh();
    void jsonClientDataSetschAfterScroll();
    void LoadSchedulePlan(std::int64_t reportId);
    void ShowSchedulePlan();
    void refreshCheckInfo();
    void RefreshCounters();
    void RefreshSeatPlan();
    void CreateSeatPlan();
    void KestEdtTicketNOKeyUp(int key);
    void CheckTicket(const std::string& ticketno);
    bool PreCheckPasses(const std::string& ticketno);
    void MoveToReportedSchedule(const std::string& ticketno);
    void RunPendingScans();
    void OnScannerLost(const QString& reason);
    std::string CurrentReportId() const;
    DateTime DepartDate() const;

    // ---- fields
    std::string comk;
    int BaudRate = 9600;
    bool cominitsuc = false;
    int stopminute = 0;
    TSeatPlanChecked* SeatPlanC = nullptr;
    std::unique_ptr<TSeatPicHelp> checktickethelp;

    bool formShown_ = false;
    bool closing_ = false;
    bool checking_ = false;                 // a ticket check is running
    std::deque<QByteArray> pendingScans_;   // scans that came during a check, in order
};

// The check window of the newest login; nullptr before the first.
extern TFrmCheck* FrmCheck;

} // namespace kiosk
