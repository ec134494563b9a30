#pragma once

#include "net/messages.h"
#include "session/gameintents.h"

#include <QByteArray>
#include <QList>

// The player's intents as a window asks for them, each written down as the
// message the client session sends for it (seat and name as given here), so
// window tests compare with the message layouts. The session's own sending
// is tested against a real server.
struct IntentRecorder : GameIntents {
    int seat = 1;
    QByteArray name = "You";
    QList<QByteArray> sent;

    void sendWord(const QString &word) override { sent << Msg::sendword(seat, word.toUtf8()); }
    void giveUp() override { sent << Msg::giveup(seat); }
    void chat(const QString &text, const QString &colour) override
    {
        sent << Msg::chat(seat, text.toUtf8(), colour.toLatin1());
    }
    void act(const QString &text, const QString &colour) override
    {
        sent << Msg::action(seat, text.toUtf8(), colour.toLatin1());
    }
    void sayPhrase(const QString &phrase, const QString &colour) override
    {
        sent << Msg::actionSays(seat, phrase.toUtf8(), colour.toLatin1());
    }
    void kick(int target) override { sent << Msg::kickhim(seat, target); }
    void startGame(int rounds, int seconds, int gameType, bool showWords) override
    {
        sent << Msg::startgameRequest(name, rounds, seconds, gameType, showWords);
    }
};
