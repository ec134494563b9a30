#include "net/messages.h"

#include "common/intconv.h"
#include "net/framing.h"

namespace {

QByteArray num(int value)
{
    return QByteArray::number(value);
}

// The command word, each field after a "+", an optional closing "+" and the
// terminator: every builder goes through here so a layout differs from
// another only in its field list and its closing "+".
QByteArray compose(const char *command, const QByteArrayList &fields, bool closingPlus)
{
    QByteArray text(command);
    for (const QByteArray &field : fields) {
        text += '+';
        text += field;
    }
    if (closingPlus)
        text += '+';
    text += kTerminator;
    return text;
}

// The start-game bodies lead with the player's name, which may hold "+"
// (a player called "C++"). A well-formed body ends with "+" and has a fixed
// number of "+" after the name, so the "+" that ends the name is found by
// counting from the end; anything shorter is read from the left as usual.
// Returns the index of that "+", or -1 when the body has none.
qsizetype leadingNameEnd(const QByteArray &body, int plusesAfterName)
{
    if (body.endsWith('+')) {
        int seen = 0;
        for (qsizetype i = body.size() - 1; i >= 0; --i) {
            if (body[i] == '+' && ++seen == plusesAfterName)
                return i;
        }
    }
    return body.indexOf('+');
}

QByteArray leadingName(const QByteArray &body, int plusesAfterName, FieldReader &fields)
{
    const qsizetype end = leadingNameEnd(body, plusesAfterName);
    if (end < 0) {
        fields = FieldReader(QByteArray());
        return body;
    }
    fields = FieldReader(body.mid(end + 1));
    return body.left(end);
}

} // namespace

SplitMessage splitMessage(const QByteArray &text)
{
    const qsizetype plus = text.indexOf('+');
    if (plus < 0)
        return {};
    return {text.left(plus), text.mid(plus + 1)};
}

FieldReader::FieldReader(QByteArray body)
    : body_(std::move(body))
{
}

QByteArray FieldReader::next()
{
    if (atEnd())
        return {};
    const qsizetype plus = body_.indexOf('+', pos_);
    // Text without its closing "+" is not a field: it is passed over.
    if (plus < 0) {
        pos_ = body_.size();
        return {};
    }
    QByteArray field = body_.mid(pos_, plus - pos_);
    pos_ = qMin(plus + 1, body_.size());
    return field;
}

int FieldReader::nextInt()
{
    return strToInt(next());
}

QByteArray FieldReader::rest()
{
    QByteArray left = body_.mid(pos_);
    pos_ = body_.size();
    return left;
}

int FieldReader::restInt()
{
    return strToInt(rest());
}

int FieldReader::lastInt()
{
    return body_.indexOf('+', pos_) < 0 ? restInt() : nextInt();
}

bool FieldReader::atEnd() const
{
    return pos_ >= body_.size();
}

