// The process-wide picture caches and the brand-model plan loaded from a station server on
// 127.0.0.1.
#include <gtest/gtest.h>

#include <QApplication>

#include "seatfixtures.h"
#include "seatpictures.h"
#include "seatplan/seatplanloader.h"
#include "seatplan/view/seatpicturecache.h"
#include "seatplan/view/seatplanchecked.h"
#include "seatserver.h"

namespace kiosk {
namespace {

using nlohmann::json;
using test::ImageHex;
using test::TableAnswer;

int argc = 1;
char arg0[] = "seatplan_loader_test";
char* argv[] = {arg0, nullptr};

const json kPictureRows = json::array({{{"seatstatus", "0"}, {"name", "空座"}, {"picture", ImageHex(test::Solid(30, 30, Qt::gray), "BMP")}},
                                       {{"seatstatus", "7"}, {"name", "已检"}, {"picture", ImageHex(test::Overlay(32, Qt::green), "BMP")}}});

class SeatPictureLoading : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
    void SetUp() override
    {
        TSeatPictureCache::Instance().Clear();
        jcon.SetURLHost(server.BaseURL());
        SetSeatPlanConnection(&jcon);
        server.Answer("base/findVehiclespace",
                      TableAnswer("vehiclespacelist",
                                  {{"id", "Long"}, {"name", "String"}, {"ispassengerseat", "Boolean"}, {"seattype", "String"}, {"picture", "String"}},
                                  json::array({{{"id", 1}, {"name", "座位"}, {"ispassengerseat", true}, {"seattype", "1"},
                                                {"picture", ImageHex(test::Solid(40, 40, Qt::darkCyan), "JPEG")}},
                                               {{"id", 2}, {"name", "门"}, {"ispassengerseat", false}, {"seattype", "0"}, {"picture", nullptr}}})));
        server.Answer("base/qryvehiclespacesoldpicture",
                      TableAnswer("vehiclespacesoldpicturemap", {{"vehiclespaceid", "Long"}, {"tickettypecode", "String"}, {"soldpicture", "String"}},
                                  json::array({{{"vehiclespaceid", 1}, {"tickettypecode", "Q"}, {"soldpicture", ImageHex(test::Solid(40, 40, Qt::red), "JPEG")}}})));
        server.Answer("base/qryseatstatuspicture",
                      TableAnswer("seatstatuspicturemap", {{"seatstatus", "String"}, {"name", "String"}, {"picture", "String"}}, kPictureRows));
        server.Answer("base/findTickettype",
                      TableAnswer("tickettypemap", {{"id", "Long"}, {"code", "String"}, {"soldpicture", "String"}}, json::array()));
    }
    void TearDown() override
    {
        SetSeatPlanConnection(nullptr);
        TSeatPictureCache::Instance().Clear();
    }

    test::SeatServer server;
    TjsonConnection jcon;
};

TEST_F(SeatPictureLoading, FirstSeatPlanLoadsTheVehicleSpacesOnce)
{
    TSeatPlan first;
    TSeatPlanChecked second;
    EXPECT_EQ(server.Count("base/findVehiclespace"), 1);
    const auto& keys = *TSeatPictureCache::Instance().keys();
    ASSERT_TRUE(keys.vehiclespacelist);
    ASSERT_EQ(keys.vehiclespacelist->size(), 2u);
    EXPECT_TRUE(keys.FindVehiclespace(1)->ispassengerseat);
    EXPECT_FALSE(keys.FindVehiclespace(2)->ispassengerseat);
    EXPECT_EQ(keys.spacepictures, (std::set<std::int64_t>{1}));
    const QImage* picture = TSeatPictureCache::Instance().Picture(TSeatPicture::OfSpace(1));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->size(), QSize(40, 40));
}

TEST_F(SeatPictureLoading, FailingSpaceQueryRaisesOnceAndLeavesAnEmptyListThatIsNotAskedAgain)
{
    server.Answer("base/findVehiclespace", test::FailedAnswer("vehiclespacelist", "车型空间不可用"));
    try {
        TSeatPlan plan;
        FAIL() << "no exception";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "车型空间不可用");
    }
    TSeatPlan next;
    EXPECT_EQ(server.Count("base/findVehiclespace"), 1);
    ASSERT_TRUE(TSeatPictureCache::Instance().keys()->vehiclespacelist);
    EXPECT_TRUE(TSeatPictureCache::Instance().keys()->vehiclespacelist->empty());
}

