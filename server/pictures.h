#pragma once
// Pictures of the demo data as the kiosk wants them: image files as hexadecimal text, two
// upper-case digits per byte. JPEGs (spaces, ticket types) are drawn at build time by
// stationd_picgen; the seat-state overlays are Windows bitmaps written here.
#include <string>
#include <vector>

namespace stationd {

struct NamedPicture {
    const char* key;
    const char* hex;
};

// Generated: keys "space-<spaceid>", "type-<ticket type code>", "sold-<spaceid>-<type code>".
const std::vector<NamedPicture>& DemoJpegs();

// The JPEG of a key, empty when there is none.
std::string DemoJpegHex(const std::string& key);

// The 24-bit bitmap of a seat-state code "0" to "8" as hexadecimal text; its top-left pixel is
// white, the colour the kiosk makes transparent.
std::string SeatStateBitmapHex(const std::string& state);

// A bottom-up 24-bit Windows bitmap of width × height pixels, given as rows of 0xRRGGBB from the top.
std::string BitmapFile(int width, int height, const std::vector<unsigned>& pixels);

std::string ToHex(const std::string& bytes);

} // namespace stationd
