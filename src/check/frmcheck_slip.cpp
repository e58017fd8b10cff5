// The settlement slip of the check screen: the bill number, the issue of the slip by the
// server, its print data and its printing through the template engine; the supplementary
// slip of a schedule that has departed; the reprint of a slip chosen in the slip list.
#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "check/frmcheck.h"
#include "check/frmcheck_p.h"
#include "check/frmdialogs.h"
#include "core/dmpublic.h"
#include "print/qt/qtprintplatform.h"
#include "platform/exception.h"
#include "platform/textutil.h"
#include "widgets/screentext.h"

namespace kiosk {

using namespace checkscreen;

namespace {

constexpr const char* kBalanceBill = "BalanceBill";

// An amount worked out here, as the shortest decimal text of up to 15 significant digits.
std::string AmountText(double value)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.15g", value == 0 ? 0.0 : value);
    return text;
}

// The user's next slip number ("" before one is handed out).
std::string BalanceBillNo()
{
    const auto& numbers = User().curBillNo;
    const auto found = numbers.find(kBalanceBill);
    return found == numbers.end() ? std::string() : found->second;
}

double Number(const TDataSet& ds, const char* field) { return ds.FieldByName(field).AsFloat(); }
std::string Text(const TDataSet& ds, const char* field) { return ds.FieldByName(field).AsString(); }

// Passenger counts and distances of the slip's details are the server's numbers: their sums and
// products are refused when they leave the 64-bit range instead of printing a wrapped number.
[[noreturn]] void CountsOutOfRange() { throw Exception("结算单明细的人数或里程超出范围"); }
std::int64_t AddCounts(std::int64_t a, std::int64_t b)
{
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) CountsOutOfRange();
    return sum;
}
std::int64_t MultiplyCounts(std::int64_t a, std::int64_t b)
{
    std::int64_t product = 0;
    if (__builtin_mul_overflow(a, b, &product)) CountsOutOfRange();
    return product;
}

} // namespace

// The schedule a slip is for: the current plan, or the slip chosen in the slip list.
struct TFrmCheck::TSlipSchedule {
    std::string planId;
    std::string reportId;
    std::string code;
    std::string departdate;
    std::string departtime;
    std::string departstation;
    std::string endstation;
    std::string routename;
};

void TFrmCheck::DeclareSlipDataSets()
{
    TjsonConnection* jcon = &DMPublic()->jcon;
    for (TjsonClientDataSet* ds : {&jcdscurbillinuse, &jcdsDepartinvoice, &jcdsResultSave, &jscdQryDeductfees, &jcdsQryDetail})
        ds->SetRemoteServer(jcon);

    jcdscurbillinuse.SetSaveAddress("bill/initBillNo");
    jcdscurbillinuse.SetDataSourceName("dataSet");
    AddParam(jcdscurbillinuse, ftString, "billtypecode", ptInput);
    AddParam(jcdscurbillinuse, ftString, "billinuse.nextno", ptInput);
    AddParam(jcdscurbillinuse, ftInteger, "flag", ptOutput);
    AddParam(jcdscurbillinuse, ftString, "msg", ptOutput, 1000);
    AddParam(jcdscurbillinuse, ftLargeint, "curbillno", ptOutput);
    AddParam(jcdscurbillinuse, ftLargeint, "curbillnum", ptOutput);
    AddParam(jcdscurbillinuse, ftInteger, "billlength", ptOutput);

    jcdsDepartinvoice.SetQueryAddress("checkticket/selfVehicleDepartinvoice");
    jcdsDepartinvoice.SetDataSourceName("invoiceslist");
    for (const char* name : {"departstationid", "scheduleplanid", "departinvoicesno", "vehiclereportid", "iscomputeno",
                             "departdate", "isreprint", "isprintbynewticketno", "ip", "originaldepartinvoicesno"})
        AddParam(jcdsDepartinvoice, ftString, name, ptInput);
    AddParam(jcdsDepartinvoice, ftString, "msg", ptOutput, 1000);
    AddParam(jcdsDepartinvoice, ftBCD, "flag", ptOutput);
    AddParam(jcdsDepartinvoice, ftString, "msg1", ptOutput, 1000);

    jcdsResultSave.SetQueryAddress("checkticket/qryprintinvoices");
    jcdsResultSave.SetDataSourceName("departinvoicesMap");
    for (const char* name : {"ip", "departstationid", "scheduleplanid", "departinvoicesno", "vehiclereportid"})
        AddParam(jcdsResultSave, ftString, name, ptInput);
    AddParam(jcdsResultSave, ftBCD, "flag", ptOutput);
    AddParam(jcdsResultSave, ftString, "msg", ptOutput, 1000);

    jscdQryDeductfees.SetQueryAddress("checkticket/qryDeductfees");
    jscdQryDeductfees.SetDataSourceName("invoicesdetaillist");
    AddParam(jscdQryDeductfees, ftString, "departinvoicesid", ptInput);
    jcdsQryDetail.SetQueryAddress("checkticket/qryInvoicesDetailPrintInfo");
    jcdsQryDetail.SetDataSourceName("invoicesdetaillist");
    AddParam(jcdsQryDetail, ftString, "departinvoicesid", ptInput);
}

