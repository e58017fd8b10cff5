#pragma once
// How the check screen answers each ticket check besides its status line: a sound and a flash
// of colour around the ticket field, green for a passed check and red for a refused one or one
// that failed on the way, so a driver with his eyes on the passenger knows the result at once.
//
// TCheckFlash is laid over the ticket field and the margin around it without belonging to any
// layout, so it moves nothing; it takes no focus and no touch, and hides itself after a second.
#include <QColor>
#include <QObject>
#include <QWidget>
#include <memory>
#include <string>

#include "sound/checksoundplayer.h"

class QTimer;

namespace kiosk {

class TCheckFlash : public QWidget {
    Q_OBJECT
public:
    // Lies over `field` (in its parent) and follows it when it moves or changes size.
    explicit TCheckFlash(QWidget* field);

    static constexpr int kFlashMs = 1000;
    static constexpr int kMargin = 5;   // of colour around the field, inside the layout's spacing

    void Flash(const QColor& colour);
    // The colour of the flash showing now, invalid when none shows.
    QColor Colour() const { return isVisible() ? colour_ : QColor(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FollowField();

    QWidget* field_;
    QColor colour_;
    QTimer* timer_;
};

class TCheckSignal : public QObject {
    Q_OBJECT
public:
    static const QColor kPassed;
    static const QColor kRefused;

    // The sounds play through a TCheckSoundPlayer of the application folder `appPath` until
    // another player is set.
    TCheckSignal(QWidget* ticketField, const std::string& appPath, QObject* parent);

    // The player the sounds go to (not owned); null goes back to the screen's own.
    void SetPlayer(ICheckSoundPlayer* player) { player_ = player ? player : ownPlayer_; }
    // The sound and the colour of one check's result.
    void Show(TCheckSound result);
    const TCheckFlash& Flash() const { return *flash_; }

private:
    TCheckFlash* flash_;
    TCheckSoundPlayer* ownPlayer_;
    ICheckSoundPlayer* player_;
};

} // namespace kiosk
