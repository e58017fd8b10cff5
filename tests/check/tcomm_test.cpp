// The scanner link alone: port names, framing of the bytes into chunks by the 100 ms silence,
// and a line that hangs up.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <thread>

#include <filesystem>

#include "check/scannerreopen.h"
#include "check/tcomm.h"
#include "pty.h"
#include "support/qtapp.h"
#include "support/tempfolder.h"

namespace kiosk {
namespace {

TEST(SerialDeviceName, MapsComNamesAndKeepsDevicePaths)
{
    const std::pair<const char*, const char*> cases[] = {
        {"com1", "/dev/ttyS0"},        {"COM3", "/dev/ttyS2"},     {"Com10", "/dev/ttyS9"},
        {"com0", "com0"},              {"com", "com"},             {"comx", "comx"},
        {"/dev/ttyUSB0", "/dev/ttyUSB0"}, {"/dev/serial/by-id/usb-scanner", "/dev/serial/by-id/usb-scanner"},
    };
    for (const auto& [configured, device] : cases) EXPECT_EQ(SerialDeviceName(configured), device) << configured;
}

class ScannerLink : public testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureApplication(); }
    void SetUp() override
    {
        comm.SetCommName(pty.SlavePath());
        comm.StartComm();
    }
    test::PseudoTerminal pty;
    TComm comm;
    QSignalSpy chunks{&comm, &TComm::ReceiveData};
};

TEST_F(ScannerLink, AScanSplitOverTwoWritesIsOneChunk)
{
    pty.Write("00000");
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    pty.Write("11011\r\n");
    ASSERT_TRUE(chunks.wait(2000));
    QTest::qWait(250);
    ASSERT_EQ(chunks.count(), 1);
    EXPECT_EQ(chunks[0][0].toByteArray(), QByteArray("0000011011\r\n"));
}

TEST_F(ScannerLink, ScansApartAreChunksOfTheirOwn)
{
    pty.Write("0000011011\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    pty.Write("0000011012\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(chunks.count(), 2, 3000);
    EXPECT_EQ(chunks[1][0].toByteArray(), QByteArray("0000011012\r\n"));
}

TEST_F(ScannerLink, LongBurstsAreCutAtTheChunkLimit)
{
    pty.Write(std::string(TComm::kChunkLimit + 10, '7'));
    QTRY_COMPARE_WITH_TIMEOUT(chunks.count(), 2, 3000);
    EXPECT_EQ(chunks[0][0].toByteArray().size(), TComm::kChunkLimit);
    EXPECT_EQ(chunks[1][0].toByteArray().size(), 10);
}

TEST_F(ScannerLink, AHungUpLineIsReportedOnceAndClosed)
{
    QSignalSpy lost(&comm, &TComm::PortLost);
    pty.Vanish();
    QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, 3000);
    EXPECT_FALSE(comm.Opened());
    EXPECT_NO_THROW(comm.StopComm());
}

TEST(ScannerLinkOpen, AMissingDeviceRaisesWithTheReason)
{
    test::EnsureApplication();
    TComm comm;
    comm.SetCommName("/dev/no-such-scanner");
    try {
        comm.StartComm();
        FAIL() << "opened a missing device";
    } catch (const std::exception& e) {
        EXPECT_STRNE(e.what(), "");
    }
    EXPECT_FALSE(comm.Opened());
}

// A USB scanner that drops off the bus may come back as another node; its name in
// /dev/serial/by-id stays. Here the by-id folder is a test folder of links to pseudo-terminals.
TEST(ScannerReopen, findsTheLostScannerUnderItsByIdName)
{
    test::EnsureApplication();
    test::TempFolder byId;
    auto first = std::make_unique<test::PseudoTerminal>();
    std::filesystem::create_symlink(first->SlavePath(), byId / "usb-scanner-if00");
    EXPECT_EQ(SerialByIdName(first->SlavePath(), byId.path().string()), "usb-scanner-if00");
    EXPECT_EQ(SerialByIdName("/dev/null", byId.path().string()), "");

    // The scanner's device node, a link here so that it can go away with the device.
    test::TempFolder dev;
    const std::string node = (dev / "ttyUSB0").string();
    std::filesystem::create_symlink(first->SlavePath(), node);
    TComm comm;
    TScannerReopen reopen(comm, 1);
    reopen.SetByIdFolder(byId.path().string());
    comm.SetCommName(node);
    comm.StartComm();
    reopen.Remember(node);
    QSignalSpy lost(&comm, &TComm::PortLost);
    QSignalSpy reopened(&reopen, &TScannerReopen::Reopened);
    QSignalSpy chunks(&comm, &TComm::ReceiveData);

    // Unplugged: the node goes; the scanner comes back under another node, the same by-id name.
    first.reset();
    QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, 3000);
    std::filesystem::remove(node);
    reopen.Start();
    test::PseudoTerminal second;
    std::filesystem::remove(byId / "usb-scanner-if00");
    std::filesystem::create_symlink(second.SlavePath(), byId / "usb-scanner-if00");
    QTRY_COMPARE_WITH_TIMEOUT(reopened.count(), 1, 5000);
    EXPECT_TRUE(comm.Opened());
    EXPECT_FALSE(reopen.Watching());
    EXPECT_EQ(reopened[0][0].toString().toStdString(), (byId / "usb-scanner-if00").string());
    second.Write("0000011012\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(chunks.count(), 1, 3000);
    EXPECT_EQ(chunks[0][0].toByteArray(), QByteArray("0000011012\r\n"));
}

} // namespace
} // namespace kiosk
