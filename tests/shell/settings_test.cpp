#include "client/chatmenus.h"
#include "client/chatpane.h"
#include "client/tchat.h"
#include "common/guard.h"
#include "common/messagebox.h"
#include "dialogs/tgamestart.h"
#include "dialogs/tphrases.h"
#include "model/gamemodel.h"
#include "net/servermessage.h"
#include "net/tsock.h"
#include "session/clientsession.h"
#include "settings/gamesettings.h"
#include "shell/windowwiring.h"
#include "testfiles.h"
#include "widgets/colourpalette.h"
#include "widgets/gameupdown.h"
#include "widgets/tag.h"

#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/fsuid.h>
#include <unistd.h>

#include <memory>

namespace {

// The keys of the file's section in the order they stand, with their values.
QStringList sectionLines(const QString &path)
{
    QStringList lines;
    bool inside = false;
    for (const QByteArray &line : readBytes(path).split('\n')) {
        if (line.startsWith('[')) {
            inside = line.compare("[Lexiclash]", Qt::CaseInsensitive) == 0;
            continue;
        }
        if (inside && !line.isEmpty())
            lines << QString::fromUtf8(line);
    }
    return lines;
}

// Makes a folder refuse new files and renames. Permission bits do that for
// an ordinary user; root ignores them, so for root this thread's file system
// identity becomes the unprivileged "nobody" (setfsuid), to whom the folder is
// read-only, while the lock lasts. Undone when the object goes.
class LockedFolder {
public:
    explicit LockedFolder(const QString &path)
        : path_(path)
    {
        QFile::setPermissions(path_, readOnly());
        if (canCreateIn() && ::geteuid() == 0) {
            ::setfsuid(kNobody);
            asNobody_ = int(::setfsuid(kNobody)) == kNobody;
        }
    }
    ~LockedFolder()
    {
        if (asNobody_)
            ::setfsuid(0);
        QFile::setPermissions(path_, allPermissions());
    }
    // True when nothing can be created in the folder any more.
    bool locked() const { return !canCreateIn(); }
    // How the folder was locked, for the test's log.
    QString how() const
    {
        return asNobody_ ? QStringLiteral("read-only to user nobody, whom this thread acts as")
                         : QStringLiteral("read-only by its permission bits");
    }

private:
    static constexpr uid_t kNobody = 65534;
    static QFileDevice::Permissions readOnly()
    {
        return QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
               QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
    }
    static QFileDevice::Permissions allPermissions()
    {
        return QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    }
    bool canCreateIn() const
    {
        QFile probe(QDir(path_).filePath(QStringLiteral("probe")));
        if (!probe.open(QIODevice::WriteOnly))
            return false;
        probe.close();
        probe.remove();
        return true;
    }

    QString path_;
    bool asNobody_ = false;
};

} // namespace

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void noFileGivesDefaultsAndFirstChangeCreatesIt();
    void storedValues_data();
    void storedValues();
    void longPauseIsSavedAgain();
    void changeBeforeLoginStillWrites();
    void otherSectionsAndKeysSurviveASave();
    void lockedFolderReportsAndKeepsTheOldFile();
    void closeWritesOnlyWhenTheGeometryChanged_data();
    void closeWritesOnlyWhenTheGeometryChanged();
    void textSizeWithoutItem();
    void gameStartStoresItsChoices();

private:
    void makeWindow();
    void login();
    QString probe(const QString &what) const;
    QString iniPath() const { return settingsFilePath(); }

    QTemporaryDir home_;
    std::unique_ptr<Tgamestart> gamestart_;
    std::unique_ptr<Tphrases> phrases_;
    std::unique_ptr<Tchat> chat_;
    QStringList errors_;
};

void SettingsTest::initTestCase()
{
    // Run by hand, the test still gets a folder of its own.
    if (qEnvironmentVariableIsEmpty("LEXICLASH_HOME"))
        qputenv("LEXICLASH_HOME", home_.path().toUtf8());
    setMessageBoxHandler([](const QString &) {});
}

