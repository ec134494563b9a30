#include "common/errors.h"
#include "common/guard.h"
#include "common/intconv.h"
#include "common/random.h"
#include "common/replaceablehandler.h"

#include <QtTest>

class TestCommon : public QObject {
    Q_OBJECT
private slots:
    void strToIntAccepts_data();
    void strToIntAccepts();
    void strToIntRejects_data();
    void strToIntRejects();
    void guardHandsExceptionsToHandler();
    void replaceableHandlerFallsBack();
    void replaceableHandlerOverrideRestores();
    void seededRandomRepeats();
};

void TestCommon::strToIntAccepts_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("zero") << QByteArray("0") << 0;
    QTest::newRow("twelve") << QByteArray("12") << 12;
    QTest::newRow("negative") << QByteArray("-3") << -3;
    QTest::newRow("leading zeros") << QByteArray("007") << 7;
    QTest::newRow("int max") << QByteArray("2147483647") << 2147483647;
    QTest::newRow("int min") << QByteArray("-2147483648") << int(-2147483647 - 1);
}

void TestCommon::strToIntAccepts()
{
    QFETCH(QByteArray, text);
    QFETCH(int, value);
    QCOMPARE(strToInt(text), value);
    QCOMPARE(strToInt(QString::fromLatin1(text)), value);
}

void TestCommon::strToIntRejects_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("minus only") << QByteArray("-");
    QTest::newRow("plus sign") << QByteArray("+5");
    QTest::newRow("blank before") << QByteArray(" 5");
    QTest::newRow("blank after") << QByteArray("5 ");
    QTest::newRow("letters") << QByteArray("abc");
    QTest::newRow("trailing letter") << QByteArray("12a");
    QTest::newRow("hex") << QByteArray("0x10");
    QTest::newRow("too large") << QByteArray("2147483648");
    QTest::newRow("too small") << QByteArray("-2147483649");
    QTest::newRow("huge") << QByteArray("99999999999999999999999");
}

void TestCommon::strToIntRejects()
{
    QFETCH(QByteArray, text);
    try {
        strToInt(text);
        QFAIL("no exception");
    } catch (const EConvertError &e) {
        QCOMPARE(
            e.message(),
            QStringLiteral("'%1' is not a valid integer value").arg(QString::fromLatin1(text)));
    }
    int untouched = 42;
    QVERIFY(!tryStrToInt(text, untouched));
    QCOMPARE(untouched, 42);
}

void TestCommon::guardHandsExceptionsToHandler()
{
    QStringList seen;
    setErrorHandler([&](const QString &m) { seen << m; });
    guarded([] { strToInt(QByteArray("x")); });
    guarded([] { throw std::runtime_error("plain"); });
    guarded([] {});
    setErrorHandler({});
    QCOMPARE(seen, QStringList({"'x' is not a valid integer value", "plain"}));
}

void TestCommon::replaceableHandlerFallsBack()
{
    ReplaceableHandler<int(int)> handler([](int n) { return n + 1; });
    QVERIFY(!handler.isReplaced());
    QCOMPARE(handler(1), 2);
    handler.set([](int n) { return n * 10; });
    QVERIFY(handler.isReplaced());
    QCOMPARE(handler(2), 20);
    handler.set(nullptr);
    QCOMPARE(handler(3), 4);
    handler.set([](int n) { return -n; });
    handler.reset();
    QVERIFY(!handler.isReplaced());
    QCOMPARE(handler(4), 5);
}

void TestCommon::replaceableHandlerOverrideRestores()
{
    QStringList seen;
    ReplaceableHandler<void(const QString &)> handler(
        [&](const QString &m) { seen << "fallback " + m; });
    handler.set([&](const QString &m) { seen << "outer " + m; });
    {
        ReplaceableHandler<void(const QString &)>::Override inner(
            handler, [&](const QString &m) { seen << "inner " + m; });
        handler(QStringLiteral("a"));
    }
    handler(QStringLiteral("b"));
    handler.reset();
    {
        ReplaceableHandler<void(const QString &)>::Override inner(
            handler, [&](const QString &m) { seen << "inner " + m; });
        handler(QStringLiteral("c"));
    }
    handler(QStringLiteral("d"));
    QCOMPARE(seen, QStringList({"inner a", "outer b", "inner c", "fallback d"}));
}

void TestCommon::seededRandomRepeats()
{
    Random::seed(77);
    QList<int> first;
    for (int i = 0; i < 20; ++i)
        first << Random::below(10);
    Random::seed(77);
    for (int i = 0; i < 20; ++i)
        QCOMPARE(Random::below(10), first[i]);
}

QTEST_GUILESS_MAIN(TestCommon)
#include "test_common.moc"
