#include "print/recordingprintplatform.h"

#include <QPainter>
#include <cmath>
#include <optional>

namespace kiosk::test {

namespace {

QSize PageSizeInPixels(const TPaperSettings& paper, int dpiX, int dpiY)
{
    if (paper.paperSize == kPaperUserDefined)
        return {TenthMmToPixels(paper.width, dpiX), TenthMmToPixels(paper.length, dpiY)};
    return {int(std::lround(14.875 * dpiX)), 11 * dpiY};  // US standard fanfold
}

std::string Point(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }

} // namespace

int TenthMmToPixels(double tenthMm, int dpi)
{
    return int(std::round(tenthMm / 254.0 * dpi));
}

// Draws on the page image through the real painter canvas and records each call.
class TRecordingPrintPlatform::Canvas : public IPrintCanvas {
public:
    explicit Canvas(TRecordedJob& job) : job_(job), painter_(&job.page) { canvas_.emplace(painter_, job.dpiY); }

    void SetFont(const std::string& name, int pointSize) override
    {
        job_.calls.push_back("font " + name + " " + std::to_string(pointSize));
        canvas_->SetFont(name, pointSize);
    }
    void TextOut(int x, int y, const std::string& text) override
    {
        job_.calls.push_back("text " + Point(x, y) + " " + text);
        canvas_->TextOut(x, y, text);
    }
    int TextHeight(const std::string& text) override { return canvas_->TextHeight(text); }
    void Line(int x1, int y1, int x2, int y2) override
    {
        job_.calls.push_back("line " + Point(x1, y1) + " " + Point(x2, y2));
        canvas_->Line(x1, y1, x2, y2);
    }
    void Draw(int x, int y, const QImage& bitmap) override
    {
        job_.calls.push_back("bitmap " + Point(x, y) + " " + std::to_string(bitmap.width()) + "x" +
                             std::to_string(bitmap.height()));
        canvas_->Draw(x, y, bitmap);
    }
    // The canvas hands the painter's state back before the page is finished.
    void End()
    {
        canvas_.reset();
        painter_.end();
    }

private:
    TRecordedJob& job_;
    QPainter painter_;
    std::optional<TPainterCanvas> canvas_;
};

TRecordingPrintPlatform::TRecordingPrintPlatform() = default;
TRecordingPrintPlatform::~TRecordingPrintPlatform() = default;

void TRecordingPrintPlatform::SelectPrinter(const std::string& name)
{
    selected_ = name;
    selections.push_back(name);
}

void TRecordingPrintPlatform::SetPaperSize(const TPaperSettings& paper)
{
    paper_ = paper;
    paperRequests.push_back(paper);
}

IPrintCanvas& TRecordingPrintPlatform::BeginJob(const std::string& documentName, int sheet)
{
    canvas_.reset();
    TRecordedJob job;
    job.printer = selected_;
    job.documentName = documentName;
    job.sheet = sheet;
    job.paper = paper_;
    job.dpiX = dpiX;
    job.dpiY = dpiY;
    const QSize size = PageSizeInPixels(paper_, dpiX, dpiY);
    job.page = QImage(size, QImage::Format_RGB32);
    job.page.setDotsPerMeterX(int(std::lround(dpiX / 0.0254)));
    job.page.setDotsPerMeterY(int(std::lround(dpiY / 0.0254)));
    job.page.fill(Qt::white);
    jobs.push_back(std::move(job));
    canvas_ = std::make_unique<Canvas>(jobs.back());
    return *canvas_;
}

void TRecordingPrintPlatform::EndJob()
{
    if (canvas_) canvas_->End();
    canvas_.reset();
    if (!jobs.empty()) jobs.back().ended = true;
}

void TRecordingPrintPlatform::AbortJob()
{
    if (canvas_) canvas_->End();
    canvas_.reset();
    if (!jobs.empty()) jobs.back().aborted = true;
}

std::vector<std::string> TRecordingPrintPlatform::CallsOf(std::size_t index, const std::string& prefix) const
{
    std::vector<std::string> out;
    for (const auto& call : jobs.at(index).calls)
        if (call.rfind(prefix, 0) == 0) out.push_back(call.substr(prefix.size()));
    return out;
}

bool TRecordingPrintPlatform::JobOpen() const
{
    return !jobs.empty() && !jobs.back().ended && !jobs.back().aborted;
}

} // namespace kiosk::test