void SettingsTest::init()
{
    errors_.clear();
    setErrorHandler([this](const QString &text) { errors_ << text; });
    QFile::remove(iniPath());
    makeWindow();
}

void SettingsTest::cleanup()
{
    chat_.reset();
    phrases_.reset();
    gamestart_.reset();
}

void SettingsTest::makeWindow()
{
    chat_.reset();
    gamestart_ = std::make_unique<Tgamestart>();
    phrases_ = std::make_unique<Tphrases>();
    chat_ = std::make_unique<Tchat>();
    WindowSet windows;
    windows.gamestart = gamestart_.get();
    windows.phrases = phrases_.get();
    wireWindows(*chat_, windows);
    // Two parameters: the idle launch mode, so showing the window connects nothing.
    chat_->setParameters({QStringLiteral("Ann"), QStringLiteral("127.0.0.1")});
}

// The server confirms our own login: the moment the settings are read.
void SettingsTest::login()
{
    chat_->model->apply(Msg::SendLoginInfo{3});
    guarded([this] { chat_->session->handle(decodeServerMessage("CMD_newplayerinfo+3+Ann")); });
}

QString SettingsTest::probe(const QString &what) const
{
    const ChatMenus &menus = *chat_->menus;
    auto ticked = [](const QAction *parent) {
        QStringList names;
        for (const QAction *item : parent->menu()->actions()) {
            if (item->isChecked())
                names << item->objectName();
        }
        return names.join(QLatin1Char(','));
    };
    if (what == "geometry")
        return QStringLiteral("%1,%2,%3,%4")
            .arg(chat_->x())
            .arg(chat_->y())
            .arg(chat_->width())
            .arg(chat_->height());
    if (what == "turnsound")
        return ticked(menus.TurnSound1) + ":" + QString::number(tagOf(menus.TurnSound1));
    if (what == "textsize")
        return QString::number(chat_->chat->textSize()) + ":" + ticked(menus.TextSize1);
    if (what == "textcolour")
        return colourToText(chat_->chat->textColour());
    if (what == "entrycolour")
        return colourToText(chat_->chat->mychat->palette().color(QPalette::Text));
    if (what == "actioncolour")
        return colourToText(chat_->chat->actionColour());
    if (what == "rounds")
        return QString::number(gamestart_->UpDown1->position());
    if (what == "seconds")
        return QString::number(gamestart_->UpDown2->position());
    if (what == "gametype")
        return QString::number(gamestart_->gametype());
    if (what == "pause")
        return ticked(menus.BotSpeed1) + ":" + QString::number(chat_->pauseBetweenRounds());
    if (what == "bot")
        return ticked(menus.BotSpeed2) + ":" + QString::number(chat_->botInterval());
    if (what.startsWith("phrase"))
        return chat_->chat->phrase(what.mid(6).toInt());
    if (what == "sounds")
        return menus.PlaySounds1->isChecked() ? "on" : "off";
    return "unknown probe " + what;
}

