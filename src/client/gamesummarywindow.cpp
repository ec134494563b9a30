#include "client/gamesummarywindow.h"

#include "client/reviewlook.h"
#include "client/roundchart.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Column { Player, Words, Best, Longest, Points, Columns };

// A word and its points; "-" without words, "not shown" for words this copy was not told.
QString wordText(const FoundWord &word, int wordsFound)
{
    if (word.word.isEmpty())
        return wordsFound == 0 ? QStringLiteral("-") : QStringLiteral("not shown");
    return QStringLiteral("%1 (%2)").arg(QString::fromLatin1(word.word)).arg(word.points);
}

} // namespace

GameSummaryWindow::GameSummaryWindow(QWidget *parent)
    : QDialog(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("GameSummary"));
    setWindowTitle(QStringLiteral("Game summary"));
    setAccessibleName(QStringLiteral("Game summary"));
    setModal(false);
    // It opens while a player may be typing in the chat: the keyboard stays there.
    setAttribute(Qt::WA_ShowWithoutActivating);
    ReviewLook::apply(this);

    label_title = new QLabel(this);
    label_title->setObjectName(QStringLiteral("label_title"));
    ReviewLook::colour(label_title, ReviewLook::kHighlight, true);
    QFont title = label_title->font();
    title.setPointSizeF(title.pointSizeF() * 1.3);
    label_title->setFont(title);

    tree_players = new QTreeWidget(this);
    tree_players->setObjectName(QStringLiteral("tree_players"));
    tree_players->setAccessibleName(QStringLiteral("Players"));
    tree_players->setAccessibleDescription(
        QStringLiteral("Each player's words found, best word, longest word and points"));
    tree_players->setColumnCount(Columns);
    tree_players->setHeaderLabels({QStringLiteral("Player"), QStringLiteral("Words"),
                                   QStringLiteral("Best word"), QStringLiteral("Longest word"),
                                   QStringLiteral("Points")});
    tree_players->setRootIsDecorated(false);
    tree_players->setUniformRowHeights(true);
    tree_players->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tree_players->header()->setStretchLastSection(false);
    tree_players->header()->setSectionResizeMode(Player, QHeaderView::Stretch);

    label_chart = new QLabel(QStringLiteral("Points per round"), this);
    label_chart->setObjectName(QStringLiteral("label_chart"));
    ReviewLook::colour(label_chart, ReviewLook::kCaption, true);
    chart = new RoundChart(this);
    label_chart->setBuddy(chart);

    button_close = new QPushButton(QStringLiteral("Close"), this);
    button_close->setObjectName(QStringLiteral("button_close"));
    button_close->setAccessibleName(QStringLiteral("Close the game summary"));
    button_close->setDefault(true);
    connect(button_close, &QPushButton::clicked, this, &QDialog::hide);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(button_close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label_title);
    layout->addWidget(tree_players, 1);
    layout->addSpacing(6);
    layout->addWidget(label_chart);
    layout->addWidget(chart, 2);
    layout->addLayout(buttons);

    setTabOrder(tree_players, chart);
    setTabOrder(chart, button_close);
    resize(560, 480);
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
        row->setText(Longest, wordText(player.longest, player.wordsFound));
        row->setText(Points, QString::number(player.total));
        for (int column : {Words, Points})
            row->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        row->setData(Player, Qt::AccessibleTextRole,
                     QStringLiteral("%1: %2 words, best %3, longest %4, %5 points")
                         .arg(ReviewLook::seatName(names, seat))
                         .arg(player.wordsFound)
                         .arg(wordText(player.best, player.wordsFound),
                              wordText(player.longest, player.wordsFound))
                         .arg(player.total));
    }
    if (tree_players->topLevelItemCount() > 0)
        tree_players->setCurrentItem(tree_players->topLevelItem(0));
    chart->setSummary(summary, names);
}
