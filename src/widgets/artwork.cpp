#include "widgets/artwork.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QWidget>

#include <array>
#include <cmath>
#include <numbers>

namespace {

const std::array<const char *, 4> kErrorTexts = {"Incorrect Word Length", "Invalid Word",
                                                 "Already Guessed", "Incorrect Primer"};

constexpr QSize kStartSize{140, 36};
constexpr QSize kGiveUpSize{110, 30};
constexpr QSize kEntrySize{230, 64};
constexpr QSize kWinnerSize{120, 28};
constexpr int kTile = 64;

QImage canvas(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QFont dejaVu(int pixelSize, bool bold, const QString &family = QStringLiteral("DejaVu Sans"))
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

// Shrinks the font until the text fits the width, so a long banner text never
// runs over the picture's edge.
QFont fitted(QFont font, const QString &text, int width)
{
    while (font.pixelSize() > 7 && QFontMetrics(font).horizontalAdvance(text) > width)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

void drawPanel(QPainter &painter, const QRectF &rect, const QColor &top, const QColor &bottom,
               const QColor &border, qreal radius, bool gloss = true)
{
    QLinearGradient fill(rect.topLeft(), rect.bottomLeft());
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    painter.setPen(QPen(border, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    if (!gloss)
        return;
    QRectF shine = rect.adjusted(2, 1.5, -2, -rect.height() / 2);
    QLinearGradient light(shine.topLeft(), shine.bottomLeft());
    light.setColorAt(0, QColor(255, 255, 255, 90));
    light.setColorAt(1, QColor(255, 255, 255, 10));
    painter.setPen(Qt::NoPen);
    painter.setBrush(light);
    painter.drawRoundedRect(shine, radius - 1, radius - 1);
}

void drawText(QPainter &painter, const QRectF &rect, const QString &text, const QFont &font,
              const QColor &colour, const QColor &shadow)
{
    painter.setFont(font);
    painter.setPen(shadow);
    painter.drawText(rect.translated(1, 1), Qt::AlignCenter, text);
    painter.setPen(colour);
    painter.drawText(rect, Qt::AlignCenter, text);
}

QPainterPath star(QPointF centre, qreal outer, qreal inner)
{
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const qreal radius = i % 2 == 0 ? outer : inner;
        const qreal angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const QPointF point = centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    path.closeSubpath();
    return path;
}

QPixmap pictureButton(QSize size, const QString &text, const QColor &top, const QColor &bottom,
                      const QColor &border, int pixelSize)
{
    QImage image = canvas(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF rect(QPointF(0, 0), size);
    drawPanel(painter, rect, top, bottom, border, size.height() / 4.0);
    const QFont font = fitted(dejaVu(pixelSize, true), text, size.width() - 12);
    drawText(painter, rect, text, font, Qt::white, border.darker(150));
    painter.end();
    return QPixmap::fromImage(image);
}

} // namespace

namespace Artwork {

QString errorBannerText(int reason)
{
    if (reason < 0 || reason >= int(kErrorTexts.size()))
        return {};
    return QString::fromLatin1(kErrorTexts[reason]);
}

QPixmap errorBanner(int reason)
{
    const QString text = errorBannerText(reason);
    if (text.isEmpty())
        return {};
    QImage image = canvas(kErrorBannerSize);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF rect(QPointF(0, 0), kErrorBannerSize);
    drawPanel(painter, rect, QColor(255, 165, 40), QColor(235, 105, 0), QColor(175, 75, 0), 5,
              false);
    const QFont font = fitted(dejaVu(13, true), text, kErrorBannerSize.width() - 12);
    drawText(painter, rect, text, font, Qt::white, QColor(160, 65, 0));
    painter.end();
    return QPixmap::fromImage(image);
}

QPixmap checkPicture(int index)
{
    if (index != 0 && index != 1)
        return {};
    QImage image = canvas(kCheckSize);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box(9.5, 3.5, 15, 15);
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0, QColor(235, 238, 245));
    fill.setColorAt(1, Qt::white);
    painter.setPen(QPen(QColor(60, 70, 110), 1.2));
    painter.setBrush(fill);
    painter.drawRoundedRect(box, 3, 3);
    if (index == 1) {
        QPainterPath tick;
        tick.moveTo(12.5, 10.5);
        tick.lineTo(16.5, 15.5);
        tick.lineTo(26, 2.5);
        painter.setPen(QPen(QColor(20, 150, 40), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(tick);
    }
    painter.end();
    return QPixmap::fromImage(image);
}

QPixmap startGameButton()
{
    return pictureButton(kStartSize, QStringLiteral("START GAME"), QColor(95, 200, 90),
                         QColor(25, 125, 35), QColor(15, 85, 25), 15);
}

QPixmap giveUpButton()
{
    return pictureButton(kGiveUpSize, QStringLiteral("I GIVE UP"), QColor(235, 85, 70),
                         QColor(165, 25, 20), QColor(110, 15, 10), 13);
}

QRect wordEntryFieldRect()
{
    return QRect(14, 31, kEntrySize.width() - 28, 23);
}

QPixmap wordEntryBox()
{
    QImage image = canvas(kEntrySize);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF rect(QPointF(0, 0), kEntrySize);
    drawPanel(painter, rect, QColor(50, 75, 160), QColor(15, 28, 85), QColor(225, 195, 95), 9);
    drawText(painter, QRectF(0, 5, kEntrySize.width(), 20), QStringLiteral("ENTER YOUR WORDS"),
             dejaVu(13, true), QColor(255, 222, 105), QColor(10, 15, 50));
    const QRectF well = QRectF(wordEntryFieldRect()).adjusted(-2.5, -2.5, 2.5, 2.5);
    painter.setPen(QPen(QColor(10, 15, 50), 1));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(well, 4, 4);
    painter.end();
    return QPixmap::fromImage(image);
}

QPixmap gameFullBanner()
{
    QImage image = canvas(kEntrySize);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF rect(QPointF(0, 0), kEntrySize);
    drawPanel(painter, rect, QColor(85, 85, 98), QColor(30, 30, 40), QColor(200, 60, 45), 9);
    drawText(painter, QRectF(0, 6, kEntrySize.width(), 18), QStringLiteral("You are not playing"),
             dejaVu(12, false), QColor(235, 235, 240), QColor(15, 15, 20));
    drawText(painter, QRectF(0, 24, kEntrySize.width(), 34), QStringLiteral("GAME IS FULL"),
             dejaVu(22, true), QColor(255, 105, 70), QColor(15, 15, 20));
    painter.end();
    return QPixmap::fromImage(image);
}

QPixmap winnerPicture()
{
    QImage image = canvas(kWinnerSize);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF rect(QPointF(0, 0), kWinnerSize);
    const QColor brown(110, 60, 0);
    drawPanel(painter, rect, QColor(255, 232, 110), QColor(215, 150, 15), brown, 7);
    painter.setPen(QPen(brown, 0.8));
    painter.setBrush(QColor(255, 250, 220));
    const qreal middle = kWinnerSize.height() / 2.0;
    painter.drawPath(star(QPointF(13, middle), 7, 3));
    painter.drawPath(star(QPointF(kWinnerSize.width() - 13, middle), 7, 3));
    drawText(painter, rect, QStringLiteral("WINNER"), dejaVu(15, true), brown,
             QColor(255, 245, 190));
    painter.end();
    return QPixmap::fromImage(image);
}

QPixmap backgroundTile()
{
    QImage image(kTile, kTile, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(24, 40, 88));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // Two faint letter tiles, kept clear of the edges so the tiling shows no seams.
    painter.setPen(QPen(QColor(40, 60, 118), 1));
    painter.setBrush(QColor(28, 46, 98));
    painter.drawRoundedRect(QRectF(3.5, 3.5, 25, 25), 4, 4);
    painter.drawRoundedRect(QRectF(35.5, 35.5, 25, 25), 4, 4);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(36, 56, 112));
    painter.drawEllipse(QPointF(48, 16), 2, 2);
    painter.drawEllipse(QPointF(16, 48), 2, 2);
    painter.end();
    return QPixmap::fromImage(image);
}

void tileBackground(QWidget *widget)
{
    QPalette tiled = widget->palette();
    tiled.setBrush(QPalette::Window, QBrush(backgroundTile()));
    widget->setPalette(tiled);
    widget->setAutoFillBackground(true);
}

QPixmap makerLogo()
{
    QImage image = canvas(kLogoSize);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QPainterPath vane;
    vane.moveTo(9, 50);
    vane.cubicTo(10, 30, 24, 10, 46, 3);
    vane.cubicTo(40, 18, 30, 34, 13, 47);
    vane.closeSubpath();
    QLinearGradient feather(QPointF(9, 50), QPointF(46, 3));
    feather.setColorAt(0, QColor(20, 45, 120));
    feather.setColorAt(1, QColor(40, 150, 175));
    painter.setPen(QPen(QColor(255, 255, 255, 170), 1.2));
    painter.setBrush(feather);
    painter.drawPath(vane);
    painter.setPen(QPen(QColor(230, 240, 250), 1.2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(11, 48), QPointF(40, 10));
    painter.setPen(QPen(QColor(20, 30, 70), 1.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(5, 54), QPointF(11, 48));

    // A thin light rim keeps the name readable on the dark board as well as on white.
    QPainterPath name;
    name.addText(QPointF(51, 30), dejaVu(26, true, QStringLiteral("DejaVu Serif")),
                 QStringLiteral("Quillmark"));
    painter.setPen(
        QPen(QColor(255, 255, 255, 200), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(name);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(20, 40, 110));
    painter.drawPath(name);
    QFont small = dejaVu(10, true);
    small.setLetterSpacing(QFont::AbsoluteSpacing, 4);
    painter.setFont(small);
    painter.setPen(QColor(40, 140, 165));
    painter.drawText(QRectF(52, 36, 157, 16), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("GAMES"));
    painter.end();
    return QPixmap::fromImage(image);
}

} // namespace Artwork
