#include "widgets/artwork.h"

#include <QApplication>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QtTest>

#include <functional>
#include <set>

namespace {

bool isWhite(QRgb pixel)
{
    return qAlpha(pixel) == 255 && qRed(pixel) > 235 && qGreen(pixel) > 235 && qBlue(pixel) > 235;
}

bool isOrange(QRgb pixel)
{
    return qAlpha(pixel) == 255 && qRed(pixel) > 210 && qGreen(pixel) >= 80 &&
           qGreen(pixel) <= 190 && qBlue(pixel) < 90;
}

bool isGreen(QRgb pixel)
{
    return qAlpha(pixel) > 128 && qGreen(pixel) > 100 && qRed(pixel) < 80 && qBlue(pixel) < 100;
}

int countPixels(const QImage &image, const std::function<bool(QRgb)> &test)
{
    const QImage plain = image.convertToFormat(QImage::Format_ARGB32);
    int count = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            count += test(plain.pixel(x, y)) ? 1 : 0;
    return count;
}

int distinctColours(const QImage &image)
{
    const QImage plain = image.convertToFormat(QImage::Format_ARGB32);
    std::set<QRgb> colours;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            colours.insert(plain.pixel(x, y));
    return int(colours.size());
}

using Picture = std::function<QPixmap()>;

struct SheetItem {
    const char *label;
    Picture draw;
};

const QList<SheetItem> &sheetItems()
{
    static const QList<SheetItem> items = {
        {"errorBanner(0)", [] { return Artwork::errorBanner(0); }},
        {"errorBanner(1)", [] { return Artwork::errorBanner(1); }},
        {"errorBanner(2)", [] { return Artwork::errorBanner(2); }},
        {"errorBanner(3)", [] { return Artwork::errorBanner(3); }},
        {"checkPicture(0)", [] { return Artwork::checkPicture(0); }},
        {"checkPicture(1)", [] { return Artwork::checkPicture(1); }},
        {"startGameButton()", [] { return Artwork::startGameButton(); }},
        {"giveUpButton()", [] { return Artwork::giveUpButton(); }},
        {"wordEntryBox()", [] { return Artwork::wordEntryBox(); }},
        {"gameFullBanner()", [] { return Artwork::gameFullBanner(); }},
        {"winnerPicture()", [] { return Artwork::winnerPicture(); }},
        {"backgroundTile()", [] { return Artwork::backgroundTile(); }},
        {"makerLogo()", [] { return Artwork::makerLogo(); }},
    };
    return items;
}

// Lays every picture out on one page, on the tiled background and on white,
// so a person can judge them; run by hand with --contact-sheet <file.png>.
QImage contactSheet()
{
    const int rowHeight = 76;
    const QList<SheetItem> &items = sheetItems();
    QImage sheet(780, 40 + rowHeight * int(items.size()), QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    painter.fillRect(QRect(400, 0, 380, sheet.height()), QBrush(Artwork::backgroundTile()));
    QFont font("DejaVu Sans");
    font.setPixelSize(12);
    painter.setFont(font);
    painter.drawText(QRect(10, 8, 340, 24), Qt::AlignVCenter, "Lexiclash artwork");
    int y = 40;
    for (const SheetItem &item : items) {
        const QPixmap picture = item.draw();
        painter.setPen(Qt::black);
        painter.drawText(
            QRect(10, y, 150, rowHeight), Qt::AlignVCenter,
            QString("%1\n%2 x %3").arg(item.label).arg(picture.width()).arg(picture.height()));
        const int top = y + (rowHeight - picture.height()) / 2;
        painter.drawPixmap(150, top, picture);
        painter.drawPixmap(420, top, picture);
        y += rowHeight;
    }
    painter.end();
    return sheet;
}

} // namespace

class TestArtwork : public QObject {
    Q_OBJECT

private slots:
    void fontIsDejaVu();
    void errorBanner_data();
    void errorBanner();
    void noBannerForOtherReasons_data();
    void noBannerForOtherReasons();
    void checkPictures();
    void picturesAreDrawn_data();
    void picturesAreDrawn();
    void wordFieldSitsOnTheWhiteWell();
    void logoIsTransparentAroundIt();
    void backgroundTilesWithoutSeams();
};

void TestArtwork::fontIsDejaVu()
{
    QFont font("DejaVu Sans");
    font.setPixelSize(13);
    QCOMPARE(QFontInfo(font).family(), QString("DejaVu Sans"));
}

void TestArtwork::errorBanner_data()
{
    QTest::addColumn<int>("reason");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "Incorrect Word Length";
    QTest::newRow("1") << 1 << "Invalid Word";
    QTest::newRow("2") << 2 << "Already Guessed";
    QTest::newRow("3") << 3 << "Incorrect Primer";
}

void TestArtwork::errorBanner()
{
    QFETCH(int, reason);
    QFETCH(QString, text);
    QCOMPARE(Artwork::errorBannerText(reason), text);
    const QImage banner = Artwork::errorBanner(reason).toImage();
    QCOMPARE(banner.size(), QSize(195, 21));
    const int area = banner.width() * banner.height();
    QVERIFY2(countPixels(banner, isOrange) > area / 2, "the banner is not mostly orange");
    QVERIFY2(countPixels(banner, isWhite) > 40, "no white letters on the banner");
    // Longer texts cover more of the banner, so the letters are really the text's.
    const int centre = countPixels(banner.copy(60, 0, 75, 21), isWhite);
    QVERIFY(centre > 10);
}

void TestArtwork::noBannerForOtherReasons_data()
{
    QTest::addColumn<int>("reason");
    QTest::newRow("-1") << -1;
    QTest::newRow("4") << 4;
    QTest::newRow("255") << 255;
}

void TestArtwork::noBannerForOtherReasons()
{
    QFETCH(int, reason);
    QVERIFY(Artwork::errorBanner(reason).isNull());
    QVERIFY(Artwork::errorBannerText(reason).isEmpty());
}

void TestArtwork::checkPictures()
{
    const QImage unchecked = Artwork::checkPicture(0).toImage();
    const QImage checked = Artwork::checkPicture(1).toImage();
    QCOMPARE(unchecked.size(), QSize(34, 21));
    QCOMPARE(checked.size(), QSize(34, 21));
    QVERIFY(countPixels(unchecked, isWhite) > 50);
    QCOMPARE(countPixels(unchecked, isGreen), 0);
    QVERIFY2(countPixels(checked, isGreen) > 20, "the checked box shows no tick");
    QVERIFY(Artwork::checkPicture(2).isNull());
    QVERIFY(Artwork::checkPicture(-1).isNull());
}

void TestArtwork::picturesAreDrawn_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<QSize>("size");
    const QList<SheetItem> &items = sheetItems();
    const QList<QSize> sizes = {{195, 21}, {195, 21}, {195, 21}, {195, 21}, {34, 21},
                                {34, 21},  {140, 36}, {110, 30}, {230, 64}, {230, 64},
                                {120, 28}, {64, 64},  {209, 55}};
    QCOMPARE(sizes.size(), items.size());
    for (int i = 0; i < items.size(); ++i)
        QTest::newRow(items[i].label) << i << sizes[i];
}

