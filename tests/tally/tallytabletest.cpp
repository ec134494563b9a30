#include "tally/tallytable.h"
#include "common/errors.h"
#include "tallyexample.h"

#include <QtTest>

#include <limits>

namespace {

QStringList rowCells(const TallyTable &table, int row)
{
    QStringList cells;
    for (int column = 0; column < table.columnCount(); ++column)
        cells << table.cell(column, row);
    return cells;
}

QString thrownMessage(const std::function<void()> &action)
{
    try {
        action();
    } catch (const Error &error) {
        return error.message();
    }
    return QString();
}

} // namespace

class TestTallyTable : public QObject {
    Q_OBJECT
private slots:
    void emptyTallyIsOneRowOfZeros();
    void workedExampleIsWrittenAsGiven();
    void workedExampleReadsBack();
    void finishedGameCountsFollowedOpponents_data();
    void finishedGameCountsFollowedOpponents();
    void emptyOpponentCellsCountFromZero();
    void additRejectsTextThatIsNotANumber();
    void additStopsAtTheLargestInteger();
    void moverowKeepsLaterRowsWithTheirNames();
    void moverowRejectsRowsThatAreNotOpponents_data();
    void moverowRejectsRowsThatAreNotOpponents();
    void clearSessionKeepsTotals();
    void readingAcceptsOtherLineEnds_data();
    void readingAcceptsOtherLineEnds();
    void damagedTextIsRejected_data();
    void damagedTextIsRejected();
    void lineBreakInANameCannotShiftCells();
    void namesRoundTrip_data();
    void namesRoundTrip();
    void storedLatin1FilesReadAsBefore_data();
    void storedLatin1FilesReadAsBefore();
    void onlyPlayerSeatsCountGames_data();
    void onlyPlayerSeatsCountGames();
};

void TestTallyTable::emptyTallyIsOneRowOfZeros()
{
    const TallyTable table;
    QCOMPARE(table.columnCount(), 9);
    QCOMPARE(table.rowCount(), 1);
    QCOMPARE(rowCells(table, 0), QStringList(9, QStringLiteral("0")));
    QCOMPARE(table.toText(), crlfLines({"9", "1", "0", "0", "0", "0", "0", "0", "0", "0", "0"}));
}

void TestTallyTable::workedExampleIsWrittenAsGiven()
{
    TallyTable table;
    table.setCell(1, 0, QStringLiteral("12"));
    table.setCell(2, 0, QStringLiteral("5"));
    table.setCell(3, 0, QStringLiteral("310"));
    table.setCell(4, 0, QStringLiteral("140"));
    table.addOpponent(QStringLiteral("Ann"));
    for (const QString &winner : {QStringLiteral("Ann"), QStringLiteral("addtomine"),
                                  QStringLiteral("addtomine"), QStringLiteral("Bob")})
        QVERIFY(table.countGameWith(QStringLiteral("Ann"), winner));
    QCOMPARE(table.toText(), crlfLines(kWorkedExample));
}

void TestTallyTable::workedExampleReadsBack()
{
    const TallyTable table = TallyTable::fromText(crlfLines(kWorkedExample));
    QCOMPARE(table.rowCount(), 2);
    QCOMPARE(rowCells(table, 0), QStringList({"0", "12", "5", "310", "140", "0", "0", "0", "0"}));
    QCOMPARE(rowCells(table, 1), QStringList({"Ann", "4", "1", "2", "1", "4", "1", "2", "1"}));
    QCOMPARE(table.toText(), crlfLines(kWorkedExample));
}

