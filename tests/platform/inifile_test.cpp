#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "platform/exception.h"
#include "platform/inifile.h"
#include "support/tempfolder.h"

using namespace kiosk;
using kiosk::test::TempFolder;

TEST(IniFile, readsWithCaseInsensitiveLookupAndDefaults)
{
    TempFolder dir;
    dir.Write("App.ini", "\xEF\xBB\xBF; kiosk settings\r\n[server]\r\nip = 10.0.0.5 \r\nPort=8080\r\n[userinfo]\r\nautomin=abc\r\n");
    TIniFile ini((dir / "App.ini").string());
    EXPECT_EQ(ini.ReadString("SERVER", "IP", "127.0.0.1"), "10.0.0.5");
    EXPECT_EQ(ini.ReadInteger("server", "port", 80), 8080);
    EXPECT_EQ(ini.ReadInteger("userinfo", "automin", 60), 60);
    EXPECT_EQ(ini.ReadString("server", "path", "none"), "none");
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"server", "userinfo"}));
}

TEST(IniFile, oddFilesReadWithoutCrashingAndFirstKeyWins)
{
    TempFolder dir;
    const std::string longLine(100000, 'x');
    struct Case {
        const char* name;
        std::string text;
        const char* expected;  // value of [a] k
    };
    const Case cases[] = {
        {"empty", "", ""},
        {"bom only", "\xEF\xBB\xBF", ""},
        {"no equals", "[a]\nlonely line\nk=v\n", "v"},
        {"duplicates", "[a]\nk=first\nk=second\n[A]\nk=third\n", "first"},
        {"long line", "[a]\nk=v\n" + longLine + "\nlong=" + longLine + "\n", "v"},
        {"no newline at end", "[a]\nk=v", "v"},
        // Found by fuzzing: the second mark used to hide the header until the file was saved.
        {"byte-order mark twice", "\xEF\xBB\xBF\xEF\xBB\xBF[a]\r\nk=v\r\n", "v"},
    };
    for (const auto& c : cases) {
        dir.Write("t.ini", c.text);
        EXPECT_EQ(TIniFile((dir / "t.ini").string()).ReadString("a", "k"), c.expected) << c.name;
    }
    dir.Write("t.ini", "[a]\nlong=" + longLine + "\n");
    EXPECT_EQ(TIniFile((dir / "t.ini").string()).ReadString("a", "long"), longLine);
}

TEST(IniFile, writeKeepsCommentsOrderAndUnknownKeys)
{
    TempFolder dir;
    dir.Write("App.ini", "; top comment\n[server]\nip=1.2.3.4\n; keep me\nextra=1\n\n[userinfo]\nusername=\n");
    TIniFile ini((dir / "App.ini").string());
    ini.WriteString("Server", "port", "8080");
    ini.WriteString("userinfo", "USERNAME", "kiosk01");
    ini.WriteInteger("ticketoutlet", "code", 7);
    EXPECT_EQ(dir.Read("App.ini"),
              "; top comment\r\n[server]\r\nip=1.2.3.4\r\n; keep me\r\nextra=1\r\nport=8080\r\n\r\n"
              "[userinfo]\r\nusername=kiosk01\r\n[ticketoutlet]\r\ncode=7\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "App.ini.tmp"));
    TIniFile again((dir / "App.ini").string());
    EXPECT_EQ(again.ReadInteger("ticketoutlet", "code", 0), 7);
    again.DeleteKey("server", "extra");
    again.EraseSection("userinfo");
    EXPECT_FALSE(TIniFile((dir / "App.ini").string()).ValueExists("server", "extra"));
    EXPECT_FALSE(TIniFile((dir / "App.ini").string()).SectionExists("userinfo"));
}

TEST(IniFile, failedSaveRaisesAndLeavesTheOldFile)
{
    TempFolder dir;
    dir.Write("App.ini", "[server]\nip=1.2.3.4\n");
    std::filesystem::create_directory(dir / "App.ini.tmp");  // the temporary file cannot be made
    TIniFile ini((dir / "App.ini").string());
    EXPECT_THROW(ini.WriteString("server", "ip", "x"), EInOutError);
    EXPECT_EQ(dir.Read("App.ini"), "[server]\nip=1.2.3.4\n");

    TIniFile nowhere((dir / "missing" / "App.ini").string());
    EXPECT_THROW(nowhere.WriteString("server", "ip", "x"), EInOutError);
}
