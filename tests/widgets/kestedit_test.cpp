// TKestEdit under real key and focus events, offscreen.
#include <gtest/gtest.h>

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "core/sysfactory.h"
#include "core/sysservice.h"
#include "data/controls/kestcolors.h"
#include "data/controls/tkestedit.h"
#include "platform/dataset.h"
#include "support/qtapp.h"
#include "support/recordingdialog.h"

using namespace kiosk;

namespace {

// A form with three edits in tab order and a label.
class KestEditForm : public testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureApplication(); }

    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&form);
        for (auto* e : {&first, &second, &third}) layout->addWidget(e);
        layout->addWidget(&label);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }

    void Focus(QWidget& w)
    {
        w.setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
    }

    QWidget form;
    TKestEdit first{&form}, second{&form}, third{&form};
    QLabel label{"车牌号", &form};
};

// Types `text` key by key; characters without a key of their own arrive as typed text.
void TypeText(QWidget& w, const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 128) QTest::keyClicks(&w, QString(c));
        else QTest::sendKeyEvent(QTest::Click, &w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

struct TypingCase {
    const char* name;
    TValueType type;
    bool stopErrorKey;
    const char* typed;
    const char* expected;
};

class KestEditTyping : public KestEditForm, public testing::WithParamInterface<TypingCase> {};

} // namespace

TEST_F(KestEditForm, startsWithThePropertiesDefaults)
{
    EXPECT_EQ(first.Id(), 0);
    EXPECT_EQ(first.value(), "");
    EXPECT_EQ(first.Code(), "");
    EXPECT_EQ(first.ValueType(), ssString);
    EXPECT_EQ(first.OnEnterColor(), QColor(166, 202, 240));
    EXPECT_EQ(first.OnExitColot(), QApplication::palette().color(QPalette::Base));
    EXPECT_TRUE(first.StopErrorKey());
    EXPECT_FALSE(first.AutoTab());
    EXPECT_EQ(first.PerTabComponent(), nullptr);
    EXPECT_EQ(first.NextTabComponent(), nullptr);
    EXPECT_FALSE(first.OnFocusSelectAll());
    EXPECT_TRUE(first.DisEnableType());
    EXPECT_EQ(first.DisEnableColor(), QColor(255, 0, 0));
    EXPECT_EQ(first.OnChangeColor(), ColorFromTColor(4901849));
    EXPECT_EQ(first.OldValue(), "");
    EXPECT_FALSE(first.OnChangeColorSet());
    EXPECT_FALSE(first.DoNilWhenNum());
    EXPECT_EQ(first.BindLabel(), nullptr);
    EXPECT_EQ(first.maxLength(), 50);
}

TEST_P(KestEditTyping, keepsWhatItsValueTypeAllows)
{
    const TypingCase& c = GetParam();
    first.SetValueType(c.type);
    first.SetStopErrorKey(c.stopErrorKey);
    Focus(first);
    TypeText(first, QString::fromUtf8(c.typed));
    EXPECT_EQ(first.Text(), c.expected);
    EXPECT_EQ(first.cursorPosition(), first.text().size());
}

INSTANTIATE_TEST_SUITE_P(
    ValueTypes, KestEditTyping,
    testing::Values(TypingCase{"number", ssNumber, true, "1a2.3.4", "12.34"},
                    TypingCase{"double", ssDouble, true, "-1-2", "-12"},
                    TypingCase{"ticket", ssTicket, true, "AB-0012 34", "001234"},
                    TypingCase{"stringDropsTypedQuotesAndBlanks", ssString, true, "粤A 12'3", "粤A123"},
                    TypingCase{"stringWithoutStopErrorKeyKeepsBlanks", ssString, false, "a b'c", "a bc"},
                    TypingCase{"timeTypedOver", ssHHMM, true, "1234", "12:34"},
                    TypingCase{"timeHeldToADay", ssHHMM, true, "2960", "20:00"}),
    [](const testing::TestParamInfo<TypingCase>& info) { return std::string(info.param.name); });

TEST_F(KestEditForm, upperCaseInputTurnsTypedLettersUpperCase)
{
    first.SetCharCase(ecUpperCase);
    Focus(first);
    TypeText(first, QString::fromUtf8("k08粤a"));
    EXPECT_EQ(first.Text(), "K08粤A");
    EXPECT_EQ(first.cursorPosition(), 5);
}

TEST_F(KestEditForm, caretStaysOnItsCharacterWhenATypedLetterIsDropped)
{
    first.SetValueType(ssNumber);
    Focus(first);
    QTest::keyClicks(&first, "123");
    QTest::keyClick(&first, Qt::Key_Home);
    QTest::keyClick(&first, Qt::Key_Right);
    QTest::keyClick(&first, Qt::Key_X);
    EXPECT_EQ(first.Text(), "123");
    EXPECT_EQ(first.cursorPosition(), 1);
    QTest::keyClick(&first, Qt::Key_9);
    EXPECT_EQ(first.Text(), "1923");
    EXPECT_EQ(first.cursorPosition(), 2);
}