// ---------------------------------------------------------------- bill numbers

bool TFrmCheck::initBillNo(const std::string& billtypecode)
{
    jcdscurbillinuse.Close();
    jcdscurbillinuse.ParamByName("billtypecode").SetAsString(billtypecode);
    jcdscurbillinuse.ParamByName("billinuse.nextno").SetAsString("-1");
    jcdscurbillinuse.Execute();
    const TParam& number = jcdscurbillinuse.ParamByName("curbillno");
    const bool accepted = jcdscurbillinuse.ParamByName("flag").AsInteger() == 1 ||
                          (!number.IsNull() && number.AsLargeInt() > 0);
    if (!accepted) {
        lbl2->setText(ScreenText(jcdscurbillinuse.ParamByName("msg").AsString()));
        return false;
    }
    auto user = GetSysInfo()->LoginUserInfo();
    user->curBillNo[billtypecode] =
        leftAddZero(std::to_string(number.AsLargeInt()), jcdscurbillinuse.ParamByName("billlength").AsInteger());
    user->curBillNum[billtypecode] = jcdscurbillinuse.ParamByName("curbillnum").AsLargeInt();
    return true;
}

void TFrmCheck::WarnAboutBills(const std::string& code)
{
    const TLoginUserInfo& user = User();
    const std::int64_t left = user.curBillNum.at(code);
    if (left != 0 && user.curBillNo.at(code).empty())
        GetDialog()->ShowWarning("您当前领用的单据未重置，请管理员重置单据号之后重新打开本模块！");
    if (left == 0) GetDialog()->ShowWarning("您当前的单据已用完，请重新领取单票！");
}

bool TFrmCheck::checkBalanceBill()
{
    const TLoginUserInfo& user = User();
    const bool known = user.curBillNo.count(kBalanceBill) > 0 && user.curBillNum.count(kBalanceBill) > 0;
    if (!known && !initBillNo(kBalanceBill)) return false;
    WarnAboutBills(kBalanceBill);
    return true;
}

void TFrmCheck::AdvanceBillNo(const std::string& code)
{
    auto user = GetSysInfo()->LoginUserInfo();
    std::string& number = user->curBillNo[code];
    std::int64_t value = 0;
    // A number that is not one (never handed out) cannot advance; the server numbers the slip.
    if (TryStrToInt64(number, value)) number = leftAddZero(std::to_string(value + 1), static_cast<int>(number.size()));
    user->curBillNum[code] -= 1;
}

// ---------------------------------------------------------------- the print button

bool TFrmCheck::HasCheckedUnprintedTicket()
{
    if (jscdQryCheckeds.IsEmpty()) return false;
    const ControlsDisabled quiet(jscdQryCheckeds);
    bool found = false;
    for (jscdQryCheckeds.First(); !jscdQryCheckeds.Eof() && !found; jscdQryCheckeds.Next())
        found = Text(jscdQryCheckeds, "printstatus") == "未打单" && Text(jscdQryCheckeds, "dticketstatus") == "已检票";
    return found;
}

