#include "client/roundreviewwindow.h"

#include "client/reviewlook.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// The word an item stands for; empty for players, groups and notes.
constexpr int kWordRole = Qt::UserRole + 1;

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

QTreeWidget *makeTree(const QString &objectName, QWidget *parent)
{
    auto *tree = new QTreeWidget(parent);
    tree->setObjectName(objectName);
    tree->setColumnCount(2);
    tree->header()->setStretchLastSection(false);
    tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    tree->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    tree->setRootIsDecorated(true);
    tree->setUniformRowHeights(true);
    return tree;
}

// A row of one word: the word and its points; both cells are named for screen readers.
QTreeWidgetItem *wordItem(QTreeWidgetItem *parent, const QByteArray &word)
{
    auto *item = new QTreeWidgetItem(parent);
    const QString text = QString::fromLatin1(word);
    item->setText(0, text);
    item->setText(1, QString::number(word.size()));
    item->setData(0, kWordRole, word);
    item->setData(0, Qt::AccessibleTextRole, text + ", " + pointsText(int(word.size())));
    item->setData(1, Qt::AccessibleTextRole, pointsText(int(word.size())));
    return item;
}

// A row that says something instead of listing words.
void noteItem(QTreeWidgetItem *parent, const QString &text)
{
    auto *note = new QTreeWidgetItem(parent);
    note->setText(0, text);
    note->setData(0, Qt::AccessibleTextRole, text);
    note->setData(1, Qt::AccessibleTextRole, text);
}

QTreeWidgetItem *groupItem(QTreeWidget *tree, const QString &title, qsizetype count)
{
    auto *group = new QTreeWidgetItem(tree);
    group->setText(0, title);
    group->setText(1, QString::number(count));
    QFont bold = group->font(0);
    bold.setBold(true);
    group->setFont(0, bold);
    group->setData(0, Qt::AccessibleTextRole, title + ", " + wordsText(count));
    group->setData(1, Qt::AccessibleTextRole, wordsText(count));
    return group;
}

// "you" for this copy's own seat, in lower case as it stands mid-sentence.
QString finderName(const ReviewContext &context, int seat)
{
    return seat == context.myseat ? QStringLiteral("you")
                                  : ReviewLook::seatName(context.names, seat);
}

} // namespace

RoundReviewWindow::RoundReviewWindow(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("RoundReview"));
    setAccessibleName(QStringLiteral("Round review"));
    ReviewLook::apply(this);

    label_title = makeLabel(QStringLiteral("label_title"), ReviewLook::kHighlight, true, this);
    QFont title = label_title->font();
    title.setPointSizeF(title.pointSizeF() * 1.3);
    label_title->setFont(title);
    label_rule = makeLabel(QStringLiteral("label_rule"), ReviewLook::kCaption, false, this);
    label_best = makeLabel(QStringLiteral("label_best"), ReviewLook::kText, true, this);
    label_longest = makeLabel(QStringLiteral("label_longest"), ReviewLook::kCaption, false, this);

    label_found = makeLabel(QStringLiteral("label_found"), ReviewLook::kCaption, true, this);
    label_found->setText(QStringLiteral("Words found"));
    tree_found = makeTree(QStringLiteral("tree_found"), this);
    tree_found->setAccessibleName(QStringLiteral("Words found"));
    tree_found->setAccessibleDescription(
        QStringLiteral("Each player with the round's points, and the player's words beneath"));
    tree_found->setHeaderLabels({QStringLiteral("Player and word"), QStringLiteral("Points")});
    label_found->setBuddy(tree_found);

    label_missed = makeLabel(QStringLiteral("label_missed"), ReviewLook::kCaption, true, this);
    tree_missed = makeTree(QStringLiteral("tree_missed"), this);
    tree_missed->setHeaderLabels({QStringLiteral("Word"), QStringLiteral("Points")});
    tree_missed->setAccessibleName(QStringLiteral("Missed by everyone"));
    label_missed->setBuddy(tree_missed);

    label_meaning = makeLabel(QStringLiteral("label_meaning"), ReviewLook::kText, false, this);
    label_meaning->setTextFormat(Qt::PlainText);
    label_meaning->setAccessibleName(QStringLiteral("Meaning"));
    label_meaning->setMinimumHeight(label_meaning->fontMetrics().height() * 3);
    label_meaning->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    for (QTreeWidget *tree : {tree_found, tree_missed}) {
        connect(tree, &QTreeWidget::itemClicked, this, &RoundReviewWindow::chooseItem);
        connect(tree, &QTreeWidget::itemActivated, this, &RoundReviewWindow::chooseItem);
    }

    button_allmissed = new QPushButton(this);
    button_allmissed->setObjectName(QStringLiteral("button_allmissed"));
    button_allmissed->setAutoDefault(false);
    connect(button_allmissed, &QPushButton::clicked, this, &RoundReviewWindow::showAllMissed);
    button_summary = new QPushButton(QStringLiteral("Summary"), this);
    button_summary->setObjectName(QStringLiteral("button_summary"));
    button_summary->setAccessibleName(QStringLiteral("Back to the game summary"));
    button_summary->setAutoDefault(false);
    button_summary->hide();
    connect(button_summary, &QPushButton::clicked, this, &RoundReviewWindow::summaryRequested);
    button_close = new QPushButton(QStringLiteral("Close"), this);
    button_close->setObjectName(QStringLiteral("button_close"));
    button_close->setAccessibleName(QStringLiteral("Close the round review"));
    button_close->setAutoDefault(false);
    connect(button_close, &QPushButton::clicked, this, &RoundReviewWindow::closeRequested);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(button_allmissed);
    buttons->addStretch(1);
    buttons->addWidget(button_summary);
    buttons->addWidget(button_close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label_title);
    layout->addWidget(label_rule);
    layout->addWidget(label_best);
    layout->addWidget(label_longest);
    layout->addSpacing(4);
    layout->addWidget(label_found);
    layout->addWidget(tree_found, 2);
    layout->addSpacing(4);
    layout->addWidget(label_missed);
    layout->addWidget(tree_missed, 3);
    layout->addWidget(label_meaning);
    layout->addLayout(buttons);

    setTabOrder(tree_found, tree_missed);
    setTabOrder(tree_missed, button_allmissed);
    setTabOrder(button_allmissed, button_summary);
    setTabOrder(button_summary, button_close);
}

