// Numbering, layout, plan drop, cell texts and picture choice of the seat plan model.
#include <gtest/gtest.h>

#include "seatfixtures.h"
#include "seatplan/seatplanmodel.h"

namespace kiosk {
namespace {

using test::CachesWith;
using test::Dict;
using test::PlanOfSeats;
using test::SeatsInState;
using test::Space;

std::shared_ptr<TSeatPlanCaches> CachesWithSpaces()
{
    auto caches = CachesWith({"0", "1", "7"}, {"1", "2"});
    caches->vehiclespacelist->push_back(Space(1, "座位", true));
    caches->vehiclespacelist->push_back(Space(2, "门", false));
    caches->spacepictures = {1, 2};
    return caches;
}

struct SeatNumberLayout : ::testing::Test {
    TSeatPlanModel plan{CachesWithSpaces()};
    SeatNumberLayout()
    {
        plan.setDefaultcolcount(11);
        plan.setSeatsStatus(SeatsInState(22, "0"));
    }
};

TEST_F(SeatNumberLayout, TwentyTwoSeatsInElevenColumnsTakeThreeVisibleRows)
{
    EXPECT_EQ(plan.RowCount(), 4);
    EXPECT_EQ(plan.ColCount(), 11);
    EXPECT_EQ(plan.RowHeight(0), 0);
    EXPECT_EQ(plan.ColWidth(0), 0);
    EXPECT_EQ(plan.RowHeight(1), 55);
    EXPECT_EQ(plan.ColWidth(10), 48);
}

TEST_F(SeatNumberLayout, SeatsFillTheRowsTenAtATime)
{
    struct Case { int row, col; TSeatNo seat; const char* label; };
    for (const Case& c : std::vector<Case>{{1, 10, 10, "10"}, {2, 1, 11, "11"}, {1, 1, 1, "1"}, {3, 2, 22, "22"},
                                            {3, 3, 0, ""}, {0, 5, 0, ""}, {2, 0, 0, ""}}) {
        SCOPED_TRACE(testing::Message() << c.row << "," << c.col);
        EXPECT_EQ(plan.getSeatNo(c.row, c.col), c.seat);
        EXPECT_EQ(plan.getSeatNoStr(c.row, c.col), c.label);
    }
    EXPECT_EQ(plan.getSeatNoStr(TSeatNo(7)), "7");
    EXPECT_EQ(plan.getSeatNoStr(TSeatNo(0)), "");
}

TEST_F(SeatNumberLayout, LocatingASeatFindsItsCellAndNothingBeyondTheKnownSeats)
{
    EXPECT_EQ(plan.cellOfSeat(10), (TGridCell{10, 1}));
    EXPECT_EQ(plan.cellOfSeat(11), (TGridCell{1, 2}));
    EXPECT_EQ(plan.cellOfSeat(22), (TGridCell{2, 3}));
    EXPECT_FALSE(plan.cellOfSeat(0));
    EXPECT_FALSE(plan.cellOfSeat(23));   // on the grid but not a seat
    EXPECT_FALSE(plan.cellOfSeat(300));  // off the grid
}

TEST_F(SeatNumberLayout, ActualSizeCountsGridLinesAndBevels)
{
    EXPECT_EQ(plan.getActualwidth(), 10 * 48 + 12 * 1 + 2);
    EXPECT_EQ(plan.getActualheight(), 3 * 55 + 5 * 1 + 2);
}

TEST(SeatPlanModel, StartsWithSixEmptyRowsOfDefaultCells)
{
    TSeatPlanModel plan{nullptr};
    EXPECT_EQ(plan.RowCount(), 6);
    EXPECT_EQ(plan.ColCount(), 12);
    EXPECT_EQ(plan.getSeatNo(1, 1), 0);
    EXPECT_EQ(plan.getCellText(1, 1).text, "");
}

TEST(SeatPlanModel, DefaultsTakeEffectAtTheNextLayout)
{
    TSeatPlanModel plan{nullptr};
    plan.setDefaultcellwidth(95);
    plan.setDefaultcellheight(100);
    plan.setDefaultcolcount(11);
    EXPECT_EQ(plan.ColWidth(1), 48);
    plan.setBrandModelid(0);
    EXPECT_EQ(plan.ColWidth(1), 95);
    EXPECT_EQ(plan.RowHeight(1), 100);
    EXPECT_EQ(plan.ColCount(), 11);
}

TEST(SeatPlanModel, ColumnCountBelowTwoIsRaisedSoTheNumberingHasAColumn)
{
    TSeatPlanModel plan{nullptr};
    plan.setDefaultcolcount(1);
    plan.setSeatsStatus(SeatsInState(3, "0"));
    EXPECT_EQ(plan.ColCount(), 2);
    EXPECT_EQ(plan.getSeatNo(3, 1), 3);
}

TEST(SeatPlanModel, PlanWithFortyFivePassengerSeatsIsDroppedForFortySevenSeatStates)
{
    TSeatPlanModel plan{CachesWithSpaces()};
    plan.setDefaultcolcount(11);
    plan.setSeatsStatus(SeatsInState(47, "0"));
    plan.loadPlan(9, PlanOfSeats(45));
    EXPECT_EQ(plan.getBrandModelid(), 0);
    EXPECT_TRUE(plan.vehicleseatplandetails().empty());
    EXPECT_EQ(plan.ColCount(), 11);
    EXPECT_EQ(plan.RowCount(), 6);
    EXPECT_EQ(plan.getSeatNo(5, 7), 47);
}

TEST(SeatPlanModel, PlanIsDroppedWhenLaterSeatStatesDoNotMatchIt)
{
    TSeatPlanModel plan{CachesWithSpaces()};
    plan.loadPlan(9, PlanOfSeats(45));
    EXPECT_EQ(plan.brandModelSeatnum(), 45);
    EXPECT_EQ(plan.getBrandModelid(), 9);
    plan.setSeatsStatus(SeatsInState(47, "0"));
    EXPECT_EQ(plan.getBrandModelid(), 0);
}

TEST(SeatPlanModel, MatchingPlanIsLaidOutByItsRowsAndColumns)
{
    TSeatPlanModel plan{CachesWithSpaces()};
    plan.setSeatsStatus(SeatsInState(45, "0"));
    auto rows = PlanOfSeats(45);
    rows[0].width = 70;   // row 1, column 1
    rows[5].height = 80;  // row 2, column 2
    plan.loadPlan(9, rows);
    ASSERT_EQ(plan.getBrandModelid(), 9);
    EXPECT_EQ(plan.RowCount(), 13);  // 45 seats in rows of four: rows 1..12
    EXPECT_EQ(plan.ColCount(), 6);
    EXPECT_EQ(plan.ColWidth(1), 70);
    EXPECT_EQ(plan.ColWidth(2), 48);
    EXPECT_EQ(plan.RowHeight(2), 80);
    EXPECT_EQ(plan.RowHeight(3), 55);
    EXPECT_EQ(plan.getSeatNo(1, 5), 0);  // the door
    EXPECT_EQ(plan.getSeatNo(12, 1), 45);
    EXPECT_EQ(plan.cellOfSeat(45), (TGridCell{1, 12}));
}

TEST(SeatPlanModel, PlanQueryFeedsTheBrandModel)
{
    TSeatPlanModel plan{CachesWithSpaces()};
    std::int64_t asked = 0;
    plan.setPlanQuery([&](std::int64_t id) {
        asked = id;
        return PlanOfSeats(4);
    });
    plan.setBrandModelid(3);
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(plan.brandModelSeatnum(), 4);
    asked = 0;
    plan.setBrandModelid(0);
    EXPECT_EQ(asked, 0);  // the seat-number layout needs no query
    EXPECT_TRUE(plan.vehicleseatplandetails().empty());
}

TEST(SeatPlanModel, CellTextCarriesSpaceNameRemarksAndNothingForNonSeats)
{
    TSeatPlanModel plan{CachesWithSpaces()};
    auto rows = PlanOfSeats(4);
    rows[1].remarks = "2A";
    plan.loadPlan(9, rows);
    EXPECT_EQ(plan.getCellText(1, 1).text, "座位 1");
    EXPECT_EQ(plan.getCellText(2, 1).text, "座位 2A");
    EXPECT_EQ(plan.getCellText(5, 1).text, "");  // the door shows nothing with space names on
    EXPECT_EQ(plan.getSeatNoStr(TSeatNo(2)), "2A");
    plan.setShowspacename(false);
    EXPECT_EQ(plan.getCellText(1, 1).text, "1");
}

TEST(SeatPlanModel, SeatNumberLayoutPicturesFollowTheSeatState)
{
    TSeatPlanModel plan{CachesWithSpaces()};
    plan.setDefaultcolcount(11);
    plan.setSeatsStatus(Dict({{1, "0"}, {2, "1"}, {3, "2"}, {4, "7"}, {5, "3"}, {6, "2"}}));
    plan.setSeatsTickettype(Dict({{3, "1"}, {4, "2"}, {6, "9"}}));
    struct Case { int col; TSeatPicture space, status; };
    const std::vector<Case> cases{
        {1, TSeatPicture::OfSeatStatus("0"), {}},                              // no ticket
        {2, TSeatPicture::OfSeatStatus("0"), TSeatPicture::OfSeatStatus("1")}, // other state with overlay
        {3, TSeatPicture::OfTickettype("1"), {}},                              // sold, unchecked
        {4, TSeatPicture::OfTickettype("2"), TSeatPicture::OfSeatStatus("7")}, // checked
        {5, TSeatPicture::OfSeatStatus("0"), {}},                              // state "3" has no picture
        {6, {}, {}},                                                           // ticket type without picture
        {7, {}, {}},                                                           // beyond the seats
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.col);
        EXPECT_EQ(plan.getSpacePicture(1, c.col), c.space);
        EXPECT_EQ(plan.getStatusPicture(1, c.col), c.status);
    }
}

TEST(SeatPlanModel, PlanPicturesPreferTheSpacesSoldPictureThenTheTicketTypeThenTheSpace)
{
    // Seats 1-4 lie in space 1, which has a sold picture for ticket type "2"; seats 5-8 in
    // space 3, which has none of its own.
    auto caches = CachesWithSpaces();
    caches->vehiclespacelist->push_back(Space(3, "卧铺", true));
    caches->spacepictures.insert(3);
    caches->vehiclespacesoldpicturemap->emplace(1, std::set<std::string>{"2"});
    std::vector<TSeatPlanDetailRow> cells = PlanOfSeats(8);
    for (auto& cell : cells)
        if (cell.seatno >= 5) cell.vehiclespaceid = 3;
    TSeatPlanModel plan{caches};
    plan.setSeatsStatus(SeatsInState(8, "2"));
    plan.setSeatsTickettype(Dict({{1, "2"}, {2, "1"}, {5, "1"}, {6, "8"}}));
    plan.loadPlan(9, cells);
    ASSERT_EQ(plan.getBrandModelid(), 9);
    EXPECT_EQ(plan.getSpacePicture(1, 1), TSeatPicture::OfSpaceSold(1, "2"));
    EXPECT_EQ(plan.getSpacePicture(1, 2), TSeatPicture::OfSpace(1));  // the space's sold pictures lack "1"
    EXPECT_EQ(plan.getSpacePicture(1, 3), TSeatPicture::OfSpace(1));  // no ticket type
    EXPECT_EQ(plan.getSpacePicture(2, 1), TSeatPicture::OfTickettype("1"));
    EXPECT_EQ(plan.getSpacePicture(2, 2), TSeatPicture::OfSpace(3));  // ticket type without picture
    EXPECT_EQ(plan.getSpacePicture(2, 3), TSeatPicture::OfSpace(3));  // no ticket type
    EXPECT_EQ(plan.getSpacePicture(1, 5), TSeatPicture::OfSpace(2));  // the door
    EXPECT_EQ(plan.getSpacePicture(2, 5), TSeatPicture{});            // no plan cell
}

TEST(SeatPlanModel, NonEmptySeatStatesAskForThePictureCaches)
{
    TSeatPlanModel plan{nullptr};
    int asked = 0;
    plan.setOnSeatStatesGiven([&] { ++asked; });
    plan.setSeatsStatus(std::make_shared<TSeatDict>());
    EXPECT_EQ(asked, 0);
    plan.setSeatsStatus(SeatsInState(2, "0"));
    EXPECT_EQ(asked, 1);
}

TEST(SeatPlanModel, HintsComeFromTheSeatsHintDictionary)
{
    TSeatPlanModel plan{nullptr};
    plan.setDefaultcolcount(11);
    plan.setSeatsStatus(SeatsInState(3, "2"));
    (*plan.seatshint())[2] = "到 南京";
    EXPECT_EQ(plan.hintOf(1, 2), "到 南京");
    EXPECT_EQ(plan.hintOf(1, 1), "");
    EXPECT_EQ(plan.hintOf(1, 9), "");
}

} // namespace
} // namespace kiosk
