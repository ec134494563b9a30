// Takes the two pictures of the game view shown in the README: a running
// round (board, word list, countdown) and the score panels after the last
// round, and optionally the game start window. Run by hand on the offscreen
// platform:
//   QT_QPA_PLATFORM=offscreen gameview_shots docs/round.png docs/scores.png [start.png]
#include "client/chatpane.h"
#include "client/seatrows.h"
#include "client/tchat.h"
#include "dialogs/tgamestart.h"
#include "model/gamemodel.h"
#include "net/messages.h"
#include "windowsupport.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <array>
#include <cstdio>

namespace {

bool save(QWidget &window, const char *path)
{
    QApplication::processEvents();
    return savePicture(window.grab(), QString::fromLocal8Bit(path));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: gameview_shots ROUND.png SCORES.png [START.png]\n");
        return 2;
    }
    Tchat chat;
    showAsHost(chat, 1);

    receive(chat, Msg::newplayerinfo(1, "Ann"));
    receive(chat, Msg::existingplayers(2, "Klot"));
    receive(chat, Msg::existingplayers(3, "Marcus"));
    receive(chat, Msg::existingplayers(4, "Jo"));
    receive(chat, Msg::startgame("Ann", 5, 60, 0));
    receive(chat, Msg::startround({3, 60, 0, "BA", 1, "BANDIT"}));
    chat.model->turntime->stop();
    const struct {
        int seat;
        const char *word;
    } found[] = {{1, "BAKER"}, {2, "BALL"},   {3, "BANANA"}, {1, "BASKET"},
                 {4, "BAT"},   {3, "BARREL"}, {2, "BADGE"},  {1, "BALCONY"}};
    for (const auto &f : found)
        receive(chat, Msg::gotword(f.seat, f.word, int(qstrlen(f.word))));
    receive(chat, Msg::notvalid(1, 2));
    for (int i = 0; i < 43; ++i)
        chat.model->turntimeTimer();
    if (!save(chat, argv[1]))
        return 1;

    std::array<Msg::SeatScore, 6> scores{};
    scores[0] = {1, 58, 14, 3, 18};
    scores[1] = {2, 47, 12, 2, 9};
    scores[2] = {3, 52, 13, 2, 11};
    scores[3] = {4, 21, 6, 1, 3};
    receive(chat, Msg::endround(scores));
    receive(chat, Msg::winner(1));
    if (!save(chat, argv[2]))
        return 1;
    if (argc == 3)
        return 0;
    Tgamestart gamestart;
    gamestart.checkimage(QStringLiteral("image_letters6"));
    gamestart.show();
    return save(gamestart, argv[3]) ? 0 : 1;
}
