#include "client/roundreviewwindow.h"

#include "client/reviewlook.h"

#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString pointsText(int points)
{
    return points == 1 ? QStringLiteral("1 point") : QString::number(points) + " points";
}

QString wordsText(qsizetype count)
{
    return count == 1 ? QStringLiteral("1 word") : QString::number(count) + " words";
}

QLabel *makeLabel(const QString &objectName, const QColor &colour, bool bold, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    ReviewLook::colour(label, colour, bold);
    return label;
}

} // namespace

RoundReviewWindow::RoundReviewWindow(QWidget *parent)
    : QDialog(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("RoundReview"));
    setWindowTitle(QStringLiteral("Round review"));
    setAccessibleName(QStringLiteral("Round review"));
    setModal(false);
    // It opens while a player may be typing in the chat: the keyboard stays there.
    setAttribute(Qt::WA_ShowWithoutActivating);
    ReviewLook::apply(this);

    label_title = makeLabel(QStringLiteral("label_title"), ReviewLook::kHighlight, true, this);
    QFont title = label_title->font();
    title.setPointSizeF(title.pointSizeF() * 1.3);
    label_title->setFont(title);
    label_rule = makeLabel(QStringLiteral("label_rule"), ReviewLook::kCaption, false, this);
    label_best = makeLabel(QStringLiteral("label_best"), ReviewLook::kText, true, this);

    label_found = makeLabel(QStringLiteral("label_found"), ReviewLook::kCaption, true, this);
    label_found->setText(QStringLiteral("Words found"));
    tree_found = new QTreeWidget(this);
    tree_found->setObjectName(QStringLiteral("tree_found"));
    tree_found->setAccessibleName(QStringLiteral("Words found"));
    tree_found->setAccessibleDescription(
        QStringLiteral("Each player with the round's points, and the player's words beneath"));
    tree_found->setColumnCount(2);
    tree_found->setHeaderLabels({QStringLiteral("Player and word"), QStringLiteral("Points")});
    tree_found->header()->setStretchLastSection(false);
    tree_found->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    tree_found->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    tree_found->setRootIsDecorated(true);
    tree_found->setUniformRowHeights(true);
    label_found->setBuddy(tree_found);

    label_missed = makeLabel(QStringLiteral("label_missed"), ReviewLook::kCaption, true, this);
    list_missed = new QListWidget(this);
    list_missed->setObjectName(QStringLiteral("list_missed"));
    list_missed->setUniformItemSizes(true);
    label_missed->setBuddy(list_missed);

    button_allmissed = new QPushButton(this);
    button_allmissed->setObjectName(QStringLiteral("button_allmissed"));
    button_allmissed->setAutoDefault(false);
    connect(button_allmissed, &QPushButton::clicked, this, &RoundReviewWindow::showAllMissed);
    button_close = new QPushButton(QStringLiteral("Close"), this);
    button_close->setObjectName(QStringLiteral("button_close"));
    button_close->setAccessibleName(QStringLiteral("Close the round review"));
    button_close->setDefault(true);
    connect(button_close, &QPushButton::clicked, this, &QDialog::hide);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(button_allmissed);
    buttons->addStretch(1);
    buttons->addWidget(button_close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label_title);
    layout->addWidget(label_rule);
    layout->addWidget(label_best);
    layout->addSpacing(6);
    layout->addWidget(label_found);
    layout->addWidget(tree_found, 1);
    layout->addSpacing(6);
    layout->addWidget(label_missed);
    layout->addWidget(list_missed, 1);
    layout->addLayout(buttons);

    setTabOrder(tree_found, list_missed);
    setTabOrder(list_missed, button_allmissed);
    setTabOrder(button_allmissed, button_close);
    resize(380, 600);
}

