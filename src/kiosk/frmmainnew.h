#pragma once
// TFrmMainNew: the kiosk's main window. A full-screen frame with three tabs (the driver login,
// the abnormal and the extra schedules), a status bar with a clock, and the IMainForm service
// through which start-up and the screens write status texts and end the program.
#include <QLabel>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>
#include <array>

#include "core/services.h"

namespace kiosk {

struct MainWindowOptions {
    bool showStatusBar = false;  // App.ini [ui] statusbar=1
    QString backgroundFile;      // a picture for the login tab; empty or unreadable: the drawn one
};

class TFrmMainNew : public QWidget, public IMainForm {
    Q_OBJECT
public:
    static constexpr int kPanelCount = 7;

    explicit TFrmMainNew(MainWindowOptions options = {}, QWidget* parent = nullptr);

    bool Implements(const TGUID& iid) const override { return iid == IMainForm::IID || iid == IInterface::IID; }
    // Sets panel 0 to 5; other indices are ignored.
    void ShowStatus(int PnlIndex, const std::string& Msg) override;
    // Ends the message loop as soon as it runs (also when it has not started yet).
    void ExitApplication() override;
    void setLblloginname(const std::string&) override {}

    QString PanelText(int index) const;
    // Whether ExitApplication was asked for (the program body then does not show the window).
    bool ExitRequested() const { return exitRequested_; }

    QTabWidget* pagecontrl;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QWidget* TabSheet3;
    QLabel* Image1;
    QLabel* Label4;
    QStatusBar* StatusBar;
    QTimer* tmrTime;

public slots:
    void FormShow();
    void tmrTimeTimer();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateStatusBar(bool visible);
    void LayOutLoginTab();

    std::array<QLabel*, kPanelCount> panels_{};
    QPixmap background_;
    bool exitRequested_ = false;
};

// The configured font "微软雅黑" falls back to an installed CJK font.
void InstallFontSubstitutes();
// The kiosk's font at a pixel size.
QFont KioskFont(int pixelSize, bool bold = false);

} // namespace kiosk