void TestArtwork::picturesAreDrawn()
{
    QFETCH(int, item);
    QFETCH(QSize, size);
    const QImage image = sheetItems()[item].draw().toImage();
    QCOMPARE(image.size(), size);
    QVERIFY2(distinctColours(image) > 8, "the picture is blank or flat");
    QVERIFY(countPixels(image, [](QRgb p) { return qAlpha(p) == 255; }) > image.width());
}

void TestArtwork::wordFieldSitsOnTheWhiteWell()
{
    const QImage box = Artwork::wordEntryBox().toImage();
    const QRect field = Artwork::wordEntryFieldRect();
    QVERIFY(QRect(QPoint(0, 0), box.size()).contains(field));
    QCOMPARE(countPixels(box.copy(field), isWhite), field.width() * field.height());
    QVERIFY2(countPixels(box.copy(0, 0, box.width(), field.top() - 3),
                         [](QRgb p) {
                             return qRed(p) > 230 && qGreen(p) > 190 && qBlue(p) < 150 &&
                                    qAlpha(p) == 255;
                         }) > 40,
             "no yellow heading above the field");
}

void TestArtwork::logoIsTransparentAroundIt()
{
    const QImage logo = Artwork::makerLogo().toImage();
    QCOMPARE(logo.size(), Artwork::kLogoSize);
    QCOMPARE(qAlpha(logo.pixel(logo.width() - 1, logo.height() - 1)), 0);
    QCOMPARE(qAlpha(logo.pixel(logo.width() - 1, 0)), 0);
    QVERIFY(countPixels(logo, [](QRgb p) { return qAlpha(p) == 0; }) > logo.width());
}

void TestArtwork::backgroundTilesWithoutSeams()
{
    const QImage tile = Artwork::backgroundTile().toImage();
    QCOMPARE(tile.width(), tile.height());
    QCOMPARE(countPixels(tile, [](QRgb p) { return qAlpha(p) != 255; }), 0);
    for (int i = 0; i < tile.height(); ++i) {
        QCOMPARE(tile.pixel(0, i), tile.pixel(tile.width() - 1, i));
        QCOMPARE(tile.pixel(i, 0), tile.pixel(i, tile.height() - 1));
    }
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const qsizetype sheetAt = arguments.indexOf("--contact-sheet");
    if (sheetAt > 0) {
        const QString path = arguments.value(sheetAt + 1, "artwork.png");
        return contactSheet().save(path) ? 0 : 1;
    }
    TestArtwork test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_artwork.moc"
