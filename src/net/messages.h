#pragma once

#include <QByteArray>
#include <QList>

#include <array>
#include <utility>

// The game's text messages: command word, "+", fields separated by "+", then
// the terminator 0xFF. Every layout is written here once: one builder (which
// returns the whole message, terminator included) and one reader (which takes
// the body, the text after the command word's "+") per command. Number fields
// are read with strToInt and raise EConvertError when they do not convert.

namespace Cmd {
inline constexpr char sendlogininfo[] = "CMD_sendlogininfo";
inline constexpr char logininfo[] = "CMD_logininfo";
inline constexpr char newplayerinfo[] = "CMD_newplayerinfo";
inline constexpr char existingplayers[] = "CMD_existingplayers";
inline constexpr char wrongversion[] = "CMD_wrongversion";
inline constexpr char havewrongversion[] = "CMD_havewrongversion";
inline constexpr char full[] = "CMD_full";
inline constexpr char chat[] = "CMD_chat";
inline constexpr char action[] = "CMD_action";
inline constexpr char playerdisconnected[] = "CMD_playerdisconnected";
inline constexpr char kickhim[] = "CMD_kickhim";
inline constexpr char startgame[] = "CMD_startgame";
inline constexpr char startround[] = "CMD_startround";
inline constexpr char sendword[] = "CMD_sendword";
inline constexpr char gotword[] = "CMD_gotword";
inline constexpr char notvalid[] = "CMD_notvalid";
inline constexpr char giveup[] = "CMD_giveup";
inline constexpr char endround[] = "CMD_endround";
inline constexpr char winner[] = "CMD_winner";
inline constexpr char loadstats[] = "CMD_loadstats";
// Taking a seat back after a dropped connection, quitting on purpose, the
// connection probe and the end of the host's game. Older copies drop them.
inline constexpr char rejoinable[] = "CMD_rejoinable";
inline constexpr char seattoken[] = "CMD_seattoken";
inline constexpr char rejoin[] = "CMD_rejoin";
inline constexpr char rejoined[] = "CMD_rejoined";
inline constexpr char seatfreed[] = "CMD_seatfreed";
inline constexpr char playerlost[] = "CMD_playerlost";
inline constexpr char playerback[] = "CMD_playerback";
inline constexpr char leaving[] = "CMD_leaving";
inline constexpr char ping[] = "CMD_ping";
inline constexpr char pong[] = "CMD_pong";
inline constexpr char hostended[] = "CMD_hostended";
inline constexpr char leader[] = "CMD_leader";
} // namespace Cmd

// A message text split at its first "+": an empty command when there is none.
struct SplitMessage {
    QByteArray command;
    QByteArray body;
};
SplitMessage splitMessage(const QByteArray &text);

// Takes the fields of a body from the left: a field is everything before the
// next "+", removed together with that "+". Text after the last "+" is not a
// field: next() passes over it and gives the empty text (a missing field);
// only rest() reads it.
class FieldReader {
public:
    explicit FieldReader(QByteArray body);
    // The next field as text; empty (and the text passed over) when no "+" closes it.
    QByteArray next();
    // The next field as a number; raises EConvertError (also when no "+" closes it).
    int nextInt();
    // Everything that is left (a last field that may hold "+", or the last
    // field of a layout that has no closing "+").
    QByteArray rest();
    // Everything that is left as a number; raises EConvertError.
    int restInt();
    // The next field as a number, or what is left when no "+" closes it (a
    // layout's last field); raises EConvertError.
    int lastInt();
    bool atEnd() const;

private:
    QByteArray body_;
    qsizetype pos_ = 0;
};