void SettingsTest::noFileGivesDefaultsAndFirstChangeCreatesIt()
{
    chat_->show();
    chat_->move(200, 150);
    login();
    QCOMPARE(probe("geometry"), QStringLiteral("3,3,790,525"));
    QCOMPARE(chat_->state.storedleft, 3);
    QCOMPARE(chat_->state.storedtop, 3);
    QCOMPARE(chat_->state.storedwidth, 790);
    QCOMPARE(chat_->state.storedheight, 525);
    QCOMPARE(probe("turnsound"), QStringLiteral("Classic1:0"));
    QCOMPARE(probe("textsize"), QStringLiteral("8:N8"));
    QCOMPARE(probe("textcolour"), QStringLiteral("clBlack"));
    QCOMPARE(probe("actioncolour"), QStringLiteral("clBlack"));
    QCOMPARE(probe("rounds"), QStringLiteral("5"));
    QCOMPARE(probe("seconds"), QStringLiteral("60"));
    QCOMPARE(probe("gametype"), QStringLiteral("6"));
    QCOMPARE(probe("pause"), QStringLiteral("Normal1:12"));
    QCOMPARE(probe("bot"), QStringLiteral("Normal2:1200"));
    QCOMPARE(probe("phrase3"), QStringLiteral("Nice Try!"));
    QCOMPARE(probe("sounds"), QStringLiteral("on"));
    // Reading never creates the file.
    QVERIFY(!QFile::exists(iniPath()));

    chat_->menus->Quick1->trigger();
    QVERIFY(errors_.isEmpty());
    QCOMPARE(
        sectionLines(iniPath()),
        QStringList({"Top=3", "Left=3", "Width=790", "Height=525", "Turnsound=0", "Textsize=8",
                     "Textcolor=clBlack", "Actioncolor=clBlack", "Playtoscore=5", "Timeperturn=60",
                     "Gametype=6", "Botspeed=10", "Botspeed2=1200", "Playsounds=true"}));
}

void SettingsTest::storedValues_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("expected");

    QTest::newRow("geometry") << QByteArray("Top=40\nLeft=50\nWidth=800\nHeight=600") << "geometry"
                              << "50,40,800,600";
    QTest::newRow("unreadable geometry")
        << QByteArray("Top=x\nLeft=\nWidth=80.5\nHeight=600") << "geometry"
        << "3,3,790,600";
    QTest::newRow("turn sound new") << QByteArray("Turnsound=1") << "turnsound"
                                    << "New1:1";
    QTest::newRow("turn sound other") << QByteArray("Turnsound=2") << "turnsound"
                                      << "Classic1:0";
    QTest::newRow("text size with item") << QByteArray("Textsize=12") << "textsize"
                                         << "12:N12";
    QTest::newRow("text size unreadable") << QByteArray("Textsize=big") << "textsize"
                                          << "8:N8";
    QTest::newRow("text size zero") << QByteArray("Textsize=0") << "textsize"
                                    << "8:N8";
    QTest::newRow("text colour by name") << QByteArray("Textcolor=clNavy") << "textcolour"
                                         << "clNavy";
    QTest::newRow("text colour by number") << QByteArray("Textcolor=$00800000") << "textcolour"
                                           << "clNavy";
    QTest::newRow("text colour bare word") << QByteArray("Textcolor=navy") << "textcolour"
                                           << "clBlack";
    QTest::newRow("entry field takes the text colour")
        << QByteArray("Textcolor=clRed") << "entrycolour"
        << "clRed";
    QTest::newRow("action colour") << QByteArray("Actioncolor=clTeal") << "actioncolour"
                                   << "clTeal";
    QTest::newRow("action colour unreadable") << QByteArray("Actioncolor=$xyz") << "actioncolour"
                                              << "clBlack";
    QTest::newRow("rounds") << QByteArray("Playtoscore=8") << "rounds"
                            << "8";
    QTest::newRow("rounds empty") << QByteArray("Playtoscore=") << "rounds"
                                  << "5";
    QTest::newRow("rounds unreadable") << QByteArray("Playtoscore=many") << "rounds"
                                       << "5";
    QTest::newRow("seconds") << QByteArray("Timeperturn=95") << "seconds"
                             << "95";
    QTest::newRow("game type") << QByteArray("Gametype=2") << "gametype"
                               << "2";
    QTest::newRow("game type empty") << QByteArray("Gametype=") << "gametype"
                                     << "6";
    QTest::newRow("game type out of range") << QByteArray("Gametype=9") << "gametype"
                                            << "6";
    QTest::newRow("game type negative") << QByteArray("Gametype=-1") << "gametype"
                                        << "6";
    QTest::newRow("game type no limit") << QByteArray("Gametype=0") << "gametype"
                                        << "0";
    QTest::newRow("pause long") << QByteArray("Botspeed=17") << "pause"
                                << "Long1:17";
    QTest::newRow("pause quick") << QByteArray("Botspeed=10") << "pause"
                                 << "Quick1:10";
    QTest::newRow("pause 15") << QByteArray("Botspeed=15") << "pause"
                              << "Normal1:12";
    QTest::newRow("bot slow") << QByteArray("Botspeed2=2000") << "bot"
                              << "Slow1:2000";
    QTest::newRow("bot fast") << QByteArray("Botspeed2=750") << "bot"
                              << "Fast1:750";
    QTest::newRow("bot other") << QByteArray("Botspeed2=Normal") << "bot"
                               << "Normal2:1200";
    QTest::newRow("phrase stored") << QByteArray("Phrase3=Close one!") << "phrase3"
                                   << "Close one!";
    QTest::newRow("phrase empty") << QByteArray("Phrase3=") << "phrase3"
                                  << "Nice Try!";
    QTest::newRow("phrase 10") << QByteArray("Phrase10=Bye all") << "phrase10"
                               << "Bye all";
    QTest::newRow("sounds off") << QByteArray("Playsounds=false") << "sounds"
                                << "off";
    QTest::newRow("sounds FALSE") << QByteArray("Playsounds=FALSE") << "sounds"
                                  << "on";
    QTest::newRow("sounds other") << QByteArray("Playsounds=0") << "sounds"
                                  << "on";
    QTest::newRow("keys in other case") << QByteArray("BOTSPEED=17") << "pause"
                                        << "Long1:17";
}

