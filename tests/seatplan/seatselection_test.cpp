// Selection, colours and the check state of the seat views' models.
#include <gtest/gtest.h>

#include "seatfixtures.h"
#include "seatplan/seatplancheckedmodel.h"

namespace kiosk {
namespace {

using test::CachesWith;
using test::Dict;
using test::SeatsInState;

// Seats 1-9 of seat type "0" in eleven columns; seat 4 is taken ("0"), the others free ("2").
struct Selection : ::testing::Test {
    TSeatPlanSelectModel plan{CachesWith({"2", "6"}, {})};
    std::vector<TSeatNo> touched;
    int completes = 0;

    Selection()
    {
        plan.setDefaultcolcount(11);
        auto states = SeatsInState(9, "2");
        (*states)[4] = "0";
        plan.setSeatsStatus(states);
        plan.setSeatstype(SeatsInState(9, "0"));
        plan.setSelectSeatStatus(std::make_shared<TStringList>(TStringList{"2"}));
        plan.setOnSelectSeatno([this](TSeatNo n) { touched.push_back(n); });
        plan.setOnSelectComplete([this] { ++completes; });
    }
};

TEST_F(Selection, OnlySeatsInASelectableStateAndOfTheWantedTypeCanBeSelected)
{
    EXPECT_TRUE(plan.canSelectSeat(1, 1));
    EXPECT_FALSE(plan.canSelectSeat(1, 4));   // state "0"
    EXPECT_FALSE(plan.canSelectSeat(1, 10));  // no seat
    plan.setSelectSeattype("1");
    EXPECT_FALSE(plan.canSelectSeat(1, 1));
    (*plan.seatstype())[1] = "1";
    EXPECT_TRUE(plan.canSelectSeat(1, 1));
    EXPECT_EQ(plan.getCanSelectSeatNum(), 1);
}

TEST_F(Selection, ThirdSeatIsNotAddedWhenTwoMayBeSelectedButStillRaisesTheEvent)
{
    plan.setSelectSeatNum(2);
    EXPECT_TRUE(plan.toggleSeat(1, 1));
    EXPECT_TRUE(plan.toggleSeat(2, 1));
    EXPECT_EQ(completes, 1);
    EXPECT_FALSE(plan.toggleSeat(3, 1));
    EXPECT_EQ(plan.selectedSeats(), (TSeatList{1, 2}));
    EXPECT_EQ(touched, (std::vector<TSeatNo>{1, 2, 3}));
    EXPECT_TRUE(plan.toggleSeat(1, 1));  // a selected seat is deselected
    EXPECT_EQ(plan.selectedSeats(), (TSeatList{2}));
}

TEST_F(Selection, HandSelectionIgnoresSeatsThatCannotBeSelectedAndRaisesNothing)
{
    plan.setSelectSeatNum(2);
    EXPECT_FALSE(plan.toggleSeat(4, 1));
    plan.setAllowSelectByHand(false);
    EXPECT_FALSE(plan.toggleSeat(1, 1));
    EXPECT_TRUE(touched.empty());
    EXPECT_TRUE(plan.selectedSeats().empty());
}

TEST_F(Selection, ValidationDropsSeatsOfTheWrongStateAndThoseBeyondTheLimit)
{
    plan.setSelectSeatNum(5);
    plan.setSelectedSeats({1, 4, 2, 3, 5});
    EXPECT_EQ(plan.selectedSeats(), (TSeatList{1, 2, 3, 5}));
    plan.setSelectSeatNum(2);
    EXPECT_EQ(plan.selectedSeats(), (TSeatList{1, 2}));
    EXPECT_TRUE(plan.checkSelectedSeats());
    (*plan.getSeatsStatus())[2] = "7";
    EXPECT_FALSE(plan.checkSelectedSeats());
    EXPECT_EQ(plan.selectedSeats(), (TSeatList{1}));
}

TEST_F(Selection, FreeSeatsAreCutIntoRunsAtSeatsThatCannotBeSelected)
{
    EXPECT_EQ(plan.freeSeatRuns(), (std::vector<TSeatList>{{1, 2, 3}, {5, 6, 7, 8, 9}}));
    EXPECT_EQ(plan.getCanSelectSeatNum(), 8);
}

TEST_F(Selection, SerialAutoSelectionTakesTheFirstRunLongEnoughOrTheRunsInOrder)
{
    struct Case { bool isserial; std::uint16_t wanted; bool result; TSeatList seats; };
    const std::vector<Case> cases{
        {true, 3, true, {1, 2, 3}},
        {true, 4, true, {5, 6, 7, 8}},
        {true, 6, true, {1, 2, 3, 5, 6, 7}},
        {true, 9, false, {1, 2, 3, 5, 6, 7, 8, 9}},
        {false, 4, true, {1, 2, 3, 5}},
        {false, 10, false, {1, 2, 3, 5, 6, 7, 8, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.isserial << " " << c.wanted);
        plan.setSelectSeatNum(c.wanted);
        EXPECT_EQ(plan.autoSelectSeats(c.isserial), c.result);
        EXPECT_EQ(plan.selectedSeats(), c.seats);
    }
}

TEST_F(Selection, AutoSelectionNeedsLimitsAndSeatTypes)
{
    EXPECT_FALSE(plan.autoSelectSeats(true));  // selectSeatNum 0
    plan.setSelectSeatNum(2);
    plan.setSeatstype(nullptr);
    EXPECT_FALSE(plan.autoSelectSeats(true));
    EXPECT_EQ(plan.getCanSelectSeatNum(), 0);
}

TEST_F(Selection, SelectedSeatsGetTheSelectedOverlayOrTheCheckmark)
{
    plan.setSelectSeatNum(2);
    plan.toggleSeat(1, 1);
    EXPECT_EQ(plan.getStatusPicture(1, 1), TSeatPicture::OfSeatStatus("6"));
    EXPECT_EQ(plan.getStatusPicture(1, 2), TSeatPicture{});

    TSeatPlanSelectModel bare{CachesWith({}, {})};
    bare.setDefaultcolcount(11);
    bare.setSeatsStatus(SeatsInState(3, "2"));
    bare.setSelectSeatNum(1);
    bare.toggleSeat(2, 1);
    EXPECT_EQ(bare.getStatusPicture(1, 2), TSeatPicture::OfCheckmark());
}

TEST_F(Selection, DestinationIsAppendedAndNeedsASecondLine)
{
    EXPECT_EQ(plan.textBandLines(), 1);
    plan.setSeatsreachstationname(Dict({{1, "南京"}, {2, " "}}));
    EXPECT_EQ(plan.CellBottomlinenum(), 2);
    EXPECT_EQ(plan.getCellText(1, 1).text, "1-南京");
    EXPECT_EQ(plan.getCellText(2, 1).text, "2");
}

TEST_F(Selection, UncheckedSeatColourFollowsTheColourType)
{
    plan.setSeatscolor(Dict({{1, "1"}, {2, "3"}, {3, "5"}, {5, "6"}, {6, "2"}}));
    EXPECT_EQ(plan.getCellText(1, 1).color, clBlue);
    EXPECT_EQ(plan.getCellText(2, 1).color, clRed);
    EXPECT_EQ(plan.getCellText(3, 1).color, clAquamarine);
    EXPECT_EQ(plan.getCellText(5, 1).color, clPurple);
    EXPECT_EQ(plan.getCellText(6, 1).color, clBlack);
    EXPECT_EQ(plan.getCellText(7, 1).color, clBlack);
}

// The check view of a schedule: seats 1-3 unchecked ("2"), 4-5 checked ("7"), 6 free ("0").
struct CheckView : ::testing::Test {
    TSeatPlanCheckedModel plan{CachesWith({"0", "2", "7"}, {"1"})};
    TSeatDictPtr ticketnos = Dict({{1, "T1"}, {2, "T2,T3"}, {4, "T4"}, {5, "T5"}});

    CheckView()
    {
        plan.setDefaultcolcount(11);
        plan.setSelectSeatStatus(std::make_shared<TStringList>(TStringList{"2", "7", "8"}));
        plan.setSeatsStatus(Dict({{1, "2"}, {2, "2"}, {3, "2"}, {4, "7"}, {5, "7"}, {6, "0"}}));
        plan.setSeatsticketno(ticketnos);
        plan.setSeatsreachstationname(Dict({{1, "南京"}, {4, "上海"}, {6, "杭州"}}));
        plan.setSelectSeatNum(110);
        plan.setShowspacename(false);
    }
};

TEST_F(CheckView, CheckedSeatsGetTheirStateOverlay)
{
    EXPECT_TRUE(plan.isCheckedSeat(1, 4));
    EXPECT_FALSE(plan.isCheckedSeat(1, 1));
    EXPECT_EQ(plan.getStatusPicture(1, 4), TSeatPicture::OfSeatStatus("7"));
    EXPECT_EQ(plan.getStatusPicture(1, 1), TSeatPicture{});
}

TEST_F(CheckView, TextColourDependsOnCheckStateAndColourType)
{
    struct Case { const char* colortype; TTextColor checked, unchecked; };
    const std::vector<Case> cases{
        {"1", clBlue, clBlue},     {"2", clRed, clBlack},     {"3", clGreen, clGreen},
        {"5", clAquamarine, clAquamarine}, {"6", clPurple, clPurple}, {"9", clGreen, clBlack},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.colortype);
        plan.setSeatscolor(Dict({{1, c.colortype}, {4, c.colortype}}));
        EXPECT_EQ(plan.getCellText(4, 1), (TCellText{"4-上海", c.checked}));
        EXPECT_EQ(plan.getCellText(1, 1), (TCellText{"1-南京", c.unchecked}));
    }
    plan.setSeatscolor(nullptr);
    EXPECT_EQ(plan.getCellText(5, 1).color, clGreen);
}

TEST_F(CheckView, OtherSeatsShowThePlainLabelInBlackAndNonSeatsNothing)
{
    EXPECT_EQ(plan.getCellText(6, 1), (TCellText{"6", clBlack}));
    EXPECT_EQ(plan.getCellText(7, 1), TCellText{});

    TSeatPlanCheckedModel unloaded{std::make_shared<TSeatPlanCaches>()};
    unloaded.setSeatsStatus(SeatsInState(3, "2"));
    EXPECT_EQ(unloaded.getCellText(1, 1), TCellText{});
}

TEST_F(CheckView, TouchingASeatReportsItsTicketsAndCheckStateAndSelectsNothing)
{
    struct Seen { TSeatNo seat; std::string tickets; bool before; };
    std::vector<Seen> seen;
    int repaints = 0;
    plan.setOnInvalidate([&] { ++repaints; });
    plan.setOnSelectSeat([&](TSeatNo n, const std::string& t, bool before, bool& after) {
        seen.push_back({n, t, before});
        after = true;
    });
    EXPECT_TRUE(plan.toggleSeat(4, 1));
    EXPECT_EQ(repaints, 0);  // checked before and after
    EXPECT_TRUE(plan.toggleSeat(2, 1));
    EXPECT_EQ(repaints, 1);
    EXPECT_TRUE(plan.toggleSeat(3, 1));
    EXPECT_TRUE(plan.toggleSeat(6, 1));  // state "0" cannot be touched
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].seat, 4);
    EXPECT_EQ(seen[0].tickets, "T4");
    EXPECT_TRUE(seen[0].before);
    EXPECT_EQ(seen[1].tickets, "T2,T3");
    EXPECT_FALSE(seen[1].before);
    EXPECT_EQ(seen[2].tickets, "");
    EXPECT_TRUE(plan.selectedSeats().empty());
}

