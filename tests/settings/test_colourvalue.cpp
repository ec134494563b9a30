#include "settings/colourtext.h"

#include <QtTest>

// The colour text without any window: system colours and "clNone" stay
// values of their own, to be turned into this machine's colours by the windows.
class TestColourValue : public QObject {
    Q_OBJECT
private slots:
    void reads_data();
    void reads();
    void writes_data();
    void writes();
};

Q_DECLARE_METATYPE(ColourValue)

void TestColourValue::reads_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<ColourValue>("colour");
    QTest::newRow("name") << "clNavy" << ColourValue::rgb(0, 0, 128);
    QTest::newRow("hex") << "$00563412" << ColourValue::rgb(0x12, 0x34, 0x56);
    QTest::newRow("decimal") << "16711680" << ColourValue::rgb(0, 0, 255);
    QTest::newRow("system name") << "clBtnFace" << ColourValue::system(15);
    QTest::newRow("system name any case") << "CLSCROLLBAR" << ColourValue::system(0);
    QTest::newRow("numeric system colour") << "$80000018" << ColourValue::system(24);
    QTest::newRow("none") << "clnone" << ColourValue();
    QTest::newRow("numeric none") << "$1FFFFFFF" << ColourValue();
}

void TestColourValue::reads()
{
    QFETCH(QString, text);
    QFETCH(ColourValue, colour);
    const std::optional<ColourValue> read = textToColour(text);
    QVERIFY(read.has_value());
    QVERIFY(*read == colour);
}

void TestColourValue::writes_data()
{
    QTest::addColumn<ColourValue>("colour");
    QTest::addColumn<QString>("text");
    QTest::newRow("named") << ColourValue::rgb(255, 0, 0) << "clRed";
    QTest::newRow("plain") << ColourValue::rgb(255, 128, 0) << "$000080FF";
    QTest::newRow("system") << ColourValue::system(24) << "clInfoBk";
    QTest::newRow("none") << ColourValue() << "clNone";
}

void TestColourValue::writes()
{
    QFETCH(ColourValue, colour);
    QFETCH(QString, text);
    QCOMPARE(colourToText(colour), text);
    QVERIFY(textToColour(text) == colour);
}

QTEST_GUILESS_MAIN(TestColourValue)
#include "test_colourvalue.moc"
