#pragma once
// TSeatCellCache: the drawn cells of one seat view, kept per look. A look is everything a cell
// shows: its picture and overlay (by the images' cache keys, so a reloaded picture is a new
// look), its text and colour, its size and scale, whether it is the focused cell and whether
// it is greyed. A repaint then copies finished cells instead of scaling pictures, greying them
// and laying out text at every paint. The cache holds at most kPixelBudget pixels; past that
// it starts again empty.
#include <QImage>
#include <QSize>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

#include "seatplan/seattypes.h"

class QPainter;

namespace kiosk {

struct TSeatCellLook {
    qint64 picture = 0;  // QImage::cacheKey of the picture, 0 for none
    qint64 overlay = 0;  // QImage::cacheKey of the overlay, 0 for none
    std::string text;
    TTextColor color = clBlack;
    QSize size;
    int band = 0;        // height of the text band
    int corner = 0;      // where the overlay sits (TStatusPicturePosition)
    int scale = 100;     // device pixels per 100 logical pixels
    bool focused = false;
    bool grey = false;
    bool operator==(const TSeatCellLook&) const = default;
};

struct TSeatCellLookHash {
    std::size_t operator()(const TSeatCellLook& look) const;
};

// Sets red, green and blue of every pixel to the seat views' grey level of it.
void GreyOut(QImage& image);

class TSeatCellCache {
public:
    static constexpr qint64 kPixelBudget = 3'000'000;

    // The cell of this look; `draw` paints it (on a painter whose origin is the cell's top-left
    // corner) when it is not kept yet.
    const QImage& Cell(const TSeatCellLook& look, const std::function<void(QPainter&)>& draw);
    void Clear();
    std::size_t Size() const { return FCells.size(); }

private:
    std::unordered_map<TSeatCellLook, QImage, TSeatCellLookHash> FCells;
    qint64 FPixels = 0;
};

} // namespace kiosk
