#pragma once
// Reads barcodes back from a rendered image with a real barcode reader (zbarimg).
#include <QImage>
#include <string>

namespace kiosk::test {

// The decoded symbols, one "TYPE:text" line each, as zbarimg prints them; empty when the
// reader finds none. The image is written as PNG into `folder`.
std::string ReadBarcodes(const QImage& image, const std::string& folder);

// The contents of a PNG file as zbarimg reads them.
std::string ReadBarcodesInFile(const std::string& pngFile);

} // namespace kiosk::test
