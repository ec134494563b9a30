// The computer player: plays seat 2 while no client holds it, submitting
// words of the built-in list through the same judging as everybody's.

#include "server/tserver.h"

#include "common/random.h"
#include "net/messages.h"
#include "server/hostoptions.h"

void TServer::computertimerTimer()
{
    if (seats_[2].connected || seats_[2].held || !game_.roundon)
        return;
    if (options_ && !options_->computerPlays())
        return;
    if (Random::below(10) <= 3)
        return;
    if (game_.countdown <= 4)
        return;
    computerfindword();
}

void TServer::computerfindword()
{
    const QByteArray word =
        listbox_words_.findFitting(game_.wordlength, game_.prefix, kComputerAttempts);
    if (!word.isEmpty())
        sendword(Msg::Word{2, word});
}
