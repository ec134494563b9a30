#include "common/messagebox.h"
#include "dict/tdictn.h"
#include "handmadelist.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString kListFile = QStringLiteral("words.dat");

} // namespace

class TestDict : public QObject {
    Q_OBJECT

private:
    QStringList messages;

private slots:
    void init()
    {
        messages.clear();
        setMessageBoxHandler([this](const QString &text) { messages << text; });
    }

    void cleanup()
    {
        setMessageBoxHandler(nullptr);
        QFile::remove(kListFile);
        QDir().rmdir(kListFile);
    }

    void lookup_data()
    {
        QTest::addColumn<QByteArrayList>("list");
        QTest::addColumn<QString>("query");
        QTest::addColumn<qint64>("expected");

        const QByteArrayList animals{"ANT", "BAT", "BATS", "CAT", "CATERPILLAR", "DOG", "ZEBRA"};
        QTest::newRow("first record") << animals << "ANT" << qint64(0);
        QTest::newRow("last record") << animals << "ZEBRA" << qint64(6);
        QTest::newRow("middle record") << animals << "CAT" << qint64(3);
        QTest::newRow("small letters") << animals << "ant" << qint64(0);
        QTest::newRow("mixed case") << animals << "zEbRa" << qint64(6);
        QTest::newRow("blanks around") << animals << "   ant  " << qint64(0);
        QTest::newRow("NULs count as blanks")
            << animals << QString::fromLatin1("\0bat\0", 5) << qint64(1);
        QTest::newRow("blank inside") << animals << "AN T" << qint64(-1);
        QTest::newRow("prefix of a word") << animals << "CATER" << qint64(-1);
        QTest::newRow("longer than a word") << animals << "BATSS" << qint64(-1);
        QTest::newRow("below the first") << animals << "AA" << qint64(-1);
        QTest::newRow("above the last") << animals << "ZZZ" << qint64(-1);
        QTest::newRow("tab is not a blank") << animals << "\tANT" << qint64(-1);
        QTest::newRow("accented letter") << animals << QString::fromUtf8("CÄT") << qint64(-1);
        QTest::newRow("character beyond one byte")
            << animals << QString::fromUtf8("C\u0100T") << qint64(-1);

        const QByteArrayList longWords{"ABSTRACTION", "ABSTRACTIONIST", "ABSTRACTIONISTS",
                                       "ABSTRACTIONS"};
        QTest::newRow("stored 14 letters") << longWords << "abstractionist" << qint64(1);
        QTest::newRow("15 letters, first 14 stored")
            << longWords << "ABSTRACTIONISTS" << qint64(-1);
        QTest::newRow("15 letters, nothing like it")
            << longWords << "QQQQQQQQQQQQQQQ" << qint64(-1);
        QTest::newRow("20 letters") << longWords << "ABSTRACTIONISTSABSTR" << qint64(-1);

        const QByteArrayList repeats{"AND",
                                     "AND",
                                     "AND",
                                     "BEE",
                                     "CHARACTERISTIC",
                                     "CHARACTERISTIC",
                                     "CHARACTERISTIC",
                                     "CHARACTERISTIC",
                                     "DOT",
                                     "YAK",
                                     "ZOO",
                                     "ZOO"};
        QTest::newRow("repeated at the start") << repeats << "and" << qint64(0);
        QTest::newRow("repeated in the middle") << repeats << "Characteristic" << qint64(4);
        QTest::newRow("repeated at the end") << repeats << "ZOO" << qint64(10);
        QTest::newRow("between repeats") << repeats << "DOT" << qint64(8);

        const QByteArrayList blankRecord{"", "CAT", "DOG"};
        QTest::newRow("empty query") << blankRecord << "" << qint64(-1);
        QTest::newRow("all-blank query") << blankRecord << "     " << qint64(-1);
        QTest::newRow("only NULs") << blankRecord << QString(3, QChar(0)) << qint64(-1);
        QTest::newRow("word beside a blank record") << blankRecord << "cat" << qint64(1);

        const QByteArrayList smallRecords{"apple", "Bread", "cherry"};
        QTest::newRow("records in small letters") << smallRecords << "APPLE" << qint64(0);
        QTest::newRow("record in mixed case") << smallRecords << "bread" << qint64(1);

        // The list that shipped with the game had BUSHBABY before BUSHBABIES; a
        // binary search steps past the misplaced record and never finds it.
        const QByteArrayList outOfOrder{"BUSH",   "BUSHBABY", "BUSHBABIES", "BUSHED",
                                        "BUSHEL", "BUSHES",   "BUSHIER"};
        QTest::newRow("record before its place is missed")
            << outOfOrder << "BUSHBABIES" << qint64(-1);
        QTest::newRow("record after its place is found") << outOfOrder << "BUSHBABY" << qint64(1);
        QTest::newRow("neighbours still found") << outOfOrder << "BUSHEL" << qint64(4);

        QTest::newRow("single record") << QByteArrayList{"ONLY"} << "only" << qint64(0);
        QTest::newRow("single record, other word") << QByteArrayList{"ONLY"} << "one" << qint64(-1);
        QTest::newRow("zero-length file") << QByteArrayList{} << "ANY" << qint64(-1);
    }

