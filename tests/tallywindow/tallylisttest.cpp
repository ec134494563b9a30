#include "common/guard.h"
#include "common/random.h"
#include "tally/tallyfile.h"
#include "tally/tlzrw1.h"
#include "tallyexample.h"
#include "tallywindow/tallyquestion.h"
#include "tallywindow/ttallylist.h"
#include "testfiles.h"

#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <csignal>

#include <sys/fsuid.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QString kTextFile = QStringLiteral("temp.txt");
const QString kMine = QStringLiteral("addtomine");

enum class SaveFailure { ReadOnlyFolder, FullForText, FullForContainer };

// The same tally as the next run writes it: the session columns start at 0.
const QList<QByteArray> kWorkedExampleNextRun = {"9", "2",   "0", "Ann", "12", "4", "5",
                                                 "1", "310", "2", "140", "1",  "0", "0",
                                                 "0", "0",   "0", "0",   "0",  "0"};
// The tally after one finished game on a first start.
const QList<QByteArray> kOneGame = {"9", "1", "0", "1", "0", "0", "0", "0", "0", "0", "0"};

QByteArray containerOf(const QByteArray &text)
{
    QTemporaryDir dir;
    writeBytes(dir.filePath("plain"), text);
    Tlzrw1 doit;
    doit.CompressMode = TCompressMode::Fast;
    doit.InputFile = dir.filePath("plain");
    doit.OutputFile = dir.filePath("packed");
    doit.Compress();
    return readBytes(dir.filePath("packed"));
}

// The tally text inside the stored file, cut into its CR LF lines.
QList<QByteArray> storedLines()
{
    QTemporaryDir dir;
    Tlzrw1 doit;
    doit.InputFile = TallyFile::defaultPath();
    doit.OutputFile = dir.filePath("plain");
    doit.Decompress();
    QList<QByteArray> lines = readBytes(dir.filePath("plain")).split('\n');
    if (!lines.takeLast().isEmpty())
        return {"<no line end after the last line>"};
    for (QByteArray &line : lines) {
        if (!line.endsWith('\r'))
            return {"<a line not ended by CR LF>"};
        line.chop(1);
    }
    return lines;
}

QString labelText(const Ttallylist &window, const QString &name)
{
    const auto *label = window.findChild<QLabel *>(name);
    return label ? label->text() : QStringLiteral("<no %1>").arg(name);
}

QStringList labelTexts(const Ttallylist &window, const QString &prefix, int first, int last)
{
    QStringList texts;
    for (int i = first; i <= last; ++i)
        texts << labelText(window, prefix + QString::number(i));
    return texts;
}

QStringList itemTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

QList<bool> itemChecks(const QListWidget *list)
{
    QList<bool> checks;
    for (int i = 0; i < list->count(); ++i)
        checks << (list->item(i)->checkState() == Qt::Checked);
    return checks;
}

// As the main window does at the end of a game: addgame has it rebuild the
// list of the game's other players first.
void finishGame(Ttallylist &window, const QStringList &players, const QString &winner)
{
    window.onLoadChecklist = [&window, players] { window.setPlayersInGame(players); };
    window.addgame(winner);
}

// Ticks the names in "Players In Current Game" as the player's clicks would.
void follow(Ttallylist &window, const QStringList &names)
{
    window.setPlayersInGame(names);
    for (int i = 0; i < window.checklist()->count(); ++i)
        window.checklist()->item(i)->setCheckState(Qt::Checked);
}

QStringList opponentRow(const Ttallylist &window, int row)
{
    QStringList cells;
    for (int column = 0; column < TallyTable::kColumns; ++column)
        cells << window.stringgrid_scores().cell(column, row);
    return cells;
}

} // namespace

