#include "settings/gamesettings.h"
#include "settings/profilefile.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The main window's keys of the settings file, read and written without any
// window: what each value of the file turns into, and the bytes written back.

namespace {

const QString kSection = QStringLiteral("Lexiclash");
constexpr int kDefaultWidth = 790;
constexpr int kDefaultHeight = 525;

QString optionalText(const std::optional<int> &value)
{
    return value ? QString::number(*value) : QStringLiteral("none");
}

// One option of the settings as text, by name.
QString field(const GameSettings &settings, const QString &name)
{
    if (name == "top")
        return QString::number(settings.top);
    if (name == "left")
        return QString::number(settings.left);
    if (name == "width")
        return QString::number(settings.width);
    if (name == "height")
        return QString::number(settings.height);
    if (name == "turnsound")
        return settings.newTurnSound ? "new" : "classic";
    if (name == "textsize")
        return QString::number(settings.textSize);
    if (name == "textcolour")
        return colourToText(settings.textColour);
    if (name == "actioncolour")
        return colourToText(settings.actionColour);
    if (name == "pause")
        return QString::number(settings.pauseBetweenRounds);
    if (name == "bot")
        return QString::number(settings.botInterval);
    if (name == "phrases")
        return QString::number(settings.phrases.size());
    if (name.startsWith("phrase"))
        return settings.phrases.value(name.mid(6).toInt() - 1, "no such phrase");
    if (name == "sounds")
        return settings.playSounds ? "on" : "off";
    if (!settings.start)
        return "no game start";
    if (name == "rounds")
        return optionalText(settings.start->rounds);
    if (name == "seconds")
        return optionalText(settings.start->seconds);
    if (name == "gametype")
        return QString::number(settings.start->gametype);
    return "unknown field " + name;
}

// Every option, for the messages of failed comparisons.
QString describe(const GameSettings &settings)
{
    const QStringList names = {"top",      "left",       "width",        "height",  "turnsound",
                               "textsize", "textcolour", "actioncolour", "pause",   "bot",
                               "sounds",   "rounds",     "seconds",      "gametype"};
    QStringList parts;
    for (const QString &name : names)
        parts << name + "=" + field(settings, name);
    parts << "phrases=[" + settings.phrases.join('|') + "]";
    return parts.join(' ');
}

// What a file without our keys reads as.
GameSettings defaults()
{
    GameSettings settings;
    settings.width = kDefaultWidth;
    settings.height = kDefaultHeight;
    settings.start = GameStartSettings();
    return settings;
}

// Settings where every option differs from its default.
GameSettings everyOptionChanged()
{
    GameSettings settings;
    settings.top = -40;
    settings.left = 1600;
    settings.width = 1024;
    settings.height = 700;
    settings.newTurnSound = true;
    settings.textSize = 96;
    settings.textColour = ColourValue::rgb(0x12, 0x34, 0x56);
    settings.actionColour = ColourValue::system(15);
    settings.pauseBetweenRounds = 17;
    settings.botInterval = 750;
    for (int n = 0; n < kPhraseCount; ++n)
        settings.phrases[n] = QStringLiteral("Phrase %1 = well played, [Lexiclash]").arg(n + 1);
    settings.playSounds = false;
    settings.start = GameStartSettings{2, 120, 0};
    return settings;
}

// The keys the default settings write, split where the game start keys go.
const QByteArray kHead = "Top=3\nLeft=3\nWidth=790\nHeight=525\nTurnsound=0\nTextsize=8\n"
                         "Textcolor=clBlack\nActioncolor=clBlack\n";
const QByteArray kStart = "Playtoscore=5\nTimeperturn=60\nGametype=6\n";
const QByteArray kTail = "Botspeed=12\nBotspeed2=1200\nPlaysounds=true\n";

} // namespace

char *toString(const GameSettings &settings)
{
    return qstrdup(qPrintable(describe(settings)));
}

Q_DECLARE_METATYPE(GameSettings)

class TestGameSettings : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void filePathIsInTheDataFolder();
    void fileWithoutOurKeysGivesDefaults_data();
    void fileWithoutOurKeysGivesDefaults();
    void reads_data();
    void reads();
    void roundTrip_data();
    void roundTrip();
    void writes_data();
    void writes();
    void writesPhrases_data();
    void writesPhrases();

