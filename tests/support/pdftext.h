#pragma once
// The text of a PDF as pdftotext (poppler-utils) lays it out; "" when it cannot be read.
#include <array>
#include <cstdio>
#include <string>

namespace kiosk::test {

inline std::string PdfText(const std::string& pdf)
{
    const std::string command = "pdftotext -q -layout '" + pdf + "' -";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    if (!pipe) return out;
    std::array<char, 4096> buf;
    for (std::size_t n; (n = fread(buf.data(), 1, buf.size(), pipe)) > 0;) out.append(buf.data(), n);
    pclose(pipe);
    return out;
}

} // namespace kiosk::test
