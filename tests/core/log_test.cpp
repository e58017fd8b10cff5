#include <gtest/gtest.h>

#include <filesystem>

#include "core/coreservices.h"
#include "core/logobj.h"
#include "core/sysservice.h"
#include "platform/datetime.h"
#include "platform/exception.h"
#include "support/tempfolder.h"

using namespace kiosk;

namespace {

class Log : public testing::Test {
protected:
    void SetUp() override
    {
        FreeSysService();
        FreeFactoryManager();
        RegisterCoreServices(dir.str());
    }
    void TearDown() override
    {
        DateTime::SetNowSource({});
        FreeSysService();
        FreeFactoryManager();
    }
    void At(int h, int m, int s, int day = 9)
    {
        DateTime::SetNowSource([=] { return DateTime::FromParts(2015, 3, day, h, m, s); });
    }
    test::TempFolder dir;
};

} // namespace

TEST_F(Log, firstWriteOfTheDayCreatesFolderAndFileLaterWritesAppend)
{
    At(8, 5, 9);
    GetLog()->WriteLog("查询报班班次操作失败：无法连接服务器");
    At(8, 5, 10);
    GetLog()->WriteLogFmt("%s：%s", {"打印失败", "纸张用完"});
    EXPECT_EQ(dir.Read("error/2015-03-09.txt"),
              "[08:05:09]  查询报班班次操作失败：无法连接服务器\r\n[08:05:10]  打印失败：纸张用完\r\n");
    At(0, 0, 1, 10);
    GetLog()->WriteLog("next day");
    EXPECT_EQ(dir.Read("error/2015-03-10.txt"), "[00:00:01]  next day\r\n");
}

TEST_F(Log, aTextWithLineBreaksStaysOneEntryOfOneLine)
{
    At(9, 0, 0);
    GetLog()->WriteLog("检票操作失败：服务器返回出错：httpStatus:500 \r<pre>\nat Dao.check\r\n</pre>");
    EXPECT_EQ(dir.Read("error/2015-03-09.txt"), "[09:00:00]  检票操作失败：服务器返回出错：httpStatus:500  <pre> at Dao.check  </pre>\r\n");
}

TEST_F(Log, folderThatCannotBeCreatedRaisesTheIoError)
{
    dir.Write("error", "a file where the folder should be");
    EXPECT_THROW(GetLog()->WriteLog("x"), EInOutError);
}

TEST_F(Log, reservedOperationRaisesAndJournalDoesNothing)
{
    try {
        GetLog()->LogReserved("a", "b", "c");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "未实现。。。");
    }
    GetLog()->LogOperation("check", "print", "slip");
    EXPECT_FALSE(std::filesystem::exists(dir / "error"));
}

TEST_F(Log, everyLineGoesToStandardErrorAsWell)
{
    At(8, 5, 9);
    testing::internal::CaptureStderr();
    GetLog()->WriteLog("查询报班班次操作失败：\r\n无法连接服务器");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[08:05:09]  查询报班班次操作失败：  无法连接服务器\n");
    EXPECT_EQ(dir.Read("error/2015-03-09.txt"), "[08:05:09]  查询报班班次操作失败：  无法连接服务器\r\n");
}

// Unattended, a log file that cannot be written does not fail the screen that logged: the line
// is on standard error, with the reason once (a full disk: /dev/full fails every write).
TEST_F(Log, unattendedFileFailuresAreSaidOnceOnStandardError)
{
    At(9, 0, 0);
    std::filesystem::create_directory(dir / "error");
    std::filesystem::create_symlink("/dev/full", dir / "error/2015-03-09.txt");
    EXPECT_THROW(GetLog()->WriteLog("attended"), EInOutError);
    TLogObj::SetReportFileFailuresOnly(true);
    testing::internal::CaptureStderr();
    EXPECT_NO_THROW(GetLog()->WriteLog("first"));
    EXPECT_NO_THROW(GetLog()->WriteLog("second"));
    const std::string said = testing::internal::GetCapturedStderr();
    TLogObj::SetReportFileFailuresOnly(false);
    EXPECT_NE(said.find("[09:00:00]  first\n"), std::string::npos);
    EXPECT_NE(said.find("[09:00:00]  second\n"), std::string::npos);
    const std::string reason = "kiosk: 无法写入日志文件" + (dir / "error/2015-03-09.txt").string() +
                               "：No space left on device，日志只写到标准错误输出\n";
    EXPECT_EQ(said.find(reason), said.rfind(reason)) << said;
    EXPECT_NE(said.find(reason), std::string::npos) << said;
}