private:
    // Puts the bytes in the file; a null array removes it.
    void setFile(const QByteArray &bytes);

    QTemporaryDir home_;
    QString path_;
};

void TestGameSettings::initTestCase()
{
    QVERIFY(home_.isValid());
    qputenv("LEXICLASH_HOME", home_.path().toUtf8());
    path_ = home_.filePath(QStringLiteral("quillmarklobby.ini"));
}

void TestGameSettings::init()
{
    QFile::remove(path_);
}

void TestGameSettings::setFile(const QByteArray &bytes)
{
    QFile::remove(path_);
    if (!bytes.isNull())
        writeBytes(path_, bytes);
}

void TestGameSettings::filePathIsInTheDataFolder()
{
    QCOMPARE(settingsFilePath(), QDir(home_.path()).filePath("quillmarklobby.ini"));
    QCOMPARE(QString::fromLatin1(kSettingsFileName), QStringLiteral("quillmarklobby.ini"));
}

void TestGameSettings::fileWithoutOurKeysGivesDefaults_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("missing file") << QByteArray();
    QTest::newRow("empty file") << QByteArray("");
    QTest::newRow("only other sections")
        << QByteArray("[Quillmark]\nTop=50\nTextsize=20\nPlaysounds=false\nPhrase1=Hi\n");
    QTest::newRow("empty section") << QByteArray("[Lexiclash]\n[Quillmark]\nTop=50\n");
    QTest::newRow("only unknown keys") << QByteArray("[Lexiclash]\nLobbyOnly=1\n; Top=50\n");
    QTest::newRow("not a profile at all") << QByteArray("\x00\xff\xfe garbage\n=\n[\n", 16);
}

void TestGameSettings::fileWithoutOurKeysGivesDefaults()
{
    QFETCH(QByteArray, file);
    setFile(file);
    const GameSettings read =
        readGameSettings(ProfileFile(path_), kSection, kDefaultWidth, kDefaultHeight);
    QCOMPARE(read, defaults());
    QCOMPARE(read.phrases.size(), kPhraseCount);
    QCOMPARE(read.textColour, ColourValue::rgb(0, 0, 0));
    // Reading never creates the file.
    QCOMPARE(QFile::exists(path_), !file.isNull());
}