void RoundReviewWindow::showReview(const RoundReview &review, const ReviewContext &context)
{
    label_title->setText(
        context.tieBreak ? QStringLiteral("Tie-break round (round %1)").arg(review.round)
                         : QStringLiteral("Round %1 of %2").arg(review.round).arg(context.rounds));
    const QString beginning = QString::fromLatin1(review.rule.prefix);
    label_rule->setText(review.rule.wordlength == 0
                            ? QStringLiteral("Words beginning with %1, any length").arg(beginning)
                            : QStringLiteral("Words beginning with %1, %2 letters")
                                  .arg(beginning)
                                  .arg(review.rule.wordlength));

    const BestWord &best = review.best;
    if (best.word.isEmpty()) {
        label_best->setText(QStringLiteral("No word fitted this round."));
    } else {
        QString finder;
        if (best.seat != 0)
            finder = QStringLiteral("found by ") + ReviewLook::seatName(context.names, best.seat);
        else if (review.missedScope == MissedScope::You)
            finder = QStringLiteral("not found by you");
        else
            finder = QStringLiteral("nobody found it");
        label_best->setText(
            QStringLiteral("Best word: %1, %2, %3.")
                .arg(QString::fromLatin1(best.word), pointsText(best.points), finder));
    }
    label_best->setAccessibleName(label_best->text());
    fillFound(review, context);
    fillMissed(review);
}

void RoundReviewWindow::fillFound(const RoundReview &review, const ReviewContext &context)
{
    tree_found->clear();
    for (const auto &[seat, words] : review.found) {
        const bool hidden = review.missedScope == MissedScope::You && seat != context.myseat;
        auto *player = new QTreeWidgetItem(tree_found);
        player->setIcon(0, ReviewLook::seatSwatch(seat));
        player->setText(0, ReviewLook::seatName(context.names, seat));
        const auto told = context.points.find(seat);
        const int points = told == context.points.end() ? pointsOf(words) : told->second;
        player->setText(1, QString::number(points));
        QFont bold = player->font(0);
        bold.setBold(true);
        player->setFont(0, bold);
        player->setFont(1, bold);
        if (hidden) {
            player->setData(
                0, Qt::AccessibleTextRole,
                QStringLiteral("%1: %2, words not shown")
                    .arg(ReviewLook::seatName(context.names, seat), pointsText(points)));
            auto *note = new QTreeWidgetItem(player);
            note->setText(0, QStringLiteral("Words not shown to you"));
            continue;
        }
        player->setData(0, Qt::AccessibleTextRole,
                        QStringLiteral("%1: %2, %3")
                            .arg(ReviewLook::seatName(context.names, seat), wordsText(words.size()),
                                 pointsText(points)));
        if (words.isEmpty()) {
            auto *note = new QTreeWidgetItem(player);
            note->setText(0, QStringLiteral("No words"));
        }
        for (const FoundWord &word : words) {
            auto *item = new QTreeWidgetItem(player);
            item->setText(0, QString::fromLatin1(word.word));
            item->setText(1, QString::number(word.points));
            item->setData(0, Qt::AccessibleTextRole,
                          QString::fromLatin1(word.word) + ", " + pointsText(word.points));
        }
    }
    tree_found->expandAll();
    if (tree_found->topLevelItemCount() > 0)
        tree_found->setCurrentItem(tree_found->topLevelItem(0));
}

void RoundReviewWindow::fillMissed(const RoundReview &review)
{
    missed_ = review.missed;
    const bool everyone = review.missedScope == MissedScope::Everyone;
    const QString heading =
        everyone ? QStringLiteral("Missed by everyone") : QStringLiteral("Words you did not find");
    const QString count = missed_.isEmpty() ? QStringLiteral("none") : wordsText(missed_.size());
    label_missed->setText(heading + ": " + count);
    list_missed->setAccessibleName(heading);
    list_missed->setAccessibleDescription(
        QStringLiteral("%1, longest first, then alphabetically").arg(wordsText(missed_.size())));
    list_missed->clear();
    addMissed(0, qMin<qsizetype>(missed_.size(), kFirstMissed));

    const bool more = missed_.size() > kFirstMissed;
    button_allmissed->setText(QStringLiteral("Show all %1").arg(missed_.size()));
    button_allmissed->setAccessibleName(
        QStringLiteral("Show all %1 %2").arg(missed_.size()).arg(heading.toLower()));
    button_allmissed->setVisible(more);
    button_allmissed->setEnabled(more);
}

void RoundReviewWindow::showAllMissed()
{
    addMissed(list_missed->count(), missed_.size());
    button_allmissed->setEnabled(false);
    list_missed->setFocus();
}

void RoundReviewWindow::addMissed(qsizetype from, qsizetype to)
{
    list_missed->setUpdatesEnabled(false);
    for (qsizetype i = from; i < to; ++i)
        list_missed->addItem(QString::fromLatin1(missed_.at(i)));
    list_missed->setUpdatesEnabled(true);
}
