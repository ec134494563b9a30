#include "windowsupport.h"

#include "client/gameview.h"
#include "client/soundplayer.h"
#include "client/tchat.h"
#include "dict/tdictn.h"
#include "model/gamemodel.h"
#include "net/servermessage.h"
#include "session/clientsession.h"
#include "shell/windowwiring.h"

#include <QPixmap>
#include <QTimer>

#include <cstdio>

void receive(Tchat &chat, const QByteArray &message)
{
    chat.session->received(message);
    while (!chat.session->receivedlist.isEmpty())
        chat.session->processsocktimer();
}

void showAsHost(Tchat &chat, int seat)
{
    chat.gameview->sounds()->setSink([](const QString &) {});
    chat.model->apply(Msg::SendLoginInfo{seat});
    chat.state.hosting = true;
    chat.resize(chat.state.defaultwidth, chat.state.defaultheight);
    chat.show();
    chat.model->turntime->stop();
}

void playRound(Tchat &chat, int number, const FedRound &round,
               std::array<Msg::SeatScore, 6> &scores)
{
    for (int seat = 1; seat <= 6; ++seat)
        scores[std::size_t(seat - 1)].seat = seat;
    receive(chat, Msg::startround({number, 60, round.length, round.prefix, 1, "CONTEST"}));
    chat.model->turntime->stop();
    for (Msg::SeatScore &score : scores)
        score.roundWords = score.roundPoints = 0;
    for (const auto &[seat, word] : round.words) {
        const int points = int(word.size());
        receive(chat, Msg::gotword(seat, word, points));
        Msg::SeatScore &score = scores[std::size_t(seat - 1)];
        ++score.roundWords;
        ++score.gameWords;
        score.roundPoints += points;
    }
    for (Msg::SeatScore &score : scores)
        score.total += score.roundPoints;
    receive(chat, Msg::endround(scores));
}

void seatSixLongNames(Tchat &chat)
{
    const QList<QByteArray> names = {"Alexandrina Montgomeryss", "Bartholomew Fitzgeraldes",
                                     "Constantina Wellingtonia", "Maximilian Throckmortons",
                                     "Evangelina Worthingtonn",  "Klot the Computer Player"};
    receive(chat, Msg::newplayerinfo(1, names[0]));
    for (int seat = 2; seat <= 6; ++seat)
        receive(chat, Msg::existingplayers(seat, names[seat - 1]));
}

FedRound roundOfSix(const TDictn &dictionary, const QByteArray &prefix, int length, int each)
{
    FedRound round{prefix, length, {}};
    // Seat n finds each - (n - 1) % each words, at least one: the scores spread out.
    std::array<int, 6> left{};
    int wanted = 0;
    for (int seat = 1; seat <= 6; ++seat)
        wanted += left[std::size_t(seat - 1)] = std::max(1, each - (seat - 1) % std::max(1, each));
    int seat = 0;
    int skip = 0;
    dictionary.forEachWithPrefix(QString::fromLatin1(prefix), [&](QByteArrayView word) {
        if ((length != 0 && word.size() != length) || ++skip % 7 != 0)
            return true;
        for (int tries = 0; tries < 6 && left[std::size_t(seat)] == 0; ++tries)
            seat = (seat + 1) % 6;
        --left[std::size_t(seat)];
        round.words.append({seat + 1, word.toByteArray()});
        seat = (seat + 1) % 6;
        return --wanted > 0;
    });
    return round;
}

bool savePicture(const QPixmap &picture, const QString &path)
{
    if (picture.save(path))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

QList<QWidget *> AllWindows::all()
{
    return {&chat, &gamestart, &phrases, &spylist, &tally, &about, &help};
}

QWidget *AllWindows::byName(const QString &name)
{
    for (QWidget *window : all()) {
        if (window->objectName() == name)
            return window;
    }
    return nullptr;
}

SoloTable::SoloTable()
{
    WindowSet windows;
    windows.gamestart = &gamestart;
    windows.serverListener = server.Sock1();
    windows.tally = &tally;
    windows.tallyRecorder = &tally;
    wireWindows(chat, windows);
    server.setHostOptions(&chat);
    chat.setParameters({});
}