class TestTallyList : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstStartThenOneGame();
    void workedExampleShownInTheWindow();
    void watchedGameChangesNothing();
    void twoFollowedOpponentsInAThreePlayerGame();
    void nameDifferingInLetterCase();
    void restartKeepsTotalsAndClearsSession();
    void deletingTheMiddleOfThree_data();
    void deletingTheMiddleOfThree();
    void reset_data();
    void reset();
    void nameNotAddedTwice();
    void nameBeyondLatin1SurvivesARestart();
    void failingSaveKeepsThePreviousFile_data();
    void failingSaveKeepsThePreviousFile();
    void damagedFileIsReportedOnceAndKept_data();
    void damagedFileIsReportedOnceAndKept();

private:
    QString m_base;
    QTemporaryDir m_fallbackBase;
    QString m_home;
    QStringList m_errors;
    QStringList m_questions;
    QList<bool> m_answers;
};

void TestTallyList::initTestCase()
{
    m_base = qEnvironmentVariable("LEXICLASH_HOME");
    if (m_base.isEmpty())
        m_base = m_fallbackBase.path();
}

// Every test function (and data row) gets a folder of its own for the tally file.
void TestTallyList::init()
{
    QString name = QString::fromLatin1(QTest::currentTestFunction());
    if (QTest::currentDataTag())
        name += QLatin1Char('-') + QString::fromLatin1(QTest::currentDataTag());
    name.replace(QLatin1Char(' '), QLatin1Char('_'));
    m_home = m_base + QLatin1Char('/') + name;
    QDir(m_home).removeRecursively();
    QVERIFY(QDir().mkpath(m_home));
    qputenv("LEXICLASH_HOME", m_home.toLocal8Bit());

    m_errors.clear();
    m_questions.clear();
    m_answers.clear();
    setErrorHandler([this](const QString &message) { m_errors << message; });
    Tally::setYesNoHandler([this](const QString &question) {
        m_questions << question;
        return m_answers.isEmpty() ? false : m_answers.takeFirst();
    });
}

void TestTallyList::cleanup()
{
    setErrorHandler({});
    Tally::setYesNoHandler([](const QString &) { return false; });
    QVERIFY2(!QFile::exists(kTextFile), "temp.txt left in the working directory");
}

void TestTallyList::firstStartThenOneGame()
{
    QVERIFY(!QFile::exists(TallyFile::defaultPath()));
    QCOMPARE(QFileInfo(TallyFile::defaultPath()).fileName(), QStringLiteral("Lexiclashtally.tld"));
    {
        Ttallylist window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Lexiclash - Tally List"));
        QVERIFY(!window.isVisible());
        QCOMPARE(labelTexts(window, "mylabel_", 1, 4), QStringList(4, "0"));
        QCOMPARE(window.listbox_tally()->count(), 0);

        finishGame(window, {"Klot"}, "Klot");
        QCOMPARE(labelText(window, "mylabel_1"), QStringLiteral("1"));
        QCOMPARE(labelText(window, "mylabel_2"), QStringLiteral("0"));
        QCOMPARE(itemTexts(window.checklist()), QStringList{"Klot"});
    }
    QCOMPARE(storedLines(), kOneGame);
    QVERIFY(!QFile::exists(TallyFile::defaultPath() + ".tmp"));
    QVERIFY(m_errors.isEmpty());
}

void TestTallyList::workedExampleShownInTheWindow()
{
    writeBytes(TallyFile::defaultPath(), containerOf(crlfLines(kWorkedExample)));
    {
        Ttallylist window;
        QVERIFY(m_errors.isEmpty());
        QCOMPARE(labelTexts(window, "mylabel_", 1, 4), QStringList({"12", "5", "310", "140"}));
        QCOMPARE(window.mylabel_3Text(), QStringLiteral("310"));
        QCOMPARE(itemTexts(window.listbox_tally()), QStringList{"Ann"});
        QCOMPARE(itemChecks(window.listbox_tally()), QList<bool>{true});

        window.listbox_tally()->setCurrentRow(0);
        QCOMPARE(labelTexts(window, "label_", 1, 8),
                 QStringList({"4", "1", "2", "1", "0", "0", "0", "0"}));
        QCOMPARE(labelText(window, "label_hisname"), QStringLiteral("Ann Wins:"));
        QCOMPARE(labelText(window, "label_hisnametop"), QStringLiteral("Ann's Tally"));
    }
    QCOMPARE(storedLines(), kWorkedExampleNextRun);
}

