#pragma once

#include <QTreeView>

class GameListModel;
class QSortFilterProxyModel;

// The list of games in the lobby window: sorts by the column clicked (first
// heard first until then), keeps the host column's room whatever the other
// cells hold and elides long texts in their own cells; the whole text is in
// the cell's tool tip.
class GameListView : public QTreeView {
public:
    explicit GameListView(GameListModel *games, QWidget *parent = nullptr);

    // The model row of the current game; -1 when none.
    int currentGameRow() const;
    // Makes a game current when none is and the list has one.
    void chooseFirstIfNone();

private:
    void setColumnWidths();

    GameListModel *games_;
    QSortFilterProxyModel *sorted_;
};
