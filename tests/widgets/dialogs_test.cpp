#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "widgets/dialogs.h"

using namespace kiosk;

namespace {

struct SeenBox {
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Answers the next modal box with `button` once it is shown, recording what it showed.
void AnswerNextBox(SeenBox& seen, QMessageBox::StandardButton button)
{
    QTimer::singleShot(0, [&seen, button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
        box->button(button)->click();
    });
}

int argc = 1;
char arg0[] = "widgets_test";
char* argv[] = {arg0, nullptr};

} // namespace

class Dialogs : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
    TDialogs dialogs;
    SeenBox seen;
};

TEST_F(Dialogs, captionsIconsAndButtonsOfEachBox)
{
    AnswerNextBox(seen, QMessageBox::Ok);
    dialogs.ShowError("保存失败！");
    EXPECT_EQ(seen.caption, "错误");
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.text, "保存失败！");

    AnswerNextBox(seen, QMessageBox::Ok);
    dialogs.ShowInfo("info");
    EXPECT_EQ(seen.caption, kApplicationTitle);
    EXPECT_EQ(seen.icon, QMessageBox::Information);

    AnswerNextBox(seen, QMessageBox::Ok);
    dialogs.ShowWarning("warn");
    EXPECT_EQ(seen.icon, QMessageBox::Warning);

    AnswerNextBox(seen, QMessageBox::Ok);
    dialogs.ShowMessageFmt("%s张", {"3"});
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_EQ(seen.text, "3张");
}

TEST_F(Dialogs, confirmAndAskYesNoAnswerWithTheButtonPressed)
{
    AnswerNextBox(seen, QMessageBox::Cancel);
    EXPECT_FALSE(dialogs.Confirm("提示", "确定打印结算单吗？"));
    EXPECT_EQ(seen.caption, "提示");
    EXPECT_EQ(seen.buttons, QMessageBox::Ok | QMessageBox::Cancel);
    AnswerNextBox(seen, QMessageBox::Ok);
    EXPECT_TRUE(dialogs.Confirm("提示", "x"));
    AnswerNextBox(seen, QMessageBox::Yes);
    EXPECT_TRUE(dialogs.AskYesNo("问", "x"));
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    AnswerNextBox(seen, QMessageBox::No);
    EXPECT_FALSE(dialogs.AskYesNo("问", "x"));
}

TEST_F(Dialogs, inputQueryEditsAtMost255Characters)
{
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* edit = dialog->findChild<QLineEdit*>("edit");
        EXPECT_EQ(edit->text(), "old");
        edit->setText(QString(300, QChar('x')));
        dialog->accept();
    });
    std::string value = "old";
    EXPECT_TRUE(dialogs.InputQuery("输入", "密码", value));
    EXPECT_EQ(value, std::string(255, 'x'));

    QTimer::singleShot(0, [] { qobject_cast<QDialog*>(QApplication::activeModalWidget())->reject(); });
    value = "keep";
    EXPECT_FALSE(dialogs.InputQuery("输入", "密码", value));
    EXPECT_EQ(value, "keep");
}