    void lookup()
    {
        QFETCH(QByteArrayList, list);
        QFETCH(QString, query);
        QFETCH(qint64, expected);
        writeList(kListFile, list);

        const TDictn dictionary(kListFile);
        QVERIFY(dictionary.isOpen());
        QCOMPARE(dictionary.recordCount(), list.size());
        QCOMPARE(dictionary.FindWord(query), expected);
        QCOMPARE(dictionary.IsWord(query), expected >= 0);
        QVERIFY(messages.isEmpty());
    }

    void trailingPartialRecordIsIgnored()
    {
        writeList(kListFile, {"CAT", "DOG"});
        QFile file(kListFile);
        QVERIFY(file.open(QIODevice::Append));
        file.write("\x1e"
                   "EMU");
        file.close();

        const TDictn dictionary(kListFile);
        QCOMPARE(dictionary.recordCount(), 2);
        QCOMPARE(dictionary.FindWord("DOG"), 1);
        QCOMPARE(dictionary.FindWord("EMU"), -1);
    }

    void fileCutShortWhileOpen()
    {
        // Enough records to span many pages of the mapped file.
        QByteArrayList fields;
        for (int i = 0; i < 5000; ++i)
            fields << "W" + QByteArray::number(100000 + i);
        writeList(kListFile, fields);
        const TDictn dictionary(kListFile);
        QCOMPARE(dictionary.FindWord("W104990"), 4990);

        // Another program shortens the file: a search that reaches a record
        // the file lost reads short and finds nothing, a search that stays in
        // what is left still finds its word, and nothing crashes.
        QVERIFY(QFile::resize(kListFile, 4000 * 15));
        QCOMPARE(dictionary.FindWord("W104990"), -1);
        QCOMPARE(dictionary.FindWord("W104400"), -1);
        QCOMPARE(dictionary.FindWord("W100001"), 1);
        QCOMPARE(dictionary.FindWord("W102000"), 2000);
        QVERIFY(QFile::resize(kListFile, 0));
        QCOMPARE(dictionary.FindWord("W100001"), -1);
        QCOMPARE(dictionary.FindWord("W102500"), -1);
        QVERIFY(messages.isEmpty());
    }

    void otherBusErrorsStillEndTheProgram()
    {
        // A bus error outside a dictionary read is a fault of the program and
        // must not be swallowed by the dictionary's handler.
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QProcess helper;
        helper.setWorkingDirectory(folder.path());
        helper.start(QStringLiteral(LEXICLASH_BUSFAULT_HELPER));
        QVERIFY(helper.waitForFinished(60000));
        // Killed by the signal, or ended with its report when a sanitizer handles it.
        const bool reported = helper.exitStatus() == QProcess::NormalExit &&
                              helper.readAllStandardError().contains("BUS");
        QVERIFY2(helper.exitStatus() == QProcess::CrashExit || reported,
                 qPrintable(QString::number(helper.exitCode())));
    }