void TestTallyTable::finishedGameCountsFollowedOpponents_data()
{
    QTest::addColumn<QStringList>("followed");
    QTest::addColumn<QStringList>("players");
    QTest::addColumn<QString>("winner");
    // Per followed row: games, his wins, own wins, neither won (totals = session).
    QTest::addColumn<QList<QStringList>>("expected");

    const QStringList untouched = {"0", "0", "0", "0"};
    QTest::newRow("two followed, won by the first")
        << QStringList{"Ann", "Bob"} << QStringList{"Ann", "Bob"} << "Ann"
        << QList<QStringList>{{"1", "1", "0", "0"}, {"1", "0", "0", "1"}};
    QTest::newRow("won by the local player")
        << QStringList{"Ann", "Bob"} << QStringList{"Bob", "Ann"} << "addtomine"
        << QList<QStringList>{{"1", "0", "1", "0"}, {"1", "0", "1", "0"}};
    QTest::newRow("won by a player not followed")
        << QStringList{"Ann"} << QStringList{"Ann", "Carl"} << "Carl"
        << QList<QStringList>{{"1", "0", "0", "1"}};
    QTest::newRow("seat name differs in letter case")
        << QStringList{"ann"} << QStringList{"Ann"} << "Ann"
        << QList<QStringList>{{"1", "0", "0", "1"}};
    QTest::newRow("followed but not in the game")
        << QStringList{"Ann", "Bob", "Carl"} << QStringList{"Bob"} << "Bob"
        << QList<QStringList>{untouched, {"1", "1", "0", "0"}, untouched};
}

void TestTallyTable::finishedGameCountsFollowedOpponents()
{
    QFETCH(QStringList, followed);
    QFETCH(QStringList, players);
    QFETCH(QString, winner);
    QFETCH(QList<QStringList>, expected);

    TallyTable table;
    for (const QString &name : followed)
        table.addOpponent(name);
    for (const QString &name : players)
        QCOMPARE(table.countGameWith(name, winner), table.findOpponent(name) >= 0);

    QCOMPARE(rowCells(table, 0), QStringList(9, QStringLiteral("0")));
    for (int i = 0; i < followed.size(); ++i) {
        const QStringList counts = expected[i];
        QCOMPARE(rowCells(table, i + 1), QStringList{followed[i]} + counts + counts);
    }
}

void TestTallyTable::emptyOpponentCellsCountFromZero()
{
    QList<QByteArray> lines = {"9", "2", "0", "Ann"};
    for (int column = 1; column < 9; ++column)
        lines << "0"
              << "";
    TallyTable table = TallyTable::fromText(crlfLines(lines));
    QVERIFY(table.countGameWith(QStringLiteral("Ann"), QStringLiteral("Ann")));
    QCOMPARE(rowCells(table, 1), QStringList({"Ann", "1", "1", "0", "0", "1", "1", "0", "0"}));
}

void TestTallyTable::additRejectsTextThatIsNotANumber()
{
    TallyTable table;
    table.setCell(3, 0, QStringLiteral("lots"));
    QCOMPARE(thrownMessage([&] { table.addit(3, 0); }),
             QStringLiteral("'lots' is not a valid integer value"));
    QCOMPARE(table.cell(3, 0), QStringLiteral("lots"));
}

void TestTallyTable::additStopsAtTheLargestInteger()
{
    TallyTable table;
    table.setCell(4, 0, QString::number(std::numeric_limits<int>::max()));
    QCOMPARE(table.addit(4, 0), std::numeric_limits<int>::max());
    QCOMPARE(table.addit(1, 0), 1);
}

void TestTallyTable::moverowKeepsLaterRowsWithTheirNames()
{
    TallyTable table;
    const QStringList names = {"Ann", "Bob", "Carl"};
    for (const QString &name : names)
        table.addOpponent(name);
    table.countGameWith(QStringLiteral("Ann"), QStringLiteral("Ann"));
    table.countGameWith(QStringLiteral("Carl"), QStringLiteral("addtomine"));

    table.moverow(2);
    QCOMPARE(table.rowCount(), 3);
    QCOMPARE(table.opponentNames(), QStringList({"Ann", "Carl"}));
    QCOMPARE(rowCells(table, 1), QStringList({"Ann", "1", "1", "0", "0", "1", "1", "0", "0"}));
    QCOMPARE(rowCells(table, 2), QStringList({"Carl", "1", "0", "1", "0", "1", "0", "1", "0"}));
    QCOMPARE(table.findOpponent(QStringLiteral("Bob")), -1);
}

void TestTallyTable::moverowRejectsRowsThatAreNotOpponents_data()
{
    QTest::addColumn<int>("row");
    QTest::newRow("own totals") << 0;
    QTest::newRow("past the end") << 2;
    QTest::newRow("negative") << -1;
}

