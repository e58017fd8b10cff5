#pragma once
// Turns a PDF into page images with pdftoppm (poppler-utils), as a person would look at it.
#include <QImage>
#include <string>

namespace kiosk::test {

// Page `page` (1-based) of the PDF rendered at `dpi`; a null image when pdftoppm fails. The PNG
// stays beside the PDF as <pdf>-<page>.png.
QImage RenderPdfPage(const std::string& pdfFile, int dpi, int page = 1);

// The PNG file that RenderPdfPage wrote for that page.
std::string RenderedPageFile(const std::string& pdfFile, int page = 1);

} // namespace kiosk::test
