#pragma once
// The sound of each ticket check. The check screen plays through ICheckSoundPlayer;
// TCheckSoundPlayer plays the sounds with QSoundEffect, one after the other in the order asked,
// never two at once. A station replaces a built-in sound by putting sounds/ok.wav,
// sounds/refused.wav or sounds/error.wav into the application folder. App.ini [sound] enabled
// (default 1) turns the sounds off, volume (0-100, default 100) sets how loud they are. A kiosk
// without a sound device goes on silently and logs that once.
#include <QObject>
#include <QUrl>
#include <array>
#include <deque>
#include <memory>
#include <string>

#include "sound/checktones.h"

class QSoundEffect;
class QTimer;

namespace kiosk {

class ICheckSoundPlayer {
public:
    virtual ~ICheckSoundPlayer() = default;
    // Queues the sound of one check; it plays when the sounds asked before it have ended.
    virtual void Play(TCheckSound sound) = 0;
};

struct TSoundSettings {
    bool enabled = true;
    int volume = 100;  // 0-100
};

// App.ini [sound]; an unreadable file or a missing key gives the default, a volume outside
// 0-100 is brought into it.
TSoundSettings ReadSoundSettings(const std::string& iniPath);

class TCheckSoundPlayer : public QObject, public ICheckSoundPlayer {
    Q_OBJECT
public:
    // `appPath`: the application folder, ending with its separator (App.ini, sounds/).
    explicit TCheckSoundPlayer(const std::string& appPath, QObject* parent = nullptr);
    ~TCheckSoundPlayer() override;

    void Play(TCheckSound sound) override;

    const TSoundSettings& Settings() const { return settings_; }
    // Where a sound plays from: the station's file in sounds/ when there is one, else the
    // built-in sound.
    QUrl SourceOf(TCheckSound sound) const;
    static QUrl BuiltInSource(TCheckSound sound);
    // The effect of a sound once the first sound was asked for with a device present; null before.
    QSoundEffect* Effect(TCheckSound sound) const { return effects_[Index(sound)]; }
    // Makes and loads the three effects (the first Play does it too).
    void Load();
    // How many sounds wait behind the one playing.
    int Waiting() const { return int(waiting_.size()); }

    // The most sounds that wait at once; a longer burst of checks drops the newest sounds.
    static constexpr std::size_t kMaxWaiting = 32;

signals:
    void Started(kiosk::TCheckSound sound);
    void Finished(kiosk::TCheckSound sound);

private:
    static std::size_t Index(TCheckSound sound) { return std::size_t(sound); }
    static bool HasDevice();
    float Volume() const { return float(settings_.volume) / 100.0f; }
    void ApplyVolume(QSoundEffect& effect) const;
    void OnStatusChanged(TCheckSound sound);
    void OnPlayingChanged(TCheckSound sound);
    void StartNext();
    void EndCurrent();

    std::string appPath_;
    TSoundSettings settings_;
    std::array<QSoundEffect*, 3> effects_{};
    std::deque<TCheckSound> waiting_;
    bool busy_ = false;
    TCheckSound current_ = TCheckSound::Ok;
    QTimer* stuck_ = nullptr;  // ends a sound whose end the device never reported
};

} // namespace kiosk
