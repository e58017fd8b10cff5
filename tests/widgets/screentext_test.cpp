#include <gtest/gtest.h>

#include <string>

#include "core/coreservices.h"
#include "core/sysservice.h"
#include "platform/datetime.h"
#include "support/tempfolder.h"
#include "widgets/screentext.h"

using namespace kiosk;

namespace {

std::string Repeat(const std::string& piece, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) text += piece;
    return text;
}

struct CutCase {
    std::string text;
    QString shown;
};

class ScreenTextCuts : public ::testing::TestWithParam<CutCase> {};

TEST_P(ScreenTextCuts, toWhatAScreenShows)
{
    EXPECT_EQ(ScreenText(GetParam().text), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ScreenTextCuts,
    ::testing::Values(
        CutCase{"检票成功！", QStringLiteral("检票成功！")},
        CutCase{Repeat("票", kScreenTextChars), QString::fromStdString(Repeat("票", kScreenTextChars))},
        // Characters, not bytes: a cut never splits one.
        CutCase{Repeat("票", kScreenTextChars + 1), QString::fromStdString(Repeat("票", kScreenTextChars)) + "…"},
        CutCase{Repeat("a\n", 20), QString::fromStdString(Repeat("a\n", kScreenTextLines - 1) + "a") + "…"},
        // CR LF is one line break; a lone CR (an error page's detail) is one too.
        CutCase{Repeat("a\r\n", 20), QString::fromStdString(Repeat("a\r\n", kScreenTextLines - 1) + "a") + "…"},
        CutCase{Repeat("a\r", 20), QString::fromStdString(Repeat("a\r", kScreenTextLines - 1) + "a") + "…"},
        CutCase{Repeat("a\n", kScreenTextLines - 1) + "a", QString::fromStdString(Repeat("a\n", kScreenTextLines - 1) + "a")}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(ScreenText, writesACutTextWholeToTheLog)
{
    test::TempFolder folder;
    FreeSysService();
    FreeFactoryManager();
    RegisterCoreServices(folder.str());
    const std::string text = std::string(10 * 1024 * 1024, 'x') + "the end";
    EXPECT_EQ(ScreenText(text).size(), kScreenTextChars + 1);
    EXPECT_EQ(ScreenText("short").toStdString(), "short");
    const std::string log = folder.Read("error/" + DateTime::Now().DateText() + ".txt");
    EXPECT_NE(log.find("x" + std::string("the end")), std::string::npos);
    EXPECT_EQ(log.find("short"), std::string::npos);
    FreeSysService();
    FreeFactoryManager();
}

} // namespace
