#include "widgets/colourpalette.h"
#include "widgets/weblink.h"

#include <QGuiApplication>
#include <QPalette>
#include <QtTest>

// The colour text of chat lines and the settings file, and the web addresses
// the chat pane turns into links.
class TestColourText : public QObject {
    Q_OBJECT
private slots:
    void writes_data();
    void writes();
    void reads_data();
    void reads();
    void rejects_data();
    void rejects();
    void systemColoursAreThisMachines();
    void noneIsNoColour();
    void roundTrips();
    void webAddresses_data();
    void webAddresses();
};

void TestColourText::writes_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QString>("text");
    QTest::newRow("black") << QColor(0, 0, 0) << "clBlack";
    QTest::newRow("maroon") << QColor(128, 0, 0) << "clMaroon";
    QTest::newRow("green") << QColor(0, 128, 0) << "clGreen";
    QTest::newRow("olive") << QColor(128, 128, 0) << "clOlive";
    QTest::newRow("navy") << QColor(0, 0, 128) << "clNavy";
    QTest::newRow("purple") << QColor(128, 0, 128) << "clPurple";
    QTest::newRow("teal") << QColor(0, 128, 128) << "clTeal";
    QTest::newRow("gray") << QColor(128, 128, 128) << "clGray";
    QTest::newRow("silver") << QColor(192, 192, 192) << "clSilver";
    QTest::newRow("red") << QColor(255, 0, 0) << "clRed";
    QTest::newRow("lime") << QColor(0, 255, 0) << "clLime";
    QTest::newRow("yellow") << QColor(255, 255, 0) << "clYellow";
    QTest::newRow("blue") << QColor(0, 0, 255) << "clBlue";
    QTest::newRow("fuchsia") << QColor(255, 0, 255) << "clFuchsia";
    QTest::newRow("aqua") << QColor(0, 255, 255) << "clAqua";
    QTest::newRow("white") << QColor(255, 255, 255) << "clWhite";
    // 00 BB GG RR, upper-case digits.
    QTest::newRow("seat 1 blue") << QColor(0, 0, 221) << "$00DD0000";
    QTest::newRow("orange") << QColor(255, 128, 0) << "$000080FF";
    QTest::newRow("one of each") << QColor(0x12, 0x34, 0x56) << "$00563412";
    QTest::newRow("near black") << QColor(1, 0, 0) << "$00000001";
}

void TestColourText::writes()
{
    QFETCH(QColor, colour);
    QFETCH(QString, text);
    QCOMPARE(colourToText(colour), text);
}

void TestColourText::reads_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("name") << "clNavy" << QColor(0, 0, 128);
    QTest::newRow("name lower case") << "clnavy" << QColor(0, 0, 128);
    QTest::newRow("name upper case") << "CLRED" << QColor(255, 0, 0);
    QTest::newRow("settings default") << "clblack" << QColor(0, 0, 0);
    QTest::newRow("hex navy") << "$00800000" << QColor(0, 0, 128);
    QTest::newRow("hex lower digits") << "$00563412" << QColor(0x12, 0x34, 0x56);
    QTest::newRow("hex short") << "$FF" << QColor(255, 0, 0);
    QTest::newRow("decimal red") << "255" << QColor(255, 0, 0);
    QTest::newRow("decimal blue") << "16711680" << QColor(0, 0, 255);
    QTest::newRow("decimal zero") << "0" << QColor(0, 0, 0);
}

void TestColourText::reads()
{
    QFETCH(QString, text);
    QFETCH(QColor, colour);
    const std::optional<QColor> read = textToQColor(text);
    QVERIFY(read.has_value());
    QCOMPARE(read->toRgb(), colour.toRgb());
}

void TestColourText::rejects_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("bare word") << "navy";
    QTest::newRow("unknown name") << "clOrange";
    QTest::newRow("dollar alone") << "$";
    QTest::newRow("nine hex digits") << "$000000000";
    QTest::newRow("not hex") << "$00GG0000";
    QTest::newRow("0x prefix") << "$0x12";
    QTest::newRow("blank inside") << "12 3";
    QTest::newRow("too large") << "99999999999";
    QTest::newRow("unknown system colour") << "$80000040";
    QTest::newRow("negative not a colour") << "-5";
    // Characters beyond one byte, some of which the C library's classification
    // must never see: full-width digits and letters, Latin-1 and a surrogate.
    QTest::newRow("full-width digits") << QStringLiteral("$\uFF10\uFF10\uFF21\uFF26");
    QTest::newRow("full-width letter last") << QStringLiteral("$00FF00\uFF26");
    QTest::newRow("latin-1 letter") << QStringLiteral("$00FF00\u00E9");
    QTest::newRow("high character") << QStringLiteral("$00FF\u0130");
    QTest::newRow("lone surrogate") << QStringLiteral("$00FF") + QChar(0xD800);
}

