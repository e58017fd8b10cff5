#pragma once
// The printing platform as the template engine sees it: the system's printers, the paper of
// each job, and a canvas in printer pixels. TQtPrintPlatform (qtprintplatform.h) is the real
// one; tests use a double that renders pages to images and records the job settings.
#include <optional>
#include <string>
#include <vector>

class QImage;
class QPainter;

namespace kiosk {

// Paper size codes of the device settings.
inline constexpr int kPaperFanfoldUS = 39;     // US standard fanfold, 14 7/8 × 11 in
inline constexpr int kPaperUserDefined = 256;  // width and length as given

// The paper asked for one job. Width and length in tenths of a millimetre; for the fanfold
// code the driver's own length stays.
struct TPaperSettings {
    int paperSize = kPaperFanfoldUS;
    int width = 0;
    int length = 0;
    friend bool operator==(const TPaperSettings&, const TPaperSettings&) = default;
};

// A user-defined paper when both sizes are non-zero, otherwise the fanfold paper.
TPaperSettings PaperSettingsFor(int width, int length);

// Drawing on the page of the job in progress, in printer pixels.
class IPrintCanvas {
public:
    virtual ~IPrintCanvas() = default;
    // Font by name and size in points, at the printer's vertical resolution.
    virtual void SetFont(const std::string& name, int pointSize) = 0;
    // Text with its top-left corner at (x, y).
    virtual void TextOut(int x, int y, const std::string& text) = 0;
    // Height of the text in the current font.
    virtual int TextHeight(const std::string& text) = 0;
    // A line with the canvas's pen (black, one pixel).
    virtual void Line(int x1, int y1, int x2, int y2) = 0;
    // The bitmap unscaled, one bitmap pixel per printer pixel, top-left at (x, y).
    virtual void Draw(int x, int y, const QImage& bitmap) = 0;
};

class IPrintPlatform {
public:
    virtual ~IPrintPlatform() = default;
    virtual std::vector<std::string> Printers() const = 0;
    virtual std::string DefaultPrinter() const = 0;
    // Selects one of Printers() by its exact name.
    virtual void SelectPrinter(const std::string& name) = 0;
    virtual std::string SelectedPrinter() const = 0;
    // Dots per inch of the selected printer.
    virtual int DpiX() const = 0;
    virtual int DpiY() const = 0;
    // Pixels per inch of the screen (bitmaps made for the printer are sized by it).
    virtual int ScreenDpi() const = 0;
    // The paper of the next job; set freshly before every job.
    virtual void SetPaperSize(const TPaperSettings& paper) = 0;
    // Starts a job of one page on the selected printer; `sheet` is the caller's sheet counter.
    // Raises kiosk::Exception when the printer refuses the job.
    virtual IPrintCanvas& BeginJob(const std::string& documentName, int sheet) = 0;
    // Sends the page.
    virtual void EndJob() = 0;
    // Drops the job in progress (after a failure while drawing); nothing is printed.
    virtual void AbortJob() = 0;
};

// The printer of the list whose name equals `name` without regard to case.
std::optional<std::string> FindPrinter(const std::vector<std::string>& printers, const std::string& name);

// IPrintCanvas on a QPainter whose device has `dpiY` dots per inch vertically.
class TPainterCanvas : public IPrintCanvas {
public:
    TPainterCanvas(QPainter& painter, int dpiY);
    ~TPainterCanvas() override;
    TPainterCanvas(const TPainterCanvas&) = delete;
    TPainterCanvas& operator=(const TPainterCanvas&) = delete;

    void SetFont(const std::string& name, int pointSize) override;
    void TextOut(int x, int y, const std::string& text) override;
    int TextHeight(const std::string& text) override;
    void Line(int x1, int y1, int x2, int y2) override;
    void Draw(int x, int y, const QImage& bitmap) override;

private:
    QPainter& painter_;
    int dpiY_;
};

} // namespace kiosk