TEST_F(CheckView, TouchRaisesNothingWhileALocateAsksForNoEvent)
{
    int raised = 0;
    plan.setOnSelectSeat([&](TSeatNo, const std::string&, bool, bool&) { ++raised; });
    plan.setLocateTriggerSelectEvent(false);
    EXPECT_TRUE(plan.toggleSeat(1, 1));
    EXPECT_EQ(raised, 0);
}

TEST_F(CheckView, DoubleClickRaisesItsOwnEvent)
{
    TSeatNo clicked = 0;
    plan.setOnDbClickSeat([&](TSeatNo n, const std::string&, bool, bool&) { clicked = n; });
    plan.dblClickSeat(5, 1);
    EXPECT_EQ(clicked, 5);
    clicked = 0;
    plan.setAllowSelectByHand(false);
    plan.dblClickSeat(5, 1);
    EXPECT_EQ(clicked, 0);
}

TEST_F(CheckView, TicketOfASharedSeatMatchesOnlyTheWholeEntry)
{
    EXPECT_EQ(plan.seatOfTicket("T4"), TSeatNo(4));
    EXPECT_FALSE(plan.seatOfTicket("T2"));
    EXPECT_EQ(plan.seatOfTicket("T2,T3"), TSeatNo(2));
    EXPECT_FALSE(plan.seatOfTicket("T9"));
}

TEST_F(CheckView, RefilledDictionariesAreSeenWithoutSettingThemAgain)
{
    (*plan.getSeatsStatus())[1] = "7";
    EXPECT_TRUE(plan.isCheckedSeat(1, 1));
    ticketnos->clear();
    EXPECT_FALSE(plan.seatOfTicket("T4"));
}

} // namespace
} // namespace kiosk
