// kiosk --check: every line passes on a kiosk PC that has what it needs, and each line fails
// with its own text when its part is missing, while the others still pass.
#include <gtest/gtest.h>

#include <QApplication>
#include <array>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "app/selfcheck.h"
#include "check/pty.h"
#include "core/coreservices.h"
#include "core/sysservice.h"
#include "print/recordingprintplatform.h"
#include "support/stationd_fixture.h"
#include "support/tempfolder.h"

using namespace kiosk;

namespace {

int argc = 1;
char arg0[] = "selfcheck_test";
char* argv[] = {arg0, nullptr};

const std::vector<std::string> kItems{"配置文件", "连接测试", "员工登录", "打印机",
                                      "结算单打印机", "扫描枪串口", "身份证读卡器", "应用目录"};

// A kiosk PC that has everything: App.ini for the station, a scanner on a pseudo-terminal, the
// ID card simulator with its spool folder, and printers, one of them the slip template's.
class SelfCheck : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!QApplication::instance()) new QApplication(argc, argv);
        server = new stationd::test::Stationd;
    }
    static void TearDownTestSuite() { delete server; }

    void SetUp() override
    {
        FreeSysService();
        FreeFactoryManager();
        setenv("KIOSK_HOME", home.path().c_str(), 1);
        std::filesystem::create_directories(home / "idcard-spool");
        WriteAppIni({});
        RegisterCoreServices(home.str());
        printers.printers = {"Office Laser", "结算单打印机"};
        printers.defaultPrinter = "Office Laser";
    }

    void WriteAppIni(const std::map<std::string, std::string>& changes)
    {
        std::map<std::string, std::string> values{
            {"ip", "127.0.0.1"}, {"port", std::to_string(server->Port())}, {"com", scanner.SlavePath()},
            {"username", "kiosk01"}, {"password", "123456"}, {"library", KIOSK_TERMB_SIMULATOR}};
        for (const auto& [key, value] : changes) values[key] = value;
        home.Write("App.ini", "[server]\nip=" + values["ip"] + "\nport=" + values["port"] + "\ncom=" + values["com"] +
                                  "\nbaudrate=9600\n[userinfo]\nusername=" + values["username"] + "\npassword=" +
                                  values["password"] + "\nautomin=60\n[ticketoutlet]\ncode=ZZ01\n[idcard]\nlibrary=" +
                                  values["library"] + "\n");
    }

    std::vector<TCheckResult> Run(bool standIn = false) { return RunSelfCheck(home.str(), {&printers, standIn}); }

    static inline stationd::test::Stationd* server = nullptr;
    test::TempFolder home;
    test::PseudoTerminal scanner;
    test::TRecordingPrintPlatform printers;
};

std::string Report(const std::vector<TCheckResult>& results)
{
    std::string out;
    for (const auto& r : results) out += CheckLine(r) + "\n";
    return out;
}

const TCheckResult& Line(const std::vector<TCheckResult>& results, const std::string& item)
{
    for (const auto& r : results)
        if (r.item == item) return r;
    throw std::runtime_error("no line " + item);
}

TEST_F(SelfCheck, passesEveryLineOnAKioskThatHasWhatItNeeds)
{
    const auto results = Run();
    ASSERT_EQ(results.size(), kItems.size());
    for (std::size_t i = 0; i < kItems.size(); ++i) {
        EXPECT_EQ(results[i].item, kItems[i]);
        EXPECT_TRUE(results[i].ok) << Report(results);
    }
    EXPECT_NE(Line(results, "连接测试").text.find("http://127.0.0.1:" + std::to_string(server->Port()) + "/KtBusWeb/"),
              std::string::npos);
    EXPECT_EQ(Line(results, "结算单打印机").text, "模板“默认结算单”：结算单打印机");
    EXPECT_EQ(Line(results, "扫描枪串口").text, scanner.SlavePath() + " 9600");
    // Nothing of the kiosk's configuration was written, no probe file is left.
    EXPECT_FALSE(std::filesystem::exists(home / "PrintConfig.ini"));
    for (const auto& entry : std::filesystem::directory_iterator(home.path()))
        EXPECT_NE(entry.path().filename().string().rfind(".kiosk-check", 0), 0u) << entry.path();
    EXPECT_EQ(CheckLine(Line(results, "扫描枪串口")), "扫描枪串口: OK " + scanner.SlavePath() + " 9600");
}

TEST_F(SelfCheck, sendsASlipToTheDefaultPrinterWhenTheTemplatesPrinterIsMissing)
{
    printers.printers = {"Office Laser"};
    const auto results = Run();
    EXPECT_TRUE(Line(results, "结算单打印机").ok) << Report(results);
    EXPECT_EQ(Line(results, "结算单打印机").text, "模板“默认结算单”的打印机“结算单打印机”不存在，用默认打印机：Office Laser");
}

class SelfCheckFailure;

struct FailingCase {
    const char* name;
    std::function<void(SelfCheckFailure&)> arrange;
    const char* item;
    const char* text;     // the failing line's text contains this
    bool alone = true;    // every other line still passes
};

class SelfCheckFailure : public SelfCheck, public testing::WithParamInterface<FailingCase> {
public:
    // Access for the table's set-ups.
    using SelfCheck::home;
    using SelfCheck::printers;
    using SelfCheck::WriteAppIni;
    bool standIn = false;
};