// A spy's window never reports a game; looking at the tally during a watched
// game (the list of the game's players, showing and hiding) changes nothing.
void TestTallyList::watchedGameChangesNothing()
{
    QVERIFY(!TallyTable::countsGame(7, 3));
    writeBytes(TallyFile::defaultPath(), containerOf(crlfLines(kWorkedExample)));
    {
        Ttallylist window;
        window.setPlayersInGame({"ann", "Bob", "Carl"});
        QCOMPARE(itemChecks(window.checklist()), QList<bool>({true, false, false}));
        window.showCentredOn(nullptr);
        QVERIFY(window.isVisible());
        window.button_doneClick();
        QVERIFY(!window.isVisible());
        QCOMPARE(labelTexts(window, "mylabel_", 1, 4), QStringList({"12", "5", "310", "140"}));
        QCOMPARE(window.stringgrid_scores().rowCount(), 2);
    }
    QCOMPARE(storedLines(), kWorkedExampleNextRun);
}

void TestTallyList::twoFollowedOpponentsInAThreePlayerGame()
{
    {
        Ttallylist window;
        follow(window, {"Ann", "Bob"});
        QCOMPARE(itemTexts(window.listbox_tally()), QStringList({"Ann", "Bob"}));

        window.addtomineincrease(4);
        window.addtomineincrease(4);
        window.addtomineincrease(4);
        window.addtomineset(3, "42");
        finishGame(window, {"Ann", "Bob"}, "Ann");

        QCOMPARE(labelTexts(window, "mylabel_", 1, 4), QStringList({"1", "0", "42", "3"}));
        QCOMPARE(opponentRow(window, 1),
                 QStringList({"Ann", "1", "1", "0", "0", "1", "1", "0", "0"}));
        QCOMPARE(opponentRow(window, 2),
                 QStringList({"Bob", "1", "0", "0", "1", "1", "0", "0", "1"}));

        window.listbox_tally()->setCurrentRow(1);
        QCOMPARE(labelTexts(window, "label_", 1, 8),
                 QStringList({"1", "0", "0", "1", "1", "0", "0", "1"}));
        QCOMPARE(labelText(window, "label_hisname"), QStringLiteral("Bob Wins:"));
    }
    QCOMPARE(storedLines(),
             QList<QByteArray>({"9", "3",  "0", "Ann", "Bob", "1", "1", "1", "0", "1",
                                "0", "42", "0", "0",   "3",   "0", "1", "0", "1", "1",
                                "0", "1",  "0", "0",   "0",   "0", "0", "0", "1"}));
}

void TestTallyList::nameDifferingInLetterCase()
{
    Ttallylist window;
    follow(window, {"ann"});
    window.setPlayersInGame({"Ann"});
    QCOMPARE(itemChecks(window.checklist()), QList<bool>{true});
    window.checklist()->item(0)->setCheckState(Qt::Unchecked);
    QCOMPARE(itemTexts(window.listbox_tally()), QStringList{"ann"});

    finishGame(window, {"Ann"}, "Ann");
    QCOMPARE(opponentRow(window, 1), QStringList({"ann", "1", "0", "0", "1", "1", "0", "0", "1"}));
    QCOMPARE(labelText(window, "mylabel_1"), QStringLiteral("1"));
}

