// The settlement slip of the check screen: bill numbers, the print data worked out from the
// slip, the printed PDF, the refusals, and the supplementary slip of a departed schedule.
#include <nlohmann/json.hpp>

#include <QApplication>
#include <QTimer>

#include "check/frmdialogs.h"
#include "checkfixture.h"
#include "faultproxy.h"
#include "print/qt/qtprintplatform.h"
#include "support/pdftext.h"

namespace kiosk {
namespace {

using test::CheckScreen;
using test::kBusK0830;
using test::kDepartedBus;
using Json = nlohmann::ordered_json;


// An answer of the server: flag, msg and one table with its column types.
std::string Answer(int flag, const std::string& msg, const std::string& list, const Json& rows, const Json& types)
{
    Json answer = {{"flag", flag}, {"msg", msg}};
    answer[list] = rows;
    answer[list + "_type"] = types;
    answer[list + "_typelength"] = Json::object();
    return answer.dump();
}

// A slip of 20 tickets: total 1000, agent fee 50, balance 900, station fee 100.
std::string SlipAnswer(int ticketnum)
{
    Json slip = {{"id", 88001}, {"vehicleno", "粤A12345"}, {"seatnum", 45}, {"brandname", "宇通ZK6122H"},
                 {"vehicletype", "大型高一级"}, {"distance", 220}, {"checkedname", "自助检票"}, {"freetickets", 1},
                 {"armtickets", 0}, {"invoicesno", "00030002"}, {"unit", "粤运公司"}, {"ticketnum", ticketnum},
                 {"driver1", "张建国"}, {"driver2", ""}, {"driver3", ""}, {"driver4", ""}, {"steward", "陈丽"},
                 {"remarks", ""}, {"ticketoutname", "自助终端"}, {"ticketoutshort", "自助"}, {"balanceunit", "粤运公司"},
                 {"fullname", "广东粤运汽车运输有限公司"}, {"stationfee", 100}, {"totalamount", 1000}, {"agentfee", 50},
                 {"balanceamount", 900}, {"fueladditionfee", 0}, {"otherfee", 0}, {"isovertime", false}};
    Json types = Json::object();
    for (const auto& [key, value] : slip.items())
        types[key] = value.is_string() ? "String" : value.is_boolean() ? "Boolean" : "BigDecimal";
    Json answer = Json::parse(Answer(1, "发班成功", "invoiceslist", Json::array({slip}), types));
    answer["msg1"] = "";
    return answer.dump();
}

std::string DeductionsAnswer()
{
    return Answer(1, "", "invoicesdetaillist",
                  Json::array({{{"code", "zwf"}, {"deductmoney", 100}}, {{"code", "dlf"}, {"deductmoney", 20}}}),
                  {{"code", "String"}, {"deductmoney", "BigDecimal"}});
}

// Two destinations: 3 full and 1 half passenger over 120 km, 2 full and 1 discount over 80 km.
std::string DetailsAnswer()
{
    auto row = [](const char* reach, int full, int half, int discount, int distance) {
        return Json{{"fromstation", "广州"}, {"reachstation", reach}, {"fullpeople", full}, {"halfpeople", half},
                    {"discountpeople", discount}, {"price", 60}, {"distance", distance}, {"totalamount", 500},
                    {"noservicestationfee", 450}, {"balanceprice", 54}, {"balanceamount", 450},
                    {"noagentbalanceamount", 475}};
    };
    const Json sample = row("", 0, 0, 0, 0);
    Json types = Json::object();
    for (const auto& [key, value] : sample.items()) types[key] = value.is_string() ? "String" : "Integer";
    return Answer(1, "", "invoicesdetaillist", Json::array({row("韶关", 3, 1, 0, 120), row("英德", 2, 0, 1, 80)}), types);
}

class SlipPrint : public CheckScreen {
protected:
    void SetUp() override
    {
        CheckScreen::SetUp();
        printers = std::make_unique<TQtPrintPlatform>(home.str(), TQtPrintPlatform::Mode::Pdf);
    }
    void TearDown() override
    {
        CheckScreen::TearDown();
        printers.reset();
    }

    TFrmCheck& OpenForPrint(std::int64_t vehicle)
    {
        Open(vehicle);
        form->SetPrintPlatform(printers.get());
        form->SetCloseDelayAfterPrint(50);
        return *form;
    }