void TestGameSettings::reads_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");

    auto row = [](const char *name, const QByteArray &keys, const char *field,
                  const char *expected) {
        QTest::newRow(name) << QByteArray("[Lexiclash]\n" + keys) << QString(field)
                            << QString(expected);
    };
    row("top", "Top=40\n", "top", "40");
    row("left negative", "Left=-20\n", "left", "-20");
    row("top with blanks around", "Top =  41  \n", "top", "41");
    row("top empty", "Top=\n", "top", "3");
    row("top junk", "Top=12px\n", "top", "3");
    row("top with plus sign", "Top=+5\n", "top", "3");
    row("top beyond int", "Top=99999999999\n", "top", "3");
    row("left junk", "Left=x\n", "left", "3");
    row("width", "Width=800\n", "width", "800");
    row("width junk", "Width=wide\n", "width", "790");
    row("height empty", "Height=\n", "height", "525");
    row("height missing", "Width=800\n", "height", "525");

    row("new turn sound", "Turnsound=1\n", "turnsound", "new");
    row("new turn sound with blanks", "Turnsound= 1 \n", "turnsound", "new");
    row("classic turn sound", "Turnsound=0\n", "turnsound", "classic");
    row("turn sound of no option", "Turnsound=2\n", "turnsound", "classic");
    row("turn sound 01 is no option", "Turnsound=01\n", "turnsound", "classic");
    row("turn sound empty", "Turnsound=\n", "turnsound", "classic");

    row("text size", "Textsize=12\n", "textsize", "12");
    row("smallest text size", "Textsize=1\n", "textsize", "1");
    row("largest text size", "Textsize=96\n", "textsize", "96");
    row("text size zero", "Textsize=0\n", "textsize", "8");
    row("text size too large", "Textsize=97\n", "textsize", "8");
    row("text size negative", "Textsize=-5\n", "textsize", "8");
    row("text size junk", "Textsize=big\n", "textsize", "8");
    row("text size empty", "Textsize=\n", "textsize", "8");

    row("colour name", "Textcolor=clRed\n", "textcolour", "clRed");
    row("colour name in capitals", "Textcolor=CLRED\n", "textcolour", "clRed");
    row("colour hex", "Textcolor=$00563412\n", "textcolour", "$00563412");
    row("colour short hex", "Textcolor=$563412\n", "textcolour", "$00563412");
    row("colour decimal", "Textcolor=255\n", "textcolour", "clRed");
    row("system colour stays one", "Textcolor=clBtnFace\n", "textcolour", "clBtnFace");
    row("numeric system colour", "Textcolor=$80000018\n", "textcolour", "clInfoBk");
    row("no colour", "Textcolor=clNone\n", "textcolour", "clNone");
    row("colour junk", "Textcolor=reddish\n", "textcolour", "clBlack");
    row("colour with bad high byte", "Textcolor=$12345678\n", "textcolour", "clBlack");
    row("colour empty", "Textcolor=\n", "textcolour", "clBlack");
    row("action colour", "Actioncolor=clNavy\n", "actioncolour", "clNavy");
    row("action colour junk", "Actioncolor=$xyz\n", "actioncolour", "clBlack");
    row("action colour apart from text colour", "Textcolor=clRed\n", "actioncolour", "clBlack");

    row("rounds", "Playtoscore=8\n", "rounds", "8");
    row("rounds kept as stored", "Playtoscore=99\n", "rounds", "99");
    row("rounds missing", "Top=1\n", "rounds", "5");
    row("rounds empty", "Playtoscore=\n", "rounds", "none");
    row("rounds junk", "Playtoscore=x\n", "rounds", "none");
    row("seconds", "Timeperturn=90\n", "seconds", "90");
    row("seconds missing", "Top=1\n", "seconds", "60");
    row("seconds empty", "Timeperturn=\n", "seconds", "none");
    row("seconds junk", "Timeperturn=1.5\n", "seconds", "none");
    row("game type", "Gametype=3\n", "gametype", "3");
    row("lowest game type", "Gametype=0\n", "gametype", "0");
    row("game type too high", "Gametype=7\n", "gametype", "6");
    row("game type negative", "Gametype=-1\n", "gametype", "6");
    row("game type empty", "Gametype=\n", "gametype", "6");
    row("game type junk", "Gametype=x\n", "gametype", "6");

    row("long pause", "Botspeed=17\n", "pause", "17");
    row("normal pause", "Botspeed=12\n", "pause", "12");
    row("quick pause", "Botspeed=10\n", "pause", "10");
    row("pause with blanks", "Botspeed= 17 \n", "pause", "17");
    row("pause of no option", "Botspeed=15\n", "pause", "12");
    row("pause 017 is no option", "Botspeed=017\n", "pause", "12");
    row("pause empty", "Botspeed=\n", "pause", "12");
    row("slow bot", "Botspeed2=2000\n", "bot", "2000");
    row("normal bot", "Botspeed2=1200\n", "bot", "1200");
    row("fast bot", "Botspeed2=750\n", "bot", "750");
    row("bot of no option", "Botspeed2=500\n", "bot", "1200");
    row("bot junk", "Botspeed2=fast\n", "bot", "1200");
    row("bot does not read the pause", "Botspeed=750\n", "bot", "1200");

    row("first phrase", "Phrase1=Hello there\n", "phrase1", "Hello there");
    row("tenth phrase", "Phrase10=Bye\n", "phrase10", "Bye");
    row("phrase with equals sign and blanks", "Phrase2=  a=b  \n", "phrase2", "a=b");
    row("empty phrase", "Phrase3=\n", "phrase3", "");
    row("eleventh phrase is not read", "Phrase11=x\n", "phrases", "10");

    row("sounds off", "Playsounds=false\n", "sounds", "off");
    row("sounds on", "Playsounds=true\n", "sounds", "on");
    row("sounds FALSE in capitals", "Playsounds=FALSE\n", "sounds", "on");
    row("sounds 0", "Playsounds=0\n", "sounds", "on");
    row("sounds empty", "Playsounds=\n", "sounds", "on");

    const QByteArray crlf = "[Lexiclash]\r\nTop=40\r\nTextsize=12\r\nPlaysounds=false\r\n"
                            "Botspeed=17\r\nTextcolor=clRed\r\n";
    QTest::newRow("CRLF file, number") << crlf << "textsize"
                                       << "12";
    QTest::newRow("CRLF file, sounds") << crlf << "sounds"
                                       << "off";
    QTest::newRow("CRLF file, pause") << crlf << "pause"
                                      << "17";
    QTest::newRow("CRLF file, colour") << crlf << "textcolour"
                                       << "clRed";

    const QByteArray otherCase = "[LEXICLASH]\ntop=40\nPLAYSOUNDS=false\nbotspeed2=750\n";
    QTest::newRow("keys in other case, number") << otherCase << "top"
                                                << "40";
    QTest::newRow("keys in other case, sounds") << otherCase << "sounds"
                                                << "off";
    QTest::newRow("keys in other case, bot") << otherCase << "bot"
                                             << "750";

    const QByteArray twoSections = "[Quillmark]\nTextsize=20\n[Lexiclash]\nTextsize=14\n";
    QTest::newRow("own section, not the other") << twoSections << "textsize"
                                                << "14";
}

