#include "client/chatmenus.h"
#include "client/chatpane.h"
#include "client/gameboard.h"
#include "client/gamescorepanels.h"
#include "client/gamesummarywindow.h"
#include "client/gameview.h"
#include "client/reviewlook.h"
#include "client/reviewwindows.h"
#include "client/roundchart.h"
#include "client/roundreviewwindow.h"
#include "client/soundplayer.h"
#include "client/tchat.h"
#include "common/messagebox.h"
#include "dialogs/tgamestart.h"
#include "dict/roundrule.h"
#include "dict/tdictn.h"
#include "dict/wordlevels.h"
#include "dict/wordmeanings.h"
#include "loopbackport.h"
#include "model/gamemodel.h"
#include "net/messages.h"
#include "server/tserver.h"
#include "tallywindow/ttallylist.h"
#include "widgets/gamecheckimage.h"
#include "widgets/gamepicturebutton.h"
#include "widgets/gameupdown.h"
#include "widgets/tag.h"
#include "windowsupport.h"

#include <QAccessible>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>
#include <QtTest>

namespace {

constexpr int kWait = 15000;
// Far beyond any test: the round and computer timers never fire by
// themselves, the test steps them.
constexpr int kNever = 24 * 60 * 60 * 1000;

// The words under a player's row of the review's tree.
QStringList wordsOf(const QTreeWidget *tree, const QString &player)
{
    QStringList words;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = tree->topLevelItem(i);
        if (row->text(0) != player)
            continue;
        for (int c = 0; c < row->childCount(); ++c)
            words << row->child(c)->text(0) + ":" + row->child(c)->text(1);
    }
    return words;
}

// The words under each group of the missed tree, group after group.
QStringList listed(const QTreeWidget *tree)
{
    QStringList words;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        for (int c = 0; c < tree->topLevelItem(i)->childCount(); ++c)
            if (!tree->topLevelItem(i)->child(c)->text(1).isEmpty())
                words << tree->topLevelItem(i)->child(c)->text(0);
    return words;
}

// The panel lies inside the main window, over none of the board, the chat or the score panels.
void verifyDocked(Tchat &chat)
{
    QDockWidget *dock = chat.reviews->dock;
    QVERIFY(dock->isVisible());
    QVERIFY(!dock->isFloating());
    QCOMPARE(dock->window(), &chat);
    const QRect panel(dock->mapToGlobal(QPoint(0, 0)), dock->size());
    for (QWidget *kept : QList<QWidget *>{chat.chat, chat.chat->mychat, chat.panel_board,
                                          chat.gameview->board()->panel_scores}) {
        const QRect rect(kept->mapToGlobal(QPoint(0, 0)), kept->size());
        QVERIFY2(!panel.intersects(rect), qPrintable(kept->objectName()));
    }
}

} // namespace

class TestRoundReview : public QObject {
    Q_OBJECT
private slots:
    void reviewAfterEachRoundAndSummary();
    void hiddenWordsSayYou();
    void hiddenWordsSummary();
};

