#include "seatplan/view/seatcellcache.h"

#include <QPainter>

#include "seatplan/seatgeometry.h"

namespace kiosk {

namespace {

void Mix(std::size_t& seed, std::size_t value) { seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2); }

} // namespace

std::size_t TSeatCellLookHash::operator()(const TSeatCellLook& look) const
{
    std::size_t seed = std::hash<std::string>()(look.text);
    Mix(seed, std::size_t(look.picture));
    Mix(seed, std::size_t(look.overlay));
    Mix(seed, std::size_t(look.color.r) << 16 | std::size_t(look.color.g) << 8 | look.color.b);
    Mix(seed, std::size_t(look.size.width()) << 20 | std::size_t(look.size.height()));
    Mix(seed, std::size_t(look.band) << 8 | std::size_t(look.corner));
    Mix(seed, std::size_t(look.scale) << 2 | std::size_t(look.focused) << 1 | std::size_t(look.grey));
    return seed;
}

void GreyOut(QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            const int grey = GreyLevel(std::uint8_t(qRed(p)), std::uint8_t(qGreen(p)), std::uint8_t(qBlue(p)));
            line[x] = qRgba(grey, grey, grey, qAlpha(p));
        }
    }
}

const QImage& TSeatCellCache::Cell(const TSeatCellLook& look, const std::function<void(QPainter&)>& draw)
{
    if (const auto kept = FCells.find(look); kept != FCells.end()) return kept->second;
    const QSize pixels = look.size * look.scale / 100;
    if (FPixels + qint64(pixels.width()) * pixels.height() > kPixelBudget) Clear();
    // Every cell paints its whole background, so it is opaque: copying it back is a plain copy.
    QImage cell(pixels, QImage::Format_RGB32);
    cell.setDevicePixelRatio(look.scale / 100.0);
    cell.fill(Qt::white);
    {
        QPainter painter(&cell);
        draw(painter);
    }
    if (look.grey) GreyOut(cell);
    FPixels += qint64(pixels.width()) * pixels.height();
    return FCells.emplace(look, std::move(cell)).first->second;
}

void TSeatCellCache::Clear()
{
    FCells.clear();
    FPixels = 0;
}

} // namespace kiosk