void SettingsTest::storedValues()
{
    QFETCH(QByteArray, lines);
    QFETCH(QString, what);
    QFETCH(QString, expected);
    writeBytes(iniPath(), "[Lexiclash]\n" + lines + "\n");
    chat_->show();
    login();
    QCOMPARE(probe(what), expected);
    QVERIFY(errors_.isEmpty());
}

void SettingsTest::longPauseIsSavedAgain()
{
    writeBytes(iniPath(), "[Lexiclash]\nBotspeed=17\n");
    login();
    chat_->menus->Slow1->trigger();
    const QStringList lines = sectionLines(iniPath());
    QVERIFY2(lines.contains("Botspeed=17"), qPrintable(lines.join(' ')));
    QVERIFY(lines.contains("Botspeed2=2000"));
}

void SettingsTest::changeBeforeLoginStillWrites()
{
    chat_->menus->New1->trigger();
    const QStringList lines = sectionLines(iniPath());
    QCOMPARE(lines.size(), 14);
    QVERIFY(lines.contains("Turnsound=1"));
}

void SettingsTest::otherSectionsAndKeysSurviveASave()
{
    const QByteArray before = "; the lobby's settings\n[Quillmark]\nuser=ann\nTop=999\n\n"
                              "[lexiclash]\nmystery=42\nPhrase3=Close one!\nTOP=40\n\n"
                              "[Other]\nTop=7\n";
    writeBytes(iniPath(), before);
    login();
    QCOMPARE(chat_->y(), 40);
    chat_->menus->PlaySounds1->trigger();
    QVERIFY(errors_.isEmpty());
    const QByteArray after = readBytes(iniPath());
    QVERIFY(after.startsWith("; the lobby's settings\n[Quillmark]\nuser=ann\nTop=999\n\n"
                             "[lexiclash]\nmystery=42\nPhrase3=Close one!\nTOP=40\n"));
    QVERIFY(after.endsWith("Playsounds=false\n\n[Other]\nTop=7\n"));
    QCOMPARE(after.count("[lexiclash]"), 1);
    QCOMPARE(after.count("Top="), 2);
}