void RoundReviewWindow::showReview(const RoundReview &review, const ReviewContext &context)
{
    round_ = review.round;
    label_title->setText(
        context.tieBreak ? QStringLiteral("Tie-break round (round %1)").arg(review.round)
                         : QStringLiteral("Round %1 of %2").arg(review.round).arg(context.rounds));
    const QString beginning = QString::fromLatin1(review.rule.prefix);
    label_rule->setText(review.rule.wordlength == 0
                            ? QStringLiteral("Words beginning with %1, any length").arg(beginning)
                            : QStringLiteral("Words beginning with %1, %2 letters")
                                  .arg(beginning)
                                  .arg(review.rule.wordlength));

    QStringList best;
    for (const BestWord &word : review.bestFound)
        best << QStringLiteral("%1, %2, by %3")
                    .arg(QString::fromLatin1(word.word), pointsText(word.points),
                         finderName(context, word.seat));
    label_best->setText(best.isEmpty() ? QStringLiteral("Nobody found a word.")
                                       : QStringLiteral("Best found: ") + best.join("; "));
    label_best->setAccessibleName(label_best->text());

    const BestWord &longest = review.longest;
    if (longest.word.isEmpty()) {
        label_longest->setText(QStringLiteral("No word fitted this round."));
    } else {
        QString finder;
        if (longest.seat != 0)
            finder = QStringLiteral("found by ") + finderName(context, longest.seat);
        else if (review.missedScope == MissedScope::You)
            finder = QStringLiteral("not found by you");
        else
            finder = QStringLiteral("nobody found it");
        label_longest->setText(QStringLiteral("Longest possible: %1, %2 letters, %3")
                                   .arg(QString::fromLatin1(longest.word))
                                   .arg(longest.word.size())
                                   .arg(finder));
    }
    label_longest->setAccessibleName(label_longest->text());
    showMeaning(QStringLiteral("Click a word or press Enter on it to see its meaning."));
    fillFound(review, context);
    fillMissed(review);
}

void RoundReviewWindow::showMeaning(const QString &text)
{
    label_meaning->setText(text);
    label_meaning->setAccessibleDescription(text);
}

