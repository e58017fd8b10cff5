// Filling the seat-state dictionaries from the rows of checkticket/qrySeatstatus.
#include <gtest/gtest.h>

#include "seatplan/seatpichelp.h"

namespace kiosk {
namespace {

constexpr std::int64_t kStation = 77;

TSeatStatusRow Row(std::int64_t seat, std::string status, std::string ticketno, bool checked = false,
                   std::int64_t station = kStation, std::string seatinfo = "", std::string colortype = "1")
{
    TSeatStatusRow r;
    r.seatno = seat;
    r.status = std::move(status);
    r.tickettype = "Q" + std::to_string(seat);
    r.seattype = "0";
    r.ticketno = std::move(ticketno);
    r.ischecked = checked;
    r.departstationid = station;
    r.seatinfo = std::move(seatinfo);
    r.colortype = std::move(colortype);
    r.hint = "hint" + std::to_string(seat);
    return r;
}

TEST(SeatPicHelp, SelectableStatesAreUncheckedAndChecked)
{
    TSeatPicHelp help;
    EXPECT_EQ(*help.selectSeatStatus, (TStringList{"2", "7", "8"}));
}

TEST(SeatPicHelp, TwoTicketsOnOneSeatAreJoinedAndTheSeatCountsOnce)
{
    TSeatPicHelp help;
    help.FillSeatStatus({Row(5, "2", "T1", false, kStation, "A", "3"), Row(5, "7", "T2", true, kStation, "B", "1")},
                        kStation, false);
    EXPECT_EQ((*help.seatticketno)[5], "T1,T2");
    EXPECT_EQ((*help.seatStation)[5], "A,B");
    EXPECT_EQ(help.seatsStatus->size(), 1u);
    EXPECT_EQ((*help.seatsStatus)[5], "2");
    EXPECT_EQ((*help.seatscolor)[5], "3");
    EXPECT_EQ(help.checktickets, 1);
    EXPECT_EQ(help.unchecktickets, 1);
    EXPECT_EQ(help.seatCanCheck, (TSeatList{5}));
}

TEST(SeatPicHelp, RowWithoutTicketAddsNoTicketColourOrCounter)
{
    TSeatPicHelp help;
    help.FillSeatStatus({Row(1, "0", "0"), Row(2, "0", " ")}, kStation, false);
    EXPECT_EQ((*help.seatsStatus)[1], "0");
    EXPECT_EQ(help.seatstype->size(), 2u);
    EXPECT_TRUE(help.seatticketno->empty());
    EXPECT_TRUE(help.seatStation->empty());
    EXPECT_TRUE(help.seatscolor->empty());
    EXPECT_TRUE(help.seatsTickettype->empty());
    EXPECT_EQ(help.checktickets + help.unchecktickets, 0);
}

TEST(SeatPicHelp, OnlyUncheckedTicketsSoldAtTheKiosksStationCanBeChecked)
{
    TSeatPicHelp help;
    help.FillSeatStatus({Row(1, "2", "T1", false, 12), Row(2, "2", "T2"), Row(3, "2", "T3"), Row(3, "2", "T4"),
                         Row(4, "8", "T5", true)},
                        kStation, false);
    EXPECT_EQ(help.seatCanCheck, (TSeatList{2, 3}));
    EXPECT_EQ(help.unchecktickets, 2);
    EXPECT_EQ(help.checktickets, 1);
    EXPECT_EQ((*help.seatsTickettype)[4], "Q4");
}

TEST(SeatPicHelp, HintsAreFilledOnlyWhenAsked)
{
    TSeatPicHelp help;
    help.FillSeatStatus({Row(1, "2", "T1")}, kStation, false);
    EXPECT_TRUE(help.seatshint->empty());
    help.FillSeatStatus({Row(1, "2", "T1")}, kStation, true);
    EXPECT_EQ((*help.seatshint)[1], "hint1");
}

TEST(SeatPicHelp, ClearingKeepsTheSharedDictionaries)
{
    TSeatPicHelp help;
    const TSeatDictPtr states = help.seatsStatus;
    help.FillSeatStatus({Row(1, "2", "T1")}, kStation, true);
    help.Clear();
    EXPECT_EQ(help.seatsStatus, states);
    EXPECT_TRUE(states->empty());
    EXPECT_TRUE(help.seatshint->empty());
    EXPECT_TRUE(help.seatCanCheck.empty());
    EXPECT_EQ(help.unchecktickets, 0);
}

TEST(SeatPicHelp, SeatNumbersOutsideSixteenBitsNameNoSeat)
{
    TSeatPicHelp help;
    help.FillSeatStatus({Row(70000, "2", "T1"), Row(-1, "2", "T2")}, kStation, false);
    EXPECT_TRUE(help.seatsStatus->empty());
    EXPECT_EQ(help.unchecktickets, 0);
}

} // namespace
} // namespace kiosk
