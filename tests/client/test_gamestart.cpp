#include "dialogs/tgamestart.h"
#include "intentrecorder.h"
#include "net/messages.h"
#include "widgets/artwork.h"
#include "widgets/gamecheckimage.h"
#include "widgets/gamepicturebutton.h"
#include "widgets/gameupdown.h"

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

namespace {

// The game start window with its hooks writing down what it does.
struct StartWindow {
    Tgamestart window;
    IntentRecorder intents;
    QList<QByteArray> &sent = intents.sent;
    int saves = 0;

    StartWindow()
    {
        Tgamestart::Hooks hooks;
        hooks.intents = &intents;
        hooks.saveSettings = [this] { ++saves; };
        window.setHooks(std::move(hooks));
    }

    QList<int> flags() const
    {
        QList<int> all;
        for (GameCheckImage *option : window.image_letters)
            all << option->flag();
        return all;
    }
};

QList<int> onlyChecked(int n)
{
    QList<int> all(Tgamestart::kGameTypes, 0);
    all[n] = 1;
    return all;
}

} // namespace

class TestGameStart : public QObject {
    Q_OBJECT
private slots:
    void asCreated();
    void freshInstallationStart();
    void optionClicks_data();
    void optionClicks();
    void storedTypeFallsBack_data();
    void storedTypeFallsBack();
    void showToggle();
    void arrowLimits_data();
    void arrowLimits();
    void keyboard();
};

void TestGameStart::asCreated()
{
    StartWindow start;
    Tgamestart &w = start.window;
    w.show();
    QCOMPARE(w.windowTitle(), QStringLiteral("Lexiclash - Game Start"));
    QVERIFY(!w.isModal());
    QCOMPARE(w.edit_playtoscore->text(), QStringLiteral("5"));
    QCOMPARE(w.edit_creationtime->text(), QStringLiteral("60"));
    QVERIFY(w.edit_playtoscore->isReadOnly());
    QVERIFY(w.edit_creationtime->isReadOnly());
    QCOMPARE(start.flags(), (QList<int>{1, 0, 0, 0, 0, 0, 1}));
    QCOMPARE(w.gametype(), 0);
    QCOMPARE(w.image_show->flag(), 1);
    const QStringList labels{"No Limit",       "3 Letter Words", "4 Letter Words", "5 Letter Words",
                             "6 Letter Words", "7 Letter Words", "Random"};
    for (int n = 0; n < Tgamestart::kGameTypes; ++n) {
        GameCheckImage *option =
            w.findChild<GameCheckImage *>("image_letters" + QString::number(n));
        QVERIFY(option);
        QCOMPARE(option->accessibleName(), labels[n]);
        QCOMPARE(option->picture().toImage(), Artwork::checkPicture(option->flag()).toImage());
        // Listed top to bottom in value order.
        if (n > 0)
            QVERIFY(option->y() > w.image_letters[n - 1]->y());
    }
    QCOMPARE(w.image_show->accessibleName(), QStringLiteral("Show Word List"));
    QCOMPARE(w.Image1->accessibleName(), QStringLiteral("START GAME"));
    // The header "Game Options", large and bold, above every option.
    QLabel *header = nullptr;
    for (QLabel *label : w.findChildren<QLabel *>()) {
        if (label->text() == QLatin1String("Game Options"))
            header = label;
    }
    QVERIFY(header);
    QVERIFY(header->isVisible());
    QVERIFY(header->font().bold());
    QCOMPARE(header->font().pointSize(), 14);
    QVERIFY(header->y() < w.edit_playtoscore->y());
    QVERIFY(header->y() < w.image_letters[0]->y());
}

void TestGameStart::freshInstallationStart()
{
    StartWindow start;
    QWidget mainWindow;
    mainWindow.setGeometry(100, 100, 790, 525);
    mainWindow.show();
    // What the main window does with a settings file that holds no game type.
    start.window.checkimage(QStringLiteral("image_letters6"));
    start.window.showCentredOn(&mainWindow);
    QVERIFY(start.window.isVisible());
    QVERIFY(qAbs(start.window.frameGeometry().center().x() -
                 mainWindow.frameGeometry().center().x()) <= 1);

    QTest::mouseClick(start.window.Image1, Qt::LeftButton);
    QCOMPARE(start.sent, QList<QByteArray>{QByteArray("CMD_startgame+You+5+60+6+1+\xFF")});
    QCOMPARE(start.sent.first(), Msg::startgameRequest("You", 5, 60, 6, true));
    QVERIFY(!start.window.isVisible());
    QCOMPARE(start.saves, 1);
    // Hidden, not destroyed: the choices stay.
    QCOMPARE(start.window.gametype(), 6);
}

void TestGameStart::optionClicks_data()
{
    QTest::addColumn<int>("option");
    for (int n = 0; n < Tgamestart::kGameTypes; ++n)
        QTest::newRow(qPrintable(QString::number(n))) << n;
}

