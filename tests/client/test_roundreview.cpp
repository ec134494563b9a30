#include "client/chatmenus.h"
#include "client/gameboard.h"
#include "client/gamescorepanels.h"
#include "client/gamesummarywindow.h"
#include "client/gameview.h"
#include "client/reviewwindows.h"
#include "client/roundchart.h"
#include "client/roundreviewwindow.h"
#include "client/soundplayer.h"
#include "client/tchat.h"
#include "common/messagebox.h"
#include "dialogs/tgamestart.h"
#include "dict/roundrule.h"
#include "dict/tdictn.h"
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
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
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

QStringList listed(const QListWidget *list)
{
    QStringList words;
    for (int i = 0; i < list->count(); ++i)
        words << list->item(i)->text();
    return words;
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
    QVERIFY(!review->isVisible());

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

    // The round ends: the review opens beside the board.
    while (server.state().roundon)
        server.roundtimerTimer();
    QTRY_VERIFY_WITH_TIMEOUT(review->isVisible(), kWait);
    QVERIFY(board->panel_scores->isVisible());
    QVERIFY(review->isWindow());
    QVERIFY(!review->isModal());
    QCOMPARE(review->label_title->text(), QStringLiteral("Round 1 of 2"));
    QCOMPARE(
        review->label_rule->text(),
        QStringLiteral("Words beginning with %1, any length").arg(QString::fromLatin1(prefix)));
    const QString points = QString::number(mine.size());
    QCOMPARE(wordsOf(review->tree_found, QStringLiteral("You")),
             QStringList{QString::fromLatin1(mine) + ":" + points});
    QCOMPARE(wordsOf(review->tree_found, QStringLiteral("Klot")),
             QStringList{klots + ":" + points});

    // Missed by everyone: fitting words, neither of the found ones, longest first.
    QVERIFY(review->label_missed->text().startsWith(QStringLiteral("Missed by everyone: ")));
    const int total = review->label_missed->text().section(' ', 3, 3).toInt();
    QVERIFY(total > 0);
    QCOMPARE(review->list_missed->count(), qMin(total, RoundReviewWindow::kFirstMissed));
    QCOMPARE(review->button_allmissed->isVisible(), total > RoundReviewWindow::kFirstMissed);
    if (total > RoundReviewWindow::kFirstMissed)
        QTest::mouseClick(review->button_allmissed, Qt::LeftButton);
    const QStringList missed = listed(review->list_missed);
    QCOMPARE(missed.size(), total);
    QVERIFY(!missed.contains(QString::fromLatin1(mine)));
    QVERIFY(!missed.contains(klots));
    for (qsizetype i = 0; i < missed.size(); ++i) {
        QVERIFY2(missed[i].startsWith(QString::fromLatin1(prefix)), qPrintable(missed[i]));
        QVERIFY2(server.dictionary().IsWord(missed[i]), qPrintable(missed[i]));
        if (i > 0)
            QVERIFY(missed[i - 1].size() > missed[i].size() ||
                    (missed[i - 1].size() == missed[i].size() && missed[i - 1] < missed[i]));
    }
    // The best word is the longest fitting one; a found word only when nothing is longer.
    const QString longest = missed.first();
    if (longest.size() > mine.size())
        QCOMPARE(review->label_best->text(),
                 QStringLiteral("Best word: %1, %2 points, nobody found it.")
                     .arg(longest)
                     .arg(longest.size()));
    QCOMPARE(review->list_missed->accessibleName(), QStringLiteral("Missed by everyone"));
    QCOMPARE(review->tree_found->accessibleName(), QStringLiteral("Words found"));
    QCOMPARE(QAccessible::queryAccessibleInterface(review)->role(), QAccessible::Dialog);
    for (QWidget *control : QList<QWidget *>{review->tree_found, review->list_missed,
                                             review->button_allmissed, review->button_close})
        QVERIFY2(!control->accessibleName().isEmpty() && control->focusPolicy() & Qt::TabFocus,
                 qPrintable(control->objectName()));

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
    review->activateWindow();
    review->list_missed->setFocus();
    QTest::keyClick(review->list_missed, Qt::Key_Escape);
    QVERIFY(!review->isVisible());

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

    // The summary: each player's words, best and longest word, points per round.
    QTRY_VERIFY_WITH_TIMEOUT(summary->isVisible(), kWait);
    QCOMPARE(summary->label_title->text(), QStringLiteral("Game Over! Klot won."));
    QCOMPARE(summary->tree_players->topLevelItemCount(), 2);
    const QTreeWidgetItem *you = summary->tree_players->topLevelItem(0);
    const QTreeWidgetItem *klot = summary->tree_players->topLevelItem(1);
    QCOMPARE(you->text(0), QStringLiteral("You"));
    QCOMPARE(you->text(1), QStringLiteral("1"));
    QCOMPARE(you->text(2), QStringLiteral("%1 (%2)").arg(QString::fromLatin1(mine), points));
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

    // Escape closes the summary.
    QTest::keyClick(summary->tree_players, Qt::Key_Escape);
    QVERIFY(!summary->isVisible());
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
    const RoundReview review = buildRoundReview(play, dictionary);
    QVERIFY(review.missed.size() > RoundReviewWindow::kFirstMissed);

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
    QCOMPARE(window.list_missed->accessibleName(), QStringLiteral("Words you did not find"));
    QCOMPARE(window.label_best->text(), QStringLiteral("Best word: %1, 5 points, not found by you.")
                                            .arg(QString::fromLatin1(review.missed.first())));
    QCOMPARE(wordsOf(window.tree_found, QStringLiteral("Ann")), QStringList{"STONE:5"});
    QCOMPARE(wordsOf(window.tree_found, QStringLiteral("Klot")),
             QStringList{QStringLiteral("Words not shown to you:")});
    // The round's points come from the round's end, which counts every word.
    QCOMPARE(window.tree_found->topLevelItem(1)->text(1), QStringLiteral("11"));

    // The first ones at once, all of them from the keyboard.
    QCOMPARE(window.list_missed->count(), RoundReviewWindow::kFirstMissed);
    QVERIFY(window.button_allmissed->isVisible());
    window.button_allmissed->setFocus();
    QTest::keyClick(window.button_allmissed, Qt::Key_Space);
    QCOMPARE(window.list_missed->count(), review.missed.size());
    QVERIFY(!window.button_allmissed->isEnabled());
    QCOMPARE(listed(window.list_missed).contains(QStringLiteral("STONE")), false);
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
    QWidget board;
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
