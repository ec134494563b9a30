#include "common/random.h"
#include "tally/lzrw1kh.h"
#include "tally/tlzrw1.h"
#include "testfiles.h"

#include <QFile>
#include <QProcess>
#include <QtEndian>
#include <QtTest>

#include <vector>

#include <csignal>
#include <sys/resource.h>

namespace {

const QString kPlainName = QStringLiteral("plain.bin");
const QString kContainerName = QStringLiteral("container.lzr");
const QString kOutputName = QStringLiteral("output.bin");

QByteArray randomBytes(int n, quint32 seed)
{
    Random::seed(seed);
    QByteArray data(n, Qt::Uninitialized);
    for (char &c : data)
        c = char(Random::below(256));
    return data;
}

// A text of words drawn from a small vocabulary, as a word list or a tally is.
QByteArray wordText(int n, quint32 seed)
{
    static const char *const words[] = {"LETTER", "ROUND", "SCORE", "WORD",   "PLAYER", "KLOT",
                                        "CHAT",   "SPY",   "SEAT",  "WINNER", "GAME",   "LEXICON",
                                        "QUILL",  "MARK",  "LOBBY", "TALLY",  "START",  "CLASH"};
    Random::seed(seed);
    QByteArray text;
    while (text.size() < n) {
        text += words[Random::below(int(std::size(words)))];
        text += Random::below(8) == 0 ? '\n' : ' ';
    }
    text.truncate(n);
    return text;
}

// Runs of every length from 1 to 5000 bytes with changing values.
QByteArray longRuns()
{
    QByteArray data;
    for (int length = 1; length <= 5000; length += length < 40 ? 1 : 97)
        data += QByteArray(length, char('a' + length % 26));
    return data;
}

QByteArray compressBytes(const QByteArray &input)
{
    writeBytes(kPlainName, input);
    Tlzrw1 doit;
    doit.InputFile = kPlainName;
    doit.OutputFile = kContainerName;
    const qint64 written = doit.Compress();
    const QByteArray container = readBytes(kContainerName);
    if (written != container.size())
        qWarning("Compress returned %lld for a container of %lld bytes",
                 static_cast<long long>(written), static_cast<long long>(container.size()));
    return container;
}

QByteArray decompressBytes(const QByteArray &container, qint64 *written = nullptr)
{
    writeBytes(kContainerName, container);
    Tlzrw1 doit;
    doit.InputFile = kContainerName;
    doit.OutputFile = kOutputName;
    const qint64 count = doit.Decompress();
    if (written)
        *written = count;
    return readBytes(kOutputName);
}

QByteArray container(quint32 size, const QByteArray &payload)
{
    QByteArray bytes("WRZL");
    const quint32 storedSize = qToLittleEndian(size);
    bytes.append(reinterpret_cast<const char *>(&storedSize), 4);
    const quint16 length = qToLittleEndian(quint16(payload.size()));
    bytes.append(reinterpret_cast<const char *>(&length), 2);
    return bytes + payload;
}

// The decoded length of every block of a container, in order.
QList<int> blockSizes(const QByteArray &bytes)
{
    QList<int> sizes;
    std::vector<quint8> out(kLzrwBlockSize);
    int at = 8;
    while (at + 2 <= bytes.size()) {
        const int length = qFromLittleEndian<quint16>(bytes.constData() + at);
        const auto *payload = reinterpret_cast<const quint8 *>(bytes.constData() + at + 2);
        sizes << lzrw1khDecompress(payload, length, out.data());
        at += 2 + length;
    }
    return sizes;
}

QByteArray payloadOf(const QByteArray &block)
{
    std::vector<quint8> out(size_t(block.size()) + 8);
    std::vector<quint16> hash(kLzrwHashSize);
    const int length = lzrw1khCompress(reinterpret_cast<const quint8 *>(block.constData()),
                                       int(block.size()), out.data(), hash.data());
    return QByteArray(reinterpret_cast<const char *>(out.data()), length);
}

QByteArray corruptPayload(const char *hex)
{
    return QByteArray::fromHex(hex);
}

// A coded payload whose items decode to more than one block: nine runs of 4095.
QByteArray overlongRuns()
{
    QByteArray payload = QByteArray::fromHex("40ff80");
    for (int i = 0; i < 9; ++i)
        payload += QByteArray::fromHex("000fef41");
    return payload;
}

// Sixteen literals followed by an incomplete next group.
QByteArray groupThen(const char *hex)
{
    return QByteArray::fromHex("400000") + QByteArray(16, 'x') + QByteArray::fromHex(hex);
}

} // namespace

