#include "print/qt/drawbarcode.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <QString>
#include <cmath>
#include <numbers>

namespace kiosk {

namespace {

// Rounds to the nearest integer, ties to even.
int RoundEven(double v) { return int(std::nearbyint(v)); }

struct Rotation {
    double s = 0, c = 1;
    QPoint origin;

    QPoint Map(int x, int y) const
    {
        return QPoint(RoundEven(c * x + s * y), RoundEven(-s * x + c * y)) + origin;
    }
};

// The offset that keeps the rotated W × H box at (left, top).
QPoint RotationOffset(double s, double c, int w, int h)
{
    if (s >= 0 && c >= 0) return {0, RoundEven(s * w)};
    if (s >= 0) return {-RoundEven(c * w), RoundEven(s * w - c * h)};
    if (c >= 0) return {-RoundEven(s * h), 0};
    return {-RoundEven(c * w) - RoundEven(s * h), -RoundEven(c * h)};
}

void DrawBars(QPainter& painter, const TBarPattern& bars, int height, const TBarcodeStyle& style, const Rotation& r)
{
    int x0 = 0;
    for (char ch : bars.pattern) {
        const TBarElement e = PatternElement(ch, bars.widths);
        const QColor colour = e.kind == TBarElement::Space ? style.spaceColor : style.barColor;
        painter.setPen(QPen(colour, 1));
        painter.setBrush(colour);
        const int y1 = e.kind == TBarElement::ShortBar ? height * 3 / 5 : 0;
        const QPolygon corners({r.Map(x0, y1), r.Map(x0, height), r.Map(x0 + e.width - 1, height), r.Map(x0 + e.width - 1, y1)});
        painter.drawPolygon(corners);
        x0 += e.width;
    }
}

QString BarcodeText(TBarType type, const TBarPattern& bars, int textMode)
{
    const QString name = QString::fromUtf8(BarTypeData(type).Name.data(), qsizetype(BarTypeData(type).Name.size()));
    const QString code = QString::fromStdString(bars.codeText);
    switch (textMode) {
    case btmCode: return code;
    case btmType: return name;
    case btmTypeAndCode: return name + " " + code;
    default: return {};
    }
}

// Unrotated text corner for the position, before the small corrections by angle.
QPoint TextCorner(int position, int width, int height, int textWidth, int textHeight)
{
    int x = 0;
    if (position == btpTopRight || position == btpBottomRight) x = width - textWidth - 1;
    if (position == btpTopCenter || position == btpBottomCenter) x = (width - textWidth) / 2;
    const int y = position >= btpBottomLeft && position <= btpBottomCenter ? height - textHeight : 0;
    return {x, y};
}

void DrawText(QPainter& painter, TBarType type, const TBarPattern& bars, int width, const TBarcodeStyle& style, const Rotation& r)
{
    const QString text = BarcodeText(type, bars, style.textMode);
    if (text.isEmpty()) return;
    painter.setFont(style.font);
    const QFontMetrics metrics(style.font, painter.device());
    const QPoint corner = TextCorner(style.textPosition, width, style.height, metrics.horizontalAdvance(text), metrics.height());
    QPoint at = r.Map(corner.x(), corner.y());
    const int degrees = (int(std::fmod(std::trunc(style.angle), 360.0)) + 360) % 360;
    const int pos = style.textPosition;
    const bool upright = degrees < 46 || degrees > 315;
    if (upright && pos >= btpBottomLeft && pos <= btpBottomCenter) at.ry() += 1;
    if (upright && (pos == btpTopRight || pos == btpBottomRight)) at.rx() += 1;
    if (degrees > 135 && degrees <= 225 && pos >= btpTopLeft && pos <= btpTopCenter) at.ry() += 1;
    if (degrees > 225 && degrees <= 315) at.rx() += 1;
    painter.setBrush(Qt::NoBrush);
    painter.setBackground(style.textBackground);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(style.fontColor);
    painter.translate(at);
    painter.rotate(-style.angle);
    painter.drawText(QPoint(0, metrics.ascent()), text);
}

} // namespace

void DrawBarcode(QPainter& painter, TBarType type, std::string_view text, int left, int top, const TBarcodeStyle& given)
{
    TBarcodeStyle style = given;
    if (!std::isfinite(style.angle)) style.angle = 0;
    const TBarPattern bars = MakeBarPattern(type, text, style.moduleWidth, style.checkSumMode, style.ratio);
    int width = 0;
    for (char ch : bars.pattern) width += PatternElement(ch, bars.widths).width;
    const double radians = style.angle / 180.0 * std::numbers::pi;
    Rotation r{std::sin(radians), std::cos(radians), {}};
    r.origin = RotationOffset(r.s, r.c, width, style.height) + QPoint(left, top);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    DrawBars(painter, bars, style.height, style, r);
    DrawText(painter, type, bars, width, style, r);
    painter.restore();
}

} // namespace kiosk
