// The settlement slip printed from the check screen through Qt's print support into a real
// spooler: a private cupsd with cups-pdf queues. The slip goes to the queue the template names,
// or to the default queue when the system has none of that name; a stopped queue keeps the job
// while the kiosk goes on without a word, and lets it out when started again. The PDF that
// cups-pdf writes is read back as text. Skipped where cupsd cannot be started (not root).
#include <QApplication>
#include <QTimer>

#include "check/checkfixture.h"
#include "check/frmdialogs.h"
#include "e2e/privatecups.h"
#include "support/pdftext.h"

namespace kiosk {
namespace {

using test::kBusK0830;

constexpr const char* kTemplatePrinter = "结算单打印机";  // the demo slip template's printer
constexpr const char* kDefaultQueue = "kiosk-slips";
constexpr int kPdfSeconds = 60;

class CupsSlip : public test::CheckScreen {
protected:
    static void SetUpTestSuite()
    {
        // Before Qt's print support first asks CUPS for its printers.
        cups = new test::PrivateCups;
        if (cups->Running()) {
            cups->AddPdfQueue(kTemplatePrinter, false);
            cups->AddPdfQueue(kDefaultQueue, true);
        }
        test::CheckScreen::SetUpTestSuite();
    }
    static void TearDownTestSuite()
    {
        delete cups;
        cups = nullptr;
    }

    void SetUp() override
    {
        if (!cups->Running()) GTEST_SKIP() << cups->Reason();
        CheckScreen::SetUp();
    }

    // Checks a ticket and prints the slip, answering the confirmation box; the screen prints
    // through the system's printers (no platform handed in).
    void CheckAndPrint()
    {
        Open(kBusK0830);
        form->SetCloseDelayAfterPrint(50);
        Type("11011");
        ASSERT_EQ(Checks(), 1);
        QTimer::singleShot(0, form.get(), [] {
            if (auto* box = qobject_cast<TFrmDialogs*>(QApplication::activeModalWidget())) box->BitBtn1->click();
        });
        form->BitBtn1->click();
    }

    // The one slip cups-pdf wrote, as text.
    std::string PrintedSlip()
    {
        const auto pdfs = cups->NewPdfs(1, kPdfSeconds);
        if (pdfs.size() != 1) return "<" + std::to_string(pdfs.size()) + " PDF files>";
        return test::PdfText(pdfs.front().string());
    }

    void ExpectSlip(const std::string& text)
    {
        EXPECT_NE(text.find("粤A12345"), std::string::npos) << text;
        EXPECT_NE(text.find("K0830"), std::string::npos) << text;
    }

    void ExpectNoComplaint()
    {
        EXPECT_TRUE(dialogs->calls.empty()) << dialogs->calls.front().op << " " << dialogs->calls.front().text;
        // (The fixture's App.ini names a scanner that is not there; that line is the only one.)
        EXPECT_EQ(Log().find("打印"), std::string::npos) << Log();
        EXPECT_EQ(Log().find("发班操作失败"), std::string::npos) << Log();
        EXPECT_EQ(form->lbl2->text().toStdString().find("失败"), std::string::npos) << form->lbl2->text().toStdString();
    }

    static inline test::PrivateCups* cups = nullptr;
};

TEST_F(CupsSlip, printsOnTheQueueTheTemplateNames)
{
    CheckAndPrint();
    ExpectNoComplaint();
    ExpectSlip(PrintedSlip());
    EXPECT_NE(cups->Run("lpstat -W completed -o " + std::string(kTemplatePrinter)), "");
    EXPECT_EQ(cups->Run("lpstat -W completed -o " + std::string(kDefaultQueue)), "");
}

TEST_F(CupsSlip, printsOnTheDefaultQueueWhenTheTemplatesPrinterIsMissing)
{
    Sql("UPDATE printtemplate SET printername = 'Counter Printer' WHERE name = '默认结算单'");
    CheckAndPrint();
    ExpectNoComplaint();
    ExpectSlip(PrintedSlip());
    EXPECT_NE(cups->Run("lpstat -W completed -o " + std::string(kDefaultQueue)), "");
}

TEST_F(CupsSlip, aStoppedQueueKeepsTheSlipUntilItIsStartedAgain)
{
    cups->Disable(kTemplatePrinter);
    CheckAndPrint();
    ExpectNoComplaint();
    EXPECT_EQ(cups->PendingJobs(kTemplatePrinter), 1);
    EXPECT_TRUE(cups->NewPdfs(1, 2).empty());
    cups->Enable(kTemplatePrinter);
    ExpectSlip(PrintedSlip());
    EXPECT_EQ(cups->PendingJobs(kTemplatePrinter), 0);
}

} // namespace
} // namespace kiosk
