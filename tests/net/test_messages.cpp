#include "common/errors.h"
#include "net/framing.h"
#include "net/messages.h"

#include <QtTest>

#include <functional>

namespace {

const QByteArray FF(1, kTerminator);

QByteArray num(int value)
{
    return QByteArray::number(value);
}

// Reads a body with the named reader and lists what it read as text, so that
// one table can hold every layout.
using Decoder = std::function<QByteArrayList(const QByteArray &)>;

QByteArrayList decodeScores(const QList<Msg::SeatScore> &scores)
{
    QByteArrayList out;
    for (const Msg::SeatScore &s : scores)
        out << num(s.seat) << num(s.total) << num(s.gameWords) << num(s.roundWords)
            << num(s.roundPoints);
    return out;
}

const QHash<QString, Decoder> &decoders()
{
    static const QHash<QString, Decoder> table{
        {"sendlogininfo",
         [](const QByteArray &b) -> QByteArrayList { return {num(Msg::readSendlogininfo(b))}; }},
        {"logininfo",
         [](const QByteArray &b) -> QByteArrayList {
             const auto r = Msg::readLogininfo(b);
             return {num(r.seat), r.version, r.name};
         }},
        {"playerinfo",
         [](const QByteArray &b) -> QByteArrayList {
             const auto r = Msg::readPlayerinfo(b);
             return {num(r.seat), r.name};
         }},
        {"body", [](const QByteArray &b) -> QByteArrayList { return {b}; }},
        {"chat",
         [](const QByteArray &b) -> QByteArrayList {
             const auto r = Msg::readChat(b);
             return {num(r.seat), r.rest};
         }},
        {"relayed",
         [](const QByteArray &b) -> QByteArrayList {
             const auto r = Msg::readRelayed(b);
             return {r.line, r.colour, r.hasColour ? "colour" : "no colour"};
         }},
        {"playerdisconnected",
         [](const QByteArray &b) -> QByteArrayList {
             const auto r = Msg::readPlayerdisconnected(b);
             return {r.seatText, num(r.seat), r.name};
         }},
        {"kickhim",
         [](const QByteArray &b) -> QByteArrayList {
             const auto r = Msg::readKickhim(b);
             return {num(r.sender), num(r.target)};
         }},
        {"startgameRequest",
         [](const QByteArray &b) -> QByteArrayList {
             const auto r = Msg::readStartgameRequest(b);
             return {r.name, r.rounds, r.seconds, r.gameType, r.show};
         }},
        {"startgame",
         [](const QByteArray &b) -> QByteArrayList {
             const auto r = Msg::readStartgame(b);
             return {r.name, num(r.rounds), num(r.seconds), num(r.lengthCode)};
         }},
        {"startround",
         [](const QByteArray &b) -> QByteArrayList {
             const auto r = Msg::readStartround(b);
             return {num(r.round), num(r.seconds), num(r.length), r.prefix, num(r.seat), r.starter};
         }},
        {"sendword",
         [](const QByteArray &b) -> QByteArrayList {
             const auto r = Msg::readSendword(b);
             return {num(r.seat), r.word};
         }},
        {"gotword",
         [](const QByteArray &b) -> QByteArrayList {
             const auto r = Msg::readGotword(b);
             return {num(r.seat), r.word, num(r.length)};
         }},
        {"notvalid",
         [](const QByteArray &b) -> QByteArrayList {
             const auto r = Msg::readNotvalid(b);
             return {num(r.seat), num(r.reason)};
         }},
        {"giveup", [](const QByteArray &b) -> QByteArrayList { return {num(Msg::readGiveup(b))}; }},
        {"endround",
         [](const QByteArray &b) -> QByteArrayList { return decodeScores(Msg::readEndround(b)); }},
        {"winner", [](const QByteArray &b) -> QByteArrayList { return {num(Msg::readWinner(b))}; }},
        {"loadstats",
         [](const QByteArray &b) -> QByteArrayList {
             const auto r = Msg::readLoadstats(b);
             QByteArrayList out{num(r.seat),  num(r.rounds), num(r.seconds), num(r.lengthCode),
                                num(r.round), num(r.length), r.prefix,       num(r.remaining)};
             for (const auto &[seat, total] : r.totals)
                 out << num(seat) << num(total);
             return out;
         }},
    };
    return table;
}

std::array<Msg::SeatScore, 6> sampleScores()
{
    // Two players; the empty seats carry zeros and what a departed seat 5 left.
    return {{{1, 12, 3, 1, 5},
             {2, 9, 2, 0, 0},
             {3, 0, 0, 0, 0},
             {4, 0, 0, 0, 0},
             {5, 7, 2, 0, 0},
             {6, 0, 0, 0, 0}}};
}

Msg::LoadStats sampleLoadstats()
{
    Msg::LoadStats s;
    s.seat = 8;
    s.rounds = 5;
    s.seconds = 60;
    s.lengthCode = 8;
    s.round = 2;
    s.length = 4;
    s.prefix = "QU";
    s.remaining = -3;
    for (int seat = 1; seat <= 6; ++seat)
        s.totals.append({seat, seat == 1 ? 17 : 0});
    return s;
}

Msg::StartRound sampleStartround(int seat)
{
    Msg::StartRound r;
    r.round = 6;
    r.seconds = 45;
    r.length = 0;
    r.prefix = "STR";
    r.seat = seat;
    r.starter = "STRANGE";
    return r;
}

} // namespace

