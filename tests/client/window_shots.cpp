// Takes pictures of the windows whose texts and colours matter most to the
// players: the status line in its longest states, the main window while its
// connection comes back, the score panels, the game start window, the phrase
// editor and the tally window. Run by hand:
//   QT_QPA_PLATFORM=offscreen window_shots OUTDIR
// (on X11 with DISPLAY set, the windows are the real ones of that server).
#include "client/dispatcher.h"
#include "client/tchat.h"
#include "dialogs/tgamestart.h"
#include "dialogs/tphrases.h"
#include "model/gamemodel.h"
#include "net/messages.h"
#include "tallywindow/ttallylist.h"
#include "windowsupport.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QTimer>

#include <array>
#include <cstdio>

namespace {

bool save(QWidget &window, const QString &path, QRect area = {})
{
    QApplication::processEvents();
    return savePicture(area.isNull() ? window.grab() : window.grab(area), path);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_shots OUTDIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    Tchat chat;
    showAsHost(chat, 7);

    receive(chat, Msg::newplayerinfo(1, "Bartholomew Featherstonehaugh"));
    receive(chat, Msg::existingplayers(2, "Klot"));
    receive(chat, Msg::existingplayers(3, "Marcus"));
    receive(chat, Msg::existingplayers(4, "Jo"));
    receive(chat, Msg::existingplayers(5, "Wilhelmina"));
    receive(chat, Msg::existingplayers(6, "Krazy"));
    receive(chat, Msg::startgame("Ann", 5, 60, 0));
    receive(chat, Msg::startround({3, 60, 0, "BA", 1, "BANDIT"}));
    chat.model->turntime->stop();
    QWidget *board = chat.findChild<QWidget *>(QStringLiteral("gameboard"));
    if (!board)
        return 1;
    const QRect statusArea(0, 0, board->width(), 100);
    bool ok = save(*board, out.filePath(QStringLiteral("status_turn.png")), statusArea);
    // The connection dropped: the chat and the status line say so.
    chat.dispatcher->sessionChanged(ClientSession::State::Reconnecting);
    ok = save(chat, out.filePath(QStringLiteral("reconnecting.png"))) && ok;
    chat.showreconnecting(12);
    ok = save(*board, out.filePath(QStringLiteral("status_reconnecting.png")), statusArea) && ok;
    chat.dispatcher->sessionChanged(ClientSession::State::Connected);

    std::array<Msg::SeatScore, 6> scores{};
    scores[0] = {1, 58, 14, 3, 18};
    scores[1] = {2, 47, 12, 2, 9};
    scores[2] = {3, 52, 13, 2, 11};
    scores[3] = {4, 21, 6, 1, 3};
    scores[4] = {5, 33, 9, 2, 7};
    scores[5] = {6, 40, 11, 3, 12};
    receive(chat, Msg::endround(scores));
    ok = save(*board, out.filePath(QStringLiteral("status_posting.png")), statusArea) && ok;
    ok = save(*board, out.filePath(QStringLiteral("scores.png"))) && ok;

    Tgamestart gamestart;
    gamestart.checkimage(QStringLiteral("image_letters6"));
    gamestart.show();
    ok = save(gamestart, out.filePath(QStringLiteral("gamestart.png"))) && ok;

    Tphrases phrases;
    for (int n = 1; n <= Tphrases::kPhrases; ++n)
        phrases.setPhrase(n, QStringLiteral("Phrase %1").arg(n));
    phrases.show();
    ok = save(phrases, out.filePath(QStringLiteral("phrases.png"))) && ok;

    Ttallylist tally;
    tally.show();
    ok = save(tally, out.filePath(QStringLiteral("tally.png"))) && ok;
    return ok ? 0 : 1;
}
