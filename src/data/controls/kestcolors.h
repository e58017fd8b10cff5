#pragma once
// Colours as the kiosk's forms give them: numbers in blue-green-red byte order (255 is red).
#include <QColor>

namespace kiosk {

inline QColor ColorFromTColor(int bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

inline const QColor clSkyBlue = ColorFromTColor(15780518);  // RGB 166, 202, 240
inline const QColor clChanged = ColorFromTColor(4901849);   // RGB 217, 203, 74: a changed value

} // namespace kiosk