class TestMessages : public QObject {
    Q_OBJECT
private slots:
    void framing_data();
    void framing();
    void tailCap_data();
    void tailCap();
    void queueHandsOutOneMessagePerTake();
    void splitMessage_data();
    void splitMessage();
    void fieldReader_data();
    void fieldReader();
    void layouts_data();
    void layouts();
    void chatRelayKeepsPlusInText();
    void numberFieldsThatDoNotConvert_data();
    void numberFieldsThatDoNotConvert();
    void startgameRequestReadsText_data();
    void startgameRequestReadsText();
};

void TestMessages::framing_data()
{
    QTest::addColumn<QByteArrayList>("reads");
    QTest::addColumn<QByteArrayList>("messages");
    QTest::addColumn<qsizetype>("tail");

    const QByteArray giveup = "CMD_giveup+3+";
    const QByteArray chat = "CMD_chat+3+hello|clBlue";
    QTest::newRow("two messages in one read")
        << QByteArrayList{giveup + FF + chat + FF} << QByteArrayList{giveup, chat} << qsizetype(0);
    QTest::newRow("message split across reads")
        << QByteArrayList{"CMD_give", "up+3", "+" + FF} << QByteArrayList{giveup} << qsizetype(0);
    QTest::newRow("tail joined to the next read")
        << QByteArrayList{giveup + FF + "CMD_chat+3+hel", "lo|clBlue" + FF}
        << QByteArrayList{giveup, chat} << qsizetype(0);
    QTest::newRow("terminator alone in the next read")
        << QByteArrayList{giveup, FF} << QByteArrayList{giveup} << qsizetype(0);
    QTest::newRow("doubled terminator gives an empty text")
        << QByteArrayList{giveup + FF + FF + chat + FF} << QByteArrayList{giveup, "", chat}
        << qsizetype(0);
    QTest::newRow("terminators only")
        << QByteArrayList{FF + FF} << QByteArrayList{"", ""} << qsizetype(0);
    QTest::newRow("text without plus")
        << QByteArrayList{"hello" + FF} << QByteArrayList{"hello"} << qsizetype(0);
    QTest::newRow("unfinished message waits")
        << QByteArrayList{giveup + FF + "CMD_win"} << QByteArrayList{giveup} << qsizetype(7);
    QTest::newRow("empty read") << QByteArrayList{QByteArray()} << QByteArrayList{} << qsizetype(0);
    QTest::newRow("other bytes pass unchanged")
        << QByteArrayList{QByteArray("a\0b\xFE\x7F", 5) + FF}
        << QByteArrayList{QByteArray("a\0b\xFE\x7F", 5)} << qsizetype(0);
}

