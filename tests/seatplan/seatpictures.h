#pragma once
// Pictures for the seat view tests, in the server's form: hexadecimal text of a JPEG or a
// Windows bitmap file.
#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <string>

namespace kiosk::test {

inline std::string ToHex(const QByteArray& bytes) { return bytes.toHex().toUpper().toStdString(); }

inline std::string ImageHex(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, format == std::string("JPEG") ? 95 : -1);
    return ToHex(bytes);
}

inline QImage Solid(int w, int h, QColor colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A seat-state overlay: white background (the transparent colour, from the top-left pixel)
// with a filled square of `mark` in its middle half.
inline QImage Overlay(int size, QColor mark)
{
    QImage image = Solid(size, size, Qt::white);
    QPainter p(&image);
    p.fillRect(size / 4, size / 4, size / 2, size / 2, mark);
    return image;
}

// Colours the tests look for.
inline const QColor kSoldBlue(40, 90, 200);
inline const QColor kFreeGrey(190, 190, 190);
inline const QColor kCheckedMark(0, 170, 0);

inline bool Near(QColor a, QColor b, int tolerance = 24)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

} // namespace kiosk::test