void TFrmCheck::BitBtn1Click()
{
    stopminute = 0;
    ReportingErrors([this] {
        if (printedClosing_ || !checkBalanceBill()) return;
        TFrmDialogs confirm(this);
        if (!jscdQryCheckeds.Active()) return;
        if (!HasCheckedUnprintedTicket()) {
            lbl2->setText("该班次无已检票,不能打印!");
            return;
        }
        if (confirm.exec() != QDialog::Accepted) {
            KestEdtTicketNO->setFocus();
            return;
        }
        if (jscdQrySchVehicle.Active() && !jscdQrySchVehicle.IsEmpty() &&
            jscdQrySchVehicle.FieldByName("isdeparted").AsBoolean())
            printSupplement();
        else
            printInvoice(BalanceBillNo(), false);
        refreshCheckInfo();
        CloseAfterPrint();
    });
}

void TFrmCheck::CloseAfterPrint()
{
    // The driver reads the result for a while; the screen takes no input meanwhile.
    printedClosing_ = true;
    TabSheet1->setEnabled(false);
    QTimer::singleShot(closeDelayAfterPrint_, this, [this] {
        if (isVisible() && (QApplication::activeWindow() == this || !QApplication::activeWindow())) close();
    });
}

// ---------------------------------------------------------------- issue and print

TKestPrint& TFrmCheck::SlipPrinter()
{
    const std::string name = TKestPrint::GetTicketModelName(GetSysInfo()->AppPath(), "结算单", "默认结算单");
    if (!billPrint) {
        if (!printers_) {
            ownPrinters_ = std::make_unique<TQtPrintPlatform>(GetSysInfo()->AppPath());
            printers_ = ownPrinters_.get();
        }
        billPrint = new TKestPrint(this, name, DMPublic()->jcon, *printers_);
        printValue = std::make_shared<TPrintValues>();
        multiplelist = std::make_shared<TPrintRows>();
    }
    return *billPrint;
}

void TFrmCheck::printInvoice(const std::string& departinvoicesno, bool isreprint)
{
    stopminute = 0;
    TSlipSchedule schedule;
    if (isreprint) {
        schedule = {std::to_string(scheduleplanidrep), std::to_string(vehiclereportidrep), schedulecoderep, departdaterep,
                    departtimerep, departstationrep, endstationrep, routenamerep};
    } else {
        if (!jscdQrySchVehicle.Active() || jscdQrySchVehicle.IsEmpty()) return;
        const TDataSet& plan = jscdQrySchVehicle;
        schedule = {Text(plan, "id"), Text(plan, "vehiclereportid"), Text(plan, "code"), Text(plan, "departdate"),
                    Text(plan, "departtime"), Text(plan, "departstation"), Text(plan, "endstation"), Text(plan, "routename")};
    }
    SlipPrinter();
    try {
        jcdsDepartinvoice.Close();
        jcdsDepartinvoice.ParamByName("departstationid").SetAsString(std::to_string(User().StationID));
        jcdsDepartinvoice.ParamByName("scheduleplanid").SetAsString(schedule.planId);
        jcdsDepartinvoice.ParamByName("departinvoicesno").SetAsString(departinvoicesno);
        jcdsDepartinvoice.ParamByName("vehiclereportid").SetAsString(schedule.reportId);
        jcdsDepartinvoice.ParamByName("ip").SetAsString(GetSysInfo()->LocalHostAddress());
        jcdsDepartinvoice.ParamByName("isreprint").SetAsBoolean(isreprint);
        jcdsDepartinvoice.ParamByName("iscomputeno").SetAsBoolean(true);
        jcdsDepartinvoice.ParamByName("departdate").SetAsString(DepartDate().DateText());
        jcdsDepartinvoice.ParamByName("isprintbynewticketno").SetAsBoolean(!isreprint);
        jcdsDepartinvoice.ParamByName("originaldepartinvoicesno").SetAsString(originaldepartinvoicesno);
        jcdsDepartinvoice.Open();
        const std::string msg = jcdsDepartinvoice.ParamByName("msg").AsString();
        if (jcdsDepartinvoice.ParamByName("flag").AsInteger() != 1) {
            if (!isreprint) {
                lbl2->setText(ScreenText(msg));
                GetDialog()->ShowWarning("打印失败：" + msg);
                return;
            }
            GetDialog()->ShowMessage(msg);
        } else {
            PrintSlips(jcdsDepartinvoice, schedule, isreprint ? TSlipKind::Reprint : TSlipKind::Issue);
            lbl2->setText(ScreenText(msg));
            refreshCheckInfo();
        }
        if (KestEdtTicketNO->isEnabled() && KestEdtTicketNO->isVisible()) KestEdtTicketNO->setFocus();
    } catch (const std::exception& e) {
        WriteLogLine("发班操作失败：", e);
    }
}