void TestMessages::framing()
{
    QFETCH(QByteArrayList, reads);
    QFETCH(QByteArrayList, messages);
    QFETCH(qsizetype, tail);

    Framer framer;
    QByteArrayList received;
    for (const QByteArray &read : reads)
        received += framer.feed(read);
    QCOMPARE(received, messages);
    QCOMPARE(framer.tailSize(), tail);
    QVERIFY(!framer.overflowed());
}

void TestMessages::tailCap_data()
{
    QTest::addColumn<QByteArrayList>("reads");
    QTest::addColumn<QByteArrayList>("messages");
    QTest::addColumn<bool>("overflowed");
    QTest::addColumn<qsizetype>("tail");

    const QByteArray atCap(Framer::kMaxTail, 'a');
    const QByteArray overCap(Framer::kMaxTail + 1, 'a');
    const QByteArray giveup = "CMD_giveup+3+";

    QTest::newRow("tail exactly at the cap is kept")
        << QByteArrayList{atCap} << QByteArrayList{} << false << Framer::kMaxTail;
    QTest::newRow("tail at the cap completes")
        << QByteArrayList{atCap, FF} << QByteArrayList{atCap} << false << qsizetype(0);
    QTest::newRow("one byte more overflows")
        << QByteArrayList{overCap} << QByteArrayList{} << true << qsizetype(0);
    QTest::newRow("cap passed over two reads")
        << QByteArrayList{atCap, "a"} << QByteArrayList{} << true << qsizetype(0);
    QTest::newRow("messages before the overflow survive")
        << QByteArrayList{giveup + FF + giveup + FF + overCap} << QByteArrayList{giveup, giveup}
        << true << qsizetype(0);
    QTest::newRow("reads after the overflow give nothing")
        << QByteArrayList{overCap, FF + giveup + FF} << QByteArrayList{} << true << qsizetype(0);
    QTest::newRow("a long complete message is no tail")
        << QByteArrayList{overCap + FF} << QByteArrayList{overCap} << false << qsizetype(0);
}

void TestMessages::tailCap()
{
    QFETCH(QByteArrayList, reads);
    QFETCH(QByteArrayList, messages);
    QFETCH(bool, overflowed);
    QFETCH(qsizetype, tail);

    Framer framer;
    QByteArrayList received;
    for (const QByteArray &read : reads)
        received += framer.feed(read);
    QCOMPARE(received, messages);
    QCOMPARE(framer.overflowed(), overflowed);
    QCOMPARE(framer.tailSize(), tail);
}

void TestMessages::queueHandsOutOneMessagePerTake()
{
    // A give-up and a chat line of seat 3 in one read: two texts, handled on
    // two ticks in the order they were sent; the tick after that finds nothing.
    Framer framer;
    ReceiveQueue queue;
    for (const QByteArray &text : framer.feed(Msg::giveup(3) + Msg::chat(3, "hi", "clBlue")))
        queue.push(text, 3);
    queue.push(Msg::winner(1).chopped(1));
    QCOMPARE(queue.size(), 3);

    QueuedMessage first = queue.take();
    QCOMPARE(first.text, QByteArray("CMD_giveup+3+"));
    QCOMPARE(first.origin, 3);
    QCOMPARE(queue.take().text, QByteArray("CMD_chat+3+hi|clBlue"));
    QueuedMessage third = queue.take();
    QCOMPARE(third.text, QByteArray("CMD_winner+1+"));
    QCOMPARE(third.origin, 0);
    QVERIFY(queue.isEmpty());

    const QueuedMessage idle = queue.take();
    QCOMPARE(idle.text, QByteArray());
    QCOMPARE(idle.origin, 0);
    QVERIFY(::splitMessage(idle.text).command.isEmpty());

    queue.push("CMD_full+");
    queue.clear();
    QVERIFY(queue.isEmpty());
    QCOMPARE(queue.size(), 0);
}

