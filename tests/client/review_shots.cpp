// Takes the pictures of the review panel shown in the README, from the real
// main window fed by the real dispatcher and game model with a game of six
// players with long names over twelve rounds and two tie-breaks. Run by hand
// on a screen of a desktop's size at 96 dpi, for example:
//   QT_QPA_PLATFORM=offscreen:configfile=tests/client/screen-1280x1024.json review_shots docs
// It writes review.png (the review of the one-letter first round), meaning.png
// (a word's meaning shown), summary.png (the summary with its chart) and
// totals.png (the chart's running totals), the fourth round picked on both.
#include "client/gamesummarywindow.h"
#include "client/reviewwindows.h"
#include "client/roundchart.h"
#include "client/roundreviewwindow.h"
#include "client/tchat.h"
#include "dict/tdictn.h"
#include "model/gamemodel.h"
#include "net/messages.h"
#include "windowsupport.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QPushButton>
#include <QTreeWidget>

#include <array>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: review_shots FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const auto save = [&](QWidget *window, const char *name) {
        QApplication::processEvents();
        return savePicture(window->grab(), folder.filePath(QString::fromLatin1(name)));
    };
    Tchat chat;
    chat.move(0, 0);
    showAsHost(chat, 1);
    const TDictn dictionary;
    seatSixLongNames(chat);
    receive(chat, Msg::startgame("Alexandrina Montgomeryss", 12, 60, 8));

    const QList<QByteArray> letters = {"S",  "CA", "BR", "ST", "PL", "CON",
                                       "TR", "M",  "RE", "DE", "P",  "GR"};
    std::array<Msg::SeatScore, 6> scores{};
    bool saved = true;
    for (int r = 0; r < letters.size(); ++r) {
        playRound(chat, r + 1, roundOfSix(dictionary, letters[r], r % 3 == 0 ? 0 : 5, 3), scores);
        if (r != 0)
            continue;
        saved = save(&chat, "review.png") && saved;
        // A word's meaning, as a click on it shows it.
        RoundReviewWindow *review = chat.reviews->review;
        QTreeWidgetItem *common = review->tree_missed->topLevelItem(0);
        if (common->childCount() > 2)
            review->tree_missed->setCurrentItem(common->child(2));
        review->tree_missed->setFocus();
        emit review->tree_missed->itemActivated(review->tree_missed->currentItem(), 0);
        saved = save(&chat, "meaning.png") && saved;
    }
    for (int t = 0; t < 2; ++t)
        playRound(chat, 13 + t, roundOfSix(dictionary, t == 0 ? "B" : "H", 4, 1), scores);
    receive(chat, Msg::winner(1));
    // The fourth round picked with the keyboard: its figures above the plot.
    RoundChart *chart = chat.reviews->summary->chart;
    chart->setFocus();
    for (int i = 0; i < 4; ++i) {
        QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(chart, &right);
    }
    saved = save(&chat, "summary.png") && saved;
    chat.reviews->summary->button_totals->click();
    saved = save(&chat, "totals.png") && saved;
    return saved ? 0 : 1;
}