// The folder is locked with the file in it: the save fails whole, the error
// names the file, and the file keeps every byte.
void SettingsTest::lockedFolderReportsAndKeepsTheOldFile()
{
    QTemporaryDir folder;
    const QByteArray home = qgetenv("LEXICLASH_HOME");
    qputenv("LEXICLASH_HOME", folder.path().toUtf8());
    const QByteArray before = "[Lexiclash]\nBotspeed=17\n";
    writeBytes(iniPath(), before);
    {
        LockedFolder lock(folder.path());
        // Never a quiet pass: a folder that cannot be locked fails the test.
        QVERIFY2(lock.locked(), "the folder could not be made read-only, not even for user "
                                "nobody; the locked-folder case was not tested");
        qInfo().noquote() << "folder locked:" << lock.how();
        login();
        chat_->menus->Quick1->trigger();
        QCOMPARE(errors_, QStringList({"Unable to write to " + iniPath()}));
        QCOMPARE(readBytes(iniPath()), before);
        // Nothing was left behind in the folder either.
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files),
                 QStringList({QString::fromLatin1(kSettingsFileName)}));
    }
    qputenv("LEXICLASH_HOME", home);
}

void SettingsTest::closeWritesOnlyWhenTheGeometryChanged_data()
{
    QTest::addColumn<bool>("move");
    QTest::newRow("unchanged") << false;
    QTest::newRow("moved") << true;
}

void SettingsTest::closeWritesOnlyWhenTheGeometryChanged()
{
    QFETCH(bool, move);
    writeBytes(iniPath(), "[Lexiclash]\nTop=40\nLeft=50\nWidth=800\nHeight=600\n");
    chat_->show();
    login();
    QFile::remove(iniPath());
    if (move)
        chat_->move(60, 70);
    chat_->close();
    QCOMPARE(QFile::exists(iniPath()), move);
    if (move) {
        const QStringList lines = sectionLines(iniPath());
        QCOMPARE(lines.mid(0, 4), QStringList({"Top=70", "Left=60", "Width=800", "Height=600"}));
        QCOMPARE(chat_->state.storedtop, 70);
        QCOMPARE(chat_->state.storedleft, 60);
    }
}

// A size the menu has no item for is used, and no item keeps its tick.
void SettingsTest::textSizeWithoutItem()
{
    writeBytes(iniPath(), "[Lexiclash]\nTextsize=11\n");
    login();
    QCOMPARE(probe("textsize"), QStringLiteral("11:"));
    chat_->menus->Fast1->trigger();
    QVERIFY(sectionLines(iniPath()).contains("Textsize=11"));
}

// A game start goes out on a real connection, then the window's three
// choices are in the file and come back at the next run.
void SettingsTest::gameStartStoresItsChoices()
{
    TSock listener;
    TSock *server = nullptr;
    listener.setPortName(QStringLiteral("0"));
    listener.OnAccept = [&server](TSock *sender) { sender->Accept(server); };
    listener.setListen(true);
    chat_->session->open(QStringLiteral("127.0.0.1"), QString::number(listener.localPort()),
                         QStringLiteral("You"));
    QTRY_VERIFY_WITH_TIMEOUT(server && chat_->session->sock->Connected(), 10000);

    gamestart_->UpDown1->setPosition(7);
    gamestart_->UpDown2->setPosition(90);
    gamestart_->checkimage(QStringLiteral("image_letters2"));
    gamestart_->button_startClick();
    QVERIFY(errors_.isEmpty());
    const QStringList lines = sectionLines(iniPath());
    QVERIFY2(lines.contains("Playtoscore=7") && lines.contains("Timeperturn=90") &&
                 lines.contains("Gametype=2"),
             qPrintable(lines.join(' ')));

    makeWindow();
    login();
    QCOMPARE(probe("rounds"), QStringLiteral("7"));
    QCOMPARE(probe("seconds"), QStringLiteral("90"));
    QCOMPARE(probe("gametype"), QStringLiteral("2"));
}

QTEST_MAIN(SettingsTest)
#include "settings_test.moc"