void TestMessages::splitMessage_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("command and body")
        << QByteArray("CMD_giveup+3+") << QByteArray("CMD_giveup") << QByteArray("3+");
    QTest::newRow("empty body") << QByteArray("CMD_full+") << QByteArray("CMD_full")
                                << QByteArray();
    QTest::newRow("no plus is an empty command")
        << QByteArray("CMD_full") << QByteArray() << QByteArray();
    QTest::newRow("empty text") << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("plus first") << QByteArray("+3+") << QByteArray() << QByteArray("3+");
    QTest::newRow("split at the first plus only")
        << QByteArray("CMD_chat+Ann chats: a+b|clRed") << QByteArray("CMD_chat")
        << QByteArray("Ann chats: a+b|clRed");
}

void TestMessages::splitMessage()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, body);

    const SplitMessage split = ::splitMessage(text);
    QCOMPARE(split.command, command);
    QCOMPARE(split.body, body);
}

void TestMessages::fieldReader_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArrayList>("fields");

    QTest::newRow("closing plus") << QByteArray("3+CAT+") << QByteArrayList{"3", "CAT"};
    // Text after the last "+" is not a field: it reads as a missing one.
    QTest::newRow("last field without closing plus")
        << QByteArray("3+CAT") << QByteArrayList{"3", ""};
    QTest::newRow("only field without closing plus") << QByteArray("3") << QByteArrayList{""};
    QTest::newRow("empty field between") << QByteArray("3++CAT+") << QByteArrayList{"3", "", "CAT"};
    QTest::newRow("only a plus") << QByteArray("+") << QByteArrayList{""};
    QTest::newRow("empty body") << QByteArray() << QByteArrayList{};
}

void TestMessages::fieldReader()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArrayList, fields);

    FieldReader reader(body);
    QByteArrayList read;
    while (!reader.atEnd())
        read << reader.next();
    QCOMPARE(read, fields);

    // Past the end every field is missing: empty text, and no number.
    QCOMPARE(reader.next(), QByteArray());
    QCOMPARE(reader.rest(), QByteArray());
    QVERIFY_THROWS_EXCEPTION(EConvertError, reader.nextInt());
}