void TestTallyTable::moverowRejectsRowsThatAreNotOpponents()
{
    QFETCH(int, row);
    TallyTable table;
    table.addOpponent(QStringLiteral("Ann"));
    QVERIFY(!thrownMessage([&] { table.moverow(row); }).isEmpty());
    QCOMPARE(table.rowCount(), 2);
}

void TestTallyTable::clearSessionKeepsTotals()
{
    TallyTable table = TallyTable::fromText(crlfLines(kWorkedExample));
    table.clearSession();
    QCOMPARE(rowCells(table, 0), QStringList({"0", "12", "5", "310", "140", "0", "0", "0", "0"}));
    QCOMPARE(rowCells(table, 1), QStringList({"Ann", "4", "1", "2", "1", "0", "0", "0", "0"}));
}

void TestTallyTable::readingAcceptsOtherLineEnds_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("name");
    const QByteArray cells = "1\n2\n3\n4\n5\n6\n7\n8\n";
    QTest::newRow("LF only") << QByteArray("9\n1\n0\n" + cells) << "0";
    QTest::newRow("no final line end")
        << QByteArray("9\r\n1\r\n0\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8") << "0";
    QTest::newRow("blanks in a cell kept") << QByteArray("9\n1\n zero \n" + cells) << " zero ";
    QTest::newRow("text after the counts") << QByteArray("9 cols\n 1\tline\n0\n" + cells) << "0";
    QTest::newRow("lines after the cells ignored")
        << QByteArray("9\n1\n0\n" + cells + "x\n") << "0";
}

void TestTallyTable::readingAcceptsOtherLineEnds()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, name);
    const TallyTable table = TallyTable::fromText(text);
    QCOMPARE(rowCells(table, 0), QStringList({name, "1", "2", "3", "4", "5", "6", "7", "8"}));
}

void TestTallyTable::damagedTextIsRejected_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("message");
    const QByteArray nineCells = crlfLines(QList<QByteArray>(9, "0"));
    QTest::newRow("empty") << QByteArray() << "Read beyond end of file";
    QTest::newRow("row count missing") << QByteArray("9\r\n") << "Read beyond end of file";
    QTest::newRow("count not a number")
        << QByteArray("nine\r\n1\r\n" + nineCells) << "'nine' is not a valid integer value";
    QTest::newRow("empty count line")
        << QByteArray("9\r\n\r\n" + nineCells) << "'' is not a valid integer value";
    QTest::newRow("negative row count")
        << QByteArray("9\r\n-1\r\n" + nineCells) << "Invalid tally table size: 9 columns, -1 rows";
    QTest::newRow("no rows") << QByteArray("9\r\n0\r\n")
                             << "Invalid tally table size: 9 columns, 0 rows";
    QTest::newRow("other column count")
        << QByteArray("8\r\n1\r\n" + nineCells) << "Invalid tally table size: 8 columns, 1 rows";
    QTest::newRow("a cell missing")
        << QByteArray("9\r\n1\r\n" + crlfLines(QList<QByteArray>(8, "0")))
        << "Read beyond end of file";
    QTest::newRow("more rows than lines")
        << QByteArray("9\r\n5\r\n" + nineCells) << "Read beyond end of file";
    QTest::newRow("absurd row count")
        << QByteArray("9\r\n2147483647\r\n" + nineCells) << "Read beyond end of file";
}

void TestTallyTable::damagedTextIsRejected()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, message);
    QCOMPARE(thrownMessage([&] { TallyTable::fromText(text); }), message);
}

void TestTallyTable::lineBreakInANameCannotShiftCells()
{
    TallyTable table;
    table.addOpponent(QStringLiteral("Ann\r\nBob"));
    const TallyTable back = TallyTable::fromText(table.toText());
    QCOMPARE(back.rowCount(), 2);
    QCOMPARE(rowCells(back, 1), QStringList({"Ann  Bob", "0", "0", "0", "0", "0", "0", "0", "0"}));
}

