#pragma once
// Draws a barcode of the encoder (print/barcode.h) on a QPainter.
#include <QColor>
#include <QFont>
#include <string_view>

#include "print/barcode.h"

class QPainter;

namespace kiosk {

// Human-readable text under or over the bars.
enum TBarcodeTextMode { btmNone = 0, btmCode = 1, btmType = 2, btmTypeAndCode = 3 };
// Where the text goes: 0 top left, 1 top right, 2 top centre, 3 bottom left, 4 bottom right,
// 5 bottom centre (of the unrotated symbol).
enum TBarcodeTextPosition { btpTopLeft, btpTopRight, btpTopCenter, btpBottomLeft, btpBottomRight, btpBottomCenter };

struct TBarcodeStyle {
    int moduleWidth = 2;   // pixels
    double ratio = 2.0;    // wide to narrow
    int checkSumMode = kCheckSumNone;
    int height = 50;       // pixels
    QFont font;
    QColor fontColor = Qt::black;
    int textMode = btmNone;
    int textPosition = btpTopLeft;
    QColor barColor = Qt::black;
    QColor spaceColor = Qt::white;
    QColor textBackground = Qt::white;
    double angle = 0;      // degrees, counter-clockwise
};

// Draws `text` as a barcode of `type` whose rotated box keeps its corner at (left, top). The
// painter's font, pen and brush are restored afterwards. Raises the encoder's errors.
void DrawBarcode(QPainter& painter, TBarType type, std::string_view text, int left, int top, const TBarcodeStyle& style);

} // namespace kiosk
