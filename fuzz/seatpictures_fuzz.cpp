// The seat plan's pictures as the server sends them (hexadecimal text of JPEG seat and sold
// pictures, BMP seat-state overlays), with any text in their place: decoding gives a picture
// or a null image, never a crash. The first byte picks the format.
#include <QCoreApplication>
#include <QImage>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "seatplan/view/seatpicturecache.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const char* format = (data[0] & 1) ? "BMP" : "JPEG";
    const std::string hex(reinterpret_cast<const char*>(data + 1), size - 1);
    const QImage image = kiosk::TSeatPictureCache::Instance().Decode(hex, format, "fuzz");
    if (!image.isNull() && (image.width() <= 0 || image.height() <= 0)) std::abort();
    return 0;
}
