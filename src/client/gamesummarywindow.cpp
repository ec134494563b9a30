#include "client/gamesummarywindow.h"

#include "client/reviewlook.h"
#include "client/roundchart.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Column { Player, Words, Best, Rarest, Points, Columns };

// The word a cell stands for; empty for the other cells.
constexpr int kWordRole = Qt::UserRole + 1;

// A word; "-" without words, "not shown" for words this copy was not told.
QString wordText(const FoundWord &word, int wordsFound)
{
    if (word.word.isEmpty())
        return wordsFound == 0 ? QStringLiteral("-") : QStringLiteral("not shown");
    return QString::fromLatin1(word.word);
}

// The best word with its points, for screen readers and the tooltip.
QString bestText(const FoundWord &word, int wordsFound)
{
    if (word.word.isEmpty())
        return wordText(word, wordsFound);
    return QStringLiteral("%1 (%2 points)").arg(QString::fromLatin1(word.word)).arg(word.points);
}

// The rarest word and how common it is.
QString rarestText(const PlayerSummary &player)
{
    if (player.rarest.word.isEmpty())
        return wordText(player.rarest, player.wordsFound);
    return QStringLiteral("%1 (%2)").arg(QString::fromLatin1(player.rarest.word),
                                         ReviewLook::levelName(player.rarestLevel));
}

} // namespace

GameSummaryWindow::GameSummaryWindow(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("GameSummary"));
    setAccessibleName(QStringLiteral("Game summary"));
    ReviewLook::apply(this);

    label_title = new QLabel(this);
    label_title->setObjectName(QStringLiteral("label_title"));
    label_title->setWordWrap(true);
    ReviewLook::colour(label_title, ReviewLook::kHighlight, true);
    QFont title = label_title->font();
    title.setPointSizeF(title.pointSizeF() * 1.3);
    label_title->setFont(title);

    tree_players = new QTreeWidget(this);
    tree_players->setObjectName(QStringLiteral("tree_players"));
    tree_players->setAccessibleName(QStringLiteral("Players"));
    tree_players->setAccessibleDescription(
        QStringLiteral("Each player's words found, best word, rarest word and points"));
    tree_players->setColumnCount(Columns);
    tree_players->setHeaderLabels({QStringLiteral("Player"), QStringLiteral("Words"),
                                   QStringLiteral("Best word"), QStringLiteral("Rarest word"),
                                   QStringLiteral("Points")});
    tree_players->setRootIsDecorated(false);
    tree_players->setUniformRowHeights(true);
    tree_players->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tree_players->header()->setStretchLastSection(false);
    tree_players->header()->setSectionResizeMode(Player, QHeaderView::Stretch);
    connect(tree_players, &QTreeWidget::itemClicked, this, &GameSummaryWindow::chooseItem);
    connect(tree_players, &QTreeWidget::itemActivated, this, &GameSummaryWindow::chooseItem);

    label_chart = new QLabel(QStringLiteral("Points per round"), this);
    label_chart->setObjectName(QStringLiteral("label_chart"));
    ReviewLook::colour(label_chart, ReviewLook::kCaption, true);
    chart = new RoundChart(this);
    label_chart->setBuddy(chart);
    connect(chart, &RoundChart::roundChosen, this, &GameSummaryWindow::roundChosen);

    label_meaning = new QLabel(this);
    label_meaning->setObjectName(QStringLiteral("label_meaning"));
    label_meaning->setWordWrap(true);
    label_meaning->setTextFormat(Qt::PlainText);
    label_meaning->setAccessibleName(QStringLiteral("Meaning"));
    ReviewLook::colour(label_meaning, ReviewLook::kText);

    button_totals = new QPushButton(QStringLiteral("Running totals"), this);
    button_totals->setObjectName(QStringLiteral("button_totals"));
    button_totals->setAccessibleName(QStringLiteral("Show the running totals"));
    button_totals->setCheckable(true);
    button_totals->setAutoDefault(false);
    connect(button_totals, &QPushButton::toggled, this, &GameSummaryWindow::showTotals);
    button_close = new QPushButton(QStringLiteral("Close"), this);
    button_close->setObjectName(QStringLiteral("button_close"));
    button_close->setAccessibleName(QStringLiteral("Close the game summary"));
    button_close->setAutoDefault(false);
    connect(button_close, &QPushButton::clicked, this, &GameSummaryWindow::closeRequested);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(button_totals);
    buttons->addStretch(1);
    buttons->addWidget(button_close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label_title);
    layout->addWidget(tree_players, 1);
    layout->addWidget(label_meaning);
    layout->addSpacing(4);
    layout->addWidget(label_chart);
    layout->addWidget(chart, 3);
    layout->addLayout(buttons);

    setTabOrder(tree_players, chart);
    setTabOrder(chart, button_totals);
    setTabOrder(button_totals, button_close);
}