namespace Msg {

// Seat, total, game words, round words and round points of one player seat.
struct SeatScore {
    int seat = 0;
    int total = 0;
    int gameWords = 0;
    int roundWords = 0;
    int roundPoints = 0;
};

// "CMD_sendlogininfo+" seat (no trailing "+").
QByteArray sendlogininfo(int seat);
int readSendlogininfo(const QByteArray &body);

// "CMD_logininfo+" seat "+" version "+" name.
struct LoginInfo {
    int seat = 0;
    QByteArray version;
    QByteArray name;
};
QByteArray logininfo(int seat, const QByteArray &version, const QByteArray &name);
LoginInfo readLogininfo(const QByteArray &body);

// "CMD_newplayerinfo+" seat "+" name, and "CMD_existingplayers" alike.
struct PlayerInfo {
    int seat = 0;
    QByteArray name;
};
QByteArray newplayerinfo(int seat, const QByteArray &name);
QByteArray existingplayers(int seat, const QByteArray &name);
PlayerInfo readPlayerinfo(const QByteArray &body);

// "CMD_wrongversion+".
QByteArray wrongversion();
// "CMD_havewrongversion+" name; the body is the name.
QByteArray havewrongversion(const QByteArray &name);
// "CMD_full+".
QByteArray full();

// Client to server: "CMD_chat+" seat "+" text "|" colour.
QByteArray chat(int seat, const QByteArray &text, const QByteArray &colour);
// Client to server: "CMD_action+" seat "+" text "|" colour.
QByteArray action(int seat, const QByteArray &text, const QByteArray &colour);
// Client to server, phrase button: "CMD_action+" seat "+says: " phrase "|" colour.
QByteArray actionSays(int seat, const QByteArray &phrase, const QByteArray &colour);
// The seat and the unchanged rest of a client's chat or action body.
struct ChatLine {
    int seat = 0;
    QByteArray rest;
};
ChatLine readChat(const QByteArray &body);
// Server relay: "CMD_chat+" name " chats: " rest.
QByteArray chatRelay(const QByteArray &name, const QByteArray &rest);
// Server relay: "CMD_action+" name " " rest.
QByteArray actionRelay(const QByteArray &name, const QByteArray &rest);
// A relayed line: the text before the first "|" and the colour text after it
// (hasColour false when there is no "|").
struct RelayedLine {
    QByteArray line;
    QByteArray colour;
    bool hasColour = false;
};
RelayedLine readRelayed(const QByteArray &body);

// "CMD_playerdisconnected+" seat "+" name.
QByteArray playerdisconnected(int seat, const QByteArray &name);
// Seat text as sent (the client compares it with "2") and name.
struct Departure {
    QByteArray seatText;
    int seat = 0;
    QByteArray name;
};
Departure readPlayerdisconnected(const QByteArray &body);

// "CMD_kickhim+" sender "+" target "+".
QByteArray kickhim(int sender, int target);
struct Kick {
    int sender = 0;
    int target = 0;
};
Kick readKickhim(const QByteArray &body);

// Client to server: "CMD_startgame+" name "+" rounds "+" seconds "+" type "+" show "+".
QByteArray startgameRequest(const QByteArray &name, int rounds, int seconds, int gameType,
                            bool show);
// Fields as text: the server reads rounds and seconds leniently (5 and 60
// when not numbers) and the game type strictly. A name holding "+" is read
// whole when the body has its closing "+".
struct StartGameRequest {
    QByteArray name;
    QByteArray rounds;
    QByteArray seconds;
    QByteArray gameType;
    QByteArray show;
};
StartGameRequest readStartgameRequest(const QByteArray &body);
// Server to clients: "CMD_startgame+" name "+" rounds "+" seconds "+" length code "+".
QByteArray startgame(const QByteArray &name, int rounds, int seconds, int lengthCode);
// Reads the name like readStartgameRequest; the numbers strictly.
struct StartGame {
    QByteArray name;
    int rounds = 0;
    int seconds = 0;
    int lengthCode = 0;
};
StartGame readStartgame(const QByteArray &body);

// "CMD_startround+" round "+" seconds "+" length "+" prefix "+" seat "+" starter "+".
struct StartRound {
    int round = 0;
    int seconds = 0;
    int length = 0;
    QByteArray prefix;
    int seat = 0;
    QByteArray starter;
};
QByteArray startround(const StartRound &r);
StartRound readStartround(const QByteArray &body);

// "CMD_sendword+" seat "+" word "+".
QByteArray sendword(int seat, const QByteArray &word);
struct Word {
    int seat = 0;
    QByteArray word;
};
// The word is the rest of the body less its closing "+", so a typed "+" stays in it.
Word readSendword(const QByteArray &body);

// "CMD_gotword+" seat "+" word "+" length "+".
struct GotWord {
    int seat = 0;
    QByteArray word;
    int length = 0;
};
QByteArray gotword(int seat, const QByteArray &word, int length);
GotWord readGotword(const QByteArray &body);

// "CMD_notvalid+" seat "+" reason "+".
struct NotValid {
    int seat = 0;
    int reason = 0;
};
QByteArray notvalid(int seat, int reason);
NotValid readNotvalid(const QByteArray &body);

// "CMD_giveup+" seat "+".
QByteArray giveup(int seat);
int readGiveup(const QByteArray &body);

// "CMD_endround" then "+" seat "+" total "+" game words "+" round words "+"
// round points for seats 1 to 6 (30 fields); the seat fields are written
// from the array position, 1 to 6, whatever the members' seat holds.
QByteArray endround(const std::array<SeatScore, 6> &scores);
// Reads groups of five fields until the body is used up.
QList<SeatScore> readEndround(const QByteArray &body);

// "CMD_winner+" seat "+".
QByteArray winner(int seat);
int readWinner(const QByteArray &body);

// "CMD_loadstats+" seat "+" rounds "+" seconds "+" length code "+" round "+"
// length "+" prefix "+" remaining, then "+" seat "+" total for seats 1 to 6.
struct LoadStats {
    int seat = 0;
    int rounds = 0;
    int seconds = 0;
    int lengthCode = 0;
    int round = 0;
    int length = 0;
    QByteArray prefix;
    int remaining = 0;
    // Seat and total pairs, in order.
    QList<std::pair<int, int>> totals;
};
QByteArray loadstats(const LoadStats &s);
LoadStats readLoadstats(const QByteArray &body);

// --- taking a seat back, quitting, probing, the host's end ---

// Client to server, after "CMD_logininfo": "CMD_rejoinable+" seat "+"; this
// copy can take its seat back after a drop and wants a token for it.
QByteArray rejoinable(int seat);
// Client to server: "CMD_leaving+" seat "+"; quitting on purpose, free the seat at once.
QByteArray leaving(int seat);
// Client to server: "CMD_ping+" seat "+"; the server answers "CMD_pong+" seat "+".
QByteArray ping(int seat);
QByteArray pong(int seat);
// Reads the one seat field of rejoinable, leaving, ping, pong, rejoined,
// playerlost and playerback.
int readSeatOnly(const QByteArray &body);

// Server to the seat alone: "CMD_seattoken+" seat "+" token "+" grace "+";
// the token (32 hexadecimal digits) takes the seat back within grace seconds.
struct SeatToken {
    int seat = 0;
    QByteArray token;
    int graceSeconds = 0;
};
QByteArray seattoken(const SeatToken &t);
SeatToken readSeattoken(const QByteArray &body);

// Client to server, instead of "CMD_logininfo" on a new connection:
// "CMD_rejoin+" offered seat "+" held seat "+" token "+".
struct Rejoin {
    int seat = 0;
    int held = 0;
    QByteArray token;
};
QByteArray rejoin(const Rejoin &r);
Rejoin readRejoin(const QByteArray &body);

// Server to the copy that took its seat back, after the game's state:
// "CMD_rejoined+" seat "+".
QByteArray rejoined(int seat);
// Server to the copy that asked: "CMD_seatfreed+" seat "+" reason "+"; the
// connection closes after it.
enum class SeatFreed { GraceOver = 0, WrongToken = 1, Removed = 2 };
struct SeatGone {
    int seat = 0;
    SeatFreed reason = SeatFreed::GraceOver;
};
QByteArray seatfreed(int seat, SeatFreed reason);
SeatGone readSeatfreed(const QByteArray &body);
// Server to the others: "CMD_playerlost+" seat "+" (held for its player) and
// "CMD_playerback+" seat "+" (taken back).
QByteArray playerlost(int seat);
QByteArray playerback(int seat);
// Server to everybody as the host ends the game: "CMD_hostended+".
QByteArray hostended();
// Server to every copy of a host without a window, when the leading seat
// changes: "CMD_leader+" seat "+" (the leader may start games and remove players).
QByteArray leader(int seat);

} // namespace Msg