void TestTallyList::restartKeepsTotalsAndClearsSession()
{
    {
        Ttallylist window;
        follow(window, {"Ann", "Bob", "Carl"});
        finishGame(window, {"Ann"}, kMine);
        QCOMPARE(labelTexts(window, "mylabel_", 1, 2), QStringList({"1", "1"}));
    }
    Ttallylist window;
    QCOMPARE(itemTexts(window.listbox_tally()), QStringList({"Ann", "Bob", "Carl"}));
    QCOMPARE(itemChecks(window.listbox_tally()), QList<bool>({true, true, true}));
    QCOMPARE(opponentRow(window, 1), QStringList({"Ann", "1", "0", "1", "0", "0", "0", "0", "0"}));

    finishGame(window, {"Ann"}, "Ann");
    QCOMPARE(labelTexts(window, "mylabel_", 1, 2), QStringList({"2", "1"}));
    QCOMPARE(opponentRow(window, 1), QStringList({"Ann", "2", "1", "1", "0", "1", "1", "0", "0"}));
    const QStringList untouched = {"0", "0", "0", "0", "0", "0", "0", "0"};
    QCOMPARE(opponentRow(window, 2), QStringList{"Bob"} + untouched);
    QCOMPARE(opponentRow(window, 3), QStringList{"Carl"} + untouched);
}

void TestTallyList::deletingTheMiddleOfThree_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void TestTallyList::deletingTheMiddleOfThree()
{
    QFETCH(bool, answer);
    Ttallylist window;
    follow(window, {"Ann", "Bob", "Carl"});
    finishGame(window, {"Ann", "Carl"}, "Carl");
    finishGame(window, {"Ann", "Bob", "Carl"}, "Ann");
    const QStringList ann = opponentRow(window, 1);
    const QStringList bob = opponentRow(window, 2);
    const QStringList carl = opponentRow(window, 3);

    m_answers << answer;
    window.listbox_tally()->item(1)->setCheckState(Qt::Unchecked);
    QTRY_COMPARE(m_questions.size(), 1);
    QCOMPARE(m_questions.first(),
             QStringLiteral("This will delete Bob's Tally, Are you want to delete it?"));

    if (!answer) {
        QCOMPARE(itemTexts(window.listbox_tally()), QStringList({"Ann", "Bob", "Carl"}));
        QCOMPARE(itemChecks(window.listbox_tally()), QList<bool>({true, true, true}));
        QCOMPARE(opponentRow(window, 2), bob);
        return;
    }
    QCOMPARE(itemTexts(window.listbox_tally()), QStringList({"Ann", "Carl"}));
    QCOMPARE(window.stringgrid_scores().rowCount(), 3);
    QCOMPARE(opponentRow(window, 1), ann);
    QCOMPARE(opponentRow(window, 2), carl);
    QCOMPARE(itemChecks(window.checklist()), QList<bool>({true, false, true}));

    window.listbox_tally()->setCurrentRow(1);
    QCOMPARE(labelTexts(window, "label_", 1, 8), carl.mid(1));
    QCOMPARE(labelText(window, "label_hisnametop"), QStringLiteral("Carl's Tally"));

    // Checking an item again is not a question.
    window.listbox_tally()->item(0)->setCheckState(Qt::Checked);
    QCoreApplication::processEvents();
    QCOMPARE(m_questions.size(), 1);
}

void TestTallyList::reset_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void TestTallyList::reset()
{
    QFETCH(bool, answer);
    writeBytes(TallyFile::defaultPath(), containerOf(crlfLines(kWorkedExample)));
    Ttallylist window;
    window.listbox_tally()->setCurrentRow(0);
    window.setPlayersInGame({"Ann"});

    m_answers << answer;
    window.button_resetClick();
    QCOMPARE(m_questions, QStringList{"Are you sure you want to reset the Tally?"});
    if (!answer) {
        QCOMPARE(labelTexts(window, "mylabel_", 1, 4), QStringList({"12", "5", "310", "140"}));
        QCOMPARE(itemTexts(window.listbox_tally()), QStringList{"Ann"});
        QCOMPARE(labelText(window, "label_1"), QStringLiteral("4"));
        return;
    }
    QCOMPARE(labelTexts(window, "mylabel_", 1, 4), QStringList(4, "0"));
    QCOMPARE(labelTexts(window, "label_", 1, 8), QStringList(8, "0"));
    QCOMPARE(labelText(window, "label_hisnametop"), QStringLiteral("Ann's Tally"));
    QCOMPARE(window.listbox_tally()->count(), 0);
    QCOMPARE(window.stringgrid_scores().rowCount(), 1);
    QCOMPARE(itemChecks(window.checklist()), QList<bool>{false});

    finishGame(window, {"Ann"}, "Ann");
    QCOMPARE(labelTexts(window, "mylabel_", 1, 4), QStringList({"1", "0", "0", "0"}));
    QCOMPARE(window.stringgrid_scores().rowCount(), 1);
}

