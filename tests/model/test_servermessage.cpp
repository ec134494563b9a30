#include "net/servermessage.h"

#include <QtTest>

#include <type_traits>

namespace {

QByteArray num(int value)
{
    return QByteArray::number(value);
}

// The decoded value as its kind followed by its fields as text, so one table
// holds every command.
QByteArrayList describe(const ServerMessage &message)
{
    return std::visit(
        [](const auto &m) -> QByteArrayList {
            using T = std::decay_t<decltype(m)>;
            if constexpr (std::is_same_v<T, Msg::Ignored>)
                return {"ignored", m.command};
            else if constexpr (std::is_same_v<T, Msg::Dropped>)
                return {"dropped", m.command};
            else if constexpr (std::is_same_v<T, Msg::SendLoginInfo>)
                return {"login", num(m.seat)};
            else if constexpr (std::is_same_v<T, Msg::Arrival>)
                return {m.existing ? "existing" : "new", num(m.player.seat), m.player.name};
            else if constexpr (std::is_same_v<T, Msg::Relayed>)
                return {m.action ? "action" : "chat", m.line.line, m.line.colour,
                        m.line.hasColour ? "colour" : "no colour"};
            else if constexpr (std::is_same_v<T, Msg::WrongVersion>)
                return {"wrongversion"};
            else if constexpr (std::is_same_v<T, Msg::HaveWrongVersion>)
                return {"havewrongversion", m.name};
            else if constexpr (std::is_same_v<T, Msg::Full>)
                return {"full"};
            else if constexpr (std::is_same_v<T, Msg::Departure>)
                return {"departure", m.seatText, num(m.seat), m.name};
            else if constexpr (std::is_same_v<T, Msg::StartGame>)
                return {"startgame", m.name, num(m.rounds), num(m.seconds), num(m.lengthCode)};
            else if constexpr (std::is_same_v<T, Msg::StartRound>)
                return {"startround", num(m.round), num(m.seconds), num(m.length),
                        m.prefix,     num(m.seat),  m.starter};
            else if constexpr (std::is_same_v<T, Msg::Winner>)
                return {"winner", num(m.seat)};
            else if constexpr (std::is_same_v<T, Msg::EndRound>) {
                QByteArrayList out{"endround"};
                for (const Msg::SeatScore &s : m.scores)
                    out << num(s.seat) + ':' + num(s.total) + ':' + num(s.gameWords) + ':' +
                               num(s.roundWords) + ':' + num(s.roundPoints);
                return out;
            } else if constexpr (std::is_same_v<T, Msg::NotValid>)
                return {"notvalid", num(m.seat), num(m.reason)};
            else if constexpr (std::is_same_v<T, Msg::GotWord>)
                return {"gotword", num(m.seat), m.word, num(m.length)};
            else if constexpr (std::is_same_v<T, Msg::LoadStats>) {
                QByteArrayList out{"loadstats",    num(m.seat),       num(m.rounds),
                                   num(m.seconds), num(m.lengthCode), num(m.round),
                                   num(m.length),  m.prefix,          num(m.remaining)};
                for (const auto &[seat, total] : m.totals)
                    out << num(seat) + ':' + num(total);
                return out;
            } else if constexpr (std::is_same_v<T, Msg::SeatToken>)
                return {"seattoken", num(m.seat), m.token, num(m.graceSeconds)};
            else if constexpr (std::is_same_v<T, Msg::Rejoined>)
                return {"rejoined", num(m.seat)};
            else if constexpr (std::is_same_v<T, Msg::SeatGone>)
                return {"seatfreed", num(m.seat), num(static_cast<int>(m.reason))};
            else if constexpr (std::is_same_v<T, Msg::PlayerLost>)
                return {"playerlost", num(m.seat)};
            else if constexpr (std::is_same_v<T, Msg::PlayerBack>)
                return {"playerback", num(m.seat)};
            else if constexpr (std::is_same_v<T, Msg::Pong>)
                return {"pong", num(m.seat)};
            else if constexpr (std::is_same_v<T, Msg::HostEnded>)
                return {"hostended"};
            else if constexpr (std::is_same_v<T, Msg::Leader>)
                return {"leader", num(m.seat)};
        },
        message);
}

// A message as it is queued: the builder's text without its terminator.
QByteArray queued(QByteArray message)
{
    message.chop(1);
    return message;
}

QByteArray sixScores()
{
    std::array<Msg::SeatScore, 6> scores{};
    scores[0] = {1, 12, 4, 2, 7};
    scores[2] = {3, 9, 3, 1, 5};
    return queued(Msg::endround(scores));
}

} // namespace

class TestServerMessage : public QObject {
    Q_OBJECT
private slots:
    void decodes_data();
    void decodes();
    void drops_data();
    void drops();
};