    void missingListFile()
    {
        {
            const TDictn dictionary(kListFile);
            QCOMPARE(messages, QStringList{kNotFound});
            QVERIFY(!dictionary.isOpen());
            for (const char *word : {"AAH", "CAT", "zymurgy", ""})
                QVERIFY(!dictionary.IsWord(word));
            QCOMPARE(dictionary.FindWord("CAT"), -1);
        }
        QCOMPARE(messages.size(), 1);
    }

    void listFileThatIsNotAFile()
    {
        QVERIFY(QDir().mkdir(kListFile));
        {
            const TDictn dictionary(kListFile);
            QCOMPARE(messages, QStringList{kNotFound});
            QVERIFY(!dictionary.IsWord("CAT"));
        }
        QVERIFY(QFileInfo(kListFile).isDir());
    }

    void shippedList_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("found");
        QTest::newRow("first record") << "AAH" << true;
        QTest::newRow("last record") << "zymurgy" << true;
        QTest::newRow("common word") << "house" << true;
        QTest::newRow("plural") << "HOUSES" << true;
        QTest::newRow("two letters") << "AT" << true;
        QTest::newRow("stored 14 letters") << "ABSTRACTIONIST" << true;
        QTest::newRow("14 letters, the start of longer words") << "CHARACTERISTIC" << true;
        // A longer word does not fit a record; its first 14 letters are no word.
        QTest::newRow("cut form of CANNIBALIZATION") << "CANNIBALIZATIO" << false;
        QTest::newRow("cut form of CANTANKEROUSNESS") << "CANTANKEROUSNE" << false;
        QTest::newRow("15 letters") << "ABSTRACTIONISTS" << false;
        QTest::newRow("18 letters") << "CHARACTERISTICALLY" << false;
        QTest::newRow("one letter") << "A" << false;
        QTest::newRow("not a word") << "QXZJV" << false;
        QTest::newRow("blank inside") << "HOU SE" << false;
        QTest::newRow("apostrophe") << "DON'T" << false;
        // Abbreviations are not words; vowel-less words are.
        for (const char *abbreviation :
             {"DKL", "KB", "MB", "CS", "CSCH", "HHD", "LN", "LX", "MF", "MS", "PS", "SS", "TS"})
            QTest::addRow("abbreviation %s", abbreviation) << abbreviation << false;
        for (const char *word : {"RHYTHM", "CRYPT", "NTH", "LYNX", "HMM", "PSST", "SHH", "CWM",
                                 "CRWTH", "BRR", "MYRRH", "GYM"})
            QTest::addRow("vowel-less word %s", word) << word << true;
    }

    void shippedList()
    {
        QFETCH(QString, query);
        QFETCH(bool, found);
        const TDictn dictionary;
        QCOMPARE(dictionary.IsWord(query), found);
    }

    void wordsWithPrefix_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<bool>("any");
        QTest::newRow("one letter") << "S" << true;
        QTest::newRow("one letter, few words") << "X" << true;
        QTest::newRow("two letters") << "QU" << true;
        QTest::newRow("three letters") << "STR" << true;
        QTest::newRow("first word of the list") << "AAH" << true;
        QTest::newRow("first letter of the list") << "A" << true;
        QTest::newRow("last word of the list") << "ZYMURGY" << true;
        QTest::newRow("last letter of the list") << "Z" << true;
        QTest::newRow("small letters") << "tra" << true;
        QTest::newRow("blanks around") << " ab " << true;
        QTest::newRow("a whole 14-letter word") << "ABSTRACTIONIST" << true;
        QTest::newRow("none matching") << "QXZ" << false;
        QTest::newRow("below the first word") << "AAA" << false;
        QTest::newRow("above the last word") << "ZZ" << false;
        QTest::newRow("15 letters") << "ABSTRACTIONISTS" << false;
        QTest::newRow("blank inside") << "A B" << false;
        QTest::newRow("empty") << "" << false;
    }

    // The walk against a plain scan of every record of the shipped list.
    void wordsWithPrefix()
    {
        QFETCH(QString, prefix);
        QFETCH(bool, any);
        QFile resource(TDictn::kDefaultResource);
        QVERIFY(resource.open(QIODevice::ReadOnly));
        const QByteArray data = resource.readAll();
        const QByteArray beginning = prefix.trimmed().toUpper().toLatin1();
        QByteArrayList expected;
        for (qsizetype at = 0; at < data.size(); at += 15) {
            const QByteArray word = data.mid(at + 1, 14).trimmed();
            if (!beginning.isEmpty() && word.startsWith(beginning) &&
                (expected.isEmpty() || expected.last() != word))
                expected << word;
        }

        const TDictn dictionary;
        QByteArrayList walked;
        dictionary.forEachWithPrefix(prefix,
                                     [&](QByteArrayView word) { walked << word.toByteArray(); });
        QCOMPARE(walked, expected);
        QCOMPARE(!walked.isEmpty(), any);
    }

    void wordsWithPrefixInAHandMadeList_data()
    {
        QTest::addColumn<QByteArrayList>("list");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QByteArrayList>("expected");

        const QByteArrayList cut{"BAT", "CHARACTERISTICAL", "CHARACTERISTICS", "CHARM", "DOG"};
        QTest::newRow("cut words once")
            << cut << "CHAR" << QByteArrayList{"CHARACTERISTIC", "CHARM"};
        QTest::newRow("first record") << cut << "b" << QByteArrayList{"BAT"};
        QTest::newRow("last record") << cut << "DOG" << QByteArrayList{"DOG"};
        QTest::newRow("small letters in the file")
            << QByteArrayList{"ant", "bee", "beetle"} << "BEE" << QByteArrayList{"BEE", "BEETLE"};
        QTest::newRow("between two records") << cut << "CAT" << QByteArrayList{};
        QTest::newRow("zero-length file") << QByteArrayList{} << "A" << QByteArrayList{};
        QByteArrayList many;
        QByteArrayList manyExpected;
        for (int i = 0; i < 700; ++i) {
            many << "M" + QByteArray::number(1000 + i);
            manyExpected << many.last();
        }
        QTest::newRow("more than one batch") << many << "M" << manyExpected;
    }

    void wordsWithPrefixInAHandMadeList()
    {
        QFETCH(QByteArrayList, list);
        QFETCH(QString, prefix);
        QFETCH(QByteArrayList, expected);
        writeList(kListFile, list);
        const TDictn dictionary(kListFile);
        QByteArrayList walked;
        dictionary.forEachWithPrefix(prefix,
                                     [&](QByteArrayView word) { walked << word.toByteArray(); });
        QCOMPARE(walked, expected);
    }

    void wordsWithPrefixInAFileCutShort()
    {
        QByteArrayList fields;
        for (int i = 0; i < 5000; ++i)
            fields << "W" + QByteArray::number(100000 + i);
        writeList(kListFile, fields);
        const TDictn dictionary(kListFile);
        const auto count = [&](const QString &prefix) {
            int visited = 0;
            dictionary.forEachWithPrefix(prefix, [&](QByteArrayView) { ++visited; });
            return visited;
        };
        QCOMPARE(count("W1049"), 100);

        // Another program shortens the file: a walk ends where the records end,
        // one whose search reaches a lost record finds nothing, like a lookup.
        QVERIFY(QFile::resize(kListFile, 4000 * 15));
        QCOMPARE(count("W100"), 1000);
        QCOMPARE(count("W1049"), 0);
        QCOMPARE(count("W10"), 4000);
        QVERIFY(messages.isEmpty());
    }

    void wordsWithPrefixStopsWhenAsked()
    {
        const TDictn dictionary;
        QByteArrayList walked;
        dictionary.forEachWithPrefix("ST", [&](QByteArrayView word) {
            walked << word.toByteArray();
            return walked.size() < 3;
        });
        QCOMPARE(walked, (QByteArrayList{"STAB", "STABBED", "STABBER"}));
    }

    void wordsWithPrefixWithoutAList()
    {
        const TDictn dictionary(kListFile);
        QVERIFY(!dictionary.isOpen());
        int visited = 0;
        dictionary.forEachWithPrefix("A", [&](QByteArrayView) { ++visited; });
        QCOMPARE(visited, 0);
    }

    void shippedListIsSortedRecords()
    {
        QFile resource(TDictn::kDefaultResource);
        QVERIFY(resource.open(QIODevice::ReadOnly));
        const QByteArray data = resource.readAll();
        QCOMPARE(data.size() % 15, 0);
        QVERIFY(data.size() / 15 > 100000);
        QByteArray previous;
        for (qsizetype at = 0; at < data.size(); at += 15) {
            QCOMPARE(data[at], '\x1e');
            const QByteArray field = data.mid(at + 1, 14);
            const QByteArray word = field.trimmed();
            QVERIFY2(word.size() >= 2 && field.startsWith(word), field.constData());
            for (const char c : word)
                QVERIFY2(c >= 'A' && c <= 'Z', field.constData());
            // Ascending and each word once: no word was cut to fit a record.
            QVERIFY2(previous < field, field.constData());
            previous = field;
        }
        const TDictn dictionary;
        QCOMPARE(dictionary.FindWord("AAH"), 0);
        QCOMPARE(dictionary.FindWord(QString::fromLatin1(previous).trimmed()),
                 dictionary.recordCount() - 1);
    }

    void everyStarterWordIsADictionaryWord()
    {
        QFile starters(QStringLiteral(LEXICLASH_STARTER_WORDS));
        QVERIFY(starters.open(QIODevice::ReadOnly | QIODevice::Text));
        const TDictn dictionary;
        QStringList missing;
        int count = 0;
        QByteArray previous;
        while (!starters.atEnd()) {
            const QByteArray word = starters.readLine().chopped(1);
            QVERIFY2(word.size() >= 1 && word.size() <= 7, word.constData());
            for (const char c : word)
                QVERIFY2(c >= 'a' && c <= 'z', word.constData());
            QVERIFY2(previous < word, word.constData());
            previous = word;
            ++count;
            if (word.size() >= 2 && !dictionary.IsWord(QString::fromLatin1(word).toUpper()))
                missing << QString::fromLatin1(word);
        }
        QVERIFY(count >= 6000 && count <= 8000);
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(' ')));
    }

    void shippedListHasNoAbbreviations()
    {
        // Entries without a, e, i, o, u or y are abbreviations unless they
        // are one of the few vowel-less words.
        const QSet<QByteArray> genuine{"BRR", "CRWTH", "CRWTHS", "CWM",  "CWMS", "HMM",
                                       "NTH", "PSST",  "PWN",    "PWNS", "SH",   "SHH",
                                       "SSH", "TSK",   "TSKS",   "PFFT", "GRR",  "ZZZ"};
        QFile resource(TDictn::kDefaultResource);
        QVERIFY(resource.open(QIODevice::ReadOnly));
        const QByteArray data = resource.readAll();
        QVERIFY(data.size() / 15 > 100000);
        QStringList abbreviations;
        for (qsizetype at = 0; at < data.size(); at += 15) {
            const QByteArray word = data.mid(at + 1, 14).trimmed();
            bool vowel = false;
            for (const char c : word)
                vowel = vowel || QByteArrayView("AEIOUY").contains(c);
            if (!vowel && !genuine.contains(word))
                abbreviations << QString::fromLatin1(word);
        }
        QVERIFY2(abbreviations.isEmpty(), qPrintable(abbreviations.join(' ')));
    }
};

QTEST_GUILESS_MAIN(TestDict)
#include "test_dict.moc"
