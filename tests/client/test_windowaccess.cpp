// The windows through a screen reader and the keyboard: real windows on the
// offscreen platform, worked through the accessibility interface and keys.
#include "client/chatpane.h"
#include "client/clientstate.h"
#include "client/tchat.h"
#include "dialogs/tabout.h"
#include "dialogs/tdownload.h"
#include "dialogs/tgamestart.h"
#include "dialogs/thelp.h"
#include "dialogs/tphrases.h"
#include "dialogs/tspylist.h"
#include "intentrecorder.h"
#include "net/messages.h"
#include "shell/windowwiring.h"
#include "tallywindow/ttallylist.h"
#include "widgets/gamecheckimage.h"
#include "widgets/pressablelabel.h"
#include "windowsupport.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextEdit>
#include <QtTest>
#include <QUrl>

#include <memory>

namespace {

QAccessibleInterface *accessOf(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

void act(QObject *object, const QString &action)
{
    QAccessibleInterface *access = accessOf(object);
    QVERIFY(access);
    QAccessibleActionInterface *actions = access->actionInterface();
    QVERIFY(actions);
    QVERIFY2(actions->actionNames().contains(action),
             qPrintable(actions->actionNames().join(QLatin1Char(','))));
    actions->doAction(action);
}

// Every window, made once.
struct Windows : AllWindows {
    // The board's logo opens the web address through the About window.
    Windows() { wireWindows(chat, {.about = &about}); }
};

std::unique_ptr<Windows> windows;

} // namespace

class TestWindowAccess : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void toggleActsAsClick_data();
    void toggleActsAsClick();
    void toggleShowWordList();
    void accessibleNames_data();
    void accessibleNames();
    void phraseButtonsNamedByPhrase();
    void pressables_data();
    void pressables();
    void dialogsPresentAsDialogs_data();
    void dialogsPresentAsDialogs();
    void escapeCloses_data();
    void escapeCloses();
    void downloadWindowIsADialogThatEscapeCloses();
    void tallyChecklistItemsAreCheckable_data();
    void tallyChecklistItemsAreCheckable();
    void toggleFollowsAPlayer();
};

void TestWindowAccess::initTestCase()
{
    QAccessible::setActive(true);
    windows = std::make_unique<Windows>();
}

void TestWindowAccess::cleanupTestCase()
{
    windows.reset();
}

void TestWindowAccess::toggleActsAsClick_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    for (int to = 0; to < Tgamestart::kGameTypes; ++to)
        QTest::addRow("Random to %d", to) << 6 << to;
    QTest::newRow("3 letters to No Limit") << 1 << 0;
}

void TestWindowAccess::toggleActsAsClick()
{
    QFETCH(int, from);
    QFETCH(int, to);
    Tgamestart &window = windows->gamestart;
    IntentRecorder intents;
    const QList<QByteArray> &sent = intents.sent;
    Tgamestart::Hooks hooks;
    hooks.intents = &intents;
    window.setHooks(std::move(hooks));
    window.checkimage(QStringLiteral("image_letters%1").arg(from));
    window.show();

    act(window.image_letters[to], QAccessibleActionInterface::toggleAction());
    for (int n = 0; n < Tgamestart::kGameTypes; ++n) {
        GameCheckImage *option = window.image_letters[n];
        QCOMPARE(option->flag(), n == to ? 1 : 0);
        QCOMPARE(option->isChecked(), n == to);
        QCOMPARE(bool(accessOf(option)->state().checked), n == to);
    }
    window.button_startClick();
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.first(), Msg::startgameRequest("You", 5, 60, to, true));
}

void TestWindowAccess::toggleShowWordList()
{
    Tgamestart &window = windows->gamestart;
    window.image_show->setFlag(1);
    act(window.image_show, QAccessibleActionInterface::toggleAction());
    QCOMPARE(window.image_show->flag(), 0);
    QVERIFY(!window.image_show->isChecked());
    act(window.image_show, QAccessibleActionInterface::toggleAction());
    QCOMPARE(window.image_show->flag(), 1);
    QVERIFY(window.image_show->isChecked());
}

