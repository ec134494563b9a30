// The word list and the resources made with it (commonness levels, meanings)
// are what the committed generator makes from the installed SCOWL and WordNet
// packages, byte for byte.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TestWordResources : public QObject {
    Q_OBJECT
private slots:
    void generatorMakesTheCommittedFiles_data();
    void generatorMakesTheCommittedFiles();

private:
    QTemporaryDir out_;
    bool generated_ = false;
};

void TestWordResources::generatorMakesTheCommittedFiles_data()
{
    QTest::addColumn<QString>("file");
    for (const char *file : {"resources/dict/English.dat", "resources/dict/English.lvl",
                             "resources/dict/meanings.dat", "resources/server/starterwords.txt"})
        QTest::newRow(file) << QString::fromLatin1(file);
}

void TestWordResources::generatorMakesTheCommittedFiles()
{
    QFETCH(QString, file);
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty() ||
        !QFile::exists(QStringLiteral("/usr/share/dict/scowl/english-words.10")) ||
        !QFile::exists(QStringLiteral("/usr/share/wordnet/index.noun")))
        QSKIP("python3, scowl or wordnet-base is not installed (tools/setup.sh installs them)");
    if (!generated_) {
        QVERIFY(out_.isValid());
        QProcess generator;
        generator.start(python, {QStringLiteral(LEXICLASH_SOURCE_DIR "/tools/gen_wordlists.py"),
                                 QStringLiteral("--out"), out_.path()});
        QVERIFY(generator.waitForFinished(120000));
        QVERIFY2(generator.exitCode() == 0, generator.readAllStandardError().constData());
        generated_ = true;
    }
    QFile made(QDir(out_.path()).filePath(file));
    QFile committed(QStringLiteral(LEXICLASH_SOURCE_DIR "/") + file);
    QVERIFY(made.open(QIODevice::ReadOnly));
    QVERIFY(committed.open(QIODevice::ReadOnly));
    QVERIFY2(made.readAll() == committed.readAll(), qPrintable(file));
}

QTEST_GUILESS_MAIN(TestWordResources)
#include "test_wordresources.moc"
