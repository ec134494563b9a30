// Where the dictionary keeps its list: a file of its own in the runtime
// folder, created exclusively and removed at the end; an "English" of the
// user's is never read or changed, and lists of copies that died go away.
#include "common/errors.h"
#include "common/messagebox.h"
#include "common/paths.h"
#include "dict/tdictn.h"
#include "handmadelist.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <sys/file.h>

namespace {

const QString kNoResource = QStringLiteral(":/dict/no-such-list");

} // namespace

class TestListPlace : public QObject {
    Q_OBJECT

private:
    QStringList messages;

private slots:
    void init()
    {
        messages.clear();
        setMessageBoxHandler([this](const QString &text) { messages << text; });
    }

    void cleanup() { setMessageBoxHandler(nullptr); }

    void missingResourceWritesNothing()
    {
        QTemporaryDir folder;
        {
            const TDictn dictionary(kNoResource, folder.path());
            QCOMPARE(messages, QStringList{kNotFound});
            QVERIFY(!dictionary.IsWord("CAT"));
        }
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
    }

    void nowhereToWriteRaisesAndLeavesNoFile()
    {
        // /proc takes no new files, not even from root.
        QString message;
        try {
            TDictn dictionary(TDictn::kDefaultResource, QStringLiteral("/proc"));
        } catch (const Error &error) {
            message = error.message();
        }
        QVERIFY2(message.startsWith(QStringLiteral("The word list could not be written. Cannot "
                                                   "create file /proc/lexiclash-English-")),
                 qPrintable(message));
        QVERIFY(messages.isEmpty());
    }

    void writesItsOwnFileInTheRuntimeFolderAndRemovesIt()
    {
        const QString runtime = scratchFolder();
        QCOMPARE(runtime, qEnvironmentVariable("XDG_RUNTIME_DIR"));
        const QStringList working = QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        QString path;
        {
            const TDictn dictionary;
            QVERIFY(messages.isEmpty());
            QVERIFY(dictionary.isOpen());
            path = dictionary.fileName();
            QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(runtime).absoluteFilePath());
            QVERIFY2(QFileInfo(path).fileName().contains(
                         QRegularExpression(QStringLiteral("^lexiclash-English-[A-Za-z0-9]{6}$"))),
                     qPrintable(path));
            // Nobody else may read or change it.
            const QFile::Permissions others =
                QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
            QVERIFY(!(QFileInfo(path).permissions() & others));
            QFile resource(TDictn::kDefaultResource);
            QVERIFY(resource.open(QIODevice::ReadOnly));
            QCOMPARE(readBytes(path), resource.readAll());
            QCOMPARE(dictionary.recordCount(), QFileInfo(path).size() / 15);
            QVERIFY(dictionary.IsWord("CAT"));
        }
        QVERIFY(!QFile::exists(path));
        QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot), working);
    }

    void leavesTheUsersEnglishAlone_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::newRow("a file English") << false;
        QTest::newRow("a folder English") << true;
    }

    // An "English" of the user's in the working folder is neither read nor changed.
    void leavesTheUsersEnglishAlone()
    {
        QFETCH(bool, folder);
        const QString english = QStringLiteral("English");
        if (folder) {
            QVERIFY(QDir().mkdir(english));
            writeList(english + QStringLiteral("/inside"), {"QWERTY"});
        } else {
            writeList(english, {"QWERTY", "XYZZY"});
        }
        const QByteArray before = readBytes(folder ? english + QStringLiteral("/inside") : english);
        {
            const TDictn dictionary;
            QVERIFY(messages.isEmpty());
            QVERIFY(dictionary.IsWord("CAT"));
            QVERIFY(!dictionary.IsWord("XYZZY"));
        }
        QCOMPARE(readBytes(folder ? english + QStringLiteral("/inside") : english), before);
        QCOMPARE(QFileInfo(english).isDir(), folder);
        if (folder)
            QVERIFY(QDir(english).removeRecursively());
        else
            QVERIFY(QFile::remove(english));
    }

    void secondDictionaryKeepsTheFirstOnesFile()
    {
        const auto first = std::make_unique<TDictn>();
        QString second;
        {
            const TDictn other;
            second = other.fileName();
            QVERIFY(second != first->fileName());
            QVERIFY(other.IsWord("CAT"));
        }
        QVERIFY(!QFile::exists(second));
        QVERIFY(QFile::exists(first->fileName()));
        QVERIFY(first->IsWord("DOG"));
    }

    // Left behind by a copy that died: removed when a list is next written,
    // while whatever does not fit the pattern exactly, or is held, stays.
    void staleFilesAreRemovedAndNothingElse()
    {
        QTemporaryDir runtime;
        const QDir dir(runtime.path());
        const auto make = [&](const QString &name) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("left behind");
        };
        make(QStringLiteral("lexiclash-English-Ab3xYz"));
        make(QStringLiteral("lexiclash-English-held00"));
        make(QStringLiteral("lexiclash-English-toolong"));
        make(QStringLiteral("lexiclash-Englishabcdef"));
        make(QStringLiteral("LEXICLASH-english-abcdef"));
        make(QStringLiteral("English"));
        QVERIFY(dir.mkdir(QStringLiteral("lexiclash-English-folder")));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("English")),
                            dir.filePath(QStringLiteral("lexiclash-English-link00"))));
        // A running copy holds its file's lock.
        QFile held(dir.filePath(QStringLiteral("lexiclash-English-held00")));
        QVERIFY(held.open(QIODevice::ReadOnly));
        QCOMPARE(::flock(held.handle(), LOCK_EX | LOCK_NB), 0);

        const TDictn dictionary(TDictn::kDefaultResource, runtime.path());
        QVERIFY(dictionary.IsWord("CAT"));
        QStringList left = dir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        left.removeOne(QFileInfo(dictionary.fileName()).fileName());
        left.sort();
        QStringList kept{"English",
                         "LEXICLASH-english-abcdef",
                         "lexiclash-English-folder",
                         "lexiclash-English-held00",
                         "lexiclash-English-link00",
                         "lexiclash-English-toolong",
                         "lexiclash-Englishabcdef"};
        kept.sort();
        QCOMPARE(left, kept);
        QCOMPARE(readBytes(dir.filePath(QStringLiteral("English"))), QByteArray("left behind"));
    }
};

QTEST_GUILESS_MAIN(TestListPlace)
#include "test_listplace.moc"