// A two-round solo game against the computer player through the real server:
// both copies find a word of the same length, the second round nobody scores,
// so a tie-break round follows that the computer player wins.
void TestRoundReview::reviewAfterEachRoundAndSummary()
{
    // A fixed seed fixes the round's letters and the computer's word, so a
    // word of the same length always exists for the tie. The window seeds
    // the game's numbers when it is made, from LEXICLASH_SEED when it is set.
    qputenv("LEXICLASH_SEED", "20261210");
    qputenv("LEXICLASH_PORT", QByteArray::number(unusedLoopbackPort()));
    setMessageBoxHandler([](const QString &) {});

    SoloTable table;
    Tchat &chat = table.chat;
    Tgamestart &gamestart = table.gamestart;
    TServer &server = table.server;

    GameView *view = chat.gameview;
    GameBoard *board = view->board();
    view->sounds()->setSink([](const QString &) {});
    chat.model->turntime->setInterval(kNever);
    setTag(chat.menus->BotSpeed2, kNever);
    RoundReviewWindow *review = chat.reviews->review;
    GameSummaryWindow *summary = chat.reviews->summary;
    QDockWidget *dock = chat.reviews->dock;
    QVERIFY(!review->isVisible());
    QVERIFY(!chat.menus->LastReview1->isEnabled());

    chat.show();
    QTRY_VERIFY_WITH_TIMEOUT(chat.model->loggedIn(), kWait);

    // Two rounds of words of any length.
    QTest::mouseClick(board->button_start, Qt::LeftButton);
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(gamestart.UpDown1->downArrow(), Qt::LeftButton);
    QTest::mouseClick(gamestart.image_letters[0], Qt::LeftButton);
    QTest::mouseClick(gamestart.Image1, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(board->label_status->text(), QStringLiteral("Your Turn."), kWait);
    const QByteArray prefix = server.state().prefix;

    // The computer player finds a word; ours has as many letters.
    server.computerfindword();
    QTRY_VERIFY_WITH_TIMEOUT(board->memo_wordlist->toPlainText().contains(" : Klot"), kWait);
    const QString klots = board->memo_wordlist->toPlainText().section(QStringLiteral(" : "), 1, 1);
    QVERIFY(!klots.isEmpty());
    const RoundRule rule{prefix, 0};
    QByteArray mine;
    server.dictionary().forEachWithPrefix(QString::fromLatin1(prefix), [&](QByteArrayView view) {
        const QByteArray word = view.toByteArray();
        if (word.size() != klots.size() || word == klots.toLatin1() ||
            rule.judge(word, server.dictionary()) != Refusal::None)
            return true;
        mine = word;
        return false;
    });
    QVERIFY2(!mine.isEmpty(), prefix.constData());
    QTest::keyClicks(board->edit_word, QString::fromLatin1(mine.toLower()));
    QTest::keyClick(board->edit_word, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(board->memo_wordlist->toPlainText().count('\n'), 1, kWait);

    // The round ends: the review opens in the panel beside the chat.
    while (server.state().roundon)
        server.roundtimerTimer();
    QTRY_VERIFY_WITH_TIMEOUT(review->isVisible(), kWait);
    QVERIFY(board->panel_scores->isVisible());
    verifyDocked(chat);
    QVERIFY(chat.menus->LastReview1->isEnabled());
    QCOMPARE(review->label_title->text(), QStringLiteral("Round 1 of 2"));
    QCOMPARE(
        review->label_rule->text(),
        QStringLiteral("Words beginning with %1, any length").arg(QString::fromLatin1(prefix)));
    const QString points = QString::number(mine.size());
    QCOMPARE(wordsOf(review->tree_found, QStringLiteral("You")),
             QStringList{QString::fromLatin1(mine) + ":" + points});
    QCOMPARE(wordsOf(review->tree_found, QStringLiteral("Klot")),
             QStringList{klots + ":" + points});

    // Best found: both words have as many points; the rarer is best, both when equally rare.
    const WordLevels levels(server.dictionary());
    const int myLevel = levels.levelOfWord(mine);
    const int klotsLevel = levels.levelOfWord(klots.toLatin1());
    const QString myPart =
        QStringLiteral("%1, %2 points, by you").arg(QString::fromLatin1(mine), points);
    const QString klotsPart = QStringLiteral("%1, %2 points, by Klot").arg(klots, points);
    QString best = myLevel > klotsLevel ? myPart : klotsPart;
    if (myLevel == klotsLevel)
        best = mine < klots.toLatin1() ? myPart + "; " + klotsPart : klotsPart + "; " + myPart;
    QCOMPARE(review->label_best->text(), QStringLiteral("Best found: ") + best);
    QVERIFY(review->label_longest->text().startsWith(QStringLiteral("Longest possible: ")));

    // Missed by everyone: the common words first, the rest by length behind "Show all".
    QVERIFY(review->label_missed->text().startsWith(QStringLiteral("Missed by everyone: ")));
    const int total = review->label_missed->text().section(' ', 3, 3).toInt();
    QVERIFY(total > 0);
    const QTreeWidgetItem *common = review->tree_missed->topLevelItem(0);
    QCOMPARE(common->text(0), QStringLiteral("Common words you missed"));
    const int commonCount = common->text(1).toInt();
    QCOMPARE(review->tree_missed->topLevelItemCount(), 1);
    QCOMPARE(review->button_allmissed->isVisible(), total > commonCount);
    if (total > commonCount)
        QTest::mouseClick(review->button_allmissed, Qt::LeftButton);
    const QStringList missed = listed(review->tree_missed);
    QCOMPARE(missed.size(), total);
    QVERIFY(!missed.contains(QString::fromLatin1(mine)));
    QVERIFY(!missed.contains(klots));
    for (qsizetype i = 0; i < missed.size(); ++i) {
        QVERIFY2(missed[i].startsWith(QString::fromLatin1(prefix)), qPrintable(missed[i]));
        QVERIFY2(server.dictionary().IsWord(missed[i]), qPrintable(missed[i]));
        QCOMPARE(WordLevels::isCommon(levels.levelOfWord(missed[i].toLatin1())), i < commonCount);
        if (i > 0 && i != commonCount)
            QVERIFY(missed[i - 1].size() > missed[i].size() ||
                    (missed[i - 1].size() == missed[i].size() && missed[i - 1] < missed[i]));
    }
    for (int g = 1; g < review->tree_missed->topLevelItemCount(); ++g) {
        const QTreeWidgetItem *group = review->tree_missed->topLevelItem(g);
        QCOMPARE(group->text(0), QStringLiteral("%1 letters").arg(group->child(0)->text(0).size()));
        QCOMPARE(group->text(1).toInt(), group->childCount());
    }

    // A click on a word shows its meaning, and so does Enter.
    const WordMeanings meanings;
    QTreeWidgetItem *myItem = review->tree_found->topLevelItem(0)->child(0);
    QTest::mouseClick(review->tree_found->viewport(), Qt::LeftButton, {},
                      review->tree_found->visualItemRect(myItem).center());
    QCOMPARE(review->label_meaning->text(), ReviewLook::meaningText(meanings.lookup(mine)));
    review->tree_missed->setFocus();
    QTreeWidgetItem *shortest =
        review->tree_missed->topLevelItem(review->tree_missed->topLevelItemCount() - 1)->child(0);
    review->tree_missed->setCurrentItem(shortest);
    QTest::keyClick(review->tree_missed, Qt::Key_Return);
    QCOMPARE(review->label_meaning->text(),
             ReviewLook::meaningText(meanings.lookup(shortest->text(0).toLatin1())));
    // So does a click on a word of the round's word list, or Enter on it.
    QTextEdit *list = board->memo_wordlist;
    const QTextCursor at = list->document()->find(QString::fromLatin1(mine.toLower()), 0);
    QVERIFY(!at.isNull());
    QTextCursor inside(list->document());
    inside.setPosition(at.selectionStart() + 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->cursorRect(inside).center());
    QCOMPARE(QToolTip::text(), ReviewLook::meaningText(meanings.lookup(mine)));
    QCOMPARE(list->accessibleDescription(), QToolTip::text());
    QToolTip::hideText();
    list->setTextCursor(inside);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(QToolTip::text(), ReviewLook::meaningText(meanings.lookup(mine)));
    QToolTip::hideText();
    QCOMPARE(review->tree_missed->accessibleName(), QStringLiteral("Missed by everyone"));
    QCOMPARE(review->tree_found->accessibleName(), QStringLiteral("Words found"));
    for (QWidget *control : QList<QWidget *>{review->tree_found, review->tree_missed,
                                             review->button_allmissed, review->button_close})
        QVERIFY2(!control->accessibleName().isEmpty() && control->focusPolicy() & Qt::TabFocus,
                 qPrintable(control->objectName()));
    // Every cell of the found words has a name for screen readers.
    for (int i = 0; i < review->tree_found->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *player = review->tree_found->topLevelItem(i);
        for (int c = 0; c < player->childCount(); ++c)
            for (int column = 0; column < 2; ++column)
                QVERIFY(
                    !player->child(c)->data(column, Qt::AccessibleTextRole).toString().isEmpty());
    }

    // The next round closes it by itself.
    while (server.state().phase == 2 && server.roundtimer().isActive())
        server.roundtimerTimer();
    QTRY_COMPARE_WITH_TIMEOUT(board->label_status->text(), QStringLiteral("Your Turn."), kWait);
    QVERIFY(!review->isVisible());

    // Nobody scores in the second round; the review opens again and Escape closes it.
    while (server.state().roundon)
        server.roundtimerTimer();
    QTRY_VERIFY_WITH_TIMEOUT(review->isVisible(), kWait);
    QCOMPARE(review->label_title->text(), QStringLiteral("Round 2 of 2"));
    QCOMPARE(wordsOf(review->tree_found, QStringLiteral("You")),
             QStringList{QStringLiteral("No words:")});
    QCOMPARE(review->label_best->text(), QStringLiteral("Nobody found a word."));
    review->tree_missed->setFocus();
    QTest::keyClick(review->tree_missed, Qt::Key_Escape);
    QVERIFY(!dock->isVisible());

    // The menu brings the last round's review back.
    chat.menus->LastReview1->trigger();
    QVERIFY(dock->isVisible());
    QCOMPARE(review->label_title->text(), QStringLiteral("Round 2 of 2"));
    verifyDocked(chat);
    QTest::mouseClick(review->button_close, Qt::LeftButton);
    QVERIFY(!dock->isVisible());

    // The shared lead brings a tie-break round, which the computer player wins.
    while (server.state().phase == 2 && server.roundtimer().isActive())
        server.roundtimerTimer();
    QTRY_COMPARE_WITH_TIMEOUT(board->label_status->text(), QStringLiteral("Your Turn."), kWait);
    server.computerfindword();
    QTRY_VERIFY_WITH_TIMEOUT(board->memo_wordlist->toPlainText().contains(" : Klot"), kWait);
    const QString klotsLast =
        board->memo_wordlist->toPlainText().section(QStringLiteral(" : "), 1, 1);
    while (server.state().roundon)
        server.roundtimerTimer();
    QTRY_VERIFY_WITH_TIMEOUT(review->isVisible(), kWait);
    QCOMPARE(review->label_title->text(), QStringLiteral("Tie-break round (round 3)"));
    while (server.state().phase == 2 && server.roundtimer().isActive())
        server.roundtimerTimer();
    QTRY_COMPARE_WITH_TIMEOUT(board->label_status->text(), QStringLiteral("Game Over!"), kWait);

    // The summary: each player's words, best and rarest word, points per round.
    QTRY_VERIFY_WITH_TIMEOUT(summary->isVisible(), kWait);
    verifyDocked(chat);
    QCOMPARE(summary->label_title->text(), QStringLiteral("Game Over! Klot won."));
    QCOMPARE(summary->tree_players->topLevelItemCount(), 2);
    const QTreeWidgetItem *you = summary->tree_players->topLevelItem(0);
    const QTreeWidgetItem *klot = summary->tree_players->topLevelItem(1);
    QCOMPARE(you->text(0), QStringLiteral("You"));
    QCOMPARE(you->text(1), QStringLiteral("1"));
    QCOMPARE(you->text(2), QString::fromLatin1(mine));
    QCOMPARE(you->toolTip(2),
             QStringLiteral("%1 (%2 points)").arg(QString::fromLatin1(mine), points));
    QCOMPARE(you->text(3), QStringLiteral("%1 (%2)").arg(QString::fromLatin1(mine),
                                                         ReviewLook::levelName(myLevel)));
    QCOMPARE(you->text(4), points);
    QCOMPARE(klot->text(0), QStringLiteral("Klot"));
    QCOMPARE(klot->text(1), QStringLiteral("2"));
    QCOMPARE(klot->text(4), QString::number(klots.size() + klotsLast.size()));
    QCOMPARE(summary->chart->accessibleName(), QStringLiteral("Points per round"));
    QCOMPARE(summary->chart->accessibleDescription(),
             QStringLiteral("Round 1: You %1, Klot %1. Round 2: You 0, Klot 0. "
                            "Round 3, tie-break: You 0, Klot %2.")
                 .arg(points)
                 .arg(klotsLast.size()));

    // The summary opens any round's review: the first, from the keyboard on the chart.
    summary->chart->setFocus();
    QTest::keyClick(summary->chart, Qt::Key_Right);
    QCOMPARE(summary->chart->pickedRound(), 0);
    QTest::keyClick(summary->chart, Qt::Key_Return);
    QVERIFY(review->isVisible());
    QCOMPARE(review->label_title->text(), QStringLiteral("Round 1 of 2"));
    QVERIFY(review->button_summary->isVisible());
    verifyDocked(chat);
    // The tie-break round by a click on its group; back to the summary after.
    QTest::mouseClick(review->button_summary, Qt::LeftButton);
    QVERIFY(summary->isVisible());
    QTest::mouseClick(summary->chart, Qt::LeftButton, {}, summary->chart->groupRect(2).center());
    QCOMPARE(review->label_title->text(), QStringLiteral("Tie-break round (round 3)"));
    QTest::mouseClick(review->button_summary, Qt::LeftButton);

    // Escape closes the summary.
    QTest::keyClick(summary->tree_players, Qt::Key_Escape);
    QVERIFY(!summary->isVisible());
    QVERIFY(!dock->isVisible());
}

// With found words told to their finders only, the window never claims that
// others missed a word: the list is of this copy's misses, the other players'
// words are not shown, and an unfound best word is one "you" did not find.
void TestRoundReview::hiddenWordsSayYou()
{
    const TDictn dictionary;
    RoundPlay play;
    play.round = 2;
    play.rule = {"ST", 5};
    play.showwords = false;
    play.myseat = 1;
    play.found = {{1, {{"STONE", 5}}}, {2, {}}};
    const WordLevels levels(dictionary);
    const RoundReview review = buildRoundReview(play, dictionary, levels);
    QVERIFY(review.missed.size() > review.commonMissed);

    RoundReviewWindow window;
    ReviewContext context;
    context.rounds = 1;
    context.tieBreak = true;
    context.myseat = 1;
    context.names = {{1, QStringLiteral("Ann")}, {2, QStringLiteral("Klot")}};
    context.points = {{1, 5}, {2, 11}};
    window.showReview(review, context);
    window.show();
    QCOMPARE(window.label_title->text(), QStringLiteral("Tie-break round (round 2)"));
    QCOMPARE(window.label_rule->text(), QStringLiteral("Words beginning with ST, 5 letters"));
    QCOMPARE(window.label_missed->text(),
             QStringLiteral("Words you did not find: %1 words").arg(review.missed.size()));
    QCOMPARE(window.tree_missed->accessibleName(), QStringLiteral("Words you did not find"));
    QCOMPARE(window.label_best->text(), QStringLiteral("Best found: STONE, 5 points, by you"));
    QCOMPARE(window.label_longest->text(),
             QStringLiteral("Longest possible: %1, 5 letters, not found by you")
                 .arg(QString::fromLatin1(review.longest.word)));
    QCOMPARE(wordsOf(window.tree_found, QStringLiteral("Ann")), QStringList{"STONE:5"});
    QCOMPARE(wordsOf(window.tree_found, QStringLiteral("Klot")),
             QStringList{QStringLiteral("Words not shown to you:")});
    // The round's points come from the round's end, which counts every word.
    QCOMPARE(window.tree_found->topLevelItem(1)->text(1), QStringLiteral("11"));

    // The common ones at once, all of them from the keyboard.
    QCOMPARE(listed(window.tree_missed).size(), review.commonMissed);
    QVERIFY(window.button_allmissed->isVisible());
    window.button_allmissed->setFocus();
    QTest::keyClick(window.button_allmissed, Qt::Key_Space);
    QCOMPARE(listed(window.tree_missed).size(), review.missed.size());
    QVERIFY(!window.button_allmissed->isEnabled());
    QCOMPARE(listed(window.tree_missed).contains(QStringLiteral("STONE")), false);
}

// The windows follow a game model fed with a game whose words were told to
// their finders only: the summary counts the others' words by the server's
// numbers and does not make up their best words.
void TestRoundReview::hiddenWordsSummary()
{
    const auto feed = [](GameModel &model, QByteArray message) {
        message.chop(1);
        model.apply(decodeServerMessage(message));
    };
    GameModel model;
    QMainWindow board;
    board.setCentralWidget(new QWidget(&board));
    board.show();
    ReviewWindows windows(model, &board);
    feed(model, Msg::sendlogininfo(1));
    feed(model, Msg::newplayerinfo(1, "Ann"));
    feed(model, Msg::existingplayers(2, "Klot"));
    feed(model, Msg::startgame("Ann", 1, 60, 0));
    feed(model, Msg::startround({1, 60, 0, "ST", 1, "STONE"}));
    feed(model, Msg::gotword(1, "STONE", 5));
    std::array<Msg::SeatScore, 6> scores{};
    for (int seat = 1; seat <= 6; ++seat)
        scores[std::size_t(seat - 1)].seat = seat;
    scores[0] = {1, 5, 1, 1, 5};
    scores[1] = {2, 12, 2, 2, 12};
    feed(model, Msg::endround(scores));

    QVERIFY(windows.review->isVisible());
    QVERIFY(windows.review->label_missed->text().startsWith("Words you did not find: "));
    QCOMPARE(windows.review->label_best->text(),
             QStringLiteral("Best found: STONE, 5 points, by you"));
    QCOMPARE(windows.review->tree_found->topLevelItem(1)->text(0), QStringLiteral("Klot"));
    QCOMPARE(windows.review->tree_found->topLevelItem(1)->text(1), QStringLiteral("12"));

    feed(model, Msg::winner(2));
    QVERIFY(windows.summary->isVisible());
    const QTreeWidgetItem *klot = windows.summary->tree_players->topLevelItem(1);
    QCOMPARE(klot->text(0), QStringLiteral("Klot"));
    QCOMPARE(klot->text(1), QStringLiteral("2"));
    QCOMPARE(klot->text(2), QStringLiteral("not shown"));
    QCOMPARE(klot->text(4), QStringLiteral("12"));

    // A new game closes both.
    feed(model, Msg::startgame("Ann", 1, 60, 0));
    QVERIFY(!windows.review->isVisible());
    QVERIFY(!windows.summary->isVisible());
}

QTEST_MAIN(TestRoundReview)
#include "test_roundreview.moc"