void TestWindowAccess::accessibleNames_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::newRow("chat pane") << "chat"
                               << "mainchat"
                               << "Chat";
    QTest::newRow("chat entry") << "chat"
                                << "mychat"
                                << "Chat entry";
    QTest::newRow("board logo") << "chat"
                                << "Image4"
                                << "Quillmark";
    QTest::newRow("followed list") << "tallylist"
                                   << "listbox_tally"
                                   << "Players Being Tallied";
    QTest::newRow("game list") << "tallylist"
                               << "checklist"
                               << "Players In Current Game";
    QTest::newRow("spy list") << "spylist"
                              << "listbox_spys"
                              << "Spy List";
    QTest::newRow("about logo") << "about"
                                << "Image5"
                                << "Quillmark";
    QTest::newRow("about address") << "about"
                                   << "Label7"
                                   << "www.quillmark.example";
    const char *pages[] = {"Overview", "Connecting",    "Game Play",
                           "Scoring",  "Documentation", "License"};
    for (int page = 1; page <= 6; ++page)
        QTest::addRow("help page %d", page)
            << "help" << QStringLiteral("memo%1").arg(page) << QString::fromLatin1(pages[page - 1]);
}

void TestWindowAccess::accessibleNames()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, name);
    QWidget *top = windows->byName(window);
    QVERIFY(top);
    auto *widget = top->findChild<QWidget *>(control);
    QVERIFY(widget);
    QCOMPARE(accessOf(widget)->text(QAccessible::Name), name);
}

void TestWindowAccess::phraseButtonsNamedByPhrase()
{
    ChatPane &pane = *windows->chat.chat;
    QCOMPARE(accessOf(pane.b_phrase[0])->text(QAccessible::Name), QStringLiteral("Way To Go!"));
    QCOMPARE(accessOf(pane.b_phrase[9])->text(QAccessible::Name),
             QStringLiteral("/me waves \"Good-Bye\""));
    pane.setPhrase(3, QStringLiteral("Well played"));
    QCOMPARE(accessOf(pane.b_phrase[2])->text(QAccessible::Name), QStringLiteral("Well played"));
    pane.setPhrase(3, QString());
    QCOMPARE(accessOf(pane.b_phrase[2])->text(QAccessible::Name),
             QStringLiteral("Phrase Button 3"));
}

void TestWindowAccess::pressables_data()
{
    QTest::addColumn<QString>("how");
    for (const char *how : {"Press action", "Space", "Enter", "Return"})
        QTest::newRow(how) << QString::fromLatin1(how);
}

void TestWindowAccess::pressables()
{
    QFETCH(QString, how);
    auto use = [&how](QWidget *control) {
        QVERIFY(control->focusPolicy() & Qt::TabFocus);
        if (how == QLatin1String("Press action"))
            act(control, QAccessibleActionInterface::pressAction());
        else
            QTest::keyClick(control, how == QLatin1String("Space")   ? Qt::Key_Space
                                     : how == QLatin1String("Enter") ? Qt::Key_Enter
                                                                     : Qt::Key_Return);
    };
    // The About window's logo and address, and the board's logo, open the web address.
    QList<QUrl> opened;
    windows->about.setLinkOpener([&opened](const QUrl &url) { opened << url; });
    windows->about.show();
    use(windows->about.Image5);
    use(windows->about.Label7);
    QCOMPARE(opened.size(), 2);
    use(windows->chat.Image4);
    QCOMPARE(opened.size(), 3);
    for (const QUrl &url : opened)
        QCOMPARE(url, QUrl(QStringLiteral("http://www.quillmark.example")));

    // A phrase button sends its phrase.
    ChatPane &pane = *windows->chat.chat;
    IntentRecorder intents;
    const QList<QByteArray> &sent = intents.sent;
    pane.setIntents(&intents);
    pane.setPhraseReady(true);
    pane.setPhrase(1, QStringLiteral("Way To Go!"));
    windows->chat.show();
    use(pane.b_phrase[0]);
    // The Press action of a push button clicks it a moment later.
    QTRY_COMPARE_WITH_TIMEOUT(sent.size(), 1, 20000);
    QVERIFY(sent.first().contains("says: Way To Go!"));
}

void TestWindowAccess::dialogsPresentAsDialogs_data()
{
    QTest::addColumn<QString>("window");
    for (const char *window : {"gamestart", "phrases", "spylist", "tallylist", "about", "help"})
        QTest::newRow(window) << QString::fromLatin1(window);
}

