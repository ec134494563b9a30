#include "lobby/gamelistview.h"

#include "lobby/gamelistmodel.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QSortFilterProxyModel>

GameListView::GameListView(GameListModel *games, QWidget *parent)
    : QTreeView(parent)
    , games_(games)
    , sorted_(new QSortFilterProxyModel(this))
{
    sorted_->setSourceModel(games);
    sorted_->setSortRole(GameListModel::SortRole);
    sorted_->setDynamicSortFilter(true);
    setModel(sorted_);
    setRootIsDecorated(false);
    setAllColumnsShowFocus(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTextElideMode(Qt::ElideRight);
    // Unsorted (the order games were first heard) until a column is clicked.
    header()->setSortIndicator(-1, Qt::AscendingOrder);
    setSortingEnabled(true);
    header()->setSectionsClickable(true);
    setColumnWidths();
}

void GameListView::setColumnWidths()
{
    // Every column but the host's has a width fitting its usual text; longer
    // texts are elided. The host's column takes the rest of the room.
    const QFontMetrics metrics(font());
    const auto fit = [&metrics](const QString &sample) {
        return metrics.horizontalAdvance(sample) + 2 * metrics.averageCharWidth() + 8;
    };
    QHeaderView *columns = header();
    columns->setStretchLastSection(false);
    columns->setMinimumSectionSize(fit(QStringLiteral("Spies")));
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setSectionResizeMode(GameListModel::HostColumn, QHeaderView::Stretch);
    columns->resizeSection(GameListModel::AddressColumn,
                           fit(QStringLiteral("192.168.100.200:65535")));
    columns->resizeSection(GameListModel::PlayersColumn, fit(QStringLiteral("Players 6")));
    columns->resizeSection(GameListModel::SpiesColumn, fit(QStringLiteral("Spies")));
    columns->resizeSection(GameListModel::GameColumn, fit(QStringLiteral("round 10 of 10")));
    columns->resizeSection(GameListModel::VersionColumn, fit(QStringLiteral("1.0.3 (yours)")));
    // The host column keeps at least the room of a long usual name.
    int width = metrics.averageCharWidth() * 20;
    for (int column = GameListModel::AddressColumn; column < GameListModel::ColumnCount; ++column)
        width += columns->sectionSize(column);
    setMinimumWidth(width + 2 * frameWidth() + verticalScrollBar()->sizeHint().width());
}

int GameListView::currentGameRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? sorted_->mapToSource(current).row() : -1;
}

void GameListView::chooseFirstIfNone()
{
    if (!currentIndex().isValid() && sorted_->rowCount() > 0)
        setCurrentIndex(sorted_->index(0, 0));
}