void TFrmCheck::printSupplement()
{
    if (!jscdQrySchVehicle.Active() || jscdQrySchVehicle.IsEmpty()) return;
    const TDataSet& plan = jscdQrySchVehicle;
    // The schedule code is the one the check tab shows.
    const TSlipSchedule schedule{Text(plan, "id"),          Text(plan, "vehiclereportid"), KestEdtSch->Text(),
                                 Text(plan, "departdate"),  Text(plan, "departtime"),      Text(plan, "departstation"),
                                 Text(plan, "endstation"),  Text(plan, "routename")};
    SlipPrinter();
    try {
        jcdsResultSave.Close();
        jcdsResultSave.ParamByName("departstationid").SetAsString(std::to_string(User().StationID));
        jcdsResultSave.ParamByName("scheduleplanid").SetAsString(schedule.planId);
        jcdsResultSave.ParamByName("ip").SetAsString(GetSysInfo()->LocalHostAddress());
        jcdsResultSave.ParamByName("departinvoicesno").SetAsString(BalanceBillNo());
        jcdsResultSave.ParamByName("vehiclereportid").SetAsString(schedule.reportId);
        jcdsResultSave.Open();
        if (jcdsResultSave.ParamByName("flag").AsInteger() == 1)
            PrintSlips(jcdsResultSave, schedule, TSlipKind::Supplement);
        else
            GetDialog()->ShowWarning(jcdsResultSave.ParamByName("msg").AsString());
    } catch (const std::exception& e) {
        WriteLogLine("补开操作失败：", e);
    }
}

void TFrmCheck::PrintSlips(TjsonClientDataSet& slips, const TSlipSchedule& schedule, TSlipKind kind)
{
    for (slips.First(); !slips.Eof(); slips.Next()) {
        FillPrintValues(slips, schedule, kind);
        billPrint->SingleValue = printValue;
        billPrint->MultipleValue = multiplelist;
        billPrint->Print();
        if (kind != TSlipKind::Reprint) AdvanceBillNo(kBalanceBill);
    }
}