TEST_F(SeatPictureLoading, SeatStatesLoadThePictureCachesAndAnEmptyOneIsAskedAgain)
{
    TSeatPlanChecked view;
    view.setSeatsStatus(std::make_shared<TSeatDict>());
    EXPECT_EQ(server.Count("base/qryseatstatuspicture"), 0);
    view.setSeatsStatus(test::SeatsInState(3, "7"));
    EXPECT_EQ(server.Count("base/qryvehiclespacesoldpicture"), 1);
    EXPECT_EQ(server.Count("base/qryseatstatuspicture"), 1);
    EXPECT_EQ(server.Count("base/findTickettype"), 1);
    const auto& keys = *TSeatPictureCache::Instance().keys();
    EXPECT_EQ(keys.seatstatuspicturemap, (std::set<std::string>{"0", "7"}));
    EXPECT_TRUE(keys.HasSpaceSoldPicture(1, "Q"));
    EXPECT_FALSE(keys.tickettypemap);
    EXPECT_EQ(view.model().getStatusPicture(1, 1), TSeatPicture::OfSeatStatus("7"));

    server.Answer("base/findTickettype",
                  TableAnswer("tickettypemap", {{"id", "Long"}, {"code", "String"}, {"soldpicture", "String"}},
                              json::array({{{"id", 1}, {"code", "Q"}, {"soldpicture", ImageHex(test::Solid(20, 10, Qt::blue), "JPEG")}}})));
    view.setSeatsStatus(test::SeatsInState(3, "2"));
    EXPECT_EQ(server.Count("base/findTickettype"), 2);
    EXPECT_EQ(server.Count("base/qryseatstatuspicture"), 1);
    EXPECT_TRUE(TSeatPictureCache::Instance().keys()->HasTickettypePicture("Q"));
    view.setSeatsStatus(test::SeatsInState(3, "2"));
    EXPECT_EQ(server.Count("base/findTickettype"), 2);
}

TEST_F(SeatPictureLoading, BrandModelPlanIsQueriedAndItsSeatsShowTheSpacesSoldPicture)
{
    json rows = json::array();
    for (const auto& r : test::PlanOfSeats(4))
        rows.push_back({{"id", r.id}, {"rowno", r.rowno}, {"colno", r.colno}, {"width", r.colno == 5 ? 30 : 0}, {"height", 0},
                        {"vehiclespaceid", r.vehiclespaceid}, {"seatno", r.seatno}, {"remarks", ""}, {"createby", 1001},
                        {"createtime", "2023-01-05 10:00:00"}, {"updateby", 1001}, {"updatetime", "2023-01-05 10:00:00"}});
    server.Answer("base/findVehicleseatplandetail",
                  TableAnswer("vehicleseatplandetaillist",
                              {{"id", "Long"}, {"rowno", "Integer"}, {"colno", "Integer"}, {"width", "Integer"}, {"height", "Integer"},
                               {"vehiclespaceid", "Long"}, {"seatno", "Integer"}, {"remarks", "String"}, {"createby", "Long"},
                               {"createtime", "String"}, {"updateby", "Long"}, {"updatetime", "String"}},
                              rows));
    TSeatPlanChecked view;
    view.setSeatsStatus(test::SeatsInState(4, "2"));
    view.setSeatsTickettype(test::Dict({{1, "Q"}}));
    view.setBrandModelid(51);
    EXPECT_NE(server.LastBody().find("vehicleseatplan.vehiclebrandmodelid=51"), std::string::npos);
    EXPECT_EQ(view.getBrandModelid(), 51);
    EXPECT_EQ(view.ColCount(), 6);
    EXPECT_EQ(view.model().ColWidth(5), 30);
    EXPECT_EQ(view.getSeatNo(1, 4), 4);
    EXPECT_EQ(view.model().getSpacePicture(1, 1), TSeatPicture::OfSpaceSold(1, "Q"));
    EXPECT_EQ(view.model().getSpacePicture(1, 2), TSeatPicture::OfSpace(1));
}

} // namespace
} // namespace kiosk
