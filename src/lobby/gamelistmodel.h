#pragma once

#include "discovery/gametable.h"

#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QTimer>

#include <functional>
#include <vector>

// The games a lobby lists, as a table for a view. It follows a list of games
// (the browser's) row by row: rows are inserted, changed and removed one by
// one, never rebuilt, and the changes are taken in at most every
// kMinFlushIntervalMs, so a flood of datagrams costs a few repaints a second.
class GameListModel : public QAbstractTableModel {
public:
    enum Column {
        HostColumn,
        AddressColumn,
        PlayersColumn,
        SpiesColumn,
        GameColumn,
        VersionColumn,
        ColumnCount
    };
    // The role the columns sort by: numbers for the number columns.
    static constexpr int SortRole = Qt::UserRole + 1;
    static constexpr int kMinFlushIntervalMs = 250;

    // games: the list followed; read at each flush.
    explicit GameListModel(std::function<const std::vector<discovery::ListedGame> &()> games,
                           QObject *parent = nullptr);

    // The list followed has changed; the rows follow within kMinFlushIntervalMs.
    void changed();
    // Takes the changes in now (the coalescing timer's handler).
    void flush();
    // The game of row; null when there is none.
    const discovery::ListedGame *game(int row) const;
    // True when the game of row runs this copy's version.
    bool sameVersion(int row) const;

    // The name as a list shows it: "(no name)" for one with nothing visible.
    static QString shownName(const QString &name);
    // Where the game of row is joined, as the list shows it.
    static QString addressText(const discovery::ListedGame &game);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QString text(const discovery::ListedGame &game, int column) const;
    QVariant sortKey(const discovery::ListedGame &game, int column) const;

    std::function<const std::vector<discovery::ListedGame> &()> games_;
    std::vector<discovery::ListedGame> rows_;
    QTimer flushTimer_;
    QElapsedTimer sinceFlush_;
};
