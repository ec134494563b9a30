#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>

class QSoundEffect;

// The game's sounds: the program's own short wave sounds, played one at a
// time without blocking, and the desktop's alert for the "New" turn sound.
class SoundPlayer : public QObject {
    Q_OBJECT

public:
    // Receives the lower-case name of each sound that would play ("turnnew"
    // for the desktop alert) in place of the audio output.
    using Sink = std::function<void(const QString &name)>;

    explicit SoundPlayer(QObject *parent = nullptr);

    // Plays the named sound (letter case ignored) while enabled, cutting off
    // the one still playing; "turnnew" gives the desktop alert; an unknown
    // name, or a machine without an audio output, plays nothing.
    void playsounds(const QString &name);

    // Switches playing on or off (the "Play Sounds" check mark); on at creation.
    void setEnabled(bool on);
    // Whether sounds play.
    bool enabled() const;

    // Sends the names of the sounds to `sink` instead of the audio output;
    // an empty sink restores the audio output.
    void setSink(Sink sink);

    // The names of the program's own wave sounds, in lower case.
    static QStringList soundNames();
    // The resource path of a wave sound (":/sounds/<name>.wav"), letter case
    // of the name ignored; empty for a name that has no wave sound.
    static QString resourcePath(const QString &name);
    // The name of the sound that stands for the desktop's alert.
    static QString alertName();

private:
    void playWave(const QString &name);
    void stopPlaying();

    bool enabled_ = true;
    Sink sink_;
    // Created on first use and kept (children of this object), so a WAV is
    // decoded once per run.
    std::map<QString, QSoundEffect *> effects_;
    QSoundEffect *playing_ = nullptr;
};
