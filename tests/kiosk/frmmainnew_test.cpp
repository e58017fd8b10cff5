#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "kiosk/frmmainnew.h"
#include "platform/datetime.h"

using namespace kiosk;

namespace {
int argc = 1;
char arg0[] = "kiosk_test";
char* argv[] = {arg0, nullptr};
} // namespace

class MainWindow : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!QApplication::instance()) new QApplication(argc, argv);
        InstallFontSubstitutes();
    }
    void TearDown() override { DateTime::SetNowSource({}); }
};

TEST_F(MainWindow, frameCaptionTabsAndHiddenStatusBar)
{
    TFrmMainNew form;
    EXPECT_EQ(form.windowTitle(), "自助检票打单系统");
    EXPECT_EQ(form.font().pixelSize(), 35);
    ASSERT_EQ(form.pagecontrl->count(), 3);
    EXPECT_EQ(form.pagecontrl->tabText(0), "登录系统");
    EXPECT_EQ(form.pagecontrl->tabText(1), "异常班次");
    EXPECT_EQ(form.pagecontrl->tabText(2), "加班班次");
    EXPECT_EQ(form.Label4->text(), "岚途客运自助结算查询系统");
    EXPECT_EQ(form.Label4->font().pixelSize(), 56);
    EXPECT_TRUE(form.StatusBar->isHidden());
    TFrmMainNew shown(MainWindowOptions{true, {}});
    EXPECT_FALSE(shown.StatusBar->isHidden());
}

TEST_F(MainWindow, showStatusSetsPanelsZeroToFiveOnly)
{
    TFrmMainNew form;
    for (int i = -1; i <= 6; ++i) form.ShowStatus(i, "p" + std::to_string(i));
    EXPECT_EQ(form.PanelText(0), "p0");
    EXPECT_EQ(form.PanelText(5), "p5");
    EXPECT_EQ(form.PanelText(6), "");
}

TEST_F(MainWindow, clockPanelOnAMondayMorning)
{
    DateTime::SetNowSource([] { return DateTime::FromParts(2015, 3, 9, 8, 5, 9); });
    TFrmMainNew form;
    // No ID card reader here: showing the window says so in a box, which is closed.
    QString hint;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            hint = box->text();
            box->accept();
        }
    });
    closer.start(20);
    form.show();
    EXPECT_EQ(hint, "连接身份证读卡器失败,请连接好后,重新打开本模块！");
    EXPECT_FALSE(form.initIdcard);
    EXPECT_TRUE(form.tmrTime->isActive());
    EXPECT_EQ(form.tmrTime->interval(), 1000);
    EXPECT_EQ(form.PanelText(3), "2015.03.09 星期一 08:05:09");
    EXPECT_EQ(form.pagecontrl->currentIndex(), 0);
    if (const char* shot = std::getenv("KIOSK_SCREENSHOT")) {
        form.resize(1280, 800);
        form.grab().save(shot);
    }
}

TEST_F(MainWindow, exitRequestedBeforeTheLoopEndsItAsSoonAsItRuns)
{
    TFrmMainNew form;
    form.ExitApplication();
    QTimer watchdog;
    watchdog.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&watchdog, &QTimer::timeout, [&] { timedOut = true; QApplication::exit(1); });
    watchdog.start(5000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(timedOut);
}
