#include "client/soundplayer.h"

#include <QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QRegularExpression>
#include <QSoundEffect>
#include <QtEndian>
#include <QtTest>

namespace {

struct WaveFacts {
    QString problem;
    int format = 0;
    int channels = 0;
    int rate = 0;
    int bits = 0;
    qint64 dataBytes = 0;
};

// Walks the RIFF chunks of a wave file and collects what a player needs.
WaveFacts readWave(const QByteArray &bytes)
{
    WaveFacts facts;
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE") {
        facts.problem = "no RIFF/WAVE header";
        return facts;
    }
    if (qFromLittleEndian<quint32>(bytes.constData() + 4) != quint32(bytes.size() - 8)) {
        facts.problem = "RIFF length does not match the file";
        return facts;
    }
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const qint64 length = qFromLittleEndian<quint32>(bytes.constData() + at + 4);
        const char *body = bytes.constData() + at + 8;
        if (at + 8 + length > bytes.size()) {
            facts.problem = "chunk runs past the end: " + QString::fromLatin1(id);
            return facts;
        }
        if (id == "fmt " && length >= 16) {
            facts.format = qFromLittleEndian<quint16>(body);
            facts.channels = qFromLittleEndian<quint16>(body + 2);
            facts.rate = int(qFromLittleEndian<quint32>(body + 4));
            facts.bits = qFromLittleEndian<quint16>(body + 14);
        } else if (id == "data") {
            facts.dataBytes = length;
        }
        at += 8 + length + (length & 1);
    }
    return facts;
}

} // namespace

class TestSounds : public QObject {
    Q_OBJECT

private slots:
    void quietWithoutAudioOutput();
    void playsoundsNamesTheSound_data();
    void playsoundsNamesTheSound();
    void disabledPlaysNothing();
    void resourcePaths_data();
    void resourcePaths();
    void waveResourceIsValid_data();
    void waveResourceIsValid();
    void soundEffectLoadsWave_data();
    void soundEffectLoadsWave();

private:
    void allSoundRows();
};

void TestSounds::allSoundRows()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : SoundPlayer::soundNames())
        QTest::newRow(qPrintable(name)) << name;
}

void TestSounds::playsoundsNamesTheSound_data()
{
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QStringList>("recorded");
    for (const QString &name : SoundPlayer::soundNames()) {
        QTest::addRow("%s", qPrintable(name)) << name << QStringList{name};
        QTest::addRow("%s upper case", qPrintable(name)) << name.toUpper() << QStringList{name};
    }
    QTest::newRow("mixed case") << "GoodWordThem" << QStringList{"goodwordthem"};
    QTest::newRow("turnnew is the alert") << "turnnew" << QStringList{"turnnew"};
    QTest::newRow("alert mixed case") << "TurnNew" << QStringList{"turnnew"};
    QTest::newRow("unknown name") << "applause" << QStringList{};
    QTest::newRow("empty name") << "" << QStringList{};
    QTest::newRow("name with a blank") << "turn " << QStringList{};
    QTest::newRow("file name is not a sound name") << "turn.wav" << QStringList{};
}

void TestSounds::playsoundsNamesTheSound()
{
    QFETCH(QString, asked);
    QFETCH(QStringList, recorded);
    SoundPlayer player;
    QStringList heard;
    player.setSink([&heard](const QString &name) { heard << name; });
    QVERIFY(player.enabled());
    player.playsounds(asked);
    QCOMPARE(heard, recorded);
}

void TestSounds::disabledPlaysNothing()
{
    SoundPlayer player;
    QStringList heard;
    player.setSink([&heard](const QString &name) { heard << name; });
    player.setEnabled(false);
    QVERIFY(!player.enabled());
    player.playsounds("turn");
    player.playsounds("turnnew");
    player.playsounds("GAMEOVER");
    QVERIFY(heard.isEmpty());

    player.setEnabled(true);
    player.playsounds("time");
    player.playsounds("timeup");
    QCOMPARE(heard, QStringList({"time", "timeup"}));
}

void TestSounds::resourcePaths_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::newRow("lower case") << "entered"
                                << ":/sounds/entered.wav";
    QTest::newRow("upper case") << "ERROR1"
                                << ":/sounds/error1.wav";
    QTest::newRow("alert has no wave") << "turnnew"
                                       << "";
    QTest::newRow("unknown") << "fanfare"
                             << "";
}

void TestSounds::resourcePaths()
{
    QFETCH(QString, name);
    QFETCH(QString, path);
    QCOMPARE(SoundPlayer::resourcePath(name), path);
}

void TestSounds::waveResourceIsValid_data()
{
    allSoundRows();
}

void TestSounds::waveResourceIsValid()
{
    QFETCH(QString, name);
    QFile file(SoundPlayer::resourcePath(name));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    const WaveFacts facts = readWave(file.readAll());
    QVERIFY2(facts.problem.isEmpty(), qPrintable(facts.problem));
    QCOMPARE(facts.format, 1); // plain PCM
    QCOMPARE(facts.channels, 1);
    QCOMPARE(facts.rate, 22050);
    QCOMPARE(facts.bits, 16);
    QVERIFY(facts.dataBytes > 0);
    QCOMPARE(facts.dataBytes % 2, 0);
    const double seconds = double(facts.dataBytes) / (2 * facts.rate);
    QVERIFY2(seconds <= 0.6, qPrintable(QString::number(seconds)));
}

void TestSounds::soundEffectLoadsWave_data()
{
    allSoundRows();
}

// Qt's own wave reader must accept every file, or the real player stays silent.
void TestSounds::soundEffectLoadsWave()
{
    QFETCH(QString, name);
    if (QMediaDevices::defaultAudioOutput().isNull())
        QTest::ignoreMessage(QtWarningMsg, "No audio device detected");
    QSoundEffect effect;
    effect.setSource(QUrl("qrc" + SoundPlayer::resourcePath(name)));
    QTRY_VERIFY_WITH_TIMEOUT(effect.status() != QSoundEffect::Loading, 10000);
    QCOMPARE(effect.status(), QSoundEffect::Ready);
}

// Runs first, before any other part of the test touches the audio backend.
void TestSounds::quietWithoutAudioOutput()
{
    QTest::failOnWarning(QRegularExpression(".*"));
    SoundPlayer player;
    for (const QString &name : SoundPlayer::soundNames())
        player.playsounds(name);
    player.playsounds("turnnew");
    QCoreApplication::processEvents();
    if (!QMediaDevices::defaultAudioOutput().isNull())
        QSKIP("this machine has an audio output");
    QVERIFY(player.findChildren<QSoundEffect *>().isEmpty());
}

QTEST_MAIN(TestSounds)
#include "test_sounds.moc"
