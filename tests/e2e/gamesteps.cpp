#include "gamesteps.h"

#include <QFile>
#include <QTest>

void writeHostSettings(const QString &home, int rounds, int seconds)
{
    QFile file(home + QStringLiteral("/quillmarklobby.ini"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Lexiclash]\nPlaytoscore=" + QByteArray::number(rounds) + "\nTimeperturn=" +
               QByteArray::number(seconds) + "\nGametype=0\nBotspeed=10\nPlaysounds=false\n");
}

QByteArray wordWithPrefix(const GameProcess &copy, const QByteArray &prefix,
                          const QList<QByteArray> &avoid)
{
    const QStringList lists = copy.wordLists();
    if (lists.size() != 1)
        return {};
    QFile file(lists.first());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = file.readAll();
    for (qsizetype at = 0; at + 15 <= all.size(); at += 15) {
        const QByteArray word = all.mid(at + 1, 14).trimmed();
        if (word.startsWith(prefix) && word.size() > prefix.size() && !avoid.contains(word))
            return word;
    }
    return {};
}

bool seatShows(GameProcess &copy, int seat, const QString &name)
{
    return GameProcess::waitFor(
        [&] { return copy.text(QStringLiteral("label_playername%1").arg(seat)) == name; });
}

bool startHosting(GameProcess &host, const QString &player)
{
    return host.start({player, QStringLiteral("127.0.0.1"), QStringLiteral("true")}) &&
           seatShows(host, 1, player);
}

bool startJoining(GameProcess &copy, const QString &player, GameProcess &watcher, int seat)
{
    return copy.start({player, QStringLiteral("127.0.0.1"), QStringLiteral("false")}) &&
           seatShows(watcher, seat, player);
}

bool startGame(GameProcess &host)
{
    if (host.command("click button_start") != "ok")
        return false;
    if (!GameProcess::waitFor([&] { return host.command("visible gamestart") == "ok 1"; }))
        return false;
    return host.command("click gamestart/Image1") == "ok";
}

void enterWord(GameProcess &copy, const QByteArray &word)
{
    // The field shows once the copy itself has taken the round's start.
    QVERIFY(GameProcess::waitFor([&] { return copy.command("visible edit_word") == "ok 1"; }));
    QCOMPARE(copy.command("type edit_word " + word), QByteArray("ok"));
    QCOMPARE(copy.command("key edit_word Return"), QByteArray("ok"));
}

Msg::StartRound lastRound(const RawClient &client)
{
    return Msg::readStartround(splitMessage(client.withCommand(Cmd::startround).last()).body);
}

bool waitCount(RawClient &client, const QByteArray &command, int count, int timeoutMs)
{
    return GameProcess::waitFor(
        [&] {
            client.poll(10);
            return client.withCommand(command).size() >= count;
        },
        timeoutMs);
}