class TestLzrw1 : public QObject {
    Q_OBJECT
private slots:
    void init();
    void workedExamples_data();
    void workedExamples();
    void blockPayloads_data();
    void blockPayloads();
    void blockBoundaries_data();
    void blockBoundaries();
    void roundTrips_data();
    void roundTrips();
    void streamRoundTrip();
    void streamFailures_data();
    void streamFailures();
    void invalidContainers_data();
    void invalidContainers();
    void failedDecompressKeepsEarlierOutput();
    void fullDiskFailsCompress();
    void corruptBlocksRejected_data();
    void corruptBlocksRejected();
    void shortPayloadsDecodeEmpty_data();
    void shortPayloadsDecodeEmpty();
    void compressFailures_data();
    void compressFailures();
    void toolExitCodes_data();
    void toolExitCodes();
};

void TestLzrw1::init()
{
    for (const QString &name : {kPlainName, kContainerName, kOutputName})
        QFile::remove(name);
}

void TestLzrw1::workedExamples_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("empty file") << QByteArray() << QByteArray::fromHex("57525A4C 00000000 0100 80");
    QTest::newRow("abc stored") << QByteArray("abc")
                                << QByteArray::fromHex("57525A4C 03000000 0400 80616263");
    QTest::newRow("twenty a as one run")
        << QByteArray(20, 'a') << QByteArray::fromHex("57525A4C 14000000 0700 40800000000461");
    QTest::newRow("abc four times")
        << QByteArray("abcabcabcabc")
        << QByteArray::fromHex("57525A4C 0C000000 0800 4010006162630036");
}

void TestLzrw1::workedExamples()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    QCOMPARE(compressBytes(input), expected);
    qint64 written = -1;
    QCOMPARE(decompressBytes(expected, &written), input);
    QCOMPARE(written, input.size());
}

void TestLzrw1::blockPayloads_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("5000 equal bytes: runs of 4095 and 905")
        << QByteArray(5000, 'z') << QByteArray::fromHex("40C000 000FEF7A 0003797A");
    QTest::newRow("15 equal bytes: literal and copy of distance 1, length 14")
        << QByteArray(15, 'q') << QByteArray::fromHex("404000 71 001B");
    QTest::newRow("16 equal bytes: shortest run")
        << QByteArray(16, 'r') << QByteArray::fromHex("408000 00000072");
    const QByteArray full = randomBytes(kLzrwBlockSize, 7);
    QTest::newRow("random full block stored") << full << (QByteArray(1, '\x80') + full);
    const QByteArray part = randomBytes(1000, 8);
    QTest::newRow("random short block stored") << part << (QByteArray(1, '\x80') + part);
    QTest::newRow("copy of the longest length 18")
        << QByteArray("012345678901234567890123456789")
        << QByteArray::fromHex("400020") + QByteArray("0123456789") + QByteArray::fromHex("00AF") +
               QByteArray("89");
}

void TestLzrw1::blockPayloads()
{
    QFETCH(QByteArray, block);
    QFETCH(QByteArray, expected);
    const QByteArray payload = payloadOf(block);
    QCOMPARE(payload.toHex(' ').left(200), expected.toHex(' ').left(200));
    QCOMPARE(payload, expected);
    std::vector<quint8> out(kLzrwBlockSize);
    const int decoded = lzrw1khDecompress(reinterpret_cast<const quint8 *>(payload.constData()),
                                          int(payload.size()), out.data());
    QCOMPARE(decoded, block.size());
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(out.data()), decoded), block);
}