void TestMessages::layouts_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QByteArrayList>("read");

    using L = QByteArrayList;
    const QByteArray clientBody = "a+b|clRed";

    QTest::newRow("sendlogininfo")
        << Msg::sendlogininfo(4) << "CMD_sendlogininfo+4" + FF << "sendlogininfo" << L{"4"};
    QTest::newRow("logininfo") << Msg::logininfo(4, "1.0.3", "Ann")
                               << "CMD_logininfo+4+1.0.3+Ann" + FF << "logininfo"
                               << L{"4", "1.0.3", "Ann"};
    QTest::newRow("logininfo, name with plus and blanks")
        << Msg::logininfo(2, "1.0.3", "C++ fan") << "CMD_logininfo+2+1.0.3+C++ fan" + FF
        << "logininfo" << L{"2", "1.0.3", "C++ fan"};
    QTest::newRow("newplayerinfo")
        << Msg::newplayerinfo(3, "Bob+Al") << "CMD_newplayerinfo+3+Bob+Al" + FF << "playerinfo"
        << L{"3", "Bob+Al"};
    QTest::newRow("existingplayers")
        << Msg::existingplayers(7, "Spy") << "CMD_existingplayers+7+Spy" + FF << "playerinfo"
        << L{"7", "Spy"};
    QTest::newRow("wrongversion") << Msg::wrongversion() << "CMD_wrongversion+" + FF << "body"
                                  << L{""};
    QTest::newRow("havewrongversion")
        << Msg::havewrongversion("Old+Timer") << "CMD_havewrongversion+Old+Timer" + FF << "body"
        << L{"Old+Timer"};
    QTest::newRow("full") << Msg::full() << "CMD_full+" + FF << "body" << L{""};
    QTest::newRow("chat") << Msg::chat(2, "a+b", "clRed") << "CMD_chat+2+a+b|clRed" + FF << "chat"
                          << L{"2", clientBody};
    QTest::newRow("action") << Msg::action(5, "smiles", "$00FF8000")
                            << "CMD_action+5+smiles|$00FF8000" + FF << "chat"
                            << L{"5", "smiles|$00FF8000"};
    QTest::newRow("action, phrase")
        << Msg::actionSays(1, "Good luck!", "clNavy") << "CMD_action+1+says: Good luck!|clNavy" + FF
        << "chat" << L{"1", "says: Good luck!|clNavy"};
    QTest::newRow("chat relay") << Msg::chatRelay("Ann", clientBody)
                                << "CMD_chat+Ann chats: a+b|clRed" + FF << "relayed"
                                << L{"Ann chats: a+b", "clRed", "colour"};
    QTest::newRow("action relay") << Msg::actionRelay("Bob", "says: hi|x|clNavy")
                                  << "CMD_action+Bob says: hi|x|clNavy" + FF << "relayed"
                                  << L{"Bob says: hi", "x|clNavy", "colour"};
    QTest::newRow("relay without colour")
        << Msg::chatRelay("", "plain") << "CMD_chat+ chats: plain" + FF << "relayed"
        << L{" chats: plain", "", "no colour"};
    QTest::newRow("playerdisconnected")
        << Msg::playerdisconnected(2, "Ann") << "CMD_playerdisconnected+2+Ann" + FF
        << "playerdisconnected" << L{"2", "2", "Ann"};
    QTest::newRow("kickhim") << Msg::kickhim(1, 4) << "CMD_kickhim+1+4+" + FF << "kickhim"
                             << L{"1", "4"};
    QTest::newRow("startgame request")
        << Msg::startgameRequest("You", 5, 60, 6, true) << "CMD_startgame+You+5+60+6+1+" + FF
        << "startgameRequest" << L{"You", "5", "60", "6", "1"};
    QTest::newRow("startgame request, hidden words, name with plus")
        << Msg::startgameRequest("C++", 10, 120, 0, false) << "CMD_startgame+C+++10+120+0+0+" + FF
        << "startgameRequest" << L{"C++", "10", "120", "0", "0"};
    QTest::newRow("startgame") << Msg::startgame("Ann", 5, 60, 8)
                               << "CMD_startgame+Ann+5+60+8+" + FF << "startgame"
                               << L{"Ann", "5", "60", "8"};
    QTest::newRow("startgame, name with plus")
        << Msg::startgame("+Ann+", 1, 30, 0) << "CMD_startgame++Ann++1+30+0+" + FF << "startgame"
        << L{"+Ann+", "1", "30", "0"};
    QTest::newRow("startround") << Msg::startround(sampleStartround(3))
                                << "CMD_startround+6+45+0+STR+3+STRANGE+" + FF << "startround"
                                << L{"6", "45", "0", "STR", "3", "STRANGE"};
    QTest::newRow("sendword") << Msg::sendword(3, "hello") << "CMD_sendword+3+hello+" + FF
                              << "sendword" << L{"3", "hello"};
    QTest::newRow("sendword, typed plus stays in the word")
        << Msg::sendword(3, "cat+xyz") << "CMD_sendword+3+cat+xyz+" + FF << "sendword"
        << L{"3", "cat+xyz"};
    QTest::newRow("sendword, empty word")
        << Msg::sendword(4, "") << "CMD_sendword+4++" + FF << "sendword" << L{"4", ""};
    QTest::newRow("gotword") << Msg::gotword(1, "HELLO", 5) << "CMD_gotword+1+HELLO+5+" + FF
                             << "gotword" << L{"1", "HELLO", "5"};
    QTest::newRow("notvalid") << Msg::notvalid(6, 3) << "CMD_notvalid+6+3+" + FF << "notvalid"
                              << L{"6", "3"};
    QTest::newRow("giveup") << Msg::giveup(3) << "CMD_giveup+3+" + FF << "giveup" << L{"3"};
    QTest::newRow("endround")
        << Msg::endround(sampleScores())
        << "CMD_endround+1+12+3+1+5+2+9+2+0+0+3+0+0+0+0+4+0+0+0+0+5+7+2+0+0+6+0+0+0+0" + FF
        << "endround"
        << L{"1", "12", "3", "1", "5", "2", "9", "2", "0", "0", "3", "0", "0", "0", "0",
             "4", "0",  "0", "0", "0", "5", "7", "2", "0", "0", "6", "0", "0", "0", "0"};
    QTest::newRow("winner") << Msg::winner(2) << "CMD_winner+2+" + FF << "winner" << L{"2"};
    QTest::newRow("loadstats") << Msg::loadstats(sampleLoadstats())
                               << "CMD_loadstats+8+5+60+8+2+4+QU+-3+1+17+2+0+3+0+4+0+5+0+6+0" + FF
                               << "loadstats"
                               << L{"8", "5", "60", "8", "2", "4", "QU", "-3", "1", "17",
                                    "2", "0", "3",  "0", "4", "0", "5",  "0",  "6", "0"};
}

