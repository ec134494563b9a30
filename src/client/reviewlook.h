#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

#include <map>

struct WordMeaning;
class QLabel;
class QWidget;

// The look of the board for the windows that look back at a round or a game:
// the dark tile behind, light text, and the seats' colours as small swatches
// (the seats' own colours are too dark to be read as text on the tile).
namespace ReviewLook {

// Captions: light blue, 5.9:1 on the lightest part of the tile.
inline const QColor kCaption(170, 190, 235);
// Figures and names: white.
inline const QColor kText(255, 255, 255);
// Titles and the best word: the board's highlight yellow.
inline const QColor kHighlight(255, 226, 120);
// Background of lists and the chart: darker than the tile.
inline const QColor kField(10, 20, 60);

// Gives a window the tile background and light text, and its lists a dark field.
void apply(QWidget *window);
// Sets a label's text colour and, when bold, its weight.
void colour(QLabel *label, const QColor &colour, bool bold = false);
// A small square in the seat's colour with a light rim, for list rows.
QIcon seatSwatch(int seat);
// The seat's name in names, or "Seat N" when it has none.
QString seatName(const std::map<int, QString> &names, int seat);
// A word's meaning as the review shows it, or a plain line when WordNet lacks it.
QString meaningText(const WordMeaning &meaning);
// How common a word of that level is, in words ("very common" to "very rare").
QString levelName(int level);

} // namespace ReviewLook
