// Where the keyboard is in the real main window through a game: in the word
// box at every round start, whichever window of the program was active, and
// never in the chat when the word box goes, whatever the player types then.

#include "client/chatpane.h"
#include "client/gameboard.h"
#include "client/gameview.h"
#include "client/reviewwindows.h"
#include "client/roundreviewwindow.h"
#include "model/gamemodel.h"
#include "net/messages.h"
#include "windowsupport.h"

#include <QLineEdit>
#include <QTextEdit>
#include <QTreeWidget>
#include <QtTest>

#include <array>

namespace {
QByteArray roundEnd()
{
    std::array<Msg::SeatScore, 6> scores{};
    for (int i = 0; i < 6; ++i)
        scores[std::size_t(i)] = {i + 1, i == 0 ? 5 : 0, i == 0 ? 1 : 0, i == 0 ? 1 : 0,
                                  i == 0 ? 5 : 0};
    return Msg::endround(scores);
}

// Makes the window active as a click on it does with a window manager.
bool activate(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

// Types a line and Enter wherever the keyboard is now.
void typeLine(const QString &text)
{
    for (const QChar c : text) {
        QWidget *target = QApplication::focusWidget();
        if (!target)
            target = QApplication::activeWindow();
        QVERIFY(target);
        QTest::keyClick(target, c.toLatin1());
    }
    QWidget *target = QApplication::focusWidget();
    QTest::keyClick(target ? target : QApplication::activeWindow(), Qt::Key_Return);
}
} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT
private slots:
    void roundStartTakesTheKeyboard_data();
    void roundStartTakesTheKeyboard();
};

void TestKeyboard::roundStartTakesTheKeyboard_data()
{
    QTest::addColumn<QString>("active");
    QTest::newRow("main window") << QStringLiteral("chat");
    QTest::newRow("round review") << QStringLiteral("RoundReview");
    QTest::newRow("tally window") << QStringLiteral("tallylist");
    QTest::newRow("help window") << QStringLiteral("help");
}

void TestKeyboard::roundStartTakesTheKeyboard()
{
    QFETCH(QString, active);
    AllWindows windows;
    Tchat &chat = windows.chat;
    showAsHost(chat, 1);
    QVERIFY(activate(&chat));
    QLineEdit *word = chat.gameview->board()->edit_word;
    QLineEdit *entry = chat.chat->mychat;
    const QString entryBefore = entry->text();

    receive(chat, Msg::startgame("Ann", 2, 60, 0));
    receive(chat, Msg::startround({1, 60, 0, "ST", 1, "STONE"}));
    QCOMPARE(QApplication::focusWidget(), word);

    // Time runs out while the player types: the keys go nowhere.
    for (int second = 0; second < 60; ++second)
        chat.model->turntimeTimer();
    QVERIFY(!word->isVisible());
    QVERIFY(QApplication::focusWidget() != entry);
    typeLine(QStringLiteral("late"));
    QCOMPARE(entry->text(), entryBefore);
    QVERIFY(!chat.chat->mainchat->toPlainText().contains(QLatin1String("late")));

    // Between rounds the player is in another window of the program.
    receive(chat, roundEnd());
    if (active == QLatin1String("RoundReview")) {
        // The review beside the board: the player clicked into its list.
        QVERIFY(activate(&chat));
        QTRY_VERIFY(chat.reviews->review->isVisible());
        chat.reviews->review->tree_found->setFocus(Qt::MouseFocusReason);
        QCOMPARE(QApplication::focusWidget(), chat.reviews->review->tree_found);
    } else {
        QWidget *other = windows.byName(active);
        QVERIFY2(other, qPrintable(active));
        QVERIFY(activate(other));
    }
    receive(chat, Msg::startround({2, 60, 0, "BA", 1, "BATTLE"}));
    QTRY_COMPARE(QApplication::activeWindow(), &chat);
    QCOMPARE(QApplication::focusWidget(), word);
    typeLine(QStringLiteral("base"));
    QCOMPARE(entry->text(), entryBefore);
    QVERIFY(!chat.chat->mainchat->toPlainText().contains(QLatin1String("base")));
}

QTEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"
