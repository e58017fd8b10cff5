#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>

#include <limits>

#include "core/coreservices.h"
#include "core/sharedops.h"
#include "core/sysservice.h"
#include "support/recordingdialog.h"
#include "support/tempfolder.h"

using namespace kiosk;

TEST(SharedOps, weekDayNames)
{
    const char* expected[] = {"日", "日", "一", "二", "三", "四", "五", "六", "日"};
    for (int day = 0; day <= 8; ++day) EXPECT_EQ(WeekDayName(day), expected[day]) << day;
}

TEST(SharedOps, padZeroLeftNeverCuts)
{
    EXPECT_EQ(PadZeroLeft("5", 3), "005");
    EXPECT_EQ(PadZeroLeft("1234", 3), "1234");
    EXPECT_EQ(PadZeroLeft("", 2), "00");
}

TEST(SharedOps, roundHalfAwayFromZero)
{
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    // Numbers beyond the 64-bit range end at its ends instead of an undefined conversion.
    const std::pair<double, std::int64_t> cases[] = {
        {2.5, 3},     {-2.5, -3},     {0.4, 0},       {-0.4, 0},      {949.99, 950},
        {0, 0},       {1e300, kMax},  {-1e300, kMin}, {9.3e18, kMax}, {-9223372036854775808.0, kMin},
        {std::numeric_limits<double>::infinity(), kMax}, {std::numeric_limits<double>::quiet_NaN(), 0}};
    for (auto [in, out] : cases) EXPECT_EQ(RoundHalfAway(in), out) << in;
}

TEST(SharedOps, datesWithDotsOrDashes)
{
    EXPECT_EQ(ParseDateTimeDotOrDash("2024.03.01")->DateText(), "2024-03-01");
    EXPECT_EQ(ParseDateTimeDotOrDash("2024-03-01 07:30:00")->DateTimeText(), "2024-03-01 07:30:00");
    EXPECT_FALSE(ParseDateTimeDotOrDash("2024.03-01"));
    EXPECT_FALSE(ParseDateTimeDotOrDash("01/03/2024"));
}

TEST(SharedOps, clockTextOnAMonday)
{
    EXPECT_EQ(ClockText(DateTime::FromParts(2015, 3, 9, 8, 5, 9)), "2015.03.09 星期一 08:05:09");
}

TEST(SharedOps, clockAndHostAreInjectable)
{
    DateTime seen;
    SetClockSetter([&](const DateTime& d) { seen = d; return true; });
    EXPECT_TRUE(SetSystemClock(DateTime::FromParts(2026, 12, 11, 7, 0, 0)));
    EXPECT_EQ(seen.DateTimeText(), "2026-12-11 07:00:00");
    SetClockSetter({});
    SetHostLookup([] { return LocalHost{"PC01", "10.0.0.5"}; });
    EXPECT_EQ(FindLocalHost().address, "10.0.0.5");
    SetHostLookup({});
    EXPECT_FALSE(FindLocalHost().name.empty());
}

struct HostAddressCase {
    const char* name;
    HostAddresses addresses;
    const char* chosen;
};

TEST(SharedOps, kioskAddressIsTheOneTheStationsNetworkSees)
{
    const HostAddressCase cases[] = {
        {"nameGivesTheLan", {{"10.0.0.5"}, "192.168.1.9", {"127.0.0.1", "192.168.1.9"}}, "10.0.0.5"},
        {"firstNonLoopbackOfTheName", {{"127.0.1.1", "10.0.0.5"}, "", {}}, "10.0.0.5"},
        {"debianNameThenDefaultRoute", {{"127.0.1.1"}, "192.168.1.9", {"127.0.0.1", "172.17.0.1", "192.168.1.9"}},
         "192.168.1.9"},
        {"noDefaultRouteFirstInterface", {{"127.0.0.1"}, "", {"127.0.0.1", "172.17.0.1", "192.168.1.9"}}, "172.17.0.1"},
        {"nameDoesNotResolve", {{}, "192.168.1.9", {"127.0.0.1", "192.168.1.9"}}, "192.168.1.9"},
        {"onlyLoopbackKeepsTheNames", {{"127.0.1.1"}, "", {"127.0.0.1"}}, "127.0.1.1"},
        {"onlyTheLoopbackInterface", {{}, "", {"127.0.0.1"}}, "127.0.0.1"},
        {"nothingAtAll", {{}, "", {}}, ""},
    };
    for (const HostAddressCase& c : cases) EXPECT_EQ(ChooseHostAddress(c.addresses), c.chosen) << c.name;
}

