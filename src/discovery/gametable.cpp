#include "discovery/gametable.h"

#include <algorithm>

namespace discovery {
namespace {
constexpr quint32 kLoopback = 0x7F000001;

quint32 ipv4(const QHostAddress &address)
{
    // IPv4 senders may come as IPv4-mapped IPv6 addresses.
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? v4 : 0;
}
} // namespace

void GameTable::setOwnAddresses(const QList<QHostAddress> &addresses)
{
    ownAddresses_.clear();
    for (const QHostAddress &address : addresses) {
        const quint32 v4 = ipv4(address);
        if (v4 != 0 && (v4 >> 24) != 127)
            ownAddresses_.append(v4);
    }
}

quint32 GameTable::sourceOf(const QHostAddress &address) const
{
    const quint32 v4 = ipv4(address);
    return ownAddresses_.contains(v4) ? kLoopback : v4;
}

std::vector<ListedGame>::iterator GameTable::find(quint32 source, quint32 gameId, quint16 gamePort)
{
    return std::find_if(games_.begin(), games_.end(), [&](const ListedGame &game) {
        return game.source == source && game.info.gameId == gameId &&
               game.info.gamePort == gamePort;
    });
}

bool GameTable::take(const GameInfo &heard, const QHostAddress &from, qint64 nowMs)
{
    const quint32 source = sourceOf(from);
    if (source == 0)
        return false;
    const auto it = find(source, heard.gameId, heard.gamePort);
    const QHostAddress address(ipv4(from));
    if (it != games_.end()) {
        it->lastHeardMs = nowMs;
        // The mark comes in a datagram of its own: what the game tells
        // keeps it.
        GameInfo info = heard;
        info.dedicated = info.dedicated || it->info.dedicated;
        // A game on this machine is best shown at the address others can use.
        const bool betterAddress = it->address.isLoopback() && !address.isLoopback();
        if (it->info == info && !betterAddress)
            return false;
        it->info = info;
        if (betterAddress)
            it->address = address;
        return true;
    }
    if (!admitted(source, nowMs) || !makeRoom(source, nowMs))
        return false;
    games_.push_back({nextSerial_++, heard, address, source, nowMs, nowMs});
    return true;
}

bool GameTable::markServer(const ServerMark &mark, const QHostAddress &from)
{
    const quint32 source = sourceOf(from);
    if (source == 0)
        return false;
    const auto it = find(source, mark.gameId, mark.gamePort);
    if (it == games_.end() || it->info.dedicated)
        return false;
    it->info.dedicated = true;
    return true;
}

bool GameTable::admitted(quint32 source, qint64 nowMs)
{
    if (nowMs - secondStartMs_ >= 1000 || nowMs < secondStartMs_) {
        secondStartMs_ = nowMs;
        newThisSecond_ = 0;
        newBySource_.clear();
    }
    if (newThisSecond_ >= kNewGamesPerSecond)
        return false;
    auto it = std::find_if(newBySource_.begin(), newBySource_.end(),
                           [source](const auto &entry) { return entry.first == source; });
    if (it == newBySource_.end()) {
        newBySource_.emplace_back(source, 0);
        it = newBySource_.end() - 1;
    }
    if (it->second >= kNewGamesPerAddress)
        return false;
    ++it->second;
    ++newThisSecond_;
    return true;
}

bool GameTable::makeRoom(quint32 source, qint64 nowMs)
{
    const auto silentLongest = [this](auto &&among) {
        auto oldest = games_.end();
        for (auto it = games_.begin(); it != games_.end(); ++it) {
            if (among(*it) && (oldest == games_.end() || it->lastHeardMs < oldest->lastHeardMs))
                oldest = it;
        }
        return oldest;
    };
    const auto fromSource = std::count_if(
        games_.begin(), games_.end(), [source](const auto &game) { return game.source == source; });
    if (fromSource >= kMaxGamesPerAddress) {
        // An address at its share gives up its own oldest, never another's.
        erase(std::size_t(
            silentLongest([source](const ListedGame &game) { return game.source == source; }) -
            games_.begin()));
        return true;
    }
    if (games_.size() < std::size_t(kMaxGames))
        return true;
    const auto oldest = silentLongest([](const ListedGame &) { return true; });
    if (nowMs - oldest->lastHeardMs <= kKeptMs)
        return false;
    erase(std::size_t(oldest - games_.begin()));
    return true;
}

void GameTable::erase(std::size_t index)
{
    games_.erase(games_.begin() + qsizetype(index));
}

bool GameTable::expire(qint64 nowMs)
{
    const auto gone = std::remove_if(games_.begin(), games_.end(), [nowMs](const ListedGame &game) {
        return nowMs - game.lastHeardMs > kForgetAfterMs;
    });
    if (gone == games_.end())
        return false;
    games_.erase(gone, games_.end());
    return true;
}

void GameTable::clear()
{
    games_.clear();
    newBySource_.clear();
    newThisSecond_ = 0;
}

} // namespace discovery