void TestLzrw1::blockBoundaries_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QList<int>>("blocks");
    QTest::newRow("one byte less than a block") << 32767 << QList<int>{32767};
    QTest::newRow("exactly one block: empty second block") << 32768 << QList<int>{32768, 0};
    QTest::newRow("one byte more: second block of one byte") << 32769 << QList<int>{32768, 1};
    QTest::newRow("exactly two blocks") << 65536 << QList<int>{32768, 32768, 0};
}

void TestLzrw1::blockBoundaries()
{
    QFETCH(int, size);
    QFETCH(QList<int>, blocks);
    const QByteArray input = wordText(size, 11);
    const QByteArray bytes = compressBytes(input);
    QCOMPARE(blockSizes(bytes), blocks);
    if (size % kLzrwBlockSize == 0)
        QCOMPARE(bytes.right(3), QByteArray::fromHex("010080"));
    if (size == 32769)
        QCOMPARE(bytes.right(4), QByteArray::fromHex("0200 80") + input.right(1));
    QCOMPARE(decompressBytes(bytes), input);
}

void TestLzrw1::roundTrips_data()
{
    QTest::addColumn<QByteArray>("input");
    QByteArray binary;
    for (int i = 0; i < 20000; ++i)
        binary += char((i * 7 + i / 256) % 256);
    QByteArray repetitive;
    while (repetitive.size() < 100000)
        repetitive += "Klot found WORD for 4 points. ";
    QByteArray tally;
    for (int i = 0; i < 300; ++i)
        tally += "Opponent" + QByteArray::number(i) + "=" + QByteArray::number(i * 37 % 101) + "+" +
                 QByteArray::number(i * 13 % 57) + "\r\n";
    QByteArray mixed =
        wordText(40000, 5) + randomBytes(40000, 6) + QByteArray(9000, '\0') + wordText(20000, 7);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("one byte") << QByteArray("x");
    QTest::newRow("short text") << QByteArray("The quick brown fox jumps over the lazy dog.\n");
    QTest::newRow("word text") << wordText(30000, 1);
    QTest::newRow("tally text") << tally;
    QTest::newRow("binary pattern") << binary;
    QTest::newRow("long runs") << longRuns();
    QTest::newRow("zeros over several blocks") << QByteArray(100000, '\0');
    QTest::newRow("highly repetitive") << repetitive;
    QTest::newRow("random") << randomBytes(70000, 3);
    QTest::newRow("several blocks mixed") << mixed;
}

void TestLzrw1::roundTrips()
{
    QFETCH(QByteArray, input);
    const QByteArray bytes = compressBytes(input);
    QCOMPARE(bytes.left(4), QByteArray("WRZL"));
    QCOMPARE(qFromLittleEndian<quint32>(bytes.constData() + 4), quint32(input.size()));
    QVERIFY(bytes.size() <= 8 + (input.size() / kLzrwBlockSize + 1) * (kLzrwBlockSize + 3));
    qint64 written = -1;
    QCOMPARE(decompressBytes(bytes, &written), input);
    QCOMPARE(written, input.size());
}

void TestLzrw1::streamRoundTrip()
{
    const QByteArray input = wordText(100000, 9);
    QByteArray plain = input;
    QByteArray packed;
    QBuffer source(&plain);
    QBuffer sink(&packed);
    QVERIFY(source.open(QIODevice::ReadOnly));
    QVERIFY(sink.open(QIODevice::WriteOnly));
    Tlzrw1 doit;
    const qint64 written = doit.CompressStream(source, sink);
    QCOMPARE(written, packed.size());
    QCOMPARE(packed, compressBytes(input));

    QByteArray unpacked;
    QBuffer packedSource(&packed);
    QBuffer unpackedSink(&unpacked);
    QVERIFY(packedSource.open(QIODevice::ReadOnly));
    QVERIFY(unpackedSink.open(QIODevice::WriteOnly));
    const qint64 count = doit.DecompressStream(packedSource, unpackedSink);
    QCOMPARE(count, input.size());
    QCOMPARE(unpacked, input);
}

