#include "common/paths.h"

#include <QtTest>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

// Where the settings and tally files go, with real folders: the program's
// folder for a copy run from its build or unpacked folder, the XDG config
// folder for an installed copy or a folder that takes no files.
class TestPaths : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void folderForProgram_data();
    void folderForProgram();
    void homeOverridesEverything();
    void configFolderIsCreated();

private:
    // A fresh folder for every test row.
    std::unique_ptr<QTemporaryDir> work_;
    QByteArray savedHome_;
};

void TestPaths::init()
{
    work_ = std::make_unique<QTemporaryDir>();
    QVERIFY(work_->isValid());
    savedHome_ = qgetenv("LEXICLASH_HOME");
    qunsetenv("LEXICLASH_HOME");
    qputenv("XDG_CONFIG_HOME", work_->filePath("config").toLocal8Bit());
}

void TestPaths::cleanup()
{
    qputenv("LEXICLASH_HOME", savedHome_);
    qunsetenv("XDG_CONFIG_HOME");
    work_.reset();
}

void TestPaths::folderForProgram_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<bool>("usesProgramFolder");

    // "plain": a writable folder holding only the program.
    QTest::newRow("writable program folder") << "plain" << true;
    // "prefix": PREFIX/bin beside PREFIX/share/applications/<id>.desktop.
    QTest::newRow("installed copy in a writable prefix") << "prefix" << false;
    // "foreign entry": another program's desktop entry beside it is no sign.
    QTest::newRow("other program's desktop entry") << "foreign entry" << true;
    // "proc": a real folder in which nobody, not even the superuser, creates files.
    QTest::newRow("folder that takes no files") << "proc" << false;
    QTest::newRow("missing folder") << "missing" << false;
}

void TestPaths::folderForProgram()
{
    QFETCH(QString, layout);
    QFETCH(bool, usesProgramFolder);

    QString program = work_->filePath("prefix/bin");
    QVERIFY(QDir().mkpath(program));
    const QString applications = work_->filePath("prefix/share/applications");
    if (layout == "prefix" || layout == "foreign entry") {
        QVERIFY(QDir().mkpath(applications));
        const QString name = layout == "prefix" ? QString::fromLatin1(kApplicationId) + ".desktop"
                                                : QStringLiteral("org.example.Other.desktop");
        QFile entry(applications + '/' + name);
        QVERIFY(entry.open(QIODevice::WriteOnly));
    }
    if (layout == "proc")
        program = QStringLiteral("/proc");
    if (layout == "missing")
        program = work_->filePath("nowhere/bin");

    const QString chosen = dataFolderFor(program);
    const QString config = work_->filePath("config/lexiclash");
    QCOMPARE(chosen, usesProgramFolder ? program : config);
    // The probe that tried the folder leaves nothing behind.
    if (usesProgramFolder)
        QCOMPARE(QDir(program).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
}

void TestPaths::homeOverridesEverything()
{
    const QString home = work_->filePath("portable/home");
    qputenv("LEXICLASH_HOME", home.toLocal8Bit());
    QCOMPARE(dataFolderFor(QStringLiteral("/proc")), home);
    QVERIFY(QFileInfo(home).isDir());
}

void TestPaths::configFolderIsCreated()
{
    const QString config = work_->filePath("config/lexiclash");
    QVERIFY(!QFileInfo::exists(config));
    QCOMPARE(dataFolderFor(QStringLiteral("/proc")), config);
    QVERIFY(QFileInfo(config).isDir());
}

QTEST_GUILESS_MAIN(TestPaths)
#include "test_paths.moc"
