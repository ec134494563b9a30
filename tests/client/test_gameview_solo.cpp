#include "client/chatmenus.h"
#include "client/gameboard.h"
#include "client/gamescorepanels.h"
#include "client/gameview.h"
#include "client/seatrows.h"
#include "client/soundplayer.h"
#include "client/tchat.h"
#include "common/messagebox.h"
#include "dialogs/tgamestart.h"
#include "dict/tdictn.h"
#include "loopbackport.h"
#include "model/gamemodel.h"
#include "server/tserver.h"
#include "tallywindow/ttallylist.h"
#include "widgets/gamecheckimage.h"
#include "widgets/gamepicturebutton.h"
#include "widgets/gameupdown.h"
#include "widgets/tag.h"
#include "windowsupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

constexpr int kWait = 15000;
// Far beyond any test: the round, computer and countdown timers never fire
// by themselves, the test steps them.
constexpr int kNever = 24 * 60 * 60 * 1000;

} // namespace

class TestGameViewSolo : public QObject {
    Q_OBJECT
private slots:
    void wholeSoloGame();
};

// A solo game from start-up to the winner: the real main window, its game
// view and the real server over loopback, the computer player on seat 2.
void TestGameViewSolo::wholeSoloGame()
{
    qputenv("LEXICLASH_PORT", QByteArray::number(unusedLoopbackPort()));
    // A fixed seed fixes the rounds' letters and the computer's words, so the
    // game goes the same way on every run. The window seeds the game's
    // numbers when it is made, from LEXICLASH_SEED when it is set.
    qputenv("LEXICLASH_SEED", "20261210");
    QStringList boxes;
    setMessageBoxHandler([&boxes](const QString &text) { boxes << text; });

    SoloTable table;
    Tchat &chat = table.chat;
    Tgamestart &gamestart = table.gamestart;
    TServer &server = table.server;
    Ttallylist &tally = table.tally;

    GameView *view = chat.gameview;
    QVERIFY(view);
    GameBoard *board = view->board();
    QStringList sounds;
    view->sounds()->setSink([&sounds](const QString &name) { sounds << name; });
    chat.model->turntime->setInterval(kNever);
    // The host's "Bot Speed" is read at each round start.
    setTag(chat.menus->BotSpeed2, kNever);

    // Starting the game before the login only tells the player.
    chat.button_startClick();
    QCOMPARE(boxes, QStringList{QStringLiteral("You are not connected")});
    QVERIFY(!gamestart.isVisible());

    chat.show();
    QTRY_VERIFY_WITH_TIMEOUT(chat.model->loggedIn(), kWait);
    QTRY_COMPARE_WITH_TIMEOUT(chat.seats->playername(1)->text(), QStringLiteral("You"), kWait);
    QCOMPARE(chat.model->mySeat(), 1);
    QVERIFY(board->button_start->isVisible());

    // A fresh installation: 5 rounds, 60 seconds, "Random", words shown.
    QTest::mouseClick(board->button_start, Qt::LeftButton);
    QVERIFY(gamestart.isVisible());
    QCOMPARE(gamestart.gametype(), 6);
    QCOMPARE(gamestart.edit_playtoscore->text(), QStringLiteral("5"));
    // One round of words of any length.
    for (int i = 0; i < 4; ++i)
        QTest::mouseClick(gamestart.UpDown1->downArrow(), Qt::LeftButton);
    QTest::mouseClick(gamestart.image_letters[0], Qt::LeftButton);
    QTest::mouseClick(gamestart.Image1, Qt::LeftButton);
    QVERIFY(!gamestart.isVisible());

    QTRY_COMPARE_WITH_TIMEOUT(board->label_status->text(), QStringLiteral("Your Turn."), kWait);
    QVERIFY(!board->button_start->isVisible());
    QCOMPARE(chat.seats->playername(2)->text(), QStringLiteral("Klot"));
    QCOMPARE(board->label_round->text(), QStringLiteral("1 of 1"));
    QCOMPARE(board->label_numletters->text(), QStringLiteral("No Limit"));
    QCOMPARE(board->label_word1->text(), QStringLiteral("No Limit"));
    QCOMPARE(board->label_word2->text(), QString::fromUtf8(server.state().prefix));
    QVERIFY(board->edit_word->isVisible());
    QVERIFY(sounds.contains(QStringLiteral("turn")));

    // A word of the round's letters that the dictionary knows.
    QByteArray word;
    for (qsizetype i = 0; i < server.starterwords().count() && word.isEmpty(); ++i) {
        const QByteArray candidate = server.starterwords().at(i).toUpper();
        if (candidate.startsWith(server.state().prefix) && candidate.size() >= 3 &&
            server.dictionary().IsWord(QString::fromLatin1(candidate)))
            word = candidate;
    }
    QVERIFY2(!word.isEmpty(), server.state().prefix.constData());

    QTest::keyClicks(board->edit_word, QString::fromLatin1(word.toLower()));
    QTest::keyClick(board->edit_word, Qt::Key_Return);
    QVERIFY(board->edit_word->text().isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(chat.seats->last(1)->text(), QString::fromLatin1(word), kWait);
    QCOMPARE(board->memo_wordlist->toPlainText(),
             QString::number(word.size()) + " : " + QString::fromLatin1(word) + " : You");
    QVERIFY(sounds.contains(QStringLiteral("goodwordme")));

    // The same word again is refused as already guessed.
    QTest::keyClicks(board->edit_word, QString::fromLatin1(word));
    QTest::keyClick(board->edit_word, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(board->image_error->isVisible(), kWait);
    QCOMPARE(board->image_error->accessibleName(), QStringLiteral("Already Guessed"));
    QVERIFY(sounds.contains(QStringLiteral("error1")));

    // The computer player finds a word of its own.
    // A single search may draw the word already found; a few more find another.
    for (int attempt = 0; attempt < 200 && server.seat(2).roundwords == 0; ++attempt)
        server.computerfindword();
    QVERIFY(server.seat(2).roundwords > 0);
    QTRY_VERIFY_WITH_TIMEOUT(board->memo_wordlist->toPlainText().contains(" : Klot"), kWait);
    QVERIFY(sounds.contains(QStringLiteral("goodwordthem")));

    // The players' clock runs out; the server's round lasts four seconds more.
    sounds.clear();
    for (int i = 0; i < 60; ++i)
        chat.model->turntimeTimer();
    QCOMPARE(sounds.count(QStringLiteral("timeup")), 1);
    QCOMPARE(board->label_status->text(), QStringLiteral("Please Wait.."));
    QVERIFY(!board->edit_word->isVisible());

    int rounds = 0;
    while (board->label_status->text() != QStringLiteral("Game Over!") && rounds < 5) {
        ++rounds;
        while (server.state().roundon)
            server.roundtimerTimer();
        QTRY_COMPARE_WITH_TIMEOUT(board->label_status->text(),
                                  QStringLiteral("Posting Scores.. Please Wait."), kWait);
        QVERIFY(board->panel_scores->isVisible());
        // The pause, then the winner (or a tie-break round).
        while (server.state().phase == 2 && server.roundtimer().isActive())
            server.roundtimerTimer();
        QTRY_VERIFY_WITH_TIMEOUT(board->label_status->text() == QStringLiteral("Game Over!") ||
                                     board->label_status->text() == QStringLiteral("Your Turn."),
                                 kWait);
        // A tie-break round: each side plays on; the host finds nothing.
        if (board->label_status->text() == QStringLiteral("Your Turn."))
            server.computerfindword();
    }
    QCOMPARE(board->label_status->text(), QStringLiteral("Game Over!"));
    QVERIFY(sounds.contains(QStringLiteral("gameover")));

    const int own = chat.model->rankedTotal(1);
    const int klot = chat.model->rankedTotal(2);
    QCOMPARE(own, server.seat(1).score);
    QCOMPARE(klot, server.seat(2).score);
    const int winner = own > klot ? 1 : 2;
    for (int seat = 1; seat <= 6; ++seat)
        QCOMPARE(board->panel_scores->winnerImage(seat)->isVisible(), seat == winner);
    QCOMPARE(board->panel_scores->scoreLabel(1, 4)->text(), QString::number(own));
    QCOMPARE(board->panel_scores->scoreLabel(2, 0)->text(), QStringLiteral("Klot"));
    QVERIFY(board->button_start->isVisible());
    if (winner == 1)
        QCOMPARE(tally.mylabel_3Text(), QString::number(own));
    QCOMPARE(boxes.size(), 1);

    // "View Tally" lists the other player of this game and shows the window.
    chat.menus->ViewTally1->trigger();
    QVERIFY(tally.isVisible());
    QCOMPARE(tally.checklist()->count(), 1);
    QCOMPARE(tally.checklist()->item(0)->text(), QStringLiteral("Klot"));
}

QTEST_MAIN(TestGameViewSolo)
#include "test_gameview_solo.moc"
