#pragma once
// The application object. Whatever an event handler lets through is caught here and shown in
// the application's default error box, so no exception ever leaves the event loop.
#include <QApplication>

namespace kiosk {

class TKioskApplication : public QApplication {
    Q_OBJECT
public:
    TKioskApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // Shows an error that escaped a handler: the dialog service's error box when it is
    // registered, a plain box otherwise. Never throws.
    static void ShowUnhandled(const char* text) noexcept;
};

} // namespace kiosk