void TestMessages::layouts()
{
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, wire);
    QFETCH(QString, reader);
    QFETCH(QByteArrayList, read);

    QCOMPARE(built, wire);

    // Through the receiving end: one framed text, its command, its fields.
    Framer framer;
    const QByteArrayList texts = framer.feed(built);
    QCOMPARE(texts.size(), 1);
    const SplitMessage split = ::splitMessage(texts.first());
    QCOMPARE(split.command + '+' + split.body + FF, wire);
    QVERIFY(split.command.startsWith("CMD_"));
    QVERIFY(decoders().contains(reader));
    QCOMPARE(decoders().value(reader)(split.body), read);
}

void TestMessages::chatRelayKeepsPlusInText()
{
    // Seat 2, named Ann, chats "a+b" in red: the server relays the rest of the
    // body untouched and everyone shows "Ann chats: a+b" in clRed.
    Framer serverSide;
    const QByteArrayList atServer = serverSide.feed(Msg::chat(2, "a+b", "clRed"));
    QCOMPARE(atServer.size(), 1);
    const SplitMessage request = ::splitMessage(atServer.first());
    QCOMPARE(request.command, QByteArray(Cmd::chat));
    const Msg::ChatLine line = Msg::readChat(request.body);
    QCOMPARE(line.seat, 2);

    const QByteArray relayed = Msg::chatRelay("Ann", line.rest);
    QCOMPARE(relayed, QByteArray("CMD_chat+Ann chats: a+b|clRed\xFF"));

    Framer clientSide;
    const QByteArrayList atClient = clientSide.feed(relayed);
    QCOMPARE(atClient.size(), 1);
    const Msg::RelayedLine shown = Msg::readRelayed(::splitMessage(atClient.first()).body);
    QCOMPARE(shown.line, QByteArray("Ann chats: a+b"));
    QCOMPARE(shown.colour, QByteArray("clRed"));
    QVERIFY(shown.hasColour);
}