void TestTallyList::nameNotAddedTwice()
{
    Ttallylist window;
    follow(window, {"Ann"});
    QListWidgetItem *item = window.checklist()->item(0);
    item->setCheckState(Qt::Unchecked);
    item->setCheckState(Qt::Checked);
    QCOMPARE(itemTexts(window.listbox_tally()), QStringList{"Ann"});
    QCOMPARE(window.stringgrid_scores().rowCount(), 2);
    // The box keeps telling that Ann is followed.
    QCOMPARE(item->checkState(), Qt::Checked);
}

void TestTallyList::nameBeyondLatin1SurvivesARestart()
{
    const QString jiri = QStringLiteral("Jiří");
    {
        Ttallylist window;
        follow(window, {jiri, "Ann"});
        finishGame(window, {jiri, "Ann"}, jiri);
    }
    QCOMPARE(storedLines().at(0), QByteArray("9 UTF-8"));
    Ttallylist window;
    QCOMPARE(itemTexts(window.listbox_tally()), QStringList({jiri, "Ann"}));
    finishGame(window, {jiri}, jiri);
    QCOMPARE(opponentRow(window, 1), QStringList({jiri, "2", "2", "0", "0", "1", "1", "0", "0"}));
    // Following him again finds the row he has.
    follow(window, {jiri});
    QCOMPARE(window.stringgrid_scores().rowCount(), 3);
    QCOMPARE(itemTexts(window.listbox_tally()), QStringList({jiri, "Ann"}));
}

void TestTallyList::failingSaveKeepsThePreviousFile_data()
{
    QTest::addColumn<int>("failure");
    QTest::newRow("read-only folder") << int(SaveFailure::ReadOnlyFolder);
    QTest::newRow("disk full for the text") << int(SaveFailure::FullForText);
    QTest::newRow("disk full for the container") << int(SaveFailure::FullForContainer);
}

