#pragma once
// The printing platform on QPrinter / QPrinterInfo. With no printer installed a PDF printer
// stands in: every job becomes a PDF file in "prints" of the application folder, named by the
// time and the sheet counter, so what would have been printed can be looked at.
#include <QPainter>
#include <QPrinter>
#include <memory>
#include <optional>

#include "print/qt/printplatform.h"

namespace kiosk {

// The name under which the PDF stand-in is listed.
inline constexpr const char* kPdfPrinterName = "PDF";
// Its resolution: that of a common slip printer.
inline constexpr int kPdfPrinterDpi = 203;

class TQtPrintPlatform : public IPrintPlatform {
public:
    enum class Mode { SystemPrinters, Pdf };
    // System printers when the system has any, otherwise the PDF stand-in. `appFolder` is the
    // application folder (with or without a trailing separator).
    explicit TQtPrintPlatform(const std::string& appFolder);
    TQtPrintPlatform(const std::string& appFolder, Mode mode);
    ~TQtPrintPlatform() override;

    Mode mode() const { return mode_; }
    // The folder the PDF stand-in writes to, and the file of its last job.
    std::string PrintsFolder() const;
    std::string LastPdfFile() const { return lastPdf_; }

    std::vector<std::string> Printers() const override;
    std::string DefaultPrinter() const override;
    void SelectPrinter(const std::string& name) override;
    std::string SelectedPrinter() const override;
    int DpiX() const override;
    int DpiY() const override;
    int ScreenDpi() const override;
    void SetPaperSize(const TPaperSettings& paper) override;
    IPrintCanvas& BeginJob(const std::string& documentName, int sheet) override;
    void EndJob() override;
    void AbortJob() override;

private:
    void ApplyPaper();
    std::string NewPdfFileName(int sheet) const;
    void FinishPainting();

    std::string appFolder_;
    Mode mode_;
    QPrinter printer_;
    QPainter painter_;
    std::unique_ptr<TPainterCanvas> canvas_;
    TPaperSettings paper_;
    std::string lastPdf_;
};

} // namespace kiosk