void TestMessages::numberFieldsThatDoNotConvert_data()
{
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("message");

    QTest::newRow("sendlogininfo, empty")
        << "sendlogininfo" << QByteArray() << "'' is not a valid integer value";
    QTest::newRow("sendlogininfo, letters")
        << "sendlogininfo" << QByteArray("four") << "'four' is not a valid integer value";
    QTest::newRow("logininfo, seat missing")
        << "logininfo" << QByteArray("+1.0.3+Ann") << "'' is not a valid integer value";
    QTest::newRow("playerinfo, blank in seat")
        << "playerinfo" << QByteArray(" 3+Ann") << "' 3' is not a valid integer value";
    QTest::newRow("chat, seat is a name")
        << "chat" << QByteArray("Ann+hi|clRed") << "'Ann' is not a valid integer value";
    QTest::newRow("playerdisconnected")
        << "playerdisconnected" << QByteArray("2a+Ann") << "'2a' is not a valid integer value";
    QTest::newRow("kickhim, target")
        << "kickhim" << QByteArray("1+four+") << "'four' is not a valid integer value";
    QTest::newRow("kickhim, target missing")
        << "kickhim" << QByteArray("1+") << "'' is not a valid integer value";
    QTest::newRow("startgame, rounds")
        << "startgame" << QByteArray("Ann+five+60+0+") << "'five' is not a valid integer value";
    QTest::newRow("startround, seat")
        << "startround" << QByteArray("1+60+0+AB+x+ABOUT+") << "'x' is not a valid integer value";
    QTest::newRow("sendword, seat")
        << "sendword" << QByteArray("+CAT+") << "'' is not a valid integer value";
    QTest::newRow("gotword, length")
        << "gotword" << QByteArray("1+CAT+3.0+") << "'3.0' is not a valid integer value";
    QTest::newRow("notvalid, reason out of int range")
        << "notvalid" << QByteArray("1+99999999999+")
        << "'99999999999' is not a valid integer value";
    QTest::newRow("giveup, plus sign")
        << "giveup" << QByteArray("+3+") << "'' is not a valid integer value";
    QTest::newRow("endround, short last group")
        << "endround" << QByteArray("1+0+0+0+0+2+0+0+0") << "'' is not a valid integer value";
    QTest::newRow("endround, letter in a total")
        << "endround" << QByteArray("1+O+0+0+0") << "'O' is not a valid integer value";
    QTest::newRow("winner, empty")
        << "winner" << QByteArray("+") << "'' is not a valid integer value";
    QTest::newRow("loadstats, remaining") << "loadstats" << QByteArray("1+5+60+0+1+0+AB+soon+1+0")
                                          << "'soon' is not a valid integer value";
    // Seats and totals follow the remaining time, so a "+" must close it.
    QTest::newRow("loadstats, remaining without closing plus")
        << "loadstats" << QByteArray("1+5+60+0+1+0+AB+12") << "'' is not a valid integer value";
    QTest::newRow("giveup without closing plus")
        << "giveup" << QByteArray("3") << "'' is not a valid integer value";
    QTest::newRow("kickhim target without closing plus")
        << "kickhim" << QByteArray("1+3") << "'' is not a valid integer value";
    QTest::newRow("loadstats, pair without total")
        << "loadstats" << QByteArray("1+5+60+0+1+0+AB+30+1+5+2")
        << "'' is not a valid integer value";
}

void TestMessages::numberFieldsThatDoNotConvert()
{
    QFETCH(QString, reader);
    QFETCH(QByteArray, body);
    QFETCH(QString, message);

    QVERIFY(decoders().contains(reader));
    try {
        decoders().value(reader)(body);
        QFAIL("no exception");
    } catch (const EConvertError &e) {
        QCOMPARE(e.message(), message);
    }
}

void TestMessages::startgameRequestReadsText_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArrayList>("fields");

    QTest::newRow("numbers that are not numbers stay text")
        << QByteArray("Ann+five++x+1+") << QByteArrayList{"Ann", "five", "", "x", "1"};
    QTest::newRow("missing fields are empty")
        << QByteArray("Ann+5+") << QByteArrayList{"Ann", "5", "", "", ""};
    QTest::newRow("no closing plus")
        << QByteArray("Ann+5+60+6+1") << QByteArrayList{"Ann", "5", "60", "6", ""};
    QTest::newRow("name alone") << QByteArray("Ann") << QByteArrayList{"Ann", "", "", "", ""};
    QTest::newRow("empty name") << QByteArray("+5+60+6+1+")
                                << QByteArrayList{"", "5", "60", "6", "1"};
}

void TestMessages::startgameRequestReadsText()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArrayList, fields);
    QCOMPARE(decoders().value("startgameRequest")(body), fields);
}

QTEST_GUILESS_MAIN(TestMessages)
#include "test_messages.moc"
