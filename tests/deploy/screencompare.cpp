// Compares a capture of the compositor's output with the kiosk's own picture of its window:
//   screencompare CAPTURE REFERENCE
// Passes (exit 0) when both have the same size (the window fills the output) and the capture
// shows what the window drew in every one of eight horizontal bands (a black or partly drawn
// capture fails). Prints the figures either way.
#include <QImage>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kBands = 8;
constexpr int kTolerance = 40;       // per colour channel
constexpr double kBandMatch = 0.90;  // of a band's pixels
constexpr double kWholeMatch = 0.97;

bool Near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) <= kTolerance && std::abs(qGreen(a) - qGreen(b)) <= kTolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= kTolerance;
}

bool Dark(QRgb c) { return qRed(c) < 16 && qGreen(c) < 16 && qBlue(c) < 16; }

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: screencompare CAPTURE REFERENCE\n");
        return 2;
    }
    const QImage capture = QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_RGB32);
    const QImage reference = QImage(QString::fromLocal8Bit(argv[2])).convertToFormat(QImage::Format_RGB32);
    if (capture.isNull() || reference.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", capture.isNull() ? argv[1] : argv[2]);
        return 1;
    }
    std::printf("capture %dx%d, window %dx%d\n", capture.width(), capture.height(), reference.width(), reference.height());
    if (capture.size() != reference.size()) {
        std::printf("the window does not fill the output\n");
        return 1;
    }
    const int h = capture.height();
    long long matched = 0;
    long long dark = 0;
    bool bandsDrawn = true;
    for (int band = 0; band < kBands; ++band) {
        long long bandMatched = 0;
        long long bandPixels = 0;
        for (int y = band * h / kBands; y < (band + 1) * h / kBands; ++y) {
            const auto* c = reinterpret_cast<const QRgb*>(capture.constScanLine(y));
            const auto* r = reinterpret_cast<const QRgb*>(reference.constScanLine(y));
            for (int x = 0; x < capture.width(); ++x, ++bandPixels) {
                bandMatched += Near(c[x], r[x]);
                dark += Dark(c[x]);
            }
        }
        const double share = double(bandMatched) / double(bandPixels);
        std::printf("band %d: %.1f %% as drawn\n", band + 1, 100.0 * share);
        bandsDrawn = bandsDrawn && share >= kBandMatch;
        matched += bandMatched;
    }
    const double pixels = double(capture.width()) * h;
    std::printf("whole output: %.1f %% as drawn, %.1f %% black\n", 100.0 * matched / pixels, 100.0 * dark / pixels);
    return bandsDrawn && matched / pixels >= kWholeMatch ? 0 : 1;
}