namespace Msg {

QByteArray sendlogininfo(int seat)
{
    return compose(Cmd::sendlogininfo, {num(seat)}, false);
}

int readSendlogininfo(const QByteArray &body)
{
    return FieldReader(body).restInt();
}

QByteArray logininfo(int seat, const QByteArray &version, const QByteArray &name)
{
    return compose(Cmd::logininfo, {num(seat), version, name}, false);
}

LoginInfo readLogininfo(const QByteArray &body)
{
    FieldReader fields(body);
    LoginInfo info;
    info.seat = fields.nextInt();
    info.version = fields.next();
    info.name = fields.rest();
    return info;
}

QByteArray newplayerinfo(int seat, const QByteArray &name)
{
    return compose(Cmd::newplayerinfo, {num(seat), name}, false);
}

QByteArray existingplayers(int seat, const QByteArray &name)
{
    return compose(Cmd::existingplayers, {num(seat), name}, false);
}

PlayerInfo readPlayerinfo(const QByteArray &body)
{
    FieldReader fields(body);
    PlayerInfo info;
    info.seat = fields.nextInt();
    info.name = fields.rest();
    return info;
}

QByteArray wrongversion()
{
    return compose(Cmd::wrongversion, {}, true);
}

QByteArray havewrongversion(const QByteArray &name)
{
    return compose(Cmd::havewrongversion, {name}, false);
}

QByteArray full()
{
    return compose(Cmd::full, {}, true);
}

QByteArray chat(int seat, const QByteArray &text, const QByteArray &colour)
{
    return compose(Cmd::chat, {num(seat), text + '|' + colour}, false);
}

QByteArray action(int seat, const QByteArray &text, const QByteArray &colour)
{
    return compose(Cmd::action, {num(seat), text + '|' + colour}, false);
}

QByteArray actionSays(int seat, const QByteArray &phrase, const QByteArray &colour)
{
    return compose(Cmd::action, {num(seat), "says: " + phrase + '|' + colour}, false);
}

ChatLine readChat(const QByteArray &body)
{
    FieldReader fields(body);
    ChatLine line;
    line.seat = fields.nextInt();
    line.rest = fields.rest();
    return line;
}

QByteArray chatRelay(const QByteArray &name, const QByteArray &rest)
{
    return compose(Cmd::chat, {name + " chats: " + rest}, false);
}

QByteArray actionRelay(const QByteArray &name, const QByteArray &rest)
{
    return compose(Cmd::action, {name + ' ' + rest}, false);
}

RelayedLine readRelayed(const QByteArray &body)
{
    const qsizetype bar = body.indexOf('|');
    if (bar < 0)
        return {body, {}, false};
    return {body.left(bar), body.mid(bar + 1), true};
}

QByteArray playerdisconnected(int seat, const QByteArray &name)
{
    return compose(Cmd::playerdisconnected, {num(seat), name}, false);
}

Departure readPlayerdisconnected(const QByteArray &body)
{
    FieldReader fields(body);
    Departure departure;
    departure.seatText = fields.next();
    departure.seat = strToInt(departure.seatText);
    departure.name = fields.rest();
    return departure;
}

QByteArray kickhim(int sender, int target)
{
    return compose(Cmd::kickhim, {num(sender), num(target)}, true);
}

Kick readKickhim(const QByteArray &body)
{
    FieldReader fields(body);
    Kick kick;
    kick.sender = fields.nextInt();
    kick.target = fields.nextInt();
    return kick;
}

QByteArray startgameRequest(const QByteArray &name, int rounds, int seconds, int gameType,
                            bool show)
{
    return compose(Cmd::startgame,
                   {name, num(rounds), num(seconds), num(gameType), show ? "1" : "0"}, true);
}

StartGameRequest readStartgameRequest(const QByteArray &body)
{
    FieldReader fields{QByteArray()};
    StartGameRequest request;
    request.name = leadingName(body, 5, fields);
    request.rounds = fields.next();
    request.seconds = fields.next();
    request.gameType = fields.next();
    request.show = fields.next();
    return request;
}

QByteArray startgame(const QByteArray &name, int rounds, int seconds, int lengthCode)
{
    return compose(Cmd::startgame, {name, num(rounds), num(seconds), num(lengthCode)}, true);
}

StartGame readStartgame(const QByteArray &body)
{
    FieldReader fields{QByteArray()};
    StartGame game;
    game.name = leadingName(body, 4, fields);
    game.rounds = fields.nextInt();
    game.seconds = fields.nextInt();
    game.lengthCode = fields.nextInt();
    return game;
}

QByteArray startround(const StartRound &r)
{
    return compose(Cmd::startround,
                   {num(r.round), num(r.seconds), num(r.length), r.prefix, num(r.seat), r.starter},
                   true);
}

StartRound readStartround(const QByteArray &body)
{
    FieldReader fields(body);
    StartRound r;
    r.round = fields.nextInt();
    r.seconds = fields.nextInt();
    r.length = fields.nextInt();
    r.prefix = fields.next();
    r.seat = fields.nextInt();
    r.starter = fields.next();
    return r;
}

QByteArray sendword(int seat, const QByteArray &word)
{
    return compose(Cmd::sendword, {num(seat), word}, true);
}

Word readSendword(const QByteArray &body)
{
    FieldReader fields(body);
    Word w;
    w.seat = fields.nextInt();
    // The word is sent as typed and is the last field, so a typed "+" stays
    // in it (and the dictionary refuses it) instead of cutting the word short.
    w.word = fields.rest();
    if (w.word.endsWith('+'))
        w.word.chop(1);
    else
        w.word.clear(); // without its closing "+" the word field is missing
    return w;
}

QByteArray gotword(int seat, const QByteArray &word, int length)
{
    return compose(Cmd::gotword, {num(seat), word, num(length)}, true);
}

GotWord readGotword(const QByteArray &body)
{
    FieldReader fields(body);
    GotWord got;
    got.seat = fields.nextInt();
    got.word = fields.next();
    got.length = fields.nextInt();
    return got;
}

QByteArray notvalid(int seat, int reason)
{
    return compose(Cmd::notvalid, {num(seat), num(reason)}, true);
}

NotValid readNotvalid(const QByteArray &body)
{
    FieldReader fields(body);
    NotValid refusal;
    refusal.seat = fields.nextInt();
    refusal.reason = fields.nextInt();
    return refusal;
}

QByteArray giveup(int seat)
{
    return compose(Cmd::giveup, {num(seat)}, true);
}

int readGiveup(const QByteArray &body)
{
    return FieldReader(body).nextInt();
}

QByteArray endround(const std::array<SeatScore, 6> &scores)
{
    QByteArrayList fields;
    for (std::size_t i = 0; i < scores.size(); ++i) {
        const SeatScore &s = scores[i];
        fields << num(static_cast<int>(i) + 1) << num(s.total) << num(s.gameWords)
               << num(s.roundWords) << num(s.roundPoints);
    }
    return compose(Cmd::endround, fields, false);
}

QList<SeatScore> readEndround(const QByteArray &body)
{
    FieldReader fields(body);
    QList<SeatScore> scores;
    while (!fields.atEnd()) {
        SeatScore s;
        s.seat = fields.nextInt();
        s.total = fields.nextInt();
        s.gameWords = fields.nextInt();
        s.roundWords = fields.nextInt();
        s.roundPoints = fields.lastInt();
        scores.append(s);
    }
    return scores;
}

QByteArray winner(int seat)
{
    return compose(Cmd::winner, {num(seat)}, true);
}

int readWinner(const QByteArray &body)
{
    return FieldReader(body).nextInt();
}

QByteArray loadstats(const LoadStats &s)
{
    QByteArrayList fields{num(s.seat),  num(s.rounds), num(s.seconds), num(s.lengthCode),
                          num(s.round), num(s.length), s.prefix,       num(s.remaining)};
    for (const auto &[seat, total] : s.totals)
        fields << num(seat) << num(total);
    return compose(Cmd::loadstats, fields, false);
}

LoadStats readLoadstats(const QByteArray &body)
{
    FieldReader fields(body);
    LoadStats s;
    s.seat = fields.nextInt();
    s.rounds = fields.nextInt();
    s.seconds = fields.nextInt();
    s.lengthCode = fields.nextInt();
    s.round = fields.nextInt();
    s.length = fields.nextInt();
    s.prefix = fields.next();
    s.remaining = fields.nextInt();
    while (!fields.atEnd()) {
        const int seat = fields.nextInt();
        const int total = fields.lastInt();
        s.totals.append({seat, total});
    }
    return s;
}

QByteArray rejoinable(int seat)
{
    return compose(Cmd::rejoinable, {num(seat)}, true);
}

QByteArray leaving(int seat)
{
    return compose(Cmd::leaving, {num(seat)}, true);
}

QByteArray ping(int seat)
{
    return compose(Cmd::ping, {num(seat)}, true);
}

QByteArray pong(int seat)
{
    return compose(Cmd::pong, {num(seat)}, true);
}

int readSeatOnly(const QByteArray &body)
{
    return FieldReader(body).nextInt();
}

QByteArray seattoken(const SeatToken &t)
{
    return compose(Cmd::seattoken, {num(t.seat), t.token, num(t.graceSeconds)}, true);
}

SeatToken readSeattoken(const QByteArray &body)
{
    FieldReader fields(body);
    SeatToken t;
    t.seat = fields.nextInt();
    t.token = fields.next();
    t.graceSeconds = fields.nextInt();
    return t;
}

QByteArray rejoin(const Rejoin &r)
{
    return compose(Cmd::rejoin, {num(r.seat), num(r.held), r.token}, true);
}

Rejoin readRejoin(const QByteArray &body)
{
    FieldReader fields(body);
    Rejoin r;
    r.seat = fields.nextInt();
    r.held = fields.nextInt();
    r.token = fields.next();
    return r;
}

QByteArray rejoined(int seat)
{
    return compose(Cmd::rejoined, {num(seat)}, true);
}

QByteArray seatfreed(int seat, SeatFreed reason)
{
    return compose(Cmd::seatfreed, {num(seat), num(static_cast<int>(reason))}, true);
}

SeatGone readSeatfreed(const QByteArray &body)
{
    FieldReader fields(body);
    SeatGone gone;
    gone.seat = fields.nextInt();
    const int reason = fields.nextInt();
    // A reason this copy does not know reads as the plainest one.
    gone.reason =
        reason == 1 || reason == 2 ? static_cast<SeatFreed>(reason) : SeatFreed::GraceOver;
    return gone;
}

QByteArray playerlost(int seat)
{
    return compose(Cmd::playerlost, {num(seat)}, true);
}

QByteArray playerback(int seat)
{
    return compose(Cmd::playerback, {num(seat)}, true);
}

QByteArray hostended()
{
    return compose(Cmd::hostended, {}, true);
}

QByteArray leader(int seat)
{
    return compose(Cmd::leader, {num(seat)}, true);
}

} // namespace Msg
