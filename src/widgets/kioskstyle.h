#pragma once
// The kiosk's look shared by its screens: the font and the named tab pages.
#include <QFont>
#include <QString>

class QTabWidget;
class QWidget;

namespace kiosk {

// The configured font "微软雅黑" falls back to an installed CJK font.
void InstallFontSubstitutes();
// The kiosk's font at a pixel size.
QFont KioskFont(int pixelSize, bool bold = false);
// Adds an empty page named `objectName` under `caption` and answers it.
QWidget* AddTabPage(QTabWidget& tabs, const char* objectName, const QString& caption);

} // namespace kiosk
