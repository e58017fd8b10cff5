#include "sound/checksoundplayer.h"

#include <QAudioDevice>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <algorithm>
#include <atomic>

#include "core/sysservice.h"
#include "platform/inifile.h"

namespace kiosk {

namespace {

// Longer than any check sound: a sound still "playing" after this is taken as ended.
constexpr int kLongestSoundMs = 4000;

std::atomic<bool> noDeviceLogged{false};

void LogNoDeviceOnce()
{
    if (!noDeviceLogged.exchange(true)) TryWriteLog("没有声音设备：检票提示音不播放");
}

} // namespace

TSoundSettings ReadSoundSettings(const std::string& iniPath)
{
    TSoundSettings settings;
    try {
        TIniFile ini(iniPath);
        settings.enabled = ini.ReadInteger("sound", "enabled", 1) != 0;
        settings.volume = int(std::clamp<std::int64_t>(ini.ReadInteger("sound", "volume", 100), 0, 100));
    } catch (const std::exception& e) {
        TryWriteLog(std::string("读取声音设置错误：") + e.what());
    }
    return settings;
}

TCheckSoundPlayer::TCheckSoundPlayer(const std::string& appPath, QObject* parent)
    : QObject(parent), appPath_(appPath), settings_(ReadSoundSettings(appPath + "App.ini"))
{
    stuck_ = new QTimer(this);
    stuck_->setSingleShot(true);
    stuck_->setInterval(kLongestSoundMs);
    connect(stuck_, &QTimer::timeout, this, [this] { EndCurrent(); });
}

TCheckSoundPlayer::~TCheckSoundPlayer() = default;

QUrl TCheckSoundPlayer::BuiltInSource(TCheckSound sound)
{
    return QUrl("qrc:/sounds/" + QString::fromStdString(CheckSoundFileName(sound)));
}

QUrl TCheckSoundPlayer::SourceOf(TCheckSound sound) const
{
    const QString file = QString::fromStdString(appPath_ + "sounds/" + CheckSoundFileName(sound));
    return QFileInfo(file).isFile() ? QUrl::fromLocalFile(file) : BuiltInSource(sound);
}

void TCheckSoundPlayer::ApplyVolume(QSoundEffect& effect) const
{
    // A loaded sound gets an output of full volume, and the effect passes a volume on to it only
    // when the volume changes: so it changes, then comes to the setting.
    effect.setVolume(Volume() < 0.5f ? 1.0f : 0.0f);
    effect.setVolume(Volume());
}

bool TCheckSoundPlayer::HasDevice() { return !QMediaDevices::defaultAudioOutput().isNull(); }

void TCheckSoundPlayer::Load()
{
    if (effects_[0]) return;
    for (const TCheckSound sound : kCheckSounds) {
        auto* effect = new QSoundEffect(this);
        effects_[Index(sound)] = effect;
        connect(effect, &QSoundEffect::statusChanged, this, [this, sound] { OnStatusChanged(sound); });
        connect(effect, &QSoundEffect::playingChanged, this, [this, sound] { OnPlayingChanged(sound); });
        effect->setSource(SourceOf(sound));
    }
}

void TCheckSoundPlayer::OnStatusChanged(TCheckSound sound)
{
    QSoundEffect* effect = Effect(sound);
    if (effect->status() == QSoundEffect::Ready) ApplyVolume(*effect);
    if (effect->status() != QSoundEffect::Error) return;
    const QUrl builtIn = BuiltInSource(sound);
    if (effect->source() == builtIn) {
        TryWriteLog("提示音无法载入：" + builtIn.toString().toStdString());
        return;
    }
    // A station's file that does not play: the built-in sound stands in for it.
    TryWriteLog("提示音文件无法播放：" + effect->source().toLocalFile().toStdString());
    effect->setSource(builtIn);
}

void TCheckSoundPlayer::Play(TCheckSound sound)
{
    if (!settings_.enabled) return;
    if (!effects_[0]) {
        if (!HasDevice()) {
            LogNoDeviceOnce();
            return;
        }
        Load();
    }
    if (waiting_.size() >= kMaxWaiting) return;
    waiting_.push_back(sound);
    if (!busy_) StartNext();
}

void TCheckSoundPlayer::StartNext()
{
    if (waiting_.empty()) return;
    current_ = waiting_.front();
    waiting_.pop_front();
    busy_ = true;
    stuck_->start();
    // An effect still loading plays as soon as it is loaded.
    Effect(current_)->play();
}

void TCheckSoundPlayer::OnPlayingChanged(TCheckSound sound)
{
    if (!busy_ || sound != current_) return;
    if (Effect(sound)->isPlaying()) {
        emit Started(sound);
        return;
    }
    EndCurrent();
}

void TCheckSoundPlayer::EndCurrent()
{
    if (!busy_) return;
    stuck_->stop();
    busy_ = false;
    if (Effect(current_)->isPlaying()) Effect(current_)->stop();
    emit Finished(current_);
    StartNext();
}

} // namespace kiosk