TEST_F(KestEditForm, emptiedNumberBecomesZeroUnlessDoNilWhenNum)
{
    first.SetValueType(ssNumber);
    Focus(first);
    QTest::keyClicks(&first, "42");
    QTest::keyClick(&first, Qt::Key_Backspace);
    QTest::keyClick(&first, Qt::Key_Backspace);
    EXPECT_EQ(first.Text(), "0");
    EXPECT_EQ(first.cursorPosition(), 1);

    second.SetValueType(ssNumber);
    second.SetDoNilWhenNum(true);
    Focus(second);
    QTest::keyClicks(&second, "7");
    QTest::keyClick(&second, Qt::Key_Backspace);
    EXPECT_EQ(second.Text(), "");
}

TEST_F(KestEditForm, textSetByCodeIsCleanedBeforeTheChangeEvent)
{
    first.SetValueType(ssTicket);
    std::vector<std::string> seen;
    QObject::connect(&first, &TKestEdit::OnChange, [&] { seen.push_back(first.Text()); });
    QSignalSpy changed(&first, &QLineEdit::textChanged);
    first.SetText("012345678901\r\n");
    EXPECT_EQ(first.Text(), "012345678901");
    EXPECT_EQ(seen, (std::vector<std::string>{"012345678901"}));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toString(), "012345678901");
    // The length limit (50) is for typing: a longer text is cleaned before it is cut.
    first.SetText(std::string(45, 'A') + "1234567890\r\n");
    EXPECT_EQ(first.Text(), "1234567890");
}

TEST_F(KestEditForm, timeAndDateTextsSetByCode)
{
    DateTime::SetNowSource([] { return DateTime::FromParts(2024, 3, 15, 9, 30); });
    first.SetValueType(ssHHMM);
    for (auto [text, expected] : {std::pair{"25:70", "20:00"}, {"2561", "20:10"}, {"9", "00:00"}}) {
        first.SetText(text);
        EXPECT_EQ(first.Text(), expected) << text;
    }
    second.SetValueType(ssYYYYMMDD);
    second.SetText("2024-1");
    EXPECT_EQ(second.Text(), "20240315");
    Focus(second);
    QTest::keyClick(&second, Qt::Key_Home);
    QTest::keyClicks(&second, "20251225");
    EXPECT_EQ(second.Text(), "20251225");
    DateTime::SetNowSource({});
}

TEST_F(KestEditForm, focusColoursEnterExitAndChange)
{
    first.SetText("粤A12345");
    Focus(first);
    EXPECT_EQ(first.BackgroundColor(), first.OnEnterColor());
    Focus(second);
    EXPECT_EQ(first.BackgroundColor(), first.OnExitColot());

    first.SetOldValue(" 粤A12345 ");
    EXPECT_TRUE(first.OnChangeColorSet());
    Focus(first);
    Focus(second);
    EXPECT_EQ(first.BackgroundColor(), first.OnExitColot()); // the same trimmed text is no change

    Focus(first);
    QTest::keyClick(&first, Qt::Key_End);
    QTest::keyClick(&first, Qt::Key_6);
    Focus(second);
    EXPECT_EQ(first.BackgroundColor(), first.OnChangeColor());

    first.SetOldValue("");
    EXPECT_FALSE(first.OnChangeColorSet());
}

TEST_F(KestEditForm, enterAndExitEventsFollowTheFocusWithinTheWindow)
{
    Focus(second);
    QSignalSpy entered(&first, &TKestEdit::OnEnter);
    QSignalSpy left(&first, &TKestEdit::OnExit);
    Focus(first);
    Focus(second);
    Focus(first);
    EXPECT_EQ(entered.count(), 2);
    EXPECT_EQ(left.count(), 1);
}

TEST_F(KestEditForm, disabledTextIsPaintedInDisEnableColor)
{
    first.SetText("粤A12345");
    first.setEnabled(false);
    EXPECT_EQ(first.palette().color(QPalette::Disabled, QPalette::Text), QColor(255, 0, 0));
    const QImage image = first.grab().toImage();
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 60 && c.blue() < 60) ++red;
        }
    EXPECT_GT(red, 10);

    first.SetDisEnableType(false);
    EXPECT_NE(first.palette().color(QPalette::Disabled, QPalette::Text), QColor(255, 0, 0));
}

TEST_F(KestEditForm, disabledPasswordStaysMasked)
{
    first.setEchoMode(QLineEdit::Password);
    first.SetText("123456");
    first.setEnabled(false);
    EXPECT_NE(first.displayText(), "123456");
}