void TestTallyTable::namesRoundTrip_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QByteArray>("firstLine");
    QTest::addColumn<QByteArrayList>("storedNames");
    QTest::newRow("ASCII") << QStringList{"Ann"} << QByteArray("9") << QByteArrayList{"Ann"};
    QTest::newRow("Latin-1 stays Latin-1")
        << QStringList{QStringLiteral("Zoë")} << QByteArray("9") << QByteArrayList{"Zo\xEB"};
    QTest::newRow("beyond Latin-1") << QStringList{QStringLiteral("Jiří")} << QByteArray("9 UTF-8")
                                    << QByteArrayList{"Ji\xC5\x99\xC3\xAD"};
    QTest::newRow("both in one table: all UTF-8")
        << QStringList{QStringLiteral("Zoë"), QStringLiteral("Jiří")} << QByteArray("9 UTF-8")
        << QByteArrayList{"Zo\xC3\xAB", "Ji\xC5\x99\xC3\xAD"};
    QTest::newRow("outside the basic plane")
        << QStringList{QStringLiteral("李明"), QString::fromUtf8("Ann\xF0\x9F\x98\x80")}
        << QByteArray("9 UTF-8")
        << QByteArrayList{"\xE6\x9D\x8E\xE6\x98\x8E", "Ann\xF0\x9F\x98\x80"};
}

void TestTallyTable::namesRoundTrip()
{
    QFETCH(QStringList, names);
    QFETCH(QByteArray, firstLine);
    QFETCH(QByteArrayList, storedNames);
    TallyTable table;
    for (const QString &name : names)
        table.addOpponent(name);
    const QByteArray text = table.toText();
    const QByteArrayList lines = text.split('\n');
    QCOMPARE(lines.at(0), firstLine + '\r');
    // Column 0: row 0's cell, then one name per opponent row.
    for (qsizetype i = 0; i < storedNames.size(); ++i)
        QCOMPARE(lines.at(3 + i), storedNames.at(i) + '\r');

    const TallyTable back = TallyTable::fromText(text);
    QCOMPARE(back.opponentNames(), names);
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(back.findOpponent(names.at(i).toUpper()), i + 1);
    QCOMPARE(back.toText(), text);
}

void TestTallyTable::storedLatin1FilesReadAsBefore_data()
{
    QTest::addColumn<QByteArray>("storedName");
    QTest::addColumn<QString>("name");
    QTest::newRow("Latin-1 letter") << QByteArray("Zo\xEB") << QStringLiteral("Zoë");
    // Bytes that would also make sense as UTF-8 are still Latin-1 in a file
    // without the mark.
    QTest::newRow("looks like UTF-8") << QByteArray("Ren\xC3\xA9") << QStringLiteral("RenÃ©");
    QTest::newRow("question mark kept") << QByteArray("Ji?\xED") << QStringLiteral("Ji?í");
}

void TestTallyTable::storedLatin1FilesReadAsBefore()
{
    QFETCH(QByteArray, storedName);
    QFETCH(QString, name);
    QByteArrayList lines{"9", "2", "0", storedName};
    for (int i = 0; i < 16; ++i)
        lines << "0";
    const QByteArray text = crlfLines(lines);
    const TallyTable table = TallyTable::fromText(text);
    QCOMPARE(table.opponentNames(), QStringList{name});
    // Written back byte for byte as it was.
    QCOMPARE(table.toText(), text);
}

void TestTallyTable::onlyPlayerSeatsCountGames_data()
{
    QTest::addColumn<int>("myseat");
    QTest::addColumn<int>("numseats");
    QTest::addColumn<bool>("counts");
    QTest::newRow("host") << 1 << 2 << true;
    QTest::newRow("last player seat") << 6 << 6 << true;
    QTest::newRow("beyond this game's players") << 4 << 3 << false;
    QTest::newRow("spy") << 7 << 6 << false;
    QTest::newRow("not logged in") << 0 << 2 << false;
}

void TestTallyTable::onlyPlayerSeatsCountGames()
{
    QFETCH(int, myseat);
    QFETCH(int, numseats);
    QFETCH(bool, counts);
    QCOMPARE(TallyTable::countsGame(myseat, numseats), counts);
}

QTEST_GUILESS_MAIN(TestTallyTable)
#include "tallytabletest.moc"
