#include "check/checksignal.h"

#include <QEvent>
#include <QPainter>
#include <QTimer>

namespace kiosk {

const QColor TCheckSignal::kPassed(0, 176, 80);
const QColor TCheckSignal::kRefused(224, 32, 32);

TCheckFlash::TCheckFlash(QWidget* field) : QWidget(field->parentWidget()), field_(field)
{
    setObjectName("CheckFlash");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    timer_->setInterval(kFlashMs);
    connect(timer_, &QTimer::timeout, this, &QWidget::hide);
    field_->installEventFilter(this);
}

void TCheckFlash::Flash(const QColor& colour)
{
    colour_ = colour;
    FollowField();
    show();
    raise();
    update();
    timer_->start();
}

void TCheckFlash::FollowField()
{
    setGeometry(field_->geometry().adjusted(-kMargin, -kMargin, kMargin, kMargin));
}

bool TCheckFlash::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == field_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) FollowField();
    return QWidget::eventFilter(watched, event);
}

void TCheckFlash::paintEvent(QPaintEvent*)
{
    // A solid frame in the margin and a light wash over the field, through which its text and
    // cursor stay readable.
    QPainter painter(this);
    QColor wash = colour_;
    wash.setAlpha(90);
    const QRect inner = rect().adjusted(kMargin, kMargin, -kMargin, -kMargin);
    painter.fillRect(inner, wash);
    QPen frame(colour_, kMargin * 2);
    frame.setJoinStyle(Qt::MiterJoin);
    painter.setPen(frame);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect());
}

TCheckSignal::TCheckSignal(QWidget* ticketField, const std::string& appPath, QObject* parent)
    : QObject(parent), flash_(new TCheckFlash(ticketField)), ownPlayer_(new TCheckSoundPlayer(appPath, this)),
      player_(ownPlayer_)
{
}

void TCheckSignal::Show(TCheckSound result)
{
    player_->Play(result);
    flash_->Flash(result == TCheckSound::Ok ? kPassed : kRefused);
}

} // namespace kiosk
