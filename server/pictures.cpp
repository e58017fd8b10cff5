#include "pictures.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace stationd {

namespace {

// A small raster for the seat-state symbols: filled shapes and thick lines on white.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height), pixels_(width * height, 0xFFFFFF) {}

    void Rect(int x0, int y0, int x1, int y1, unsigned colour)
    {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                Put(x, y, colour);
    }

    void Disc(double cx, double cy, double r, unsigned colour)
    {
        Each([&](int x, int y) { return Distance(x, y, cx, cy) <= r; }, colour);
    }

    void Ring(double cx, double cy, double r, double thickness, unsigned colour)
    {
        Each([&](int x, int y) { return std::abs(Distance(x, y, cx, cy) - r) <= thickness / 2; }, colour);
    }

    void Line(double ax, double ay, double bx, double by, double thickness, unsigned colour)
    {
        Each([&](int x, int y) { return SegmentDistance(x + 0.5, y + 0.5, ax, ay, bx, by) <= thickness / 2; },
             colour);
    }

    std::string File() const { return BitmapFile(width_, height_, pixels_); }

private:
    template <typename Inside>
    void Each(Inside inside, unsigned colour)
    {
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if (inside(x, y))
                    Put(x, y, colour);
    }

    void Put(int x, int y, unsigned colour)
    {
        // The top-left pixel stays white: it names the transparent colour.
        if (x < 0 || y < 0 || x >= width_ || y >= height_ || (x == 0 && y == 0))
            return;
        pixels_[y * width_ + x] = colour;
    }

    static double Distance(int x, int y, double cx, double cy)
    {
        return std::hypot(x + 0.5 - cx, y + 0.5 - cy);
    }

    static double SegmentDistance(double px, double py, double ax, double ay, double bx, double by)
    {
        const double dx = bx - ax, dy = by - ay;
        const double length2 = dx * dx + dy * dy;
        double t = length2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / length2 : 0;
        t = std::fmax(0, std::fmin(1, t));
        return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
    }

    int width_;
    int height_;
    std::vector<unsigned> pixels_;
};

void PutLe(std::string& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::string FreeSeat()
{
    Canvas c(48, 48);
    c.Rect(10, 4, 37, 29, 0x909090);
    c.Rect(12, 6, 35, 27, 0xE4E4E4);
    c.Rect(6, 28, 41, 41, 0x909090);
    c.Rect(8, 30, 39, 39, 0xE4E4E4);
    return c.File();
}

std::string Check(unsigned colour)
{
    Canvas c(32, 32);
    c.Line(5, 17, 13, 26, 5, colour);
    c.Line(13, 26, 27, 6, 5, colour);
    return c.File();
}

std::string Symbol(const std::string& state)
{
    Canvas c(32, 32);
    if (state == "1") {             // reserved
        c.Disc(16, 16, 12, 0xF5C028);
        c.Ring(16, 16, 12, 2, 0xA07800);
    } else if (state == "2") {      // sold, not checked
        c.Disc(16, 16, 7, 0x2F6FD0);
    } else if (state == "3") {      // locked
        c.Line(6, 6, 26, 26, 5, 0xD02020);
        c.Line(26, 6, 6, 26, 5, 0xD02020);
    } else if (state == "4") {      // kept by the station
        c.Rect(6, 6, 25, 25, 0x707070);
        c.Rect(10, 10, 21, 21, 0xC8C8C8);
    } else if (state == "5") {      // not for sale
        c.Disc(16, 16, 12, 0xD02020);
        c.Rect(8, 14, 23, 18, 0xFFFFFE);
    }
    return c.File();
}

} // namespace

std::string BitmapFile(int width, int height, const std::vector<unsigned>& pixels)
{
    if (width <= 0 || height <= 0 || pixels.size() != static_cast<std::size_t>(width) * height)
        throw std::invalid_argument("bitmap size does not match its pixels");
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    const std::uint32_t imageBytes = rowBytes * height;
    std::string out = "BM";
    PutLe(out, 54 + imageBytes, 4);
    PutLe(out, 0, 4);
    PutLe(out, 54, 4);
    PutLe(out, 40, 4);
    PutLe(out, width, 4);
    PutLe(out, height, 4);
    PutLe(out, 1, 2);
    PutLe(out, 24, 2);
    PutLe(out, 0, 4);
    PutLe(out, imageBytes, 4);
    PutLe(out, 2835, 4);
    PutLe(out, 2835, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const unsigned rgb = pixels[y * width + x];
            out.push_back(static_cast<char>(rgb & 0xFF));
            out.push_back(static_cast<char>((rgb >> 8) & 0xFF));
            out.push_back(static_cast<char>((rgb >> 16) & 0xFF));
        }
        out.append(rowBytes - width * 3, '\0');
    }
    return out;
}

std::string ToHex(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char byte : bytes) {
        hex.push_back(digits[byte >> 4]);
        hex.push_back(digits[byte & 0x0F]);
    }
    return hex;
}

std::string DemoJpegHex(const std::string& key)
{
    for (const auto& picture : DemoJpegs())
        if (key == picture.key)
            return picture.hex;
    return {};
}

std::string SeatStateBitmapHex(const std::string& state)
{
    if (state == "0")
        return ToHex(FreeSeat());
    if (state == "6")
        return ToHex(Check(0xF08C20));
    if (state == "7")
        return ToHex(Check(0x1E9E3C));
    if (state == "8")
        return ToHex(Check(0x2F6FD0));
    return ToHex(Symbol(state));
}

} // namespace stationd