void TestLzrw1::streamFailures_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QTest::newRow("invalid header")
        << QByteArray::fromHex("21485A4C 03000000 0400 80616263")
        << "Lzrw1 decompression : input stream contains no valid header !";
    QTest::newRow("truncated block") << QByteArray::fromHex("57525A4C 03000000 0400 806162")
                                     << "Lzrw1 : Error reading from input stream !";
    QTest::newRow("copy before start")
        << container(3, corruptPayload("408000 0010"))
        << "Lzrw1 decompression : input stream contains a corrupt compressed block !";
}

void TestLzrw1::streamFailures()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    QByteArray written;
    QBuffer source(&bytes);
    QBuffer sink(&written);
    QVERIFY(source.open(QIODevice::ReadOnly));
    QVERIFY(sink.open(QIODevice::WriteOnly));
    Tlzrw1 doit;
    try {
        doit.DecompressStream(source, sink);
        QFAIL("no exception");
    } catch (const ELzrw1Exception &e) {
        QCOMPARE(e.message(), message);
    }
}

void TestLzrw1::invalidContainers_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    const QString noHeader =
        kContainerName + " : Lzrw1 decompression : this file has no valid header !";
    const QString readError = "Lzrw1 : Error reading from input file : " + kContainerName;
    const QString corrupt = kContainerName + " : Lzrw1 decompression : corrupt compressed block !";
    const QString sizes =
        "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !";
    const QByteArray abc = QByteArray::fromHex("57525A4C 03000000 0400 80616263");

    QTest::newRow("corrupt header")
        << QByteArray::fromHex("57525A4D 03000000 0400 80616263") << noHeader;
    QTest::newRow("LZH header") << QByteArray::fromHex("21485A4C 03000000 0400 80616263")
                                << noHeader;
    QTest::newRow("empty file") << QByteArray() << readError;
    QTest::newRow("header cut") << abc.left(2) << readError;
    QTest::newRow("size cut") << abc.left(6) << readError;
    QTest::newRow("no block") << abc.left(8) << readError;
    QTest::newRow("length cut") << abc.left(9) << readError;
    QTest::newRow("truncated block") << abc.left(abc.size() - 1) << readError;
    QTest::newRow("missing last block")
        << compressBytes(wordText(32768, 2)).chopped(3) << readError;
    QTest::newRow("size too small") << container(2, QByteArray::fromHex("80616263")) << sizes;
    QTest::newRow("size too large") << container(4, QByteArray::fromHex("80616263")) << sizes;
    QTest::newRow("overlong run output") << container(36855, overlongRuns()) << corrupt;
    QTest::newRow("copy before start") << container(3, corruptPayload("408000 0010")) << corrupt;
    QTest::newRow("stored block over a full block")
        << container(32769, QByteArray(1, '\x80') + QByteArray(32769, 'y')) << corrupt;
    QTest::newRow("payload longer than the buffer")
        << container(65534, QByteArray(1, '\x80') + QByteArray(65534, 'y')) << corrupt;
    QTest::newRow("copy item cut") << container(1, corruptPayload("404000 61 00")) << corrupt;
}

void TestLzrw1::invalidContainers()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    try {
        decompressBytes(bytes);
        QFAIL("no exception");
    } catch (const ELzrw1Exception &e) {
        QCOMPARE(e.message(), message);
    }
    QVERIFY(!QFile::exists(kOutputName));
}

