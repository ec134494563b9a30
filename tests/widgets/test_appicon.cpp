// The programs' window icon: the icon theme's when it has one, else the one
// shipped inside the program, at every size.
#include "widgets/appicon.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr char kIconName[] = "example.lexiclash.Lexiclash";

// A theme called name under root whose only icon is ours, filled with colour.
void makeTheme(const QString &root, const QString &name, const QColor &colour)
{
    const QDir theme(root + QLatin1Char('/') + name);
    QVERIFY(theme.mkpath(QStringLiteral("48x48/apps")));
    QFile index(theme.filePath(QStringLiteral("index.theme")));
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=" + name.toUtf8() +
                "\nDirectories=48x48/apps\n\n[48x48/apps]\nSize=48\nType=Fixed\n");
    QImage picture(48, 48, QImage::Format_ARGB32);
    picture.fill(colour);
    QVERIFY(picture.save(theme.filePath(QStringLiteral("48x48/apps/%1.png").arg(kIconName))));
}

} // namespace

class TestAppIcon : public QObject {
    Q_OBJECT
private slots:
    void shippedIconWithoutATheme();
    void themeIconFirst();

private:
    QTemporaryDir themes_;
};

void TestAppIcon::shippedIconWithoutATheme()
{
    QIcon::setThemeSearchPaths({themes_.path()});
    QIcon::setThemeName(QStringLiteral("no-such-theme"));
    const QIcon icon = applicationIcon();
    QVERIFY(!icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
    const QImage shipped(QStringLiteral(LEXICLASH_ICON_48));
    const QImage shown = icon.pixmap(QSize(48, 48)).toImage();
    QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied),
             shipped.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

void TestAppIcon::themeIconFirst()
{
    makeTheme(themes_.path(), QStringLiteral("red-theme"), Qt::red);
    QIcon::setThemeSearchPaths({themes_.path()});
    QIcon::setThemeName(QStringLiteral("red-theme"));
    const QIcon icon = applicationIcon();
    QCOMPARE(icon.name(), QString::fromLatin1(kIconName));
    QCOMPARE(QColor(icon.pixmap(QSize(48, 48)).toImage().pixel(24, 24)), QColor(Qt::red));
}

QTEST_MAIN(TestAppIcon)
#include "test_appicon.moc"
