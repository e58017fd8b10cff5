#include "print/qt/qtprintplatform.h"

#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinterInfo>
#include <QScreen>
#include <filesystem>

#include "platform/datetime.h"
#include "platform/exception.h"

namespace kiosk {

namespace {

QString ToQString(const std::string& text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

constexpr int kFallbackScreenDpi = 96;

TQtPrintPlatform::Mode ModeOfSystem()
{
    return QPrinterInfo::availablePrinterNames().isEmpty() ? TQtPrintPlatform::Mode::Pdf
                                                           : TQtPrintPlatform::Mode::SystemPrinters;
}

QPageSize PageSizeOf(const TPaperSettings& paper)
{
    if (paper.paperSize == kPaperUserDefined)
        return QPageSize(QSizeF(paper.width / 10.0, paper.length / 10.0), QPageSize::Millimeter, QString(),
                         QPageSize::ExactMatch);
    return QPageSize(QPageSize::FanFoldUS);
}

} // namespace

TQtPrintPlatform::TQtPrintPlatform(const std::string& appFolder) : TQtPrintPlatform(appFolder, ModeOfSystem()) {}

TQtPrintPlatform::TQtPrintPlatform(const std::string& appFolder, Mode mode)
    : appFolder_(appFolder), mode_(mode), printer_(QPrinter::HighResolution)
{
    if (mode_ == Mode::Pdf) {
        printer_.setOutputFormat(QPrinter::PdfFormat);
        printer_.setResolution(kPdfPrinterDpi);
    } else {
        printer_.setPrinterName(QPrinterInfo::defaultPrinterName());
    }
}

TQtPrintPlatform::~TQtPrintPlatform()
{
    if (painter_.isActive()) AbortJob();
}

std::string TQtPrintPlatform::PrintsFolder() const
{
    return (std::filesystem::path(appFolder_) / "prints").string();
}

std::vector<std::string> TQtPrintPlatform::Printers() const
{
    if (mode_ == Mode::Pdf) return {kPdfPrinterName};
    std::vector<std::string> names;
    for (const QString& name : QPrinterInfo::availablePrinterNames()) names.push_back(name.toStdString());
    return names;
}

std::string TQtPrintPlatform::DefaultPrinter() const
{
    if (mode_ == Mode::Pdf) return kPdfPrinterName;
    return QPrinterInfo::defaultPrinterName().toStdString();
}

void TQtPrintPlatform::SelectPrinter(const std::string& name)
{
    if (mode_ == Mode::SystemPrinters) printer_.setPrinterName(ToQString(name));
}

std::string TQtPrintPlatform::SelectedPrinter() const
{
    if (mode_ == Mode::Pdf) return kPdfPrinterName;
    return printer_.printerName().toStdString();
}

int TQtPrintPlatform::DpiX() const { return printer_.logicalDpiX(); }

int TQtPrintPlatform::DpiY() const { return printer_.logicalDpiY(); }

int TQtPrintPlatform::ScreenDpi() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? int(std::lround(screen->logicalDotsPerInchY())) : kFallbackScreenDpi;
}

void TQtPrintPlatform::SetPaperSize(const TPaperSettings& paper) { paper_ = paper; }

void TQtPrintPlatform::ApplyPaper()
{
    printer_.setFullPage(mode_ == Mode::Pdf);
    printer_.setPageOrientation(QPageLayout::Portrait);
    printer_.setPageSize(PageSizeOf(paper_));
    printer_.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

std::string TQtPrintPlatform::NewPdfFileName(int sheet) const
{
    const std::string stem = DateTime::Now().Format("yyyymmdd-hhnnss-zzz") + "-" + std::to_string(sheet);
    std::filesystem::path file = std::filesystem::path(PrintsFolder()) / (stem + ".pdf");
    for (int n = 2; std::filesystem::exists(file); ++n)
        file = std::filesystem::path(PrintsFolder()) / (stem + "-" + std::to_string(n) + ".pdf");
    return file.string();
}

IPrintCanvas& TQtPrintPlatform::BeginJob(const std::string& documentName, int sheet)
{
    if (painter_.isActive()) AbortJob();
    ApplyPaper();
    printer_.setDocName(ToQString(documentName));
    if (mode_ == Mode::Pdf) {
        std::error_code ec;
        std::filesystem::create_directories(PrintsFolder(), ec);
        if (ec) throw EInOutError("无法创建打印文件夹：" + PrintsFolder());
        lastPdf_ = NewPdfFileName(sheet);
        printer_.setOutputFileName(ToQString(lastPdf_));
    }
    if (!painter_.begin(&printer_)) throw Exception("打印机无法开始打印：" + SelectedPrinter());
    canvas_ = std::make_unique<TPainterCanvas>(painter_, DpiY());
    return *canvas_;
}

void TQtPrintPlatform::FinishPainting()
{
    canvas_.reset();
    if (painter_.isActive()) painter_.end();
}

void TQtPrintPlatform::EndJob() { FinishPainting(); }

void TQtPrintPlatform::AbortJob()
{
    if (!painter_.isActive()) return;
    printer_.abort();
    FinishPainting();
    if (mode_ == Mode::Pdf && !lastPdf_.empty()) {
        std::error_code ec;
        std::filesystem::remove(lastPdf_, ec);
        lastPdf_.clear();
    }
}

} // namespace kiosk