void TestGameSettings::reads()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    setFile(file);
    const GameSettings read =
        readGameSettings(ProfileFile(path_), kSection, kDefaultWidth, kDefaultHeight);
    QCOMPARE(::field(read, field), expected);
}

void TestGameSettings::roundTrip_data()
{
    QTest::addColumn<GameSettings>("settings");
    QTest::newRow("defaults") << defaults();
    QTest::newRow("every option changed") << everyOptionChanged();
    GameSettings other = defaults();
    other.textSize = 1;
    other.textColour = ColourValue();
    other.actionColour = ColourValue::rgb(255, 255, 255);
    other.pauseBetweenRounds = 10;
    other.botInterval = 2000;
    other.start = GameStartSettings{10, 30, 6};
    other.phrases[4] = QStringLiteral("only the fifth");
    QTest::newRow("no colour, quick pause, slow bot") << other;
}

void TestGameSettings::roundTrip()
{
    QFETCH(GameSettings, settings);
    ProfileFile file(path_);
    writeGameSettings(file, kSection, settings);
    writePhrases(file, kSection, settings.phrases);
    file.flush();
    QCOMPARE(readGameSettings(ProfileFile(path_), kSection, kDefaultWidth, kDefaultHeight),
             settings);
}

void TestGameSettings::writes_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<GameSettings>("settings");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("fresh file, every key in order")
        << QByteArray() << defaults()
        << QByteArray("[Lexiclash]\nTop=3\nLeft=3\nWidth=790\nHeight=525\nTurnsound=0\n"
                      "Textsize=8\nTextcolor=clBlack\nActioncolor=clBlack\nPlaytoscore=5\n"
                      "Timeperturn=60\nGametype=6\nBotspeed=12\nBotspeed2=1200\n"
                      "Playsounds=true\n");
    QTest::newRow("fresh file, every option changed")
        << QByteArray() << everyOptionChanged()
        << QByteArray("[Lexiclash]\nTop=-40\nLeft=1600\nWidth=1024\nHeight=700\nTurnsound=1\n"
                      "Textsize=96\nTextcolor=$00563412\nActioncolor=clBtnFace\n"
                      "Playtoscore=2\nTimeperturn=120\nGametype=0\nBotspeed=17\nBotspeed2=750\n"
                      "Playsounds=false\n");

    GameSettings withoutStart = defaults();
    withoutStart.start.reset();
    QTest::newRow("fresh file without the game start window")
        << QByteArray() << withoutStart << "[Lexiclash]\n" + kHead + kTail;

    GameSettings typeOnly = defaults();
    typeOnly.start = GameStartSettings{std::nullopt, std::nullopt, 4};
    QTest::newRow("rounds and seconds without a value")
        << QByteArray() << typeOnly << "[Lexiclash]\n" + kHead + "Gametype=4\n" + kTail;

    const QByteArray stored = "[Lexiclash]\nPlaytoscore=9\nTimeperturn=45\nGametype=2\n";
    QTest::newRow("without the game start window the stored choices stay")
        << stored << withoutStart << stored + kHead + kTail;
    QTest::newRow("rounds and seconds without a value stay as stored")
        << stored << typeOnly
        << "[Lexiclash]\nPlaytoscore=9\nTimeperturn=45\nGametype=4\n" + kHead + kTail;

    QTest::newRow("other sections, unknown keys and comments are kept")
        << QByteArray("; made by hand\n[Quillmark]\nName=Ann\nTop=99\n\n[Lexiclash]\nTop=1\n"
                      "LobbyOnly=yes\nPhrase1=Hi\n\n[Other]\nX=1\n")
        << defaults()
        << "; made by hand\n[Quillmark]\nName=Ann\nTop=99\n\n[Lexiclash]\nTop=3\n"
           "LobbyOnly=yes\nPhrase1=Hi\n" +
               kHead.mid(QByteArray("Top=3\n").size()) + kStart + kTail + "\n[Other]\nX=1\n";

    QTest::newRow("keys in other case keep their spelling")
        << QByteArray("[LEXICLASH]\nTOP=5\nplaysounds=false\n") << defaults()
        << "[LEXICLASH]\nTOP=3\nplaysounds=true\n" + kHead.mid(QByteArray("Top=3\n").size()) +
               kStart + "Botspeed=12\nBotspeed2=1200\n";

    QByteArray crlfAfter = "[Lexiclash]\n" + kHead + kTail;
    crlfAfter.replace("\n", "\r\n");
    QTest::newRow("CRLF file stays CRLF")
        << QByteArray("[Lexiclash]\r\nTop=5\r\n") << withoutStart << crlfAfter;
}

