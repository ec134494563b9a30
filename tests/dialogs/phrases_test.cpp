#include "client/chatmenus.h"
#include "client/chatpane.h"
#include "client/tchat.h"
#include "common/guard.h"
#include "common/messagebox.h"
#include "dialogs/tphrases.h"
#include "intentrecorder.h"
#include "model/gamemodel.h"
#include "net/servermessage.h"
#include "session/clientsession.h"
#include "settings/gamesettings.h"
#include "shell/windowwiring.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

QStringList sectionLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (!line.isEmpty() && !line.startsWith('['))
            lines << QString::fromUtf8(line);
    }
    return lines;
}

} // namespace

class PhrasesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void editorLooksAsDesigned();
    void opensWithThePhrasesInForce();
    void doneAppliesAtOnceAndStoresAllTen();
    void emptiedPhraseIsStoredEmptyAndTheBuiltInOneReturns();
    void fieldsStopAtFiftyCharacters();
    void closingAnotherWayDiscardsTheEdits();
    void otherKeysSurviveTheDone();

private:
    // A new program run: a fresh main window and editor.
    void restart();
    void login();
    QByteArray clickPhrase(int n);

    QTemporaryDir home_;
    std::unique_ptr<Tphrases> phrases_;
    std::unique_ptr<Tchat> chat_;
    IntentRecorder intents_;
    QList<QByteArray> &sent_ = intents_.sent;
    QStringList errors_;
};

void PhrasesTest::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("LEXICLASH_HOME"))
        qputenv("LEXICLASH_HOME", home_.path().toUtf8());
    setMessageBoxHandler([](const QString &) {});
}

void PhrasesTest::init()
{
    errors_.clear();
    setErrorHandler([this](const QString &text) { errors_ << text; });
    QFile::remove(settingsFilePath());
    restart();
}

void PhrasesTest::cleanup()
{
    chat_.reset();
    phrases_.reset();
}

void PhrasesTest::restart()
{
    chat_.reset();
    phrases_ = std::make_unique<Tphrases>();
    chat_ = std::make_unique<Tchat>();
    WindowSet windows;
    windows.phrases = phrases_.get();
    wireWindows(*chat_, windows);
    chat_->setParameters({QStringLiteral("Ann"), QStringLiteral("127.0.0.1")});
    sent_.clear();
    intents_.seat = 2;
    chat_->chat->setIntents(&intents_);
}

void PhrasesTest::login()
{
    chat_->model->apply(Msg::SendLoginInfo{2});
    guarded([this] { chat_->session->handle(decodeServerMessage("CMD_newplayerinfo+2+Ann")); });
}

QByteArray PhrasesTest::clickPhrase(int n)
{
    sent_.clear();
    chat_->chat->setPhraseReady(true);
    chat_->chat->b_phrase[n - 1]->click();
    return sent_.value(0);
}

void PhrasesTest::editorLooksAsDesigned()
{
    QCOMPARE(phrases_->windowTitle(), QStringLiteral("Lexiclash - Phrase Buttons "));
    for (int n = 1; n <= Tphrases::kPhrases; ++n) {
        auto *field = phrases_->findChild<QLineEdit *>(QStringLiteral("phrase%1").arg(n));
        QVERIFY(field);
        auto *label = phrases_->findChild<QLabel *>(QStringLiteral("label_phrase%1").arg(n));
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("Phrase Button %1:").arg(n));
        QCOMPARE(label->buddy(), field);
    }
    auto *note = phrases_->findChild<QLabel *>(QStringLiteral("label_note"));
    QVERIFY(note);
    QCOMPARE(note->text(), QStringLiteral("Buttons can only be used once every 2 seconds"));
    // Red, light enough to read on the dark tile.
    const QColor red = note->palette().color(QPalette::WindowText);
    QCOMPARE(red.hue(), 0);
    QCOMPARE(red.red(), 255);
    QVERIFY(red.green() == red.blue() && red.green() < red.red());
    QVERIFY(!phrases_->isModal());
}

