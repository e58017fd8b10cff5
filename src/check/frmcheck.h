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
#include "print/qt/kestprint.h"

namespace kiosk {

class ICheckSoundPlayer;
class IPrintPlatform;
class TCheckSignal;
class TComm;
class TScannerReopen;
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

    // ---- the settlement slip (frmcheck_slip.cpp)
    TjsonClientDataSet jcdscurbillinuse{"jcdscurbillinuse"};
    TjsonClientDataSet jcdsDepartinvoice{"jcdsDepartinvoice"};
    TjsonClientDataSet jcdsResultSave{"jcdsResultSave"};
    TjsonClientDataSet jscdQryDeductfees{"jscdQryDeductfees"};
    TjsonClientDataSet jcdsQryDetail{"jcdsQryDetail"};
    // The printers the slips go to; by default the system's (or PDF files in prints/).
    void SetPrintPlatform(IPrintPlatform* printers) { printers_ = printers; }
    // How long the screen stays after a printed slip before it closes (5 s).
    void SetCloseDelayAfterPrint(int ms) { closeDelayAfterPrint_ = ms; }
    const TPrintValues* PrintedValues() const { return printValue.get(); }
    const TPrintRows* PrintedRows() const { return multiplelist.get(); }

    // The player of the check sounds (not owned); by default the screen's own (checksignal.h).
    void SetSoundPlayer(ICheckSoundPlayer* player);
    const TCheckSignal& CheckSignal() const { return *checkSignal_; }

    // ---- records and password tabs (frmcheck_records.cpp)
    // "结算单明细": the vehicle's slips over a date range
    QLabel* Label9;
    QDateEdit* DpDepartByInV;
    QLabel* lbl1;
    QDateEdit* dtpDpDepartByInVend;
    QPushButton* BitBtn2;
    QPushButton* BitBtn6;
    QPushButton* repickprint;
    QPushButton* BitBtn3;
    QPushButton* BitBtn4;
    QPushButton* BitBtn5;
    TKtDbgridEh* KtDbgridEh5;
    // "售票明细": the tickets sold per reported schedule of a day
    QLabel* Label8;
    QDateEdit* DpTicketDepart;
    QPushButton* BitQryTickets;
    QPushButton* BtnPreDay;
    QPushButton* BtnNextDay;
    TKtDbgridEh* KtDbgridEh3;
    TKtDbgridEh* KtDbgridEh4;
    // "修改密码": the vehicle's password
    QLabel* Label11;
    TKestEdit* KestEdtPassword;
    QLabel* Label12;
    TKestEdit* KestEdtPassword2;
    QPushButton* BtnSavePas;
    QLabel* LabSaveInfo;
    QTimer* TimeLabSaveInfo;

    TjsonClientDataSet jscdqryDepartinvoicesByorg{"jscdqryDepartinvoicesByorg"};
    TjsonClientDataSet jscdQryReportSchs{"jscdQryReportSchs"};
    TjsonClientDataSet jscdqryTicketsellsByVehicle{"jscdqryTicketsellsByVehicle"};
    TjsonClientDataSet jsonCDSVehSave{"jsonCDSVehSave"};

    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn6Click();
    void jscdqryDepartinvoicesByorgAfterScroll();
    void KtDbgridEh5GetCellParams(TKtDbgridEh& grid, TKtCellParams& params);
    void BitQryTicketsClick();
    void BtnPreDayClick();
    void BtnNextDayClick();
    void jscdQryReportSchsAfterScroll();
    void KtDbgridEh4GetCellParams(TKtDbgridEh& grid, TKtCellParams& params);
    void TabSheet5Show();
    void BtnSavePasClick();
    void TimeLabSaveInfoTimer();

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
    // The focus came to a control of the top panel: typing belongs in the ticket field.
    void Panel1Enter();
    void BitBtn1Click();
    void repickprintClick();
    void BitBtn5Click();

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
    void SetUpScheduleLookup();
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
    void OnScannerReopened(const QString& device);
    std::string CurrentReportId() const;
    DateTime DepartDate() const;

    // the slip
    void DeclareSlipDataSets();
    bool initBillNo(const std::string& billtypecode);
    bool checkBalanceBill();
    void WarnAboutBills(const std::string& code);
    bool HasCheckedUnprintedTicket();
    void printInvoice(const std::string& departinvoicesno, bool isreprint);
    void printSupplement();
    struct TSlipSchedule;
    enum class TSlipKind { Issue, Reprint, Supplement };
    void PrintSlips(TjsonClientDataSet& slips, const TSlipSchedule& schedule, TSlipKind kind);
    void FillPrintValues(const TjsonClientDataSet& slip, const TSlipSchedule& schedule, TSlipKind kind);
    void AdvanceBillNo(const std::string& code);
    TKestPrint& SlipPrinter();
    void CloseAfterPrint();

    // the records and password tabs
    void CreateRecordTabs();
    // Show time: tabs hidden unless App.ini [ui] records=1 / password=1, date pickers to `now`.
    void PrepareRecordTabs(const DateTime& now);
    void CreateSlipsTab();
    void CreateSalesTab();
    void CreatePasswordTab();
    void DeclareRecordDataSets();
    void qryDepartinvoices();
    void qryReportSchs();
    void SavePassword(const std::string& password);

    // ---- fields
    std::string comk;
    int BaudRate = 9600;
    bool cominitsuc = false;
    TScannerReopen* scannerReopen_ = nullptr;  // unattended: a lost port is opened again
    int stopminute = 0;
    TSeatPlanChecked* SeatPlanC = nullptr;
    std::unique_ptr<TSeatPicHelp> checktickethelp;
    TKestPrint* billPrint = nullptr;          // made on the first print, owned by the form
    std::shared_ptr<TPrintValues> printValue;
    std::shared_ptr<TPrintRows> multiplelist;
    std::string originaldepartinvoicesno;
    std::int64_t vehiclereportidrep = 0;
    std::int64_t scheduleplanidrep = 0;
    std::string departstationrep, routenamerep, endstationrep, departtimerep, departdaterep, schedulecoderep;
    IPrintPlatform* printers_ = nullptr;
    std::unique_ptr<IPrintPlatform> ownPrinters_;
    int closeDelayAfterPrint_ = 5000;
    bool printedClosing_ = false;            // a slip was printed; the screen closes soon

    TCheckSignal* checkSignal_ = nullptr;   // the sound and colour of each check's result
    bool formShown_ = false;
    bool closing_ = false;
    bool checking_ = false;                 // a ticket check is running
    std::deque<QByteArray> pendingScans_;   // scans that came during a check, in order
};

// The check window of the newest login; nullptr before the first.
extern TFrmCheck* FrmCheck;

} // namespace kiosk