void TestGameSettings::writes()
{
    QFETCH(QByteArray, before);
    QFETCH(GameSettings, settings);
    QFETCH(QByteArray, after);
    setFile(before);
    ProfileFile file(path_);
    writeGameSettings(file, kSection, settings);
    // Nothing reaches the disk before the flush.
    QCOMPARE(QFile::exists(path_), !before.isNull());
    if (!before.isNull())
        QCOMPARE(readBytes(path_), before);
    file.flush();
    QCOMPARE(readBytes(path_), after);
}

void TestGameSettings::writesPhrases_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QStringList>("phrases");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QStringList>("read");

    QStringList ten(kPhraseCount, QString());
    ten[0] = QStringLiteral("Hello");
    ten[9] = QStringLiteral("Bye");
    QTest::newRow("fresh file, empty texts written too")
        << QByteArray() << ten
        << QByteArray("[Lexiclash]\nPhrase1=Hello\nPhrase2=\nPhrase3=\nPhrase4=\nPhrase5=\n"
                      "Phrase6=\nPhrase7=\nPhrase8=\nPhrase9=\nPhrase10=Bye\n")
        << ten;

    QStringList readBack(kPhraseCount, QString());
    readBack[0] = QStringLiteral("New one");
    readBack[2] = QStringLiteral("Three");
    readBack[6] = QStringLiteral("Seven");
    QTest::newRow("stored phrases replaced in place, an empty text clears one")
        << QByteArray("[Lexiclash]\nTop=8\nPhrase1=Old one\nPhrase2=Old two\nPhrase7=Seven\n")
        << QStringList{"New one", "", "Three"}
        << QByteArray("[Lexiclash]\nTop=8\nPhrase1=New one\nPhrase2=\nPhrase7=Seven\n"
                      "Phrase3=Three\n")
        << readBack;
}

void TestGameSettings::writesPhrases()
{
    QFETCH(QByteArray, before);
    QFETCH(QStringList, phrases);
    QFETCH(QByteArray, after);
    QFETCH(QStringList, read);
    setFile(before);
    ProfileFile file(path_);
    writePhrases(file, kSection, phrases);
    QCOMPARE(QFile::exists(path_), !before.isNull());
    file.flush();
    QCOMPARE(readBytes(path_), after);
    QCOMPARE(readGameSettings(ProfileFile(path_), kSection, kDefaultWidth, kDefaultHeight).phrases,
             read);
}

QTEST_GUILESS_MAIN(TestGameSettings)
#include "test_gamesettings.moc"
