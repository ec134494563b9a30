// The word list of real program copies: it lives in the user's runtime folder
// under a name of its own, never touches an "English" of the user's in the
// working folder, and a copy that died leaves nothing behind for long.

#include "gameprocess.h"
#include "loopbackport.h"
#include "realword.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

namespace {

QStringList hostParameters()
{
    return {QStringLiteral("Hostess"), QStringLiteral("127.0.0.1"), QStringLiteral("true")};
}

// Starts the copy as a host and waits until its own client holds seat 1.
bool startHost(GameProcess &host)
{
    return host.start(hostParameters()) && GameProcess::waitFor([&] {
               return host.text(QStringLiteral("label_playername1")) == QLatin1String("Hostess");
           });
}

// Every file below folder with its bytes, and every folder, by relative path.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> entries;
    const QDir root(folder);
    QStringList pending{folder};
    while (!pending.isEmpty()) {
        const QDir dir(pending.takeFirst());
        for (const QFileInfo &info : dir.entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                       QDir::System | QDir::NoDotAndDotDot)) {
            const QString name = root.relativeFilePath(info.filePath());
            if (info.isDir() && !info.isSymLink()) {
                entries.insert(name + QLatin1Char('/'), {});
                pending << info.filePath();
                continue;
            }
            QFile file(info.filePath());
            entries.insert(name, file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>");
        }
    }
    return entries;
}

} // namespace

class WordListTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void usersEnglishIsLeftAlone_data();
    void usersEnglishIsLeftAlone();
    void listOfADeadCopyIsRemovedAtTheNextStart();
    void liveCopysListIsKept();

private:
    std::unique_ptr<QTemporaryDir> root_;
};

void WordListTest::init()
{
    root_ = std::make_unique<QTemporaryDir>(QDir::currentPath() + QStringLiteral("/listXXXXXX"));
}

void WordListTest::cleanup()
{
    root_.reset();
}

void WordListTest::usersEnglishIsLeftAlone_data()
{
    QTest::addColumn<bool>("folder");
    QTest::newRow("a file English") << false;
    QTest::newRow("a folder English") << true;
}

// The menu starts the game in the home folder, where the user may keep
// anything called "English": a list of made-up words in the game's own
// format, or a folder.
void WordListTest::usersEnglishIsLeftAlone()
{
    QFETCH(bool, folder);
    const quint16 port = unusedLoopbackPort();
    GameProcess host(root_->path(), QStringLiteral("host"), port);
    writeShortGameSettings(host);
    const QDir work(host.work());
    if (folder) {
        QVERIFY(work.mkdir(QStringLiteral("English")));
        QFile inside(work.filePath(QStringLiteral("English/notes.txt")));
        QVERIFY(inside.open(QIODevice::WriteOnly));
        inside.write("my own notes\n");
    } else {
        QFile own(work.filePath(QStringLiteral("English")));
        QVERIFY(own.open(QIODevice::WriteOnly));
        own.write("\x1e"
                  "QWERTY        "
                  "\x1e"
                  "XYZZY         ");
    }
    const auto before = snapshot(work.path());

    QVERIFY2(startHost(host), host.log().constData());
    QByteArray why;
    QVERIFY2(hostAcceptsARealWord(host, port, why), why.constData());
    QVERIFY(!host.log().contains("dictionary not found"));
    QCOMPARE(host.wordLists().size(), 1);

    QVERIFY(host.command("close").startsWith("ok"));
    QVERIFY2(host.waitExit(), host.log().constData());
    QCOMPARE(host.exitCode(), 0);
    QCOMPARE(snapshot(work.path()), before);
    QCOMPARE(host.wordLists(), QStringList());
}

void WordListTest::listOfADeadCopyIsRemovedAtTheNextStart()
{
    GameProcess dead(root_->path(), QStringLiteral("dead"), unusedLoopbackPort());
    QVERIFY2(startHost(dead), dead.log().constData());
    const QStringList left = dead.wordLists();
    QCOMPARE(left.size(), 1);
    dead.signal(SIGKILL);
    QVERIFY(dead.waitExit());
    QVERIFY(QFile::exists(left.first()));

    // The next copy of the same user, in the same runtime folder.
    GameProcess next(root_->path(), QStringLiteral("next"), unusedLoopbackPort());
    next.setEnv(QStringLiteral("XDG_RUNTIME_DIR"), dead.runtime());
    QVERIFY2(startHost(next), next.log().constData());
    QVERIFY(!QFile::exists(left.first()));
    const QStringList now = dead.wordLists();
    QCOMPARE(now.size(), 1);
    QVERIFY(now.first() != left.first());
    QVERIFY(next.command("close").startsWith("ok"));
    QVERIFY(next.waitExit());
    QCOMPARE(dead.wordLists(), QStringList());
}

void WordListTest::liveCopysListIsKept()
{
    const quint16 port = unusedLoopbackPort();
    GameProcess first(root_->path(), QStringLiteral("first"), port);
    writeShortGameSettings(first);
    QVERIFY2(startHost(first), first.log().constData());
    const QStringList firstList = first.wordLists();
    QCOMPARE(firstList.size(), 1);

    GameProcess second(root_->path(), QStringLiteral("second"), unusedLoopbackPort());
    second.setEnv(QStringLiteral("XDG_RUNTIME_DIR"), first.runtime());
    QVERIFY2(startHost(second), second.log().constData());
    QCOMPARE(first.wordLists().size(), 2);
    QVERIFY(first.wordLists().contains(firstList.first()));

    QVERIFY(second.command("close").startsWith("ok"));
    QVERIFY(second.waitExit());
    QCOMPARE(first.wordLists(), firstList);
    // The first copy still judges words from its list.
    QByteArray why;
    QVERIFY2(hostAcceptsARealWord(first, port, why), why.constData());
    QVERIFY(first.command("close").startsWith("ok"));
    QVERIFY(first.waitExit());
    QCOMPARE(first.wordLists(), QStringList());
}

QTEST_GUILESS_MAIN(WordListTest)
#include "test_wordlist.moc"
