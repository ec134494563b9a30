#include "client/reviewlook.h"

#include "client/seatcolours.h"
#include "dict/wordmeanings.h"
#include "widgets/artwork.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace ReviewLook {

void apply(QWidget *window)
{
    QPalette palette = window->palette();
    palette.setBrush(QPalette::Window, QBrush(Artwork::backgroundTile()));
    palette.setColor(QPalette::WindowText, kText);
    palette.setColor(QPalette::Base, kField);
    palette.setColor(QPalette::AlternateBase, kField.lighter(130));
    palette.setColor(QPalette::Text, kText);
    palette.setColor(QPalette::Button, QColor(50, 75, 160));
    palette.setColor(QPalette::ButtonText, kText);
    palette.setColor(QPalette::Highlight, kHighlight);
    palette.setColor(QPalette::HighlightedText, QColor(10, 15, 50));
    palette.setColor(QPalette::PlaceholderText, kCaption);
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}

void colour(QLabel *label, const QColor &colour, bool bold)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    if (!bold)
        return;
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
}

QIcon seatSwatch(int seat)
{
    QPixmap swatch(14, 14);
    swatch.fill(Qt::transparent);
    QPainter painter(&swatch);
    painter.setPen(QPen(QColor(255, 255, 255, 200), 1));
    painter.setBrush(seatColour(seat));
    painter.drawRect(QRectF(0.5, 0.5, 13, 13));
    return QIcon(swatch);
}

QString seatName(const std::map<int, QString> &names, int seat)
{
    const auto found = names.find(seat);
    return found == names.end() || found->second.isEmpty() ? QStringLiteral("Seat %1").arg(seat)
                                                           : found->second;
}

QString meaningText(const WordMeaning &meaning)
{
    const QString word = QString::fromLatin1(meaning.word);
    if (meaning.senses.isEmpty())
        return QStringLiteral("%1: WordNet has no meaning for this word.").arg(word);
    QString text =
        meaning.base.isEmpty()
            ? word
            : QStringLiteral("%1 (a form of %2)").arg(word, QString::fromLatin1(meaning.base));
    for (const WordSense &sense : meaning.senses)
        text += QStringLiteral("\n%1: %2")
                    .arg(WordMeanings::partName(sense.part), QString::fromLatin1(sense.definition));
    return text;
}

QString levelName(int level)
{
    if (level <= 0)
        return QStringLiteral("not rated");
    if (level <= 10)
        return QStringLiteral("very common");
    if (level <= 20)
        return QStringLiteral("common");
    if (level <= 40)
        return QStringLiteral("familiar");
    if (level <= 55)
        return QStringLiteral("less common");
    if (level <= 60)
        return QStringLiteral("rare");
    return QStringLiteral("very rare");
}

} // namespace ReviewLook
