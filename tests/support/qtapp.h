#pragma once
// The one QApplication of a widget test executable, made on first use.
#include <QApplication>

namespace kiosk::test {

inline void EnsureApplication()
{
    static int argc = 1;
    static char arg0[] = "widgets_test";
    static char* argv[] = {arg0, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
}

} // namespace kiosk::test