void RoundReviewWindow::chooseItem(QTreeWidgetItem *item)
{
    const QByteArray word = item ? item->data(0, kWordRole).toByteArray() : QByteArray();
    if (!word.isEmpty())
        emit wordChosen(word);
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
        player->setData(1, Qt::AccessibleTextRole, pointsText(points));
        QFont bold = player->font(0);
        bold.setBold(true);
        player->setFont(0, bold);
        player->setFont(1, bold);
        if (hidden) {
            player->setData(
                0, Qt::AccessibleTextRole,
                QStringLiteral("%1: %2, words not shown")
                    .arg(ReviewLook::seatName(context.names, seat), pointsText(points)));
            noteItem(player, QStringLiteral("Words not shown to you"));
            continue;
        }
        player->setData(0, Qt::AccessibleTextRole,
                        QStringLiteral("%1: %2, %3")
                            .arg(ReviewLook::seatName(context.names, seat), wordsText(words.size()),
                                 pointsText(points)));
        if (words.isEmpty())
            noteItem(player, QStringLiteral("No words"));
        for (const FoundWord &word : words) {
            QTreeWidgetItem *item = wordItem(player, word.word);
            item->setText(1, QString::number(word.points));
            item->setData(0, Qt::AccessibleTextRole,
                          QString::fromLatin1(word.word) + ", " + pointsText(word.points));
            item->setData(1, Qt::AccessibleTextRole, pointsText(word.points));
        }
    }
    tree_found->expandAll();
    // The first row is where the keyboard starts, without a selection that would light it up.
    if (tree_found->topLevelItemCount() > 0)
        tree_found->setCurrentItem(tree_found->topLevelItem(0), 0, QItemSelectionModel::NoUpdate);
}

void RoundReviewWindow::fillMissed(const RoundReview &review)
{
    missed_ = review.missed;
    commonMissed_ = review.commonMissed;
    const bool everyone = review.missedScope == MissedScope::Everyone;
    const QString heading =
        everyone ? QStringLiteral("Missed by everyone") : QStringLiteral("Words you did not find");
    const QString count = missed_.isEmpty() ? QStringLiteral("none") : wordsText(missed_.size());
    label_missed->setText(heading + ": " + count);
    tree_missed->setAccessibleName(heading);
    tree_missed->setAccessibleDescription(
        QStringLiteral("%1: the common ones first, then all of them by length")
            .arg(wordsText(missed_.size())));
    tree_missed->clear();
    QTreeWidgetItem *common =
        groupItem(tree_missed, QStringLiteral("Common words you missed"), commonMissed_);
    for (qsizetype i = 0; i < commonMissed_; ++i)
        wordItem(common, missed_.at(i));
    if (commonMissed_ == 0)
        noteItem(common, QStringLiteral("None"));
    common->setExpanded(true);
    tree_missed->setCurrentItem(common, 0, QItemSelectionModel::NoUpdate);

    const bool more = missed_.size() > commonMissed_;
    button_allmissed->setText(QStringLiteral("Show all %1").arg(missed_.size()));
    button_allmissed->setAccessibleName(
        QStringLiteral("Show all %1 %2").arg(missed_.size()).arg(heading.toLower()));
    button_allmissed->setVisible(more);
    button_allmissed->setEnabled(more);
}

void RoundReviewWindow::showAllMissed()
{
    if (!button_allmissed->isEnabled())
        return;
    tree_missed->setUpdatesEnabled(false);
    // The rest, longest first, one group per length; the words of a group keep their order.
    QTreeWidgetItem *group = nullptr;
    qsizetype groupLength = -1;
    for (qsizetype i = commonMissed_; i < missed_.size(); ++i) {
        const QByteArray &word = missed_.at(i);
        if (word.size() != groupLength) {
            groupLength = word.size();
            group = groupItem(tree_missed, QStringLiteral("%1 letters").arg(groupLength), 0);
        }
        wordItem(group, word);
    }
    for (int i = 1; i < tree_missed->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = tree_missed->topLevelItem(i);
        const int count = item->childCount();
        item->setText(1, QString::number(count));
        item->setData(0, Qt::AccessibleTextRole, item->text(0) + ", " + wordsText(count));
        item->setData(1, Qt::AccessibleTextRole, wordsText(count));
    }
    tree_missed->setUpdatesEnabled(true);
    button_allmissed->setEnabled(false);
    tree_missed->setFocus();
}

void RoundReviewWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Escape)
        return QWidget::keyPressEvent(event);
    emit closeRequested();
}
