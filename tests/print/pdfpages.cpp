#include "print/pdfpages.h"

#include <QString>
#include <cstdlib>

namespace kiosk::test {

std::string RenderedPageFile(const std::string& pdfFile, int page)
{
    return pdfFile + "-" + std::to_string(page) + ".png";
}

QImage RenderPdfPage(const std::string& pdfFile, int dpi, int page)
{
    const std::string pageText = std::to_string(page);
    const std::string command = "pdftoppm -q -r " + std::to_string(dpi) + " -f " + pageText + " -l " + pageText +
                                " -singlefile -png '" + pdfFile + "' '" + pdfFile + "-" + pageText + "'";
    if (std::system(command.c_str()) != 0) return {};
    return QImage(QString::fromStdString(RenderedPageFile(pdfFile, page)));
}

} // namespace kiosk::test