void PhrasesTest::opensWithThePhrasesInForce()
{
    chat_->show();
    chat_->menus->PhraseList1->trigger();
    QVERIFY(phrases_->isVisible());
    const QStringList builtIn = {"Way To Go!",
                                 "Good One!",
                                 "Nice Try!",
                                 "Excellent!",
                                 "Brilliant!",
                                 "Wow, WTG!",
                                 "Thanks!",
                                 "Way To Go Teamie!",
                                 "Good Game Everyone!",
                                 "/me waves \"Good-Bye\""};
    for (int n = 1; n <= Tphrases::kPhrases; ++n)
        QCOMPARE(phrases_->phrases[n - 1]->text(), builtIn.at(n - 1));
    // Centred on the main window.
    const QPoint offset = phrases_->frameGeometry().center() - chat_->frameGeometry().center();
    QVERIFY(offset.manhattanLength() <= 2);
}

void PhrasesTest::doneAppliesAtOnceAndStoresAllTen()
{
    login();
    chat_->menus->PhraseList1->trigger();
    phrases_->phrases[2]->setText(QStringLiteral("Close one!"));
    phrases_->button_done->click();
    QVERIFY(!phrases_->isVisible());
    QVERIFY(errors_.isEmpty());
    QCOMPARE(clickPhrase(3), QByteArray("CMD_action+2+says: Close one!|clBlack\xFF"));

    const QStringList lines = sectionLines(settingsFilePath());
    QCOMPARE(lines.size(), 10);
    QCOMPARE(lines.at(0), QStringLiteral("Phrase1=Way To Go!"));
    QCOMPARE(lines.at(2), QStringLiteral("Phrase3=Close one!"));
    QCOMPARE(lines.at(9), QStringLiteral("Phrase10=/me waves \"Good-Bye\""));

    restart();
    login();
    QCOMPARE(chat_->chat->phrase(3), QStringLiteral("Close one!"));
}

void PhrasesTest::emptiedPhraseIsStoredEmptyAndTheBuiltInOneReturns()
{
    login();
    chat_->menus->PhraseList1->trigger();
    phrases_->phrases[2]->clear();
    phrases_->button_done->click();
    QVERIFY(sectionLines(settingsFilePath()).contains("Phrase3="));
    QCOMPARE(clickPhrase(3), QByteArray("CMD_action+2+says: |clBlack\xFF"));

    restart();
    login();
    QCOMPARE(chat_->chat->phrase(3), QStringLiteral("Nice Try!"));
}

void PhrasesTest::fieldsStopAtFiftyCharacters()
{
    chat_->menus->PhraseList1->trigger();
    QLineEdit *field = phrases_->phrases[0];
    field->clear();
    QTest::keyClicks(field, QString(60, QLatin1Char('x')));
    QCOMPARE(field->text(), QString(50, QLatin1Char('x')));
}

void PhrasesTest::closingAnotherWayDiscardsTheEdits()
{
    chat_->menus->PhraseList1->trigger();
    phrases_->phrases[0]->setText(QStringLiteral("Changed my mind"));
    phrases_->close();
    QCOMPARE(chat_->chat->phrase(1), QStringLiteral("Way To Go!"));
    QVERIFY(!QFile::exists(settingsFilePath()));
    chat_->menus->PhraseList1->trigger();
    QCOMPARE(phrases_->phrases[0]->text(), QStringLiteral("Way To Go!"));
}

void PhrasesTest::otherKeysSurviveTheDone()
{
    {
        QFile file(settingsFilePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Lexiclash]\nBotspeed=17\n[Quillmark]\nuser=ann\n");
    }
    chat_->menus->PhraseList1->trigger();
    phrases_->button_done->click();
    QFile file(settingsFilePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("[Lexiclash]\nBotspeed=17\nPhrase1=Way To Go!\n"));
    QVERIFY(bytes.endsWith("Phrase10=/me waves \"Good-Bye\"\n[Quillmark]\nuser=ann\n"));
}

QTEST_MAIN(PhrasesTest)
#include "phrases_test.moc"
