#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The datagrams of finding games on the network. A query asks "who hosts a
// game here?"; each hosting copy answers with one reply, and also sends the
// same description unasked as an announcement every few seconds; a
// dedicated host follows both with a server mark.
// All begin with a four-byte magic and a one-byte format version; numbers are
// big-endian.
//
// Query (exactly kQuerySize bytes):
//   0  "LXCQ"   magic
//   4  1        format version
//   5  zeros    padding up to kQuerySize
// Reply (kMinReplySize to kMaxReplySize bytes):
//   0  "LXCR"   magic
//   4  1        format version
//   5  u32      game id, drawn by the host at start (one game answering on
//               several addresses is listed once)
//   9  u16      game port (TCP)
//  11  u8       players seated, 0 to 6
//  12  u8       spies, 0 to 3
//  13  u8       flags: bit 0 set while a game is running; other bits zero
//  14  u8       round, 0 to rounds
//  15  u8       rounds of the game, 0 while none was started
//  16  u8       n: length of the host's name, 1 to kMaxNameBytes
//  17  n bytes  host's name, UTF-8 without control characters
//  17+n u8      m: length of the version text, 1 to kMaxVersionBytes
//  18+n m bytes version text, printable ASCII
// Nothing follows. The query is padded to the largest reply so that a reply
// is never larger than the query that asked for it.
// Announcement: the reply's layout with the magic "LXCA".
// Server mark (exactly kServerMarkSize bytes), sent by a dedicated host right
// after its reply or announcement; older copies drop it for its magic and
// list the game from the reply or announcement alone:
//   0  "LXCS"   magic
//   4  1        format version
//   5  u32      game id
//   9  u16      game port (TCP)
// Every later format version keeps the magic, the version byte, the game id
// and the game port where they are, and answers a query in the query's own
// version; so a copy finds a host of a later format as "a game of another
// version" at least.
namespace discovery {

inline constexpr int kFormatVersion = 1;
inline constexpr int kMaxNameBytes = 64;
inline constexpr int kMaxVersionBytes = 16;
inline constexpr int kMinReplySize = 17 + 1 + 1 + 1;
inline constexpr int kMaxReplySize = 17 + kMaxNameBytes + 1 + kMaxVersionBytes;
inline constexpr int kQuerySize = kMaxReplySize;
inline constexpr int kMaxPlayers = 6;
inline constexpr int kMaxSpies = 3;
inline constexpr int kServerMarkSize = 11;

// What a hosting copy tells about its game.
struct GameInfo {
    quint32 gameId = 0;
    quint16 gamePort = 0;
    QString hostName;
    int players = 0;
    int spies = 0;
    bool running = false;
    int round = 0;
    int rounds = 0;
    QString version;
    // Only the id and the port were read: the datagram has a later format.
    bool otherFormat = false;
    // A dedicated host (a game server without a player's window), told by
    // the server mark that follows its replies and announcements.
    bool dedicated = false;

    bool operator==(const GameInfo &) const = default;
};

// The one query datagram.
QByteArray encodeQuery();
// True when data is exactly a well-formed query.
bool isQuery(QByteArrayView data);
// The reply for info. Out-of-range numbers are clamped; control characters
// are dropped from the name and it is cut on a character boundary to fit.
QByteArray encodeReply(const GameInfo &info);
// The game a reply describes; nothing for anything but a well-formed reply.
std::optional<GameInfo> decodeReply(QByteArrayView data);
// The announcement for info, laid out as its reply.
QByteArray encodeAnnouncement(const GameInfo &info);
// The game an announcement describes; nothing for anything else.
std::optional<GameInfo> decodeAnnouncement(QByteArrayView data);
// The game a reply or an announcement describes: of this format in full, of
// another format its id and port only (otherFormat set); nothing for anything
// else.
std::optional<GameInfo> decodeGame(QByteArrayView data);

// The game a server mark names.
struct ServerMark {
    quint32 gameId = 0;
    quint16 gamePort = 0;
};

// The server mark of a dedicated host's game.
QByteArray encodeServerMark(const GameInfo &info);
// The game a server mark names; nothing for anything but a well-formed mark.
std::optional<ServerMark> decodeServerMark(QByteArrayView data);

} // namespace discovery