void TestGameStart::optionClicks()
{
    QFETCH(int, option);
    StartWindow start;
    start.window.checkimage(QStringLiteral("image_letters6"));
    QTest::mouseClick(start.window.image_letters[option], Qt::LeftButton);
    QCOMPARE(start.flags(), onlyChecked(option));
    QCOMPARE(start.window.gametype(), option);
    QCOMPARE(start.window.image_letters[option]->isChecked(), true);

    // Clicking the checked option changes nothing.
    QTest::mouseClick(start.window.image_letters[option], Qt::LeftButton);
    QCOMPARE(start.flags(), onlyChecked(option));
    QCOMPARE(start.window.gametype(), option);

    start.window.button_startClick();
    QCOMPARE(start.sent.last(), Msg::startgameRequest("You", 5, 60, option, true));
}

void TestGameStart::storedTypeFallsBack_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("type");
    QTest::newRow("3") << QStringLiteral("image_letters3") << 3;
    QTest::newRow("7") << QStringLiteral("image_letters7") << 6;
    QTest::newRow("-1") << QStringLiteral("image_letters-1") << 6;
    QTest::newRow("empty") << QString() << 6;
}

void TestGameStart::storedTypeFallsBack()
{
    QFETCH(QString, name);
    QFETCH(int, type);
    StartWindow start;
    start.window.checkimage(name);
    QCOMPARE(start.window.gametype(), type);
    QCOMPARE(start.flags(), onlyChecked(type));
}

void TestGameStart::showToggle()
{
    StartWindow start;
    start.window.checkimage(QStringLiteral("image_letters2"));
    QTest::mouseClick(start.window.image_show, Qt::LeftButton);
    QCOMPARE(start.window.image_show->flag(), 0);
    QCOMPARE(start.window.image_show->picture().toImage(), Artwork::checkPicture(0).toImage());
    start.window.button_startClick();
    QCOMPARE(start.sent.last(), QByteArray("CMD_startgame+You+5+60+2+0+\xFF"));

    QTest::mouseClick(start.window.image_show, Qt::LeftButton);
    QCOMPARE(start.window.image_show->flag(), 1);
    start.window.button_startClick();
    QCOMPARE(start.sent.last(), QByteArray("CMD_startgame+You+5+60+2+1+\xFF"));
}

void TestGameStart::arrowLimits_data()
{
    QTest::addColumn<bool>("rounds");
    QTest::addColumn<bool>("up");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("rounds up") << true << true << QStringList{"6", "7", "8", "9", "10", "10", "10"};
    QTest::newRow("rounds down") << true << false << QStringList{"4", "3", "2", "1", "1", "1"};
    QStringList upTimes;
    for (int s = 65; s <= 120; s += 5)
        upTimes << QString::number(s);
    upTimes << "120"
            << "120";
    QTest::newRow("time up") << false << true << upTimes;
    QTest::newRow("time down") << false << false
                               << QStringList{"55", "50", "45", "40", "35", "30", "30", "30"};
}

void TestGameStart::arrowLimits()
{
    QFETCH(bool, rounds);
    QFETCH(bool, up);
    QFETCH(QStringList, shown);
    StartWindow start;
    GameUpDown *arrows = rounds ? start.window.UpDown1 : start.window.UpDown2;
    QLineEdit *edit = rounds ? start.window.edit_playtoscore : start.window.edit_creationtime;
    QToolButton *arrow = up ? arrows->upArrow() : arrows->downArrow();
    QStringList seen;
    for (int i = 0; i < shown.size(); ++i) {
        QTest::mouseClick(arrow, Qt::LeftButton);
        seen << edit->text();
    }
    QCOMPARE(seen, shown);
    QCOMPARE(arrows->position(), shown.last().toInt());

    // Typing changes nothing: the fields are read-only.
    QTest::keyClicks(edit, "7");
    QCOMPARE(edit->text(), shown.last());
}

void TestGameStart::keyboard()
{
    StartWindow start;
    start.window.checkimage(QStringLiteral("image_letters6"));
    start.window.show();
    QTest::keyClick(start.window.edit_playtoscore, Qt::Key_Up);
    QTest::keyClick(start.window.edit_creationtime, Qt::Key_Down);
    QTest::keyClick(start.window.image_letters[4], Qt::Key_Space);
    QTest::keyClick(start.window.image_show, Qt::Key_Return);
    for (QWidget *control :
         std::initializer_list<QWidget *>{start.window.image_letters[0], start.window.image_show,
                                          start.window.Image1, start.window.UpDown1->upArrow()})
        QCOMPARE(control->focusPolicy(), Qt::StrongFocus);
    QTest::keyClick(start.window.Image1, Qt::Key_Enter);
    QCOMPARE(start.sent, QList<QByteArray>{Msg::startgameRequest("You", 6, 55, 4, false)});
}

QTEST_MAIN(TestGameStart)
#include "test_gamestart.moc"
