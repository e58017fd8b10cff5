#pragma once
// The test double of the printing platform: renders every page to a QImage and records the
// job's settings and each drawing call as a line of text.
#include <QImage>
#include <memory>
#include <string>
#include <vector>

#include "print/qt/printplatform.h"

namespace kiosk::test {

struct TRecordedJob {
    std::string printer;
    std::string documentName;
    int sheet = 0;
    TPaperSettings paper;
    int dpiX = 0;
    int dpiY = 0;
    QImage page;
    // "font <name> <points>", "text <x>,<y> <text>", "line <x1>,<y1> <x2>,<y2>",
    // "bitmap <x>,<y> <width>x<height>".
    std::vector<std::string> calls;
    bool ended = false;
    bool aborted = false;
};

class TRecordingPrintPlatform : public IPrintPlatform {
public:
    TRecordingPrintPlatform();
    ~TRecordingPrintPlatform() override;

    // The system as the test wants it.
    std::vector<std::string> printers{"Slip Printer", "Office Laser"};
    std::string defaultPrinter = "Office Laser";
    int dpiX = 203;
    int dpiY = 203;
    int screenDpi = 96;

    std::vector<TRecordedJob> jobs;
    // Every printer selection and every paper request, in order.
    std::vector<std::string> selections;
    std::vector<TPaperSettings> paperRequests;

    std::vector<std::string> Printers() const override { return printers; }
    std::string DefaultPrinter() const override { return defaultPrinter; }
    void SelectPrinter(const std::string& name) override;
    std::string SelectedPrinter() const override { return selected_; }
    int DpiX() const override { return dpiX; }
    int DpiY() const override { return dpiY; }
    int ScreenDpi() const override { return screenDpi; }
    void SetPaperSize(const TPaperSettings& paper) override;
    IPrintCanvas& BeginJob(const std::string& documentName, int sheet) override;
    void EndJob() override;
    void AbortJob() override;

    // The calls of job `index` that start with `prefix` ("text ", "line ").
    std::vector<std::string> CallsOf(std::size_t index, const std::string& prefix) const;
    // Whether a job was begun and neither ended nor aborted.
    bool JobOpen() const;

private:
    class Canvas;
    std::string selected_;
    TPaperSettings paper_;
    std::unique_ptr<Canvas> canvas_;
};

// Pixels of a distance in tenths of a millimetre at `dpi`, as the engine converts it.
int TenthMmToPixels(double tenthMm, int dpi);

} // namespace kiosk::test