    // Presses "打印" and answers its confirmation box.
    void Print(bool confirm = true)
    {
        confirmShown = false;
        // Bound to the form: a box that never came must not leave the answer to a later test.
        QTimer::singleShot(0, form.get(), [this, confirm] {
            if (auto* box = qobject_cast<TFrmDialogs*>(QApplication::activeModalWidget())) {
                confirmShown = true;
                (confirm ? box->BitBtn1 : box->BitBtn2)->click();
            }
        });
        form->BitBtn1->click();
    }

    std::string Value(const std::string& key) const
    {
        const auto* values = form->PrintedValues();
        if (!values || !values->count(key)) return "<none>";
        return values->at(key);
    }

    std::vector<std::filesystem::path> Pdfs() const
    {
        std::vector<std::filesystem::path> files;
        if (std::filesystem::exists(home / "prints"))
            for (const auto& f : std::filesystem::directory_iterator(home / "prints")) files.push_back(f.path());
        return files;
    }

    TLoginUserInfo& User() { return *GetSysInfo()->LoginUserInfo(); }

    std::unique_ptr<TQtPrintPlatform> printers;
    bool confirmShown = false;
};

TEST_F(SlipPrint, PrintsTheSlipOfTheCheckedTicketsToPdfAndCloses)
{
    OpenForPrint(kBusK0830);
    Type("11011");
    Print();
    EXPECT_TRUE(confirmShown);
    const auto pdfs = Pdfs();
    ASSERT_EQ(pdfs.size(), 1u);
    const std::string text = test::PdfText(pdfs[0].string());
    EXPECT_NE(text.find("粤A12345"), std::string::npos) << text;
    EXPECT_NE(text.find("K0830"), std::string::npos) << text;
    EXPECT_NE(text.find("伍佰叁拾壹元柒"), std::string::npos) << text;  // the balance in capitals
    // The stock's next number was 00030002; one slip used it.
    EXPECT_EQ(User().curBillNo["BalanceBill"], "00030003");
    EXPECT_EQ(User().curBillNum["BalanceBill"], 98);
    EXPECT_EQ(Value("schedulecode"), "K0830");
    EXPECT_EQ(Value("reprint"), "");
    EXPECT_EQ(Value("printby"), "kiosk01");
    // The tickets are printed now, and the screen closes after its pause.
    ASSERT_TRUE(form->jscdQryCheckeds.Locate("ticketno", kiosk::Value("0000011011")));
    EXPECT_EQ(form->jscdQryCheckeds.FieldByName("printstatus").AsString(), "已打单");
    QTRY_VERIFY_WITH_TIMEOUT(!form->isVisible(), 3000);
}

TEST_F(SlipPrint, CancellingTheConfirmationIssuesNothing)
{
    OpenForPrint(kBusK0830);
    Print(false);
    EXPECT_TRUE(confirmShown);
    EXPECT_TRUE(Pdfs().empty());
    EXPECT_EQ(test::Count(station.Log(), "selfVehicleDepartinvoice"), 0);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(SlipPrint, WithoutACheckedUnprintedTicketNothingIsPrinted)
{
    OpenForPrint(kDepartedBus);
    Print();
    EXPECT_FALSE(confirmShown);
    EXPECT_EQ(form->lbl2->text(), "该班次无已检票,不能打印!");
    EXPECT_TRUE(Pdfs().empty());
}

TEST_F(SlipPrint, ADepartedScheduleGetsASupplementarySlipOfItsLateChecks)
{
    OpenForPrint(kDepartedBus);
    Type("14021");
    EXPECT_TRUE(form->lbl2->text().startsWith("补检成功！"));
    Print();
    ASSERT_EQ(Pdfs().size(), 1u);
    EXPECT_EQ(Value("reprint"), "补打");
    EXPECT_EQ(Value("discounts"), "0");
    EXPECT_EQ(test::Count(station.Log(), "qryprintinvoices"), 1);
    EXPECT_EQ(test::Count(station.Log(), "selfVehicleDepartinvoice"), 0);
}

TEST_F(SlipPrint, WorksOutTheAmountsAndPassengerDistancesOfTheSlip)
{
    test::FaultProxy proxy(station.Port());
    proxy.Answer("checkticket/selfVehicleDepartinvoice", SlipAnswer(20));
    proxy.Answer("checkticket/qryDeductfees", DeductionsAnswer());
    proxy.Answer("checkticket/qryInvoicesDetailPrintInfo", DetailsAnswer());
    // The station hands out number 57 with flag 0: taken all the same.
    proxy.Answer("bill/initBillNo", R"({"flag":0,"msg":"","curbillno":57,"curbillnum":10,"billlength":8})");
    SetServer(proxy.URLHost());
    OpenForPrint(kBusK0830);
    Print();

    const std::pair<const char*, const char*> expected[] = {
        {"noagentbalanceprice", "950"}, {"totalfee", "50"},   {"nostationbalanceprice", "45"},
        {"nostationtotalbalanceprice", "900"}, {"zwf", "100"}, {"dlf", "20"},
        {"fulls", "5"}, {"halfs", "1"}, {"discounts", "1"}, {"students", "0"}, {"totalpsdistance", "720"},
        {"isovertime", ""}, {"unitfullname", "广东粤运汽车运输有限公司"}, {"route", "广州-韶关"},
    };
    for (const auto& [key, value] : expected) EXPECT_EQ(Value(key), value) << key;
    ASSERT_EQ(form->PrintedRows()->size(), 2u);
    EXPECT_EQ(form->PrintedRows()->at(0).at("psdistance"), "480");
    EXPECT_EQ(form->PrintedRows()->at(1).at("psdistance"), "240");
    EXPECT_EQ(form->PrintedRows()->at(1).at("studentpeople"), "0");
    EXPECT_EQ(User().curBillNo["BalanceBill"], "00000058");
    EXPECT_EQ(User().curBillNum["BalanceBill"], 9);
}

TEST_F(SlipPrint, BillNumbersAdvanceOncePerPrintedSlipAndNeverShorten)
{
    struct Case {
        const char* number;
        std::int64_t left;
        const char* next;
        std::int64_t leftAfter;
    };
    const Case cases[] = {{"00123", 5, "00124", 4}, {"99", 3, "100", 2}};
    test::FaultProxy proxy(station.Port());
    proxy.Answer("checkticket/selfVehicleDepartinvoice", SlipAnswer(0));
    proxy.Answer("checkticket/qryDeductfees", DeductionsAnswer());
    proxy.Answer("checkticket/qryInvoicesDetailPrintInfo", DetailsAnswer());
    SetServer(proxy.URLHost());
    for (const Case& c : cases) {
        User().curBillNo["BalanceBill"] = c.number;
        User().curBillNum["BalanceBill"] = c.left;
        OpenForPrint(kBusK0830);
        Print();
        EXPECT_EQ(User().curBillNo["BalanceBill"], c.next) << c.number;
        EXPECT_EQ(User().curBillNum["BalanceBill"], c.leftAfter) << c.number;
        EXPECT_EQ(Value("nostationbalanceprice"), "0");  // no tickets: no price per ticket
    }
    EXPECT_EQ(test::Count(station.Log(), "initBillNo"), 0);
}

TEST_F(SlipPrint, ARefusedIssueWarnsWithTheServersTextAndPrintsNothing)
{
    test::FaultProxy proxy(station.Port());
    // A refusal keeps the (empty) table.
    proxy.Answer("checkticket/selfVehicleDepartinvoice",
                 R"({"flag":0,"msg":"结算单号不连续","msg1":"","invoiceslist":[],"invoiceslist_type":{"id":"Long"},"invoiceslist_typelength":{}})");
    SetServer(proxy.URLHost());
    OpenForPrint(kBusK0830);
    Print();
    ASSERT_FALSE(dialogs->calls.empty());
    EXPECT_EQ(dialogs->calls.back().op, "ShowWarning");
    EXPECT_EQ(dialogs->calls.back().text, "打印失败：结算单号不连续");
    EXPECT_TRUE(Pdfs().empty());
    EXPECT_EQ(User().curBillNo["BalanceBill"], "00030002");
}

TEST_F(SlipPrint, UsedUpBillsWarnButTheIssueIsStillAsked)
{
    User().curBillNo["BalanceBill"] = "";
    User().curBillNum["BalanceBill"] = 0;
    OpenForPrint(kBusK0830);
    Print();
    ASSERT_FALSE(dialogs->calls.empty());
    EXPECT_EQ(dialogs->calls[0].text, "您当前的单据已用完，请重新领取单票！");
    EXPECT_EQ(test::Count(station.Log(), "selfVehicleDepartinvoice"), 1);
}

} // namespace
} // namespace kiosk
