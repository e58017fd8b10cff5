#include <gtest/gtest.h>

#include <vector>

#include "core/configreport.h"
#include "core/unattended.h"
#include "platform/inifile.h"
#include "support/tempfolder.h"

using namespace kiosk;

TEST(RetryBackoff, doublesFromTheFirstWaitUpToTheCeiling)
{
    TRetryBackoff station(10, 60);
    std::vector<int> waits;
    for (int i = 0; i < 6; ++i) waits.push_back(station.Next());
    EXPECT_EQ(waits, (std::vector<int>{10, 20, 40, 60, 60, 60}));
    TRetryBackoff flat(30, 5);  // a ceiling below the first wait keeps the first
    EXPECT_EQ(flat.Next(), 30);
    EXPECT_EQ(flat.Next(), 30);
}

TEST(UnattendedSettings, offByDefaultOnByTheFileOrTheCommandLine)
{
    test::TempFolder home;
    struct Case {
        const char* ini;
        bool forced;
        bool unattended;
        int retry, retryMax, reader;
    };
    const Case cases[] = {
        {"", false, false, 10, 60, 5},
        {"", true, true, 10, 60, 5},
        {"[kiosk]\nunattended=1\n", false, true, 10, 60, 5},
        {"[kiosk]\nunattended=0\n", true, true, 10, 60, 5},
        {"[kiosk]\nunattended=1\nretryseconds=2\nretrymaxseconds=12\nreaderretryseconds=1\n", false, true, 2, 12, 1},
        // Nonsense keeps the defaults; a ceiling under the first wait is raised to it.
        {"[kiosk]\nretryseconds=abc\nretrymaxseconds=-5\nreaderretryseconds=0\n", false, false, 10, 60, 5},
        {"[kiosk]\nretryseconds=90\n", false, false, 90, 90, 5},
    };
    for (const Case& c : cases) {
        home.Write("App.ini", c.ini);
        const TUnattendedSettings s = ReadUnattendedSettings(TIniFile((home / "App.ini").string()), c.forced);
        EXPECT_EQ(s.unattended, c.unattended) << c.ini;
        EXPECT_EQ(s.retrySeconds, c.retry) << c.ini;
        EXPECT_EQ(s.retryMaxSeconds, c.retryMax) << c.ini;
        EXPECT_EQ(s.readerRetrySeconds, c.reader) << c.ini;
    }
}

// The texts the start-up look gives for one INI file (the end-to-end table runs the kiosk on
// each case; this one pins the finer cases of the reading).
TEST(IniFileProblems, saysWhatIsWrongWithAFile)
{
    test::TempFolder home;
    const std::string file = (home / "App.ini").string();
    struct Case {
        const char* name;
        std::string content;
        std::vector<std::string> problems;
    };
    const std::vector<Case> cases = {
        {"good", "\xEF\xBB\xBF[server]\r\nip=1.2.3.4\r\n; note\r\n\r\n[userinfo]\r\nusername=a\r\n", {}},
        {"blank lines only", " \r\n\t\n", {"配置文件App.ini是空的：" + file + "，按缺省设置运行"}},
        {"not UTF-8", "[server]\nip=\xB9\xE3\xD6\xDD\n[userinfo]\n",
         {"配置文件App.ini不是文本文件（含二进制内容或不是UTF-8）：" + file + "，按缺省设置运行"}},
        {"cut in a header", "[server]\nip=1\n[user",
         {"配置文件App.ini第3行无法识别（文件可能不完整）：“[user”",
          "配置文件App.ini缺少[userinfo]节（文件可能不完整），按缺省设置运行"}},
        {"key without a value is fine", "[server]\nip=\n[userinfo]\n", {}},
    };
    for (const Case& c : cases) {
        home.Write("App.ini", c.content);
        EXPECT_EQ(IniFileProblems(file, "App.ini", {"server", "userinfo"}, "按缺省设置运行"), c.problems) << c.name;
    }
}
