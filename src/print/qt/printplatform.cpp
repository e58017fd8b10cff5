#include "print/qt/printplatform.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>
#include <cmath>

namespace kiosk {

namespace {

QString ToQString(const std::string& text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

// Windows fonts of size 0 take the device's default; ours is 9 points.
constexpr int kDefaultPointSize = 9;

} // namespace

TPaperSettings PaperSettingsFor(int width, int length)
{
    if (width != 0 && length != 0) return {kPaperUserDefined, width, length};
    return {kPaperFanfoldUS, width, length};
}

std::optional<std::string> FindPrinter(const std::vector<std::string>& printers, const std::string& name)
{
    const QString wanted = ToQString(name);
    for (const auto& printer : printers)
        if (ToQString(printer).compare(wanted, Qt::CaseInsensitive) == 0) return printer;
    return std::nullopt;
}

TPainterCanvas::TPainterCanvas(QPainter& painter, int dpiY) : painter_(painter), dpiY_(dpiY)
{
    painter_.save();
    painter_.setPen(QPen(Qt::black, 1));
    painter_.setBrush(Qt::NoBrush);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
}

TPainterCanvas::~TPainterCanvas() { painter_.restore(); }

void TPainterCanvas::SetFont(const std::string& name, int pointSize)
{
    QFont font(ToQString(name));
    const int points = pointSize > 0 ? pointSize : kDefaultPointSize;
    font.setPixelSize(std::max(1, int(std::lround(double(points) * dpiY_ / 72.0))));
    painter_.setFont(font);
}

void TPainterCanvas::TextOut(int x, int y, const std::string& text)
{
    const QFontMetrics metrics(painter_.font(), painter_.device());
    painter_.drawText(QPoint(x, y + metrics.ascent()), ToQString(text));
}

// The font's cell height, as a printer reports the height of a line of text.
int TPainterCanvas::TextHeight(const std::string&)
{
    return QFontMetrics(painter_.font(), painter_.device()).height();
}

void TPainterCanvas::Line(int x1, int y1, int x2, int y2) { painter_.drawLine(x1, y1, x2, y2); }

void TPainterCanvas::Draw(int x, int y, const QImage& bitmap)
{
    if (!bitmap.isNull()) painter_.drawImage(QPoint(x, y), bitmap);
}

} // namespace kiosk