void TestWindowAccess::dialogsPresentAsDialogs()
{
    QFETCH(QString, window);
    QWidget *top = windows->byName(window);
    QVERIFY(top);
    QCOMPARE(accessOf(top)->role(), QAccessible::Dialog);
    QCOMPARE(accessOf(top)->text(QAccessible::Name), top->windowTitle());
    QCOMPARE(accessOf(&windows->chat)->role() == QAccessible::Dialog, false);
}

void TestWindowAccess::escapeCloses_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("from");
    QTest::newRow("game start") << "gamestart"
                                << "edit_playtoscore";
    QTest::newRow("phrase editor") << "phrases"
                                   << "phrase1";
    QTest::newRow("spy list") << "spylist"
                              << "listbox_spys";
    QTest::newRow("tally") << "tallylist"
                           << "listbox_tally";
    QTest::newRow("about") << "about"
                           << "button_done";
    QTest::newRow("help") << "help"
                          << "memo1";
}

void TestWindowAccess::escapeCloses()
{
    QFETCH(QString, window);
    QFETCH(QString, from);
    QWidget *top = windows->byName(window);
    QVERIFY(top);
    top->show();
    auto *control = top->findChild<QWidget *>(from);
    QVERIFY(control);
    QTest::keyClick(control, Qt::Key_Escape);
    QVERIFY(!top->isVisible());
}

void TestWindowAccess::downloadWindowIsADialogThatEscapeCloses()
{
    Tdownload download;
    download.show();
    QCOMPARE(accessOf(&download)->role(), QAccessible::Dialog);
    QCOMPARE(accessOf(&download)->text(QAccessible::Name),
             QStringLiteral("Download The Quillmark Lobby"));
    QTest::keyClick(download.Button1, Qt::Key_Escape);
    QVERIFY(!download.isVisible());
}

void TestWindowAccess::tallyChecklistItemsAreCheckable_data()
{
    QTest::addColumn<QString>("list");
    QTest::newRow("players in the current game") << "checklist";
    QTest::newRow("players being tallied") << "listbox_tally";
}

// Each name is a check box to a screen reader: checkable, its state read and
// toggled as the list shows it.
void TestWindowAccess::tallyChecklistItemsAreCheckable()
{
    QFETCH(QString, list);
    Ttallylist &tally = windows->tally;
    tally.setPlayersInGame({QStringLiteral("Ann"), QStringLiteral("Bob")});
    tally.checklistClickCheck(1);
    auto *widget = tally.findChild<QListWidget *>(list);
    QVERIFY(widget);
    QAccessibleInterface *access = accessOf(widget);
    QVERIFY(access);
    const QString followed = QStringLiteral("Bob");
    bool sawFollowed = false;
    for (int row = 0; row < widget->count(); ++row) {
        QAccessibleInterface *item = access->child(row);
        QVERIFY(item);
        const QString name = item->text(QAccessible::Name);
        QCOMPARE(name, widget->item(row)->text());
        QCOMPARE(item->role(), QAccessible::CheckBox);
        QCOMPARE(item->parent(), access);
        QCOMPARE(access->indexOfChild(item), row);
        QVERIFY(item->actionInterface());
        QVERIFY(item->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::toggleAction()));
        QVERIFY2(item->state().checkable, qPrintable(name));
        QCOMPARE(bool(item->state().checked), widget->item(row)->checkState() == Qt::Checked);
        sawFollowed = sawFollowed || (name == followed && item->state().checked);
    }
    QVERIFY(sawFollowed);
}

// A screen reader's "Toggle" on a name of the current game follows that player.
void TestWindowAccess::toggleFollowsAPlayer()
{
    Ttallylist &tally = windows->tally;
    tally.setPlayersInGame({QStringLiteral("Cleo"), QStringLiteral("Dan")});
    QAccessibleInterface *item = accessOf(tally.checklist())->child(0);
    QVERIFY(item);
    QVERIFY(!item->state().checked);
    QVERIFY(item->actionInterface());
    item->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QVERIFY(item->state().checked);
    QVERIFY(!tally.listbox_tally()->findItems(QStringLiteral("Cleo"), Qt::MatchExactly).isEmpty());
}

QTEST_MAIN(TestWindowAccess)
#include "test_windowaccess.moc"
