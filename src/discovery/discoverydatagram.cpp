#include "discovery/discoverydatagram.h"

#include <QList>
#include <QStringDecoder>

#include <algorithm>

namespace discovery {
namespace {

constexpr char kQueryMagic[] = "LXCQ";
constexpr char kReplyMagic[] = "LXCR";
constexpr char kAnnouncementMagic[] = "LXCA";
constexpr char kServerMarkMagic[] = "LXCS";
constexpr int kMagicSize = 4;
constexpr quint8 kRunningFlag = 0x01;

bool hasMagic(QByteArrayView data, const char *magic)
{
    return data.size() >= kMagicSize + 1 && data.first(kMagicSize) == QByteArrayView(magic);
}

bool hasHeader(QByteArrayView data, const char *magic)
{
    return hasMagic(data, magic) && quint8(data[kMagicSize]) == kFormatVersion;
}

quint32 readId(QByteArrayView data)
{
    quint32 id = 0;
    for (int at = 5; at < 9; ++at)
        id = (id << 8) | quint8(data[at]);
    return id;
}

quint16 readPort(QByteArrayView data)
{
    return quint16((quint8(data[9]) << 8) | quint8(data[10]));
}

bool isNameChar(char32_t c)
{
    const QChar::Category category = QChar::category(c);
    return category != QChar::Other_Control && category != QChar::Other_Format &&
           category != QChar::Other_Surrogate && category != QChar::Other_NotAssigned &&
           category != QChar::Separator_Line && category != QChar::Separator_Paragraph;
}

// The name without control characters, cut to kMaxNameBytes of UTF-8
// without splitting a character.
QByteArray nameBytes(const QString &name)
{
    QByteArray out;
    for (const char32_t c : name.toUcs4()) {
        if (!isNameChar(c))
            continue;
        const QByteArray bytes = QString::fromUcs4(&c, 1).toUtf8();
        if (out.size() + bytes.size() > kMaxNameBytes)
            break;
        out += bytes;
    }
    return out;
}

QByteArray versionBytes(const QString &version)
{
    QByteArray out;
    for (const QChar c : version) {
        if (c.unicode() < 0x21 || c.unicode() > 0x7E)
            continue;
        if (out.size() == kMaxVersionBytes)
            break;
        out += char(c.unicode());
    }
    return out;
}

quint8 clampByte(int value, int high)
{
    return quint8(std::clamp(value, 0, high));
}

} // namespace

QByteArray encodeQuery()
{
    QByteArray query(kQuerySize, '\0');
    std::copy_n(kQueryMagic, kMagicSize, query.begin());
    query[kMagicSize] = char(kFormatVersion);
    return query;
}

bool isQuery(QByteArrayView data)
{
    if (data.size() != kQuerySize || !hasHeader(data, kQueryMagic))
        return false;
    const QByteArrayView padding = data.sliced(kMagicSize + 1);
    return std::all_of(padding.begin(), padding.end(), [](char c) { return c == '\0'; });
}

namespace {

QByteArray encodeGame(const char *magic, const GameInfo &info)
{
    QByteArray name = nameBytes(info.hostName);
    if (name.isEmpty())
        name = QByteArrayLiteral("?");
    QByteArray version = versionBytes(info.version);
    if (version.isEmpty())
        version = QByteArrayLiteral("?");
    const int rounds = std::clamp(info.rounds, 0, 255);

    QByteArray reply;
    reply.reserve(kMaxReplySize);
    reply.append(magic, kMagicSize);
    reply.append(char(kFormatVersion));
    for (int shift = 24; shift >= 0; shift -= 8)
        reply.append(char((info.gameId >> shift) & 0xFF));
    reply.append(char(info.gamePort >> 8));
    reply.append(char(info.gamePort & 0xFF));
    reply.append(char(clampByte(info.players, kMaxPlayers)));
    reply.append(char(clampByte(info.spies, kMaxSpies)));
    reply.append(char(info.running ? kRunningFlag : 0));
    reply.append(char(clampByte(info.round, rounds)));
    reply.append(char(rounds));
    reply.append(char(name.size()));
    reply.append(name);
    reply.append(char(version.size()));
    reply.append(version);
    return reply;
}

std::optional<GameInfo> decodeBody(const char *magic, QByteArrayView data)
{
    if (data.size() < kMinReplySize || data.size() > kMaxReplySize || !hasHeader(data, magic))
        return std::nullopt;
    const auto byte = [&data](qsizetype at) { return quint8(data[at]); };

    GameInfo info;
    info.gameId = readId(data);
    info.gamePort = readPort(data);
    info.players = byte(11);
    info.spies = byte(12);
    const quint8 flags = byte(13);
    info.round = byte(14);
    info.rounds = byte(15);
    if (info.gamePort == 0 || info.players > kMaxPlayers || info.spies > kMaxSpies ||
        (flags & ~kRunningFlag) != 0 || info.round > info.rounds)
        return std::nullopt;
    info.running = (flags & kRunningFlag) != 0;

    const qsizetype nameSize = byte(16);
    if (nameSize < 1 || nameSize > kMaxNameBytes || 17 + nameSize + 1 > data.size())
        return std::nullopt;
    const QByteArrayView name = data.sliced(17, nameSize);
    const qsizetype versionAt = 17 + nameSize;
    const qsizetype versionSize = byte(versionAt);
    if (versionSize < 1 || versionSize > kMaxVersionBytes ||
        versionAt + 1 + versionSize != data.size())
        return std::nullopt;
    const QByteArrayView version = data.sliced(versionAt + 1, versionSize);

    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    info.hostName = utf8(name);
    if (utf8.hasError())
        return std::nullopt;
    const QList<uint> characters = info.hostName.toUcs4();
    if (!std::all_of(characters.begin(), characters.end(),
                     [](uint c) { return isNameChar(char32_t(c)); }))
        return std::nullopt;
    if (!std::all_of(version.begin(), version.end(), [](char c) { return c >= 0x21 && c <= 0x7E; }))
        return std::nullopt;
    info.version = QString::fromLatin1(version);
    return info;
}

} // namespace

QByteArray encodeServerMark(const GameInfo &info)
{
    QByteArray mark;
    mark.reserve(kServerMarkSize);
    mark.append(kServerMarkMagic, kMagicSize);
    mark.append(char(kFormatVersion));
    for (int shift = 24; shift >= 0; shift -= 8)
        mark.append(char((info.gameId >> shift) & 0xFF));
    mark.append(char(info.gamePort >> 8));
    mark.append(char(info.gamePort & 0xFF));
    return mark;
}

std::optional<ServerMark> decodeServerMark(QByteArrayView data)
{
    if (data.size() != kServerMarkSize || !hasHeader(data, kServerMarkMagic) || readPort(data) == 0)
        return std::nullopt;
    return ServerMark{readId(data), readPort(data)};
}

QByteArray encodeReply(const GameInfo &info)
{
    return encodeGame(kReplyMagic, info);
}

std::optional<GameInfo> decodeReply(QByteArrayView data)
{
    return decodeBody(kReplyMagic, data);
}

QByteArray encodeAnnouncement(const GameInfo &info)
{
    return encodeGame(kAnnouncementMagic, info);
}

std::optional<GameInfo> decodeAnnouncement(QByteArrayView data)
{
    return decodeBody(kAnnouncementMagic, data);
}

std::optional<GameInfo> decodeGame(QByteArrayView data)
{
    if (hasHeader(data, kReplyMagic))
        return decodeReply(data);
    if (hasHeader(data, kAnnouncementMagic))
        return decodeAnnouncement(data);
    // A later format keeps the id and the port where they are; format 0
    // never existed.
    if ((!hasMagic(data, kReplyMagic) && !hasMagic(data, kAnnouncementMagic)) ||
        quint8(data[kMagicSize]) <= kFormatVersion || data.size() < 11 || readPort(data) == 0)
        return std::nullopt;
    GameInfo info;
    info.gameId = readId(data);
    info.gamePort = readPort(data);
    info.otherFormat = true;
    return info;
}

} // namespace discovery