void TestServerMessage::decodes_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArrayList>("expected");

    QTest::newRow("sendlogininfo") << queued(Msg::sendlogininfo(3)) << QByteArrayList{"login", "3"};
    QTest::newRow("newplayerinfo")
        << queued(Msg::newplayerinfo(3, "Ann")) << QByteArrayList{"new", "3", "Ann"};
    QTest::newRow("existingplayers")
        << queued(Msg::existingplayers(1, "Bob")) << QByteArrayList{"existing", "1", "Bob"};
    QTest::newRow("name with plus")
        << QByteArray("CMD_newplayerinfo+8+C+D") << QByteArrayList{"new", "8", "C+D"};
    QTest::newRow("chat relay") << queued(Msg::chatRelay("Ann", "a+b|clRed"))
                                << QByteArrayList{"chat", "Ann chats: a+b", "clRed", "colour"};
    QTest::newRow("action relay without colour")
        << QByteArray("CMD_action+Ann waves")
        << QByteArrayList{"action", "Ann waves", "", "no colour"};
    QTest::newRow("wrongversion") << queued(Msg::wrongversion()) << QByteArrayList{"wrongversion"};
    QTest::newRow("havewrongversion")
        << queued(Msg::havewrongversion("Bob")) << QByteArrayList{"havewrongversion", "Bob"};
    QTest::newRow("full") << queued(Msg::full()) << QByteArrayList{"full"};
    QTest::newRow("playerdisconnected") << queued(Msg::playerdisconnected(2, "Ann"))
                                        << QByteArrayList{"departure", "2", "2", "Ann"};
    QTest::newRow("startgame") << queued(Msg::startgame("C++ fan", 3, 90, 8))
                               << QByteArrayList{"startgame", "C++ fan", "3", "90", "8"};
    QTest::newRow("startround") << queued(Msg::startround({6, 60, 0, "BA", 1, "BASIC"}))
                                << QByteArrayList{"startround", "6", "60", "0", "BA", "1", "BASIC"};
    QTest::newRow("gotword") << queued(Msg::gotword(3, "BAT", 3))
                             << QByteArrayList{"gotword", "3", "BAT", "3"};
    QTest::newRow("notvalid") << queued(Msg::notvalid(3, 2))
                              << QByteArrayList{"notvalid", "3", "2"};
    QTest::newRow("endround six seats")
        << sixScores() << QByteArrayList{"endround",  "1:12:4:2:7", "2:0:0:0:0", "3:9:3:1:5",
                                         "4:0:0:0:0", "5:0:0:0:0",  "6:0:0:0:0"};
    QTest::newRow("winner") << queued(Msg::winner(1)) << QByteArrayList{"winner", "1"};
    QTest::newRow("loadstats") << queued(Msg::loadstats(
                                      {3, 5, 60, 8, 2, 4, "AB", -2, {{1, 10}, {2, 0}, {3, 7}}}))
                               << QByteArrayList{"loadstats", "3",  "5",  "60",   "8",   "2",
                                                 "4",         "AB", "-2", "1:10", "2:0", "3:7"};
    QTest::newRow("seattoken") << queued(
                                      Msg::seattoken({4, "00ff00ff00ff00ff00ff00ff00ff00ff", 120}))
                               << QByteArrayList{"seattoken", "4",
                                                 "00ff00ff00ff00ff00ff00ff00ff00ff", "120"};
    QTest::newRow("rejoined") << queued(Msg::rejoined(4)) << QByteArrayList{"rejoined", "4"};
    QTest::newRow("seatfreed, grace over") << queued(Msg::seatfreed(5, Msg::SeatFreed::GraceOver))
                                           << QByteArrayList{"seatfreed", "5", "0"};
    QTest::newRow("seatfreed, removed") << queued(Msg::seatfreed(5, Msg::SeatFreed::Removed))
                                        << QByteArrayList{"seatfreed", "5", "2"};
    QTest::newRow("seatfreed, unknown reason reads as the plainest")
        << QByteArray("CMD_seatfreed+5+9+") << QByteArrayList{"seatfreed", "5", "0"};
    QTest::newRow("playerlost") << queued(Msg::playerlost(2)) << QByteArrayList{"playerlost", "2"};
    QTest::newRow("playerback") << queued(Msg::playerback(2)) << QByteArrayList{"playerback", "2"};
    QTest::newRow("pong") << queued(Msg::pong(3)) << QByteArrayList{"pong", "3"};
    QTest::newRow("hostended") << queued(Msg::hostended()) << QByteArrayList{"hostended"};
    QTest::newRow("leader") << queued(Msg::leader(3)) << QByteArrayList{"leader", "3"};
    QTest::newRow("client-only rejoin command")
        << queued(Msg::rejoin({3, 2, "ab"})) << QByteArrayList{"ignored", "CMD_rejoin"};
    QTest::newRow("empty text") << QByteArray() << QByteArrayList{"ignored", ""};
    QTest::newRow("initial queue entry")
        << QByteArray("receivedlist") << QByteArrayList{"ignored", ""};
    QTest::newRow("empty command") << QByteArray("+1+") << QByteArrayList{"ignored", ""};
    QTest::newRow("server-only command")
        << queued(Msg::giveup(3)) << QByteArrayList{"ignored", "CMD_giveup"};
    QTest::newRow("command words are case-sensitive")
        << QByteArray("cmd_winner+1+") << QByteArrayList{"ignored", "cmd_winner"};
}

