#include "widgets/kioskstyle.h"

#include <QTabWidget>

namespace kiosk {

void InstallFontSubstitutes()
{
    QFont::insertSubstitutions("微软雅黑", {"Noto Sans CJK SC", "Noto Sans CJK", "WenQuanYi Micro Hei", "Droid Sans Fallback"});
}

QFont KioskFont(int pixelSize, bool bold)
{
    QFont font("微软雅黑");
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QWidget* AddTabPage(QTabWidget& tabs, const char* objectName, const QString& caption)
{
    auto* page = new QWidget;
    page->setObjectName(objectName);
    tabs.addTab(page, caption);
    return page;
}

} // namespace kiosk