void TestColourText::rejects()
{
    QFETCH(QString, text);
    QVERIFY(!textToQColor(text).has_value());
}

void TestColourText::systemColoursAreThisMachines()
{
    const QPalette palette = QGuiApplication::palette();
    QCOMPARE(textToQColor(QStringLiteral("clBtnFace")),
             palette.color(QPalette::Active, QPalette::Button));
    QCOMPARE(textToQColor(QStringLiteral("clwindowtext")),
             palette.color(QPalette::Active, QPalette::Text));
    QCOMPARE(textToQColor(QStringLiteral("clHighlight")),
             palette.color(QPalette::Active, QPalette::Highlight));
    QCOMPARE(textToQColor(QStringLiteral("clInfoBk")),
             palette.color(QPalette::Active, QPalette::ToolTipBase));
    // The numeric form of clBtnFace, 0x8000000F.
    QCOMPARE(textToQColor(QStringLiteral("$8000000F")),
             palette.color(QPalette::Active, QPalette::Button));
}

void TestColourText::noneIsNoColour()
{
    const std::optional<QColor> none = textToQColor(QStringLiteral("clNone"));
    QVERIFY(none.has_value());
    QVERIFY(!none->isValid());
}

void TestColourText::roundTrips()
{
    for (int red : {0, 1, 127, 128, 200, 255}) {
        for (int blue : {0, 64, 255}) {
            const QColor colour(red, 77, blue);
            QCOMPARE(textToQColor(colourToText(colour)), colour);
        }
    }
}

void TestColourText::webAddresses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("start");
    QTest::newRow("http") << "see http://example.com/a now" << 6 << "http://example.com/a" << 4;
    QTest::newRow("pointer at end of address")
        << "see http://example.com/a now" << 23 << "http://example.com/a" << 4;
    QTest::newRow("www ending a sentence")
        << "Visit www.quillmark.com." << 10 << "www.quillmark.com" << 6;
    QTest::newRow("trailing marks") << "(www.a.org)!?" << 3 << "www.a.org" << 1;
    QTest::newRow("letters kept as written")
        << "Go WWW.Quillmark.COM" << 5 << "WWW.Quillmark.COM" << 3;
    QTest::newRow("prefix inside token") << "site:www.x.com" << 2 << "www.x.com" << 5;
    QTest::newRow("mailto") << "mail mailto:ann@example.com" << 8 << "mailto:ann@example.com" << 5;
    QTest::newRow("ftp") << "ftp://files.example.org/x" << 0 << "ftp://files.example.org/x" << 0;
    QTest::newRow("news") << "news:comp.games" << 3 << "news:comp.games" << 0;
    QTest::newRow("table order: http before www")
        << "http://www.a.com" << 9 << "http://www.a.com" << 0;
    QTest::newRow("second line") << "hello\nwww.b.net." << 8 << "www.b.net" << 6;
    QTest::newRow("digits kept at end") << "http://a.b/2" << 1 << "http://a.b/2" << 0;
    QTest::newRow("prefix alone") << "www." << 1 << "" << -1;
    QTest::newRow("prefix and full stop only") << "http://." << 1 << "" << -1;
    QTest::newRow("plain word") << "hello world" << 2 << "" << -1;
    QTest::newRow("over a blank") << "www.a.com b" << 9 << "" << -1;
    QTest::newRow("past the end") << "www.a.com" << 9 << "" << -1;
    QTest::newRow("other token") << "www.a.com hello" << 12 << "" << -1;
}

void TestColourText::webAddresses()
{
    QFETCH(QString, text);
    QFETCH(int, position);
    QFETCH(QString, address);
    QFETCH(int, start);
    const WebAddress found = webAddressAt(text, position);
    QCOMPARE(found.address, address);
    QCOMPARE(int(found.start), start);
    if (found.isValid())
        QCOMPARE(text.mid(found.start, found.length), address);
}

QTEST_MAIN(TestColourText)
#include "test_colourtext.moc"
