#include "common/errors.h"
#include "settings/profilefile.h"
#include "settings/profilefile.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

} // namespace

class ProfileTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(dir_.isValid());
        path_ = dir_.filePath(QStringLiteral("quillmarklobby.ini"));
        QFile::remove(path_);
    }

    void missingFileReadsEmptyAndFirstWriteCreatesIt()
    {
        ProfileFile profile(path_);
        QCOMPARE(profile.readString("Lexiclash", "Top", "3"), QStringLiteral("3"));
        QVERIFY(!profile.hasKey("Lexiclash", "Top"));
        QVERIFY(!QFile::exists(path_));

        profile.writeString("Lexiclash", "Top", "10");
        profile.writeString("Lexiclash", "Left", "20");
        QVERIFY(!QFile::exists(path_));
        profile.flush();
        QCOMPARE(readBytes(path_), QByteArray("[Lexiclash]\nTop=10\nLeft=20\n"));
        QCOMPARE(ProfileFile(path_).readString("Lexiclash", "Left"), QStringLiteral("20"));
    }

    void read_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");

        const QByteArray two = "[Quillmark]\nTop=99\n[Lexiclash]\nTop=7\nName = Ann Lee \n";
        QTest::newRow("own section") << two << "Lexiclash"
                                     << "Top"
                                     << "7";
        QTest::newRow("other section") << two << "Quillmark"
                                       << "Top"
                                       << "99";
        QTest::newRow("key in other case") << two << "Lexiclash"
                                           << "tOP"
                                           << "7";
        QTest::newRow("section in other case") << two << "LEXICLASH"
                                               << "top"
                                               << "7";
        QTest::newRow("blanks around key and value") << two << "Lexiclash"
                                                     << "Name"
                                                     << "Ann Lee";
        QTest::newRow("missing key") << two << "Lexiclash"
                                     << "Left"
                                     << "fallback";
        QTest::newRow("missing section") << two << "Other"
                                         << "Top"
                                         << "fallback";
        QTest::newRow("empty value") << QByteArray("[Lexiclash]\nPhrase3=\n") << "Lexiclash"
                                     << "Phrase3"
                                     << "";
        QTest::newRow("value with equals sign")
            << QByteArray("[Lexiclash]\nPhrase1=a=b\n") << "Lexiclash"
            << "Phrase1"
            << "a=b";
        QTest::newRow("first of two copies")
            << QByteArray("[Lexiclash]\nTop=1\nTop=2\n") << "Lexiclash"
            << "Top"
            << "1";
        QTest::newRow("comment is not a key") << QByteArray("[Lexiclash]\n;Top=1\n") << "Lexiclash"
                                              << "Top"
                                              << "fallback";
        QTest::newRow("key before any section") << QByteArray("Top=1\n[Lexiclash]\n") << "Lexiclash"
                                                << "Top"
                                                << "fallback";
        QTest::newRow("CRLF lines") << QByteArray("[Lexiclash]\r\nTop=5\r\n") << "Lexiclash"
                                    << "Top"
                                    << "5";
        QTest::newRow("no final line break") << QByteArray("[Lexiclash]\nTop=5") << "Lexiclash"
                                             << "Top"
                                             << "5";
        QTest::newRow("UTF-8 value")
            << QByteArray("[Lexiclash]\nPhrase1=Caf\xC3\xA9\n") << "Lexiclash"
            << "Phrase1" << QStringLiteral("Caf\u00E9");
        QTest::newRow("Latin-1 value")
            << QByteArray("[Lexiclash]\nPhrase1=Caf\xE9\n") << "Lexiclash"
            << "Phrase1" << QStringLiteral("Caf\u00E9");
    }

    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        writeBytes(path_, file);
        QCOMPARE(ProfileFile(path_).readString(section, key, "fallback"), expected);
    }

    void write_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");

        const QByteArray shared = "; shared with the lobby\n[Quillmark]\nuser=ann\n\n"
                                  "[Lexiclash]\nTop=3\nmystery=42\n\n[Other]\nTop=1\n";
        QTest::newRow("replace in place, others untouched")
            << shared << "Top"
            << "50"
            << QByteArray("; shared with the lobby\n[Quillmark]\nuser=ann\n\n"
                          "[Lexiclash]\nTop=50\nmystery=42\n\n[Other]\nTop=1\n");
        QTest::newRow("new key after the section's last line")
            << shared << "Left"
            << "9"
            << QByteArray("; shared with the lobby\n[Quillmark]\nuser=ann\n\n"
                          "[Lexiclash]\nTop=3\nmystery=42\nLeft=9\n\n[Other]\nTop=1\n");
        QTest::newRow("key in other case keeps its spelling")
            << QByteArray("[lexiclash]\nTOP=3\n") << "Top"
            << "4" << QByteArray("[lexiclash]\nTOP=4\n");
        QTest::newRow("new section at the end")
            << QByteArray("[Quillmark]\nuser=ann") << "Top"
            << "4" << QByteArray("[Quillmark]\nuser=ann\n[Lexiclash]\nTop=4\n");
        QTest::newRow("CRLF file stays CRLF")
            << QByteArray("[Lexiclash]\r\nTop=3\r\n") << "Left"
            << "9" << QByteArray("[Lexiclash]\r\nTop=3\r\nLeft=9\r\n");
        QTest::newRow("empty value") << QByteArray("[Lexiclash]\nPhrase3=Nice\n") << "Phrase3"
                                     << "" << QByteArray("[Lexiclash]\nPhrase3=\n");
        QTest::newRow("line breaks become blanks")
            << QByteArray() << "Phrase1"
            << "one\ntwo\r\nthree" << QByteArray("[Lexiclash]\nPhrase1=one two  three\n");
    }

    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        if (!before.isEmpty())
            writeBytes(path_, before);
        ProfileFile profile(path_);
        profile.writeString("Lexiclash", key, value);
        QVERIFY(profile.isModified());
        profile.flush();
        QVERIFY(!profile.isModified());
        QCOMPARE(readBytes(path_), after);
    }

    // The folder of the file is a plain file, so nothing can be created there.
    void unwritableFolderRaises()
    {
        const QString blocker = dir_.filePath(QStringLiteral("notafolder"));
        writeBytes(blocker, "x");
        const QString path = blocker + QStringLiteral("/quillmarklobby.ini");
        ProfileFile profile(path);
        profile.writeString("Lexiclash", "Top", "1");
        try {
            profile.flush();
            QFAIL("no error raised");
        } catch (const Error &error) {
            QCOMPARE(error.message(), QStringLiteral("Unable to write to ") + path);
        }
        QCOMPARE(readBytes(blocker), QByteArray("x"));
    }

    // A file that could not be read is never overwritten with what little
    // the profile knows.
    void unreadableFileIsNotOverwritten()
    {
        QByteArray huge(ProfileFile::kMaxFileSize + 1, 'a');
        huge.prepend("[Lexiclash]\nTop=5\n");
        writeBytes(path_, huge);
        ProfileFile profile(path_);
        QCOMPARE(profile.readString("Lexiclash", "Top", "3"), QStringLiteral("3"));
        profile.writeString("Lexiclash", "Top", "1");
        QVERIFY_THROWS_EXCEPTION(Error, profile.flush());
        QCOMPARE(readBytes(path_), huge);
    }

    void relativePathIsReportedInFull()
    {
        QVERIFY(QDir::setCurrent(dir_.path()));
        ProfileFile profile(QStringLiteral("relative.ini"));
        QCOMPARE(profile.path(), QDir(dir_.path()).absoluteFilePath("relative.ini"));
    }

private:
    QTemporaryDir dir_;
    QString path_;
};

QTEST_GUILESS_MAIN(ProfileTest)
#include "profile_test.moc"