void TestLzrw1::failedDecompressKeepsEarlierOutput()
{
    writeBytes(kOutputName, "earlier contents");
    const QByteArray bytes = QByteArray::fromHex("57525A4C 04000000 0400 80616263");
    QVERIFY_THROWS_EXCEPTION(ELzrw1Exception, decompressBytes(bytes));
    QCOMPARE(readBytes(kOutputName), QByteArray("earlier contents"));
    QCOMPARE(QDir().entryList({kOutputName + "*"}, QDir::Files | QDir::Hidden),
             QStringList{kOutputName});
}

// A file-size limit makes the disk "full" part-way through the container: the
// compression must fail and leave the earlier output untouched.
void TestLzrw1::fullDiskFailsCompress()
{
    writeBytes(kOutputName, "earlier contents");
    Random::seed(5);
    QByteArray data(20000, '\0');
    for (char &c : data)
        c = char(Random::below(256));
    writeBytes(kPlainName, data);

    rlimit previous{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit limited = previous;
    limited.rlim_cur = 5000;
    signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
    QString message;
    try {
        Tlzrw1 lzrw;
        lzrw.InputFile = kPlainName;
        lzrw.OutputFile = kOutputName;
        lzrw.Compress();
    } catch (const ELzrw1Exception &e) {
        message = e.message();
    }
    setrlimit(RLIMIT_FSIZE, &previous);
    signal(SIGXFSZ, SIG_DFL);

    QCOMPARE(message, QStringLiteral("Lzrw1 : Error writing to output file : ") + kOutputName);
    QCOMPARE(readBytes(kOutputName), QByteArray("earlier contents"));
    QCOMPARE(QDir().entryList({kOutputName + "*"}, QDir::Files | QDir::Hidden),
             QStringList{kOutputName});
}

void TestLzrw1::corruptBlocksRejected_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::newRow("flag without control word") << corruptPayload("40 00");
    QTest::newRow("copy as the first item") << corruptPayload("408000 0010");
    QTest::newRow("copy reaching before the start") << corruptPayload("404000 61 0020");
    QTest::newRow("longest distance from the start") << corruptPayload("404000 61 FFFF");
    QTest::newRow("copy key cut") << corruptPayload("408000 00");
    QTest::newRow("run cut") << corruptPayload("408000 000541");
    QTest::newRow("runs past a full block") << overlongRuns();
    QTest::newRow("literals past a full block") << QByteArray(1, '\x40') + [] {
        QByteArray groups;
        for (int i = 0; i < 2049; ++i)
            groups += QByteArray(2, '\0') + QByteArray(16, 'l');
        return groups;
    }();
    QTest::newRow("copies past a full block") << [] {
        // A literal, then copies of 18 bytes at distance 1, in full groups.
        QByteArray payload = QByteArray::fromHex("407FFF 61");
        for (int i = 0; i < 15; ++i)
            payload += QByteArray::fromHex("001F");
        for (int group = 0; group < 120; ++group) {
            payload += QByteArray::fromHex("FFFF");
            for (int i = 0; i < 16; ++i)
                payload += QByteArray::fromHex("001F");
        }
        return payload;
    }();
    QTest::newRow("control word cut") << groupThen("00");
    QTest::newRow("control word without item") << groupThen("0000");
    QTest::newRow("stored block over a full block")
        << QByteArray(1, '\x80') + QByteArray(32769, 's');
}

void TestLzrw1::corruptBlocksRejected()
{
    QFETCH(QByteArray, payload);
    // The input and output are exactly as large as the decoder may use, so a
    // sanitizer build catches any access outside them.
    std::vector<quint8> in(payload.begin(), payload.end());
    std::vector<quint8> out(kLzrwBlockSize);
    QCOMPARE(lzrw1khDecompress(in.data(), int(in.size()), out.data()), kLzrwCorrupt);
}

void TestLzrw1::shortPayloadsDecodeEmpty_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::newRow("no payload") << QByteArray();
    QTest::newRow("stored flag only") << corruptPayload("80");
    QTest::newRow("coded flag only") << corruptPayload("40");
    QTest::newRow("control word without items") << corruptPayload("400000");
}

