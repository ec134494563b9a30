#pragma once

#include <QPixmap>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

// The game's pictures, drawn in code with the DejaVu fonts so that they look
// the same on every machine, the offscreen platform included.
namespace Artwork {

inline constexpr QSize kErrorBannerSize{195, 21};
inline constexpr QSize kCheckSize{34, 21};
inline constexpr QSize kLogoSize{209, 55};

// The refusal banner of reason 0 to 3 (white letters on orange, 195 x 21);
// a null pixmap for any other reason.
QPixmap errorBanner(int reason);
// The words on that banner ("Incorrect Word Length", "Invalid Word",
// "Already Guessed", "Incorrect Primer"); empty for any other reason.
QString errorBannerText(int reason);
// Check picture 0 (unchecked box) or 1 (checked box), 34 x 21; null otherwise.
QPixmap checkPicture(int index);
// The green picture button reading START GAME.
QPixmap startGameButton();
// The red picture button reading I GIVE UP.
QPixmap giveUpButton();
// The word entry box reading ENTER YOUR WORDS, with a white well for the field.
QPixmap wordEntryBox();
// Where the word field sits on the entry box, in the box's coordinates.
QRect wordEntryFieldRect();
// The banner for a client that does not play: "You are not playing" over
// "GAME IS FULL"; the same size as the entry box, whose place it takes.
QPixmap gameFullBanner();
// The gold picture reading WINNER for a score panel.
QPixmap winnerPicture();
// The small square tile of the windows' background, meant to be repeated.
QPixmap backgroundTile();
// Fills widget's background with the repeated tile.
void tileBackground(QWidget *widget);
// The maker's logo on a transparent ground, 209 x 55.
QPixmap makerLogo();

} // namespace Artwork
