#include "realword.h"

#include "net/messages.h"
#include "rawclient.h"

#include <QFile>

namespace {

// The first word of the shipped list with the round's letters and length.
QByteArray fittingWord(const Msg::StartRound &round)
{
    QFile list(QStringLiteral(LEXICLASH_WORD_LIST));
    if (!list.open(QIODevice::ReadOnly))
        return {};
    const QByteArray records = list.readAll();
    for (qsizetype at = 0; at + 15 <= records.size(); at += 15) {
        const QByteArray entry = records.mid(at + 1, 14).trimmed();
        if (entry.startsWith(round.prefix) && entry.size() > round.prefix.size() &&
            (round.length == 0 || entry.size() == round.length))
            return entry;
    }
    return {};
}

} // namespace

void writeShortGameSettings(const GameProcess &copy)
{
    QFile settings(copy.home() + QStringLiteral("/quillmarklobby.ini"));
    if (settings.open(QIODevice::WriteOnly))
        settings.write(
            "[Lexiclash]\nPlaytoscore=1\nTimeperturn=120\nGametype=0\nPlaysounds=false\n");
}

bool hostAcceptsARealWord(GameProcess &host, quint16 port, QByteArray &why)
{
    RawClient player;
    if (!player.connectTo(port) || !player.login("Guest")) {
        why = "the player could not log in";
        return false;
    }
    if (host.command("click button_start") != "ok" ||
        !GameProcess::waitFor([&] { return host.command("visible gamestart") == "ok 1"; }) ||
        host.command("click gamestart/Image1") != "ok" || !player.waitFor(Cmd::startround)) {
        why = "no round started: " + host.log();
        return false;
    }
    const Msg::StartRound round =
        Msg::readStartround(splitMessage(player.withCommand(Cmd::startround).first()).body);
    const QByteArray word = fittingWord(round);
    if (word.isEmpty()) {
        why = "no word begins with " + round.prefix;
        return false;
    }
    if (!player.send(Msg::sendword(player.seat(), word)) ||
        !player.waitFor("CMD_gotword+" + QByteArray::number(player.seat()) + '+' + word + '+')) {
        why = word + " was not accepted: " + player.received().join('\n');
        return false;
    }
    return true;
}