void TestTallyList::failingSaveKeepsThePreviousFile()
{
    QFETCH(int, failure);
    const auto kind = SaveFailure(failure);
    const QString path = TallyFile::defaultPath();
    writeBytes(path, containerOf(crlfLines(kWorkedExample)));
    const QByteArray before = readBytes(path);
    // The tally's text goes into the runtime folder, so only the tally's own
    // folder fails; a temp.txt of the user's in the working folder stays as it is.
    const QString work = m_home + "/work";
    QVERIFY(QDir().mkpath(work));
    QVERIFY(QFile::setPermissions(work, QFileDevice::Permissions(0x7777)));
    const QString previousCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(work));
    writeBytes(kTextFile, "the user's own notes");

    auto window = std::make_unique<Ttallylist>();
    finishGame(*window, {"Ann"}, kMine);
    switch (kind) {
    case SaveFailure::ReadOnlyFolder: {
        const QFileDevice::Permissions writable = QFileInfo(m_home).permissions();
        QVERIFY(QFile::setPermissions(m_home, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                  QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                                  QFileDevice::ReadOther | QFileDevice::ExeOther));
        // Root writes anywhere; checking files as an ordinary user makes the folder read-only.
        if (geteuid() == 0)
            setfsuid(65534);
        QFile probe(m_home + "/probe");
        const bool stillWritable = probe.open(QIODevice::WriteOnly);
        if (!stillWritable)
            window.reset();
        setfsuid(0);
        probe.remove();
        QVERIFY(QFile::setPermissions(m_home, writable));
        if (stillWritable) {
            window.reset();
            QFile::remove(kTextFile);
            QDir::setCurrent(previousCurrent);
            QSKIP("the folder cannot be made read-only here");
        }
        break;
    }
    case SaveFailure::FullForText:
    case SaveFailure::FullForContainer: {
        // A long name that does not compress makes the container larger than
        // the text, so a file size limit between the two lets the text be
        // written and stops the container half-way.
        // A limit below the text's size stops the text itself.
        Random::seed(7);
        QString name;
        for (int i = 0; i < 3000; ++i)
            name += QChar('a' + Random::below(26));
        follow(*window, {name});
        const QByteArray text = window->stringgrid_scores().toText();
        QVERIFY(containerOf(text).size() > text.size());
        struct rlimit previous = {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &previous), 0);
        const qsizetype limit = kind == SaveFailure::FullForText ? text.size() / 2 : text.size();
        const struct rlimit limited = {rlim_t(limit), previous.rlim_max};
        signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
        window.reset();
        setrlimit(RLIMIT_FSIZE, &previous);
        signal(SIGXFSZ, SIG_DFL);
        break;
    }
    }
    QCOMPARE(readBytes(kTextFile), QByteArray("the user's own notes"));
    QVERIFY(QFile::remove(kTextFile));
    QVERIFY(QDir::setCurrent(previousCurrent));
    QCOMPARE(QDir(qEnvironmentVariable("XDG_RUNTIME_DIR"))
                 .entryList({"lexiclash-tally-*"}, QDir::AllEntries),
             QStringList());

    QCOMPARE(readBytes(path), before);
    QCOMPARE(QDir(m_home).entryList(QDir::Files), QStringList{"Lexiclashtally.tld"});
    QVERIFY(m_errors.isEmpty());
}

void TestTallyList::damagedFileIsReportedOnceAndKept_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("message");
    const QByteArray nineCells = crlfLines(QList<QByteArray>(9, "0"));
    QByteArray truncated = containerOf(crlfLines(kWorkedExample));
    truncated.chop(3);
    QByteArray wrongSize = containerOf(crlfLines(kWorkedExample));
    wrongSize[4] = char(wrongSize[4] - 1);

    QTest::newRow("not a container") << QByteArray("this is not a tally")
                                     << "@ : Lzrw1 decompression : this file has no valid header !";
    QTest::newRow("truncated container")
        << truncated << "Lzrw1 : Error reading from input file : @";
    QTest::newRow("wrong stored size")
        << wrongSize
        << "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !";
    QTest::newRow("absurd stored size")
        << QByteArray("WRZL\xff\xff\xff\xff\x01\x00\x80", 11) << "@ : the tally text is too large";
    QTest::newRow("count not a number")
        << containerOf("nine\r\n1\r\n" + nineCells) << "'nine' is not a valid integer value";
    QTest::newRow("negative row count")
        << containerOf("9\r\n-3\r\n" + nineCells) << "Invalid tally table size: 9 columns, -3 rows";
    QTest::newRow("more rows than lines")
        << containerOf("9\r\n1000000000\r\n" + nineCells) << "Read beyond end of file";
}

void TestTallyList::damagedFileIsReportedOnceAndKept()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, message);
    const QString path = TallyFile::defaultPath();
    writeBytes(path, stored);
    {
        Ttallylist window;
        QCOMPARE(m_errors, QStringList{QString(message).replace('@', path)});
        QCOMPARE(labelTexts(window, "mylabel_", 1, 4), QStringList(4, "0"));
        QCOMPARE(window.listbox_tally()->count(), 0);
        QCOMPARE(readBytes(path + ".bad"), stored);
        QVERIFY(!QFile::exists(path));
        finishGame(window, {"Klot"}, "Klot");
    }
    QCOMPARE(m_errors.size(), 1);
    QCOMPARE(storedLines(), kOneGame);
    QCOMPARE(readBytes(path + ".bad"), stored);
}

QTEST_MAIN(TestTallyList)
#include "tallylisttest.moc"
