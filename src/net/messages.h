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

// "CMD_sendword+" seat "+" word "+"; sendwordBody is the body alone, as the
// computer player hands it to the server's handler.
QByteArray sendword(int seat, const QByteArray &word);
QByteArray sendwordBody(int seat, const QByteArray &word);
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

} // namespace Msg
