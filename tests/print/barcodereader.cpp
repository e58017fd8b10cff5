#include "barcodereader.h"

#include <array>
#include <cstdio>
#include <stdexcept>

namespace kiosk::test {

std::string ReadBarcodesInFile(const std::string& pngFile)
{
    const std::string command = "zbarimg -q -Supca.enable -Supce.enable '" + pngFile + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) throw std::runtime_error("cannot start zbarimg");
    std::string out;
    std::array<char, 4096> buf;
    for (std::size_t n; (n = fread(buf.data(), 1, buf.size(), pipe)) > 0;) out.append(buf.data(), n);
    pclose(pipe);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

std::string ReadBarcodes(const QImage& image, const std::string& folder)
{
    static int counter = 0;
    const std::string file = folder + "barcode" + std::to_string(++counter) + ".png";
    if (!image.save(QString::fromStdString(file), "PNG")) throw std::runtime_error("cannot save " + file);
    return ReadBarcodesInFile(file);
}

} // namespace kiosk::test