// The real lookup of this machine: wherever it has an interface besides loopback, the kiosk
// does not report a loopback address.
TEST(SharedOps, realLookupReportsNoLoopbackWhereTheMachineHasMore)
{
    SetHostLookup({});
    const LocalHost host = FindLocalHost();
    ASSERT_FALSE(host.name.empty());
    ifaddrs* list = nullptr;
    ASSERT_EQ(getifaddrs(&list), 0);
    bool other = false;
    for (const ifaddrs* i = list; i; i = i->ifa_next)
        if ((i->ifa_flags & IFF_UP) && i->ifa_addr && i->ifa_addr->sa_family == AF_INET &&
            !(i->ifa_flags & IFF_LOOPBACK))
            other = true;
    freeifaddrs(list);
    if (!other) GTEST_SKIP() << "this machine has no IPv4 interface besides loopback";
    EXPECT_FALSE(host.address.empty());
    EXPECT_FALSE(IsLoopbackAddress(host.address)) << host.address;
}

class BillNumbers : public testing::Test {
protected:
    void SetUp() override
    {
        FreeSysService();
        FreeFactoryManager();
        RegisterCoreServices(dir.str());
        dialogs = test::RegisterRecordingDialog();
        user.curBillNo["BalanceBill"] = "000123";
        user.curBillNum["BalanceBill"] = 10;
    }
    void TearDown() override
    {
        FreeSysService();
        FreeFactoryManager();
    }
    test::TempFolder dir;
    std::shared_ptr<test::TRecordingDialog::Script> dialogs;
    TLoginUserInfo user;
};

TEST_F(BillNumbers, takingBillsAdvancesTheNumberAndTheCount)
{
    EXPECT_TRUE(user.increaseBillNo("BalanceBill", 3));
    EXPECT_EQ(user.curBillNo["BalanceBill"], "000126");
    EXPECT_EQ(user.curBillNum["BalanceBill"], 7);
    EXPECT_TRUE(user.increaseBillNo("BalanceBill", 7));
    EXPECT_EQ(user.curBillNo["BalanceBill"], "");
    EXPECT_EQ(user.curBillNum["BalanceBill"], 0);
    EXPECT_TRUE(dialogs->calls.empty());
}

TEST_F(BillNumbers, refusalsLeaveEverythingAsItWas)
{
    EXPECT_FALSE(user.increaseBillNo("BalanceBill", 11));
    EXPECT_FALSE(user.increaseBillNo("Ticket", 1));
    EXPECT_EQ(user.curBillNo["BalanceBill"], "000123");
    EXPECT_EQ(user.curBillNum["BalanceBill"], 10);
    ASSERT_EQ(dialogs->calls.size(), 2u);
    EXPECT_EQ(dialogs->calls[0].text, "剩余票张数不足！");
    EXPECT_EQ(dialogs->calls[1].text, "Ticket类型票据没有初始化！");
}

TEST_F(BillNumbers, moreDigitsAreKept)
{
    user.curBillNo["BalanceBill"] = "99";
    EXPECT_TRUE(user.increaseBillNo("BalanceBill", 1));
    EXPECT_EQ(user.curBillNo["BalanceBill"], "100");
}