void TestServerMessage::decodes()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArrayList, expected);
    QCOMPARE(describe(decodeServerMessage(text)), expected);
}

void TestServerMessage::drops_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("command");

    QTest::newRow("login seat not a number")
        << QByteArray("CMD_sendlogininfo+x") << QByteArray("CMD_sendlogininfo");
    QTest::newRow("arrival seat not a number")
        << QByteArray("CMD_newplayerinfo+abc+Ann") << QByteArray("CMD_newplayerinfo");
    QTest::newRow("existing seat empty")
        << QByteArray("CMD_existingplayers++Ann") << QByteArray("CMD_existingplayers");
    QTest::newRow("departure seat empty")
        << QByteArray("CMD_playerdisconnected++Ann") << QByteArray("CMD_playerdisconnected");
    QTest::newRow("startgame rounds not a number")
        << QByteArray("CMD_startgame+Ann+five+60+0+") << QByteArray("CMD_startgame");
    QTest::newRow("startround seat not a number")
        << QByteArray("CMD_startround+1+60+0+BA+one+BASIC+") << QByteArray("CMD_startround");
    QTest::newRow("startround missing fields")
        << QByteArray("CMD_startround+1+60+") << QByteArray("CMD_startround");
    QTest::newRow("gotword length not a number")
        << QByteArray("CMD_gotword+3+BAT+three+") << QByteArray("CMD_gotword");
    QTest::newRow("gotword seat with a space")
        << QByteArray("CMD_gotword+ 3+BAT+3+") << QByteArray("CMD_gotword");
    QTest::newRow("gotword seat out of int range")
        << QByteArray("CMD_gotword+99999999999+BAT+3+") << QByteArray("CMD_gotword");
    QTest::newRow("notvalid reason empty")
        << QByteArray("CMD_notvalid+3++") << QByteArray("CMD_notvalid");
    QTest::newRow("winner empty") << QByteArray("CMD_winner++") << QByteArray("CMD_winner");
    QTest::newRow("winner missing") << QByteArray("CMD_winner+") << QByteArray("CMD_winner");
    // A last field needs its closing "+": without it the field is missing.
    QTest::newRow("startgame length code without closing plus")
        << QByteArray("CMD_startgame+Ann+5+60+0") << QByteArray("CMD_startgame");
    QTest::newRow("gotword length without closing plus")
        << QByteArray("CMD_gotword+3+BAT+3") << QByteArray("CMD_gotword");
    QTest::newRow("notvalid reason without closing plus")
        << QByteArray("CMD_notvalid+3+2") << QByteArray("CMD_notvalid");
    QTest::newRow("winner without closing plus")
        << QByteArray("CMD_winner+1") << QByteArray("CMD_winner");
    QTest::newRow("endround bad number")
        << QByteArray("CMD_endround+1+10+2+1+x") << QByteArray("CMD_endround");
    QTest::newRow("endround short group")
        << QByteArray("CMD_endround+1+10+2") << QByteArray("CMD_endround");
    QTest::newRow("loadstats half a pair")
        << QByteArray("CMD_loadstats+3+5+60+0+1+0+A+30+1") << QByteArray("CMD_loadstats");
    QTest::newRow("loadstats remaining not a number")
        << QByteArray("CMD_loadstats+3+5+60+0+1+0+A+soon+1+0") << QByteArray("CMD_loadstats");
    QTest::newRow("seattoken grace not a number")
        << QByteArray("CMD_seattoken+3+abc+long+") << QByteArray("CMD_seattoken");
    QTest::newRow("rejoined seat empty")
        << QByteArray("CMD_rejoined++") << QByteArray("CMD_rejoined");
}

void TestServerMessage::drops()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, command);
    const ServerMessage message = decodeServerMessage(text);
    const auto *dropped = std::get_if<Msg::Dropped>(&message);
    QVERIFY(dropped);
    QCOMPARE(dropped->command, command);
    QVERIFY(dropped->error.contains(QStringLiteral("is not a valid integer value")));
}

QTEST_GUILESS_MAIN(TestServerMessage)
#include "test_servermessage.moc"
