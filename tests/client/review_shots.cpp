// Takes the pictures of the round review and the game summary shown in the
// README, from the real windows fed by the real dispatcher and game model,
// and optionally a picture of the whole screen to see where they stand.
// Run by hand in an empty folder (the review writes the word list there):
//   review_shots docs/review.png docs/summary.png [screen.png]
#include "client/gamesummarywindow.h"
#include "client/reviewwindows.h"
#include "client/roundreviewwindow.h"
#include "client/tchat.h"
#include "model/gamemodel.h"
#include "net/messages.h"
#include "windowsupport.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

#include <array>
#include <cstdio>

namespace {

struct Found {
    int seat;
    const char *word;
};

struct Round {
    QByteArray prefix;
    int length;
    QList<Found> words;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: review_shots REVIEW.png SUMMARY.png [SCREEN.png]\n");
        return 2;
    }
    Tchat chat;
    chat.move(0, 0);
    showAsHost(chat, 1);

    receive(chat, Msg::newplayerinfo(1, "Ann"));
    receive(chat, Msg::existingplayers(2, "Klot"));
    receive(chat, Msg::existingplayers(3, "Marcus"));
    receive(chat, Msg::existingplayers(4, "Jo"));
    receive(chat, Msg::startgame("Ann", 3, 60, 8));

    const QList<Round> rounds = {
        {"CA",
         0,
         {{1, "CAT"}, {2, "CAMEL"}, {3, "CANDLE"}, {1, "CASTLE"}, {4, "CART"}, {3, "CAP"}}},
        {"BR", 5, {{1, "BREAD"}, {2, "BRAVE"}, {3, "BROOM"}, {1, "BRICK"}}},
        {"ST",
         0,
         {{2, "STRIPE"}, {1, "STONE"}, {3, "STAMP"}, {4, "STAB"}, {2, "STAR"}, {3, "STEMS"}}},
        {"PL", 4, {{3, "PLAN"}, {1, "PLUM"}, {3, "PLOT"}}},
    };
    std::array<Msg::SeatScore, 6> scores{};
    for (int seat = 1; seat <= 6; ++seat)
        scores[seat - 1].seat = seat;
    QPixmap review;
    for (qsizetype r = 0; r < rounds.size(); ++r) {
        const Round &round = rounds.at(r);
        receive(chat, Msg::startround({int(r) + 1, 60, round.length, round.prefix, 1, "CONTEST"}));
        chat.model->turntime->stop();
        for (Msg::SeatScore &score : scores)
            score.roundWords = score.roundPoints = 0;
        for (const Found &f : round.words) {
            const int points = int(qstrlen(f.word));
            receive(chat, Msg::gotword(f.seat, f.word, points));
            Msg::SeatScore &score = scores[f.seat - 1];
            ++score.roundWords;
            ++score.gameWords;
            score.roundPoints += points;
        }
        for (Msg::SeatScore &score : scores)
            score.total += score.roundPoints;
        receive(chat, Msg::endround(scores));
        QApplication::processEvents();
        if (r == 0)
            review = chat.reviews->review->grab();
    }
    receive(chat, Msg::winner(3));
    QApplication::processEvents();
    if (!savePicture(review, QString::fromLocal8Bit(argv[1])) ||
        !savePicture(chat.reviews->summary->grab(), QString::fromLocal8Bit(argv[2])))
        return 1;
    if (argc == 3)
        return 0;
    // The window system needs a moment to map and place the windows.
    QTimer::singleShot(1500, &app, [&] {
        const bool saved =
            savePicture(chat.screen()->grabWindow(0), QString::fromLocal8Bit(argv[3]));
        app.exit(saved ? 0 : 1);
    });
    return app.exec();
}