void GameSummaryWindow::showSummary(const GameSummary &summary, const std::map<int, QString> &names,
                                    int winner)
{
    label_title->setText(
        winner == 0
            ? QStringLiteral("Game Over!")
            : QStringLiteral("Game Over! %1 won.").arg(ReviewLook::seatName(names, winner)));
    tree_players->clear();
    for (const auto &[seat, player] : summary.players) {
        auto *row = new QTreeWidgetItem(tree_players);
        row->setIcon(Player, ReviewLook::seatSwatch(seat));
        row->setText(Player, ReviewLook::seatName(names, seat));
        row->setText(Words, QString::number(player.wordsFound));
        row->setText(Best, wordText(player.best, player.wordsFound));
        row->setToolTip(Best, bestText(player.best, player.wordsFound));
        row->setData(Best, kWordRole, player.best.word);
        row->setText(Rarest, rarestText(player));
        row->setData(Rarest, kWordRole, player.rarest.word);
        row->setText(Points, QString::number(player.total));
        for (int column : {Words, Points})
            row->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        row->setData(Player, Qt::AccessibleTextRole,
                     QStringLiteral("%1: %2 words, best %3, rarest %4, %5 points")
                         .arg(ReviewLook::seatName(names, seat))
                         .arg(player.wordsFound)
                         .arg(bestText(player.best, player.wordsFound), rarestText(player))
                         .arg(player.total));
    }
    // Every player's row in sight, with room for the scroll bar of a narrow panel.
    const int rows = tree_players->topLevelItemCount();
    tree_players->setMinimumHeight(
        rows == 0 ? 0
                  : tree_players->header()->sizeHint().height() +
                        rows * tree_players->sizeHintForRow(0) + 2 * tree_players->frameWidth() +
                        tree_players->horizontalScrollBar()->sizeHint().height());
    // The keyboard starts on the first row, without a selection that would light it up.
    if (tree_players->topLevelItemCount() > 0)
        tree_players->setCurrentItem(tree_players->topLevelItem(0), 0,
                                     QItemSelectionModel::NoUpdate);
    showMeaning(QStringLiteral("Click a word or press Enter on it to see its meaning; choose a "
                               "round on the chart for its review."));
    chart->setSummary(summary, names);
}

void GameSummaryWindow::showMeaning(const QString &text)
{
    label_meaning->setText(text);
    label_meaning->setAccessibleDescription(text);
}

void GameSummaryWindow::chooseItem(QTreeWidgetItem *item, int column)
{
    if (!item)
        return;
    // Enter on a row asks for its best word; a click, for the word clicked.
    QByteArray word = item->data(column, kWordRole).toByteArray();
    if (word.isEmpty())
        word = item->data(Best, kWordRole).toByteArray();
    if (!word.isEmpty())
        emit wordChosen(word);
}

void GameSummaryWindow::showTotals(bool totals)
{
    chart->setView(totals ? RoundChart::View::RunningTotals : RoundChart::View::PerRound);
    label_chart->setText(totals ? QStringLiteral("Running totals")
                                : QStringLiteral("Points per round"));
    button_totals->setText(totals ? QStringLiteral("Points per round")
                                  : QStringLiteral("Running totals"));
    button_totals->setAccessibleName(totals ? QStringLiteral("Show the points per round")
                                            : QStringLiteral("Show the running totals"));
}

void GameSummaryWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Escape)
        return QWidget::keyPressEvent(event);
    emit closeRequested();
}