void TestLzrw1::shortPayloadsDecodeEmpty()
{
    QFETCH(QByteArray, payload);
    std::vector<quint8> in(payload.begin(), payload.end());
    std::vector<quint8> out(kLzrwBlockSize);
    QCOMPARE(lzrw1khDecompress(in.data(), int(in.size()), out.data()), 0);
}

void TestLzrw1::compressFailures_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::addColumn<TCompressMode>("mode");
    QTest::addColumn<QString>("message");
    const QString notSupported = QStringLiteral(
        "Lzrw1 compression : the LZH coding (mode Good or Auto) is not supported, use mode Fast !");
    QTest::newRow("missing input")
        << "missing.txt" << kOutputName << TCompressMode::Fast
        << "Lzrw1 compression : Failed to obtain the size of : missing.txt";
    QTest::newRow("folder as input") << "." << kOutputName << TCompressMode::Fast
                                     << "Lzrw1 compression : Failed to obtain the size of : .";
    QTest::newRow("output folder missing")
        << kPlainName << "nofolder/out.lzr" << TCompressMode::Fast
        << "Lzrw1 (de)compression : Failed to open output file : nofolder/out.lzr";
    QTest::newRow("mode Good") << kPlainName << kOutputName << TCompressMode::Good << notSupported;
    QTest::newRow("mode Auto") << kPlainName << kOutputName << TCompressMode::Auto << notSupported;
}

void TestLzrw1::compressFailures()
{
    QFETCH(QString, input);
    QFETCH(QString, output);
    QFETCH(TCompressMode, mode);
    QFETCH(QString, message);
    writeBytes(kPlainName, "some text");
    Tlzrw1 doit;
    doit.InputFile = input;
    doit.OutputFile = output;
    doit.CompressMode = mode;
    try {
        doit.Compress();
        QFAIL("no exception");
    } catch (const ELzrw1Exception &e) {
        QCOMPARE(e.message(), message);
    }
    QVERIFY(!QFile::exists(output));
}

void TestLzrw1::toolExitCodes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QString>("error");
    const QByteArray text = wordText(50000, 4);
    QTest::newRow("compress") << QStringList{"compress", kPlainName, kOutputName} << 0
                              << compressBytes(text) << QString();
    QTest::newRow("decompress") << QStringList{"decompress", kContainerName, kOutputName} << 0
                                << text << QString();
    QTest::newRow("decompress a plain file")
        << QStringList{"decompress", kPlainName, kOutputName} << 1 << QByteArray()
        << kPlainName + " : Lzrw1 decompression : this file has no valid header !";
    QTest::newRow("missing input")
        << QStringList{"compress", "missing.txt", kOutputName} << 1 << QByteArray()
        << "Lzrw1 compression : Failed to obtain the size of : missing.txt";
    QTest::newRow("no arguments") << QStringList{} << 2 << QByteArray() << "Usage:";
    QTest::newRow("unknown command")
        << QStringList{"pack", kPlainName, kOutputName} << 2 << QByteArray() << "Usage:";
    QTest::newRow("output missing")
        << QStringList{"compress", kPlainName} << 2 << QByteArray() << "Usage:";
}

void TestLzrw1::toolExitCodes()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, output);
    QFETCH(QString, error);
    const QByteArray text = wordText(50000, 4);
    writeBytes(kPlainName, text);
    writeBytes(kContainerName, compressBytes(text));
    QFile::remove(kOutputName);
    QProcess tool;
    tool.start(QStringLiteral(LEXICLASH_CONTAINER_TOOL), arguments);
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tool.exitCode(), exitCode);
    if (!error.isEmpty())
        QVERIFY2(tool.readAllStandardError().startsWith(error.toUtf8()), qPrintable(error));
    if (output.isNull())
        QVERIFY(!QFile::exists(kOutputName));
    else
        QCOMPARE(readBytes(kOutputName), output);
}

QTEST_GUILESS_MAIN(TestLzrw1)
#include "test_lzrw1.moc"
