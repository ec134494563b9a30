#include "lobby/gamelistmodel.h"

#include "common/guard.h"
#include "common/ports.h"
#include "common/version.h"

#include <QHash>

#include <algorithm>

namespace {
// Characters that show nothing although they are not blanks.
bool invisible(char32_t c)
{
    switch (c) {
    case 0x034F: // combining grapheme joiner
    case 0x115F: // Hangul fillers
    case 0x1160:
    case 0x3164:
    case 0xFFA0:
    case 0x180E: // Mongolian vowel separator
    case 0x2800: // blank Braille pattern
        return true;
    default:
        break;
    }
    const QChar::Category category = QChar::category(c);
    return QChar::isSpace(c) || category == QChar::Mark_NonSpacing ||
           category == QChar::Mark_Enclosing || category == QChar::Other_Format;
}
} // namespace

GameListModel::GameListModel(std::function<const std::vector<discovery::ListedGame> &()> games,
                             QObject *parent)
    : QAbstractTableModel(parent)
    , games_(std::move(games))
    , flushTimer_(this)
{
    flushTimer_.setSingleShot(true);
    connect(&flushTimer_, &QTimer::timeout, this, [this] { guarded([this] { flush(); }); });
}

void GameListModel::changed()
{
    if (flushTimer_.isActive())
        return;
    const qint64 since = sinceFlush_.isValid() ? sinceFlush_.elapsed() : kMinFlushIntervalMs;
    flushTimer_.start(int(std::max<qint64>(0, kMinFlushIntervalMs - since)));
}

void GameListModel::flush()
{
    flushTimer_.stop();
    sinceFlush_.start();
    const std::vector<discovery::ListedGame> &games = games_();
    QHash<quint64, const discovery::ListedGame *> bySerial;
    bySerial.reserve(qsizetype(games.size()));
    for (const discovery::ListedGame &game : games)
        bySerial.insert(game.serial, &game);

    // Gone rows first, from the bottom, so the rows above keep their places.
    for (int row = int(rows_.size()) - 1; row >= 0; --row) {
        if (bySerial.contains(rows_[std::size_t(row)].serial))
            continue;
        beginRemoveRows({}, row, row);
        rows_.erase(rows_.begin() + row);
        endRemoveRows();
    }
    QHash<quint64, int> listed;
    for (int row = 0; row < int(rows_.size()); ++row) {
        discovery::ListedGame &shown = rows_[std::size_t(row)];
        listed.insert(shown.serial, row);
        const discovery::ListedGame &now = *bySerial.value(shown.serial);
        if (now.info == shown.info && now.address == shown.address)
            continue;
        shown = now;
        emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
    }
    std::vector<const discovery::ListedGame *> added;
    for (const discovery::ListedGame &game : games) {
        if (!listed.contains(game.serial))
            added.push_back(&game);
    }
    if (added.empty())
        return;
    const int first = int(rows_.size());
    beginInsertRows({}, first, first + int(added.size()) - 1);
    for (const discovery::ListedGame *game : added)
        rows_.push_back(*game);
    endInsertRows();
}

const discovery::ListedGame *GameListModel::game(int row) const
{
    return row >= 0 && row < int(rows_.size()) ? &rows_[std::size_t(row)] : nullptr;
}

bool GameListModel::sameVersion(int row) const
{
    const discovery::ListedGame *listed = game(row);
    return listed && !listed->info.otherFormat &&
           listed->info.version == QLatin1String(kVersionText);
}

QString GameListModel::shownName(const QString &name)
{
    const QList<uint> characters = name.toUcs4();
    const bool blank = std::all_of(characters.begin(), characters.end(),
                                   [](uint c) { return invisible(char32_t(c)); });
    return blank ? QStringLiteral("(no name)") : name;
}

QString GameListModel::addressText(const discovery::ListedGame &game)
{
    return game.info.gamePort == kDefaultGamePort
               ? game.address.toString()
               : QStringLiteral("%1:%2").arg(game.address.toString()).arg(game.info.gamePort);
}

int GameListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int GameListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString GameListModel::text(const discovery::ListedGame &game, int column) const
{
    const discovery::GameInfo &info = game.info;
    if (info.otherFormat) {
        switch (column) {
        case HostColumn:
            return QStringLiteral("(a game of another version)");
        case AddressColumn:
            return addressText(game);
        case VersionColumn:
            return QStringLiteral("another (yours is %1)").arg(QLatin1String(kVersionText));
        default:
            return {};
        }
    }
    switch (column) {
    case HostColumn:
        return info.dedicated ? QStringLiteral("%1 (server)").arg(shownName(info.hostName))
                              : shownName(info.hostName);
    case AddressColumn:
        return addressText(game);
    case PlayersColumn:
        return QStringLiteral("%1 of 6").arg(info.players);
    case SpiesColumn:
        return QString::number(info.spies);
    case GameColumn:
        return info.running ? QStringLiteral("round %1 of %2").arg(info.round).arg(info.rounds)
                            : QStringLiteral("waiting");
    case VersionColumn:
        return info.version == QLatin1String(kVersionText)
                   ? QStringLiteral("%1 (yours)").arg(info.version)
                   : QStringLiteral("%1 (yours is %2)")
                         .arg(info.version, QLatin1String(kVersionText));
    default:
        return {};
    }
}

QVariant GameListModel::sortKey(const discovery::ListedGame &game, int column) const
{
    const discovery::GameInfo &info = game.info;
    switch (column) {
    case AddressColumn:
        return QVariant::fromValue((quint64(game.address.toIPv4Address()) << 16) | info.gamePort);
    case PlayersColumn:
        return info.players;
    case SpiesColumn:
        return info.spies;
    case GameColumn:
        return info.running ? info.round : -1;
    default:
        return text(game, column).toCaseFolded();
    }
}

QVariant GameListModel::data(const QModelIndex &index, int role) const
{
    const discovery::ListedGame *listed = game(index.row());
    if (!listed || index.column() < 0 || index.column() >= ColumnCount)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole:
        return text(*listed, index.column());
    case SortRole:
        return sortKey(*listed, index.column());
    default:
        return {};
    }
}

QVariant GameListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QStringList headers{QStringLiteral("Host"),    QStringLiteral("Address"),
                                     QStringLiteral("Players"), QStringLiteral("Spies"),
                                     QStringLiteral("Game"),    QStringLiteral("Version")};
    return section >= 0 && section < headers.size() ? headers[section] : QVariant();
}