void TFrmCheck::FillPrintValues(const TjsonClientDataSet& slip, const TSlipSchedule& schedule, TSlipKind kind)
{
    TPrintValues& v = *printValue;
    v.clear();
    multiplelist->clear();
    auto put = [&v](const std::string& key, const std::string& value) { v.emplace(key, value); };
    put("vehicleno", Text(slip, "vehicleno"));
    put("seats", Text(slip, "seatnum"));
    put("brandmodel", Text(slip, "brandname"));
    put("vehicletype", Text(slip, "vehicletype"));
    put("route", schedule.routename);
    put("routedistance", Text(slip, "distance"));
    put("schedulecode", schedule.code);
    put("departdate", schedule.departdate);
    put("departtime", schedule.departtime);
    put("departstation", schedule.departstation);
    put("checkedname", Text(slip, "checkedname"));
    put("endstation", schedule.endstation);
    for (const char* field : {"freetickets", "armtickets", "invoicesno", "unit", "ticketnum", "driver1", "driver2",
                              "driver3", "driver4", "steward", "remarks"})
        put(field, Text(slip, field));
    put("ticketoutlet", Text(slip, "ticketoutname"));
    put("ticketoutletshort", Text(slip, "ticketoutshort"));
    put("balanceunit", Text(slip, "balanceunit"));
    put("unitfullname", Text(slip, "fullname"));

    const std::string slipId = Text(slip, "id");
    jscdQryDeductfees.Close();
    jscdQryDeductfees.ParamByName("departinvoicesid").SetAsString(slipId);
    jscdQryDeductfees.Open();
    for (jscdQryDeductfees.First(); !jscdQryDeductfees.Eof(); jscdQryDeductfees.Next())
        put(Text(jscdQryDeductfees, "code"), Text(jscdQryDeductfees, "deductmoney"));

    const double total = Number(slip, "totalamount"), agent = Number(slip, "agentfee");
    const double balance = Number(slip, "balanceamount"), station = Number(slip, "stationfee");
    const double tickets = Number(slip, "ticketnum");
    put("stationfee", Text(slip, "stationfee"));
    put("noagentbalanceprice", AmountText(agent + balance));
    put("totalfee", AmountText(total - agent - balance));
    put("nostationbalanceprice", AmountText(tickets < 1 ? 0.0 : (total - station) / tickets));
    put("nostationtotalbalanceprice", AmountText(total - station));
    put("reprint", kind == TSlipKind::Reprint ? "重打" : kind == TSlipKind::Supplement ? "补打" : "");
    for (const char* field : {"agentfee", "fueladditionfee", "otherfee", "totalamount", "balanceamount"})
        put(field, Text(slip, field));
    put("isovertime", slip.FieldByName("isovertime").AsBoolean() ? "加班" : "");
    put("printby", User().UserName);
    put("printstation", User().OrgName);
    put("printertime", DateTime::Now().Format("yyyy-mm-dd hh:nn"));

    jcdsQryDetail.Close();
    jcdsQryDetail.ParamByName("departinvoicesid").SetAsString(slipId);
    jcdsQryDetail.Open();
    std::int64_t fulls = 0, halfs = 0, discounts = 0, totalDistance = 0;
    for (jcdsQryDetail.First(); !jcdsQryDetail.Eof(); jcdsQryDetail.Next()) {
        const TDataSet& d = jcdsQryDetail;
        const std::int64_t full = d.FieldByName("fullpeople").AsLargeInt(), half = d.FieldByName("halfpeople").AsLargeInt();
        const std::int64_t discount = d.FieldByName("discountpeople").AsLargeInt();
        const std::int64_t people = AddCounts(AddCounts(full, half), kind == TSlipKind::Supplement ? 0 : discount);
        const std::int64_t psdistance = MultiplyCounts(people, d.FieldByName("distance").AsLargeInt());
        fulls = AddCounts(fulls, full);
        halfs = AddCounts(halfs, half);
        discounts = AddCounts(discounts, discount);
        totalDistance = AddCounts(totalDistance, psdistance);
        multiplelist->push_back({{"fromstation", Text(d, "fromstation")},
                                 {"reachstation", Text(d, "reachstation")},
                                 {"fullpeople", Text(d, "fullpeople")},
                                 {"price", Text(d, "price")},
                                 {"halfpeople", Text(d, "halfpeople")},
                                 {"studentpeople", "0"},
                                 {"discountpeople", Text(d, "discountpeople")},
                                 {"distance", Text(d, "distance")},
                                 {"psdistance", std::to_string(psdistance)},
                                 {"totalamount", Text(d, "totalamount")},
                                 {"balanceprice", Text(d, "balanceprice")},
                                 {"balanceamount", Text(d, "balanceamount")},
                                 {"noservicestationfee", Text(d, "noservicestationfee")},
                                 {"noagentbalanceamount", Text(d, "noagentbalanceamount")}});
    }
    put("fulls", std::to_string(fulls));
    put("halfs", std::to_string(halfs));
    put("students", "0");
    put("discounts", kind == TSlipKind::Supplement ? "0" : std::to_string(discounts));
    put("totalpsdistance", std::to_string(totalDistance));
}

// ---------------------------------------------------------------- from the slip list

void TFrmCheck::repickprintClick()
{
    stopminute = 0;
    ReportingErrors([this] {
        if (checkBalanceBill()) printInvoice(BalanceBillNo(), true);
    });
}

void TFrmCheck::BitBtn5Click()
{
    stopminute = 0;
    ReportingErrors([this] {
        if (!jscdqryDepartinvoicesByorg.Active() || jscdqryDepartinvoicesByorg.IsEmpty() || !checkBalanceBill()) return;
        TFrmDialogs confirm(this);
        confirm.Label1->setText("确认要进行补打操作？");
        if (confirm.exec() != QDialog::Accepted || !jscdQryCheckeds.Active()) return;
        bool unprinted = false;
        for (jscdQryCheckeds.First(); !jscdQryCheckeds.Eof() && !unprinted; jscdQryCheckeds.Next())
            unprinted = Text(jscdQryCheckeds, "printstatus") == "未打单";
        if (unprinted && jscdQrySchVehicle.Active() && !jscdQrySchVehicle.IsEmpty() &&
            jscdQrySchVehicle.FieldByName("isdeparted").AsBoolean()) {
            printSupplement();
            refreshCheckInfo();
        }
    });
}

} // namespace kiosk