TEST_F(KestEditForm, autoTabMovesTheFocusOnEnterAndEsc)
{
    first.SetAutoTab(true);
    second.SetAutoTab(true);
    Focus(first);
    QTest::keyClick(&first, Qt::Key_Return);
    EXPECT_TRUE(second.hasFocus()); // the next control in tab order

    second.SetNextTabComponent(&first);
    QTest::keyClick(&second, Qt::Key_Enter);
    EXPECT_TRUE(first.hasFocus());

    first.SetPerTabComponent(&third);
    QTest::keyClick(&first, Qt::Key_Escape);
    EXPECT_TRUE(third.hasFocus());

    Focus(second);
    second.SetPerTabComponent(nullptr);
    QTest::keyClick(&second, Qt::Key_Escape);
    EXPECT_TRUE(first.hasFocus()); // the previous control

    third.setEnabled(false);
    QTest::keyClick(&first, Qt::Key_Escape);
    EXPECT_TRUE(first.hasFocus()); // a target that cannot take the focus keeps it here
}

TEST_F(KestEditForm, withoutAutoTabEnterStaysAndIsReported)
{
    QSignalSpy pressed(&first, &TKestEdit::OnKeyPress);
    QSignalSpy released(&first, &TKestEdit::OnKeyUp);
    Focus(first);
    QTest::keyClick(&first, Qt::Key_Return);
    EXPECT_TRUE(first.hasFocus());
    ASSERT_EQ(pressed.count(), 1);
    EXPECT_EQ(pressed.at(0).at(0).value<QChar>(), QChar('\r'));
    ASSERT_EQ(released.count(), 1);
    EXPECT_EQ(released.at(0).at(0).toInt(), int(Qt::Key_Return));
}

TEST_F(KestEditForm, idChangeFiresOnlyForADifferentId)
{
    QSignalSpy changes(&first, &TKestEdit::OnIdChange);
    first.SetId(0);
    first.SetId(9007199254740993LL);
    first.SetId(9007199254740993LL);
    first.SetId(0);
    EXPECT_EQ(changes.count(), 2);
}

TEST_F(KestEditForm, valueTrimReadsAndWritesTheTrimmedText)
{
    first.SetText("  粤A1 ");
    EXPECT_EQ(first.ValueTrim(), "粤A1");
    QSignalSpy changed(&first, &QLineEdit::textChanged);
    first.SetValueTrim(" 粤B2\t");
    EXPECT_EQ(first.Text(), "粤B2");
    first.SetValueTrim("粤B2");
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(KestEditForm, changeTextNamesTheOldAndTheNewValue)
{
    struct Case {
        const char* old;
        const char* text;
        QLabel* label;
        const char* expected;
    };
    for (const Case& c : {Case{"", "", nullptr, ""}, Case{"A", " A ", nullptr, ""},
                          Case{"", "粤B", &label, "车牌号=粤B"}, Case{"粤A", "粤B", &label, "车牌号原:粤A;新粤B"},
                          Case{"粤A", "", nullptr, "原:粤A;新"}}) {
        first.SetOldValue(c.old);
        first.SetText(c.text);
        first.SetBindLabel(c.label);
        EXPECT_EQ(first.GetChangeText(), c.expected) << c.old << " -> " << c.text;
    }
}

TEST_F(KestEditForm, boundFieldFollowsTheDatasetCursor)
{
    TDataSet ds("jsonClientDataSetplan");
    ds.FieldDefs().Add("endstation", ftString, 20);
    ds.CreateDataSet();
    for (const char* station : {"广州", "深圳"}) {
        ds.Append();
        ds.FieldByName("endstation").SetAsString(station);
        ds.Post();
    }
    ds.First();
    first.SetDataField(&ds, "endstation");
    EXPECT_EQ(first.Text(), "广州");
    ds.Next();
    EXPECT_EQ(first.Text(), "深圳");
    ds.Close();
    EXPECT_EQ(first.Text(), "");
}

TEST_F(KestEditForm, aFailingHandlerIsReportedAndTheEditGoesOn)
{
    FreeFactoryManager();
    InitSysService();
    auto script = test::RegisterRecordingDialog();
    QObject::connect(&first, &TKestEdit::OnChange, [] { throw Exception("查询失败"); });
    Focus(first);
    QTest::keyClick(&first, Qt::Key_A);
    QTest::keyClick(&first, Qt::Key_B);
    EXPECT_EQ(first.Text(), "ab");
    ASSERT_EQ(script->calls.size(), 2u);
    EXPECT_EQ(script->calls[0].text, "查询失败");
    FreeSysService();
    FreeFactoryManager();
}