TEST_P(SelfCheckFailure, failsItsOwnLineWithTheFailuresText)
{
    GetParam().arrange(*this);
    const auto results = Run(standIn);
    ASSERT_EQ(results.size(), kItems.size());
    const TCheckResult& failed = Line(results, GetParam().item);
    EXPECT_FALSE(failed.ok) << Report(results);
    EXPECT_NE(failed.text.find(GetParam().text), std::string::npos) << Report(results);
    EXPECT_EQ(CheckLine(failed), failed.item + ": " + failed.text);
    if (!GetParam().alone) return;
    for (const auto& r : results) {
        if (r.item != GetParam().item) {
            EXPECT_TRUE(r.ok) << Report(results);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SelfCheckFailure,
    testing::Values(
        FailingCase{"noAppIni", [](SelfCheckFailure& t) { std::filesystem::remove(t.home / "App.ini"); }, "配置文件", "找不到系统配置文件！App.ini", false},
        FailingCase{"serverAway", [](SelfCheckFailure& t) { t.WriteAppIni({{"port", "1"}}); }, "连接测试",
                    "连接服务器失败：", false},
        FailingCase{"wrongPassword", [](SelfCheckFailure& t) { t.WriteAppIni({{"password", "wrong"}}); }, "员工登录",
                    "密码", false},
        FailingCase{"noUserName", [](SelfCheckFailure& t) { t.WriteAppIni({{"username", ""}}); }, "员工登录",
                    "请输入用户名！", false},
        FailingCase{"noPrinter",
                    [](SelfCheckFailure& t) {
                        t.printers.printers.clear();
                        t.printers.defaultPrinter.clear();
                        t.standIn = true;
                    },
                    "打印机", "打印系统中没有打印机", false},
        FailingCase{"noPrinterForTheSlip",
                    [](SelfCheckFailure& t) {
                        t.printers.printers = {"Office Laser"};
                        t.printers.defaultPrinter.clear();
                    },
                    "结算单打印机", "模板“默认结算单”的打印机“结算单打印机”不存在，也没有默认打印机"},
        FailingCase{"unknownSlipTemplate",
                    [](SelfCheckFailure& t) { t.home.Write("PrintConfig.ini", "[结算单]\ntemplateName=旧结算单\n"); },
                    "结算单打印机", "找不到打印模板：旧结算单"},
        FailingCase{"scannerPortMissing",
                    [](SelfCheckFailure& t) { t.WriteAppIni({{"com", "/dev/kiosk-no-such-scanner"}}); }, "扫描枪串口",
                    "串口初始化失败："},
        FailingCase{"cardLibraryMissing",
                    [](SelfCheckFailure& t) { t.WriteAppIni({{"library", "/nonexistent/libtermb.so"}}); },
                    "身份证读卡器", "/nonexistent/libtermb.so"},
        FailingCase{"cardReaderDoesNotOpen",
                    [](SelfCheckFailure& t) { std::filesystem::remove_all(t.home / "idcard-spool"); }, "身份证读卡器",
                    "连接身份证读卡器失败,请连接好后,重新打开本模块！"},
        FailingCase{"folderNotWritable",
                    [](SelfCheckFailure& t) { t.home.Write("error", "a file where the log folder belongs"); },
                    "应用目录", "无法创建目录"}),
    [](const testing::TestParamInfo<FailingCase>& info) { return std::string(info.param.name); });

// The executable as a technician runs it, without a display: one line per check on standard
// output, exit status 1 unless all passed.
std::pair<int, std::string> RunKioskCheck(const std::string& home)
{
    const std::string command = "env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY '" +
                                std::string(std::getenv("KIOSK_BIN_DIR")) + "/kiosk' --home '" + home +
                                "' --check 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    std::array<char, 4096> buf;
    for (std::size_t n; (n = fread(buf.data(), 1, buf.size(), pipe)) > 0;) out.append(buf.data(), n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

TEST_F(SelfCheck, kioskCheckPrintsOneLineEachWithoutAWindow)
{
    const auto [status, out] = RunKioskCheck(home.str());
    const auto lines = Lines(out);
    ASSERT_EQ(lines.size(), kItems.size()) << out;
    bool all = true;
    for (std::size_t i = 0; i < kItems.size(); ++i) {
        const std::string& line = lines[i];
        ASSERT_EQ(line.rfind(kItems[i] + ": ", 0), 0u) << out;
        const bool ok = line.rfind(kItems[i] + ": OK", 0) == 0;
        all = all && ok;
        // The printers are this machine's: a machine without any has the PDF stand-in.
        if (kItems[i] != "打印机" && kItems[i] != "结算单打印机") {
            EXPECT_TRUE(ok) << out;
        }
    }
    EXPECT_EQ(status, all ? 0 : 1) << out;

    test::TempFolder empty;
    const auto [failed, report] = RunKioskCheck(empty.str());
    EXPECT_EQ(failed, 1) << report;
    EXPECT_EQ(Lines(report).front(), "配置文件: 找不到系统配置文件！App.ini") << report;
    EXPECT_FALSE(std::filesystem::exists(empty / "App.ini")) << "the check wrote a configuration";
}

} // namespace
