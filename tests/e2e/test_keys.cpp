// Keys never reach the chat unless the player moves there: a real hosting
// copy typed at through the keyboard, wherever the keyboard is, as the round
// ends, in the round review and at the next round's start, and a raw client
// in the game that records every line the server relays.

#include "gameprocess.h"
#include "gamesteps.h"
#include "loopbackport.h"
#include "net/messages.h"
#include "rawclient.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {
// True once the copy's keyboard is in that widget ("window/widget").
bool keyboardIn(GameProcess &copy, const QByteArray &widget)
{
    return GameProcess::waitFor([&] { return copy.command("focus") == "ok " + widget; });
}

// Types on the copy's keyboard, with Return when wanted, and lets the keys
// be handled: the answer to the next command comes after them.
void type(GameProcess &copy, const QByteArray &text, bool enter)
{
    QCOMPARE(copy.command("keyboard " + text), QByteArray("ok"));
    if (enter)
        QCOMPARE(copy.command("enter"), QByteArray("ok"));
    QVERIFY(copy.command("focus").startsWith("ok"));
}
} // namespace

class KeysTest : public QObject {
    Q_OBJECT

private slots:
    void keysTypedBetweenRoundsNeverReachTheChat();
};

void KeysTest::keysTypedBetweenRoundsNeverReachTheChat()
{
    QTemporaryDir root(QDir::currentPath() + QStringLiteral("/keysXXXXXX"));
    const quint16 port = unusedLoopbackPort();
    GameProcess host(root.path(), QStringLiteral("host"), port);
    writeHostSettings(host.home(), 2);
    QVERIFY(startHosting(host, QStringLiteral("Hostess")));
    RawClient robo;
    QVERIFY(robo.connectTo(port));
    QVERIFY(robo.login("Robo"));
    QVERIFY(seatShows(host, 2, QStringLiteral("Robo")));

    QVERIFY(startGame(host));
    // The game start window has closed; a window manager makes the main
    // window active again (the offscreen platform has none).
    QCOMPARE(host.command("activate chat"), QByteArray("ok"));
    QVERIFY(waitCount(robo, Cmd::startround, 1));

    // Round 1 starts with the keyboard in the word box.
    QVERIFY(GameProcess::waitFor([&] { return host.command("visible edit_word") == "ok 1"; }));
    QVERIFY(keyboardIn(host, "chat/edit_word"));

    // The round ends while the player types.
    QCOMPARE(host.command("click button_igiveup"), QByteArray("ok"));
    robo.send(Msg::giveup(robo.seat()));
    QVERIFY(waitCount(robo, Cmd::endround, 1));
    type(host, "leakasitends", false);
    QVERIFY(GameProcess::waitFor([&] { return host.command("visible edit_word") == "ok 0"; }));
    type(host, "leakatend", false);
    QVERIFY(!host.command("focus").endsWith("/mychat"));

    // The player clicks into the round review beside the board and types
    // there; the keyboard is still there when the next round starts.
    QVERIFY(GameProcess::waitFor([&] { return host.command("visible RoundReview") == "ok 1"; }));
    QCOMPARE(host.command("activate chat"), QByteArray("ok"));
    QCOMPARE(host.command("click tree_found"), QByteArray("ok"));
    QVERIFY(keyboardIn(host, "chat/tree_found"));
    type(host, "leakinreview", false);

    // Round 2 takes the keyboard into the word box.
    QVERIFY(waitCount(robo, Cmd::startround, 2));
    QVERIFY(keyboardIn(host, "chat/edit_word"));
    type(host, "wordbox", false);
    QCOMPARE(host.text(QStringLiteral("edit_word")), QStringLiteral("wordbox"));
    type(host, QByteArray(), true);
    // The other player finds a word, so the game has a winner after round 2.
    const QByteArray prefix =
        Msg::readStartround(splitMessage(robo.withCommand(Cmd::startround).last()).body).prefix;
    const QByteArray word = wordWithPrefix(host, prefix);
    QVERIFY2(!word.isEmpty(), prefix.constData());
    robo.send(Msg::sendword(robo.seat(), word));
    QVERIFY(robo.waitFor("CMD_gotword+2+" + word + "+"));
    QCOMPARE(host.command("click button_igiveup"), QByteArray("ok"));
    robo.send(Msg::giveup(robo.seat()));
    QVERIFY(robo.waitFor(Cmd::winner));
    QVERIFY(GameProcess::waitFor([&] { return host.command("visible edit_word") == "ok 0"; }));

    // Back in the main window after the game, keys and Return go nowhere.
    QVERIFY(GameProcess::waitFor([&] { return host.command("visible GameSummary") == "ok 1"; }));
    QCOMPARE(host.command("activate chat"), QByteArray("ok"));
    QVERIFY(GameProcess::waitFor([&] { return host.command("focus").startsWith("ok chat/"); }));
    QVERIFY(!host.command("focus").endsWith("/mychat"));
    type(host, "leakinmain", true);

    // Only when the player moves into the chat do the keys go there.
    QCOMPARE(host.command("click mychat"), QByteArray("ok"));
    QVERIFY(keyboardIn(host, "chat/mychat"));
    type(host, "meant for all", true);
    QVERIFY(robo.waitFor("CMD_chat+Hostess chats: meant for all"));
    robo.poll(300);

    const QList<QByteArray> relayed = robo.withCommand(Cmd::chat) + robo.withCommand(Cmd::action);
    QCOMPARE(relayed.size(), 1);
    const QString pane = host.text(QStringLiteral("mainchat")).toLower();
    for (const char *leak : {"leak", "wordbox"}) {
        QVERIFY2(!relayed.first().toLower().contains(leak), relayed.first().constData());
        QVERIFY2(!pane.contains(QLatin1String(leak)), qPrintable(pane));
    }
    QCOMPARE(host.command("close"), QByteArray("ok"));
    QVERIFY(host.waitExit());
}

QTEST_GUILESS_MAIN(KeysTest)
#include "test_keys.moc"
