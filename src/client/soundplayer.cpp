#include "client/soundplayer.h"

#include <QApplication>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace {

const QStringList &waveNames()
{
    static const QStringList names{"entered",    "turn",         "time",   "timeup",
                                   "goodwordme", "goodwordthem", "error1", "gameover"};
    return names;
}

// The audio backend writes a line to the log the first time it finds no sound
// server; a machine without sound should simply stay quiet, so that first
// look is made with the log muted.
bool hasAudioOutput()
{
    static bool probed = false;
    if (probed)
        return !QMediaDevices::defaultAudioOutput().isNull();
    probed = true;
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    const bool present = !QMediaDevices::defaultAudioOutput().isNull();
    qInstallMessageHandler(previous);
    return present;
}

} // namespace

SoundPlayer::SoundPlayer(QObject *parent)
    : QObject(parent)
{
}

void SoundPlayer::playsounds(const QString &name)
{
    if (!enabled_)
        return;
    const QString key = name.toLower();
    if (key == alertName()) {
        stopPlaying();
        if (sink_)
            sink_(key);
        else
            QApplication::beep();
        return;
    }
    if (!waveNames().contains(key))
        return;
    stopPlaying();
    if (sink_)
        sink_(key);
    else
        playWave(key);
}

void SoundPlayer::setEnabled(bool on)
{
    enabled_ = on;
    if (!on)
        stopPlaying();
}

bool SoundPlayer::enabled() const
{
    return enabled_;
}

void SoundPlayer::setSink(Sink sink)
{
    stopPlaying();
    sink_ = std::move(sink);
}

QStringList SoundPlayer::soundNames()
{
    return waveNames();
}

QString SoundPlayer::resourcePath(const QString &name)
{
    const QString key = name.toLower();
    if (!waveNames().contains(key))
        return {};
    return QStringLiteral(":/sounds/%1.wav").arg(key);
}

QString SoundPlayer::alertName()
{
    return QStringLiteral("turnnew");
}

void SoundPlayer::playWave(const QString &name)
{
    // No sound effect is made where it has nowhere to play: it would only
    // complain on the log.
    if (!hasAudioOutput())
        return;
    QSoundEffect *&effect = effects_[name];
    if (!effect) {
        effect = new QSoundEffect(this);
        effect->setSource(QUrl(QStringLiteral("qrc") + resourcePath(name)));
    }
    playing_ = effect;
    effect->play();
}

void SoundPlayer::stopPlaying()
{
    if (playing_)
        playing_->stop();
    playing_ = nullptr;
}
