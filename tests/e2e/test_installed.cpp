// An installed copy: the programs, menu entries and icons installed into a
// prefix with "cmake --install", and the installed game run from there as a
// user runs it. Its download window offers the lobby installed beside it, and
// a game leaves nothing behind in the prefix: settings and tally go to the
// user's config folder, the word list to the runtime folder.

#include "gameprocess.h"
#include "loopbackport.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Every entry below folder with its size and time of change.
QStringList listing(const QString &folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        entries << QStringLiteral("%1 %2 %3")
                       .arg(QDir(folder).relativeFilePath(info.filePath()))
                       .arg(info.isDir() ? -1 : info.size())
                       .arg(info.lastModified().toMSecsSinceEpoch());
    }
    entries.sort();
    return entries;
}

} // namespace

class InstalledTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void downloadWindowOffersTheInstalledLobby();

private:
    QTemporaryDir root_{QDir::currentPath() + QStringLiteral("/installedXXXXXX")};
    QString prefix_;
};

void InstalledTest::initTestCase()
{
    QVERIFY(root_.isValid());
    prefix_ = root_.filePath(QStringLiteral("prefix"));
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(LEXICLASH_CMAKE),
                  {QStringLiteral("--install"), QStringLiteral(LEXICLASH_BUILD_DIR),
                   QStringLiteral("--prefix"), prefix_});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitCode() == 0, install.readAll().constData());
    QVERIFY(QFileInfo(prefix_ + QStringLiteral("/bin/lexiclash-lobby")).isExecutable());
}

void InstalledTest::downloadWindowOffersTheInstalledLobby()
{
    const QStringList before = listing(prefix_);
    GameProcess game(root_.path(), QStringLiteral("player"), unusedLoopbackPort());
    game.setProgram(prefix_ + QStringLiteral("/bin/lexiclash"));
    // As a user runs it: no settings folder of the tests, a home of its own.
    game.unsetEnv(QStringLiteral("LEXICLASH_HOME"));
    const QString home = root_.filePath(QStringLiteral("home"));
    game.setEnv(QStringLiteral("HOME"), home);
    game.setEnv(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    game.setWorkingFolder(home);
    QVERIFY(QDir().mkpath(home));
    QVERIFY2(game.start({}), game.log().constData());

    QVERIFY(GameProcess::waitFor([&] { return game.command("visible download") == "ok 1"; }));
    QCOMPARE(game.text(QStringLiteral("download/getbutton")),
             QStringLiteral("Open The Quillmark Lobby"));
    QCOMPARE(game.text(QStringLiteral("download/Label1")),
             QStringLiteral("The Quillmark Lobby is installed: open it to play this and other "
                            "games with other players!"));
    QCOMPARE(game.command("visible download/abortbutton"), QByteArray("ok 0"));
    QCOMPARE(game.wordLists().size(), 1);

    QVERIFY(game.command("close").startsWith("ok"));
    QVERIFY2(game.waitExit(), game.log().constData());
    QCOMPARE(game.exitCode(), 0);
    QCOMPARE(listing(prefix_), before);
    // What an installed copy keeps goes to the user's config folder.
    QVERIFY(QFileInfo::exists(home + QStringLiteral("/.config/lexiclash/Lexiclashtally.tld")));
    QCOMPARE(QDir(home).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{".config"});
}

QTEST_GUILESS_MAIN(InstalledTest)
#include "test_installed.moc"
