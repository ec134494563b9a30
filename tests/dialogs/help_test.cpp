#include "client/chatmenus.h"
#include "client/tchat.h"
#include "common/messagebox.h"
#include "common/version.h"
#include "dialogs/tabout.h"
#include "dialogs/thelp.h"
#include "shell/windowwiring.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextBrowser>
#include <QtTest>

#include <memory>

namespace {

QString firstLine(const QTextBrowser *page)
{
    return page->document()->firstBlock().text();
}

} // namespace

class HelpTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startsOnTheOverview();
    void buttonShowsItsPage_data();
    void buttonShowsItsPage();
    void pagesAreReadOnlyAndBeginWithTheirNameAndABlankLine();
    void historyLines();
    void quotedTexts_data();
    void quotedTexts();
    void aboutWindow();
    void logoAndAddressOpenTheWebAddress_data();
    void logoAndAddressOpenTheWebAddress();
    void mainWindowShowsHelpAndAbout();

private:
    std::unique_ptr<Tabout> about_;
    std::unique_ptr<Thelp> help_;
    std::unique_ptr<Tchat> chat_;
    QList<QUrl> opened_;
};

void HelpTest::initTestCase()
{
    setMessageBoxHandler([](const QString &) {});
}

void HelpTest::init()
{
    opened_.clear();
    chat_ = std::make_unique<Tchat>();
    about_ = std::make_unique<Tabout>();
    help_ = std::make_unique<Thelp>();
    about_->setLinkOpener([this](const QUrl &url) { opened_ << url; });
    WindowSet windows;
    windows.about = about_.get();
    windows.help = help_.get();
    wireWindows(*chat_, windows);
    chat_->setParameters({QStringLiteral("Ann"), QStringLiteral("127.0.0.1")});
}

void HelpTest::cleanup()
{
    chat_.reset();
    help_.reset();
    about_.reset();
}

void HelpTest::startsOnTheOverview()
{
    QCOMPARE(help_->windowTitle(), QStringLiteral("Lexiclash - Help File"));
    QCOMPARE(help_->size(), QSize(521, 422));
    QCOMPARE(help_->currentPage(), help_->memo[0]);
    QCOMPARE(help_->label_caption->text(), QStringLiteral("Overview"));
    QCOMPARE(firstLine(help_->currentPage()), QStringLiteral("Overview"));
}

void HelpTest::buttonShowsItsPage_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("pageTitle");
    QTest::newRow("1") << "SelButton1"
                       << "Overview"
                       << "memo1"
                       << "Overview";
    QTest::newRow("2") << "SelButton2"
                       << "Connecting"
                       << "memo2"
                       << "Connecting";
    QTest::newRow("3") << "SelButton3"
                       << "Game Play"
                       << "memo3"
                       << "Game Play";
    QTest::newRow("4") << "SelButton4"
                       << "Scoring"
                       << "memo4"
                       << "Scoring";
    QTest::newRow("5") << "SelButton5"
                       << "Documentation"
                       << "memo5"
                       << "History";
    QTest::newRow("6") << "SelButton6"
                       << "License"
                       << "memo6"
                       << "License";
}

void HelpTest::buttonShowsItsPage()
{
    QFETCH(QString, button);
    QFETCH(QString, caption);
    QFETCH(QString, page);
    QFETCH(QString, pageTitle);
    help_->show();
    // Start from another page, so the click has something to change.
    help_->findChild<QPushButton *>(button == "SelButton6" ? "SelButton1" : "SelButton6")->click();
    auto *pressed = help_->findChild<QPushButton *>(button);
    QVERIFY(pressed);
    QCOMPARE(pressed->text(), caption);
    pressed->click();
    QCOMPARE(help_->currentPage()->objectName(), page);
    QVERIFY(help_->currentPage()->isVisible());
    QCOMPARE(help_->label_caption->text(), caption);
    QCOMPARE(firstLine(help_->currentPage()), pageTitle);
}

void HelpTest::pagesAreReadOnlyAndBeginWithTheirNameAndABlankLine()
{
    for (QTextBrowser *page : help_->memo) {
        QVERIFY(page->isReadOnly());
        const QTextBlock second = page->document()->firstBlock().next();
        QVERIFY2(second.isValid() && second.text().isEmpty(), qPrintable(page->objectName()));
        QVERIFY(second.next().text().size() > 0);
    }
}

void HelpTest::historyLines()
{
    const QStringList lines = help_->memo[4]->toPlainText().split(QLatin1Char('\n'));
    const QStringList expected = {"Jan 18, 2008 - Version 1.0.3.6",
                                  "-Added Reset Screen Location Setting",
                                  "-Added turn sound option",
                                  "-Fixed bug with bot getting words too late",
                                  "Oct 18, 2006 - Version 1.0.2.5",
                                  "-Added feature where players don't see word list",
                                  "Aug 28, 2006 - Version 1.0.1.4",
                                  "-Improved game selection",
                                  "-Added starter word",
                                  "-Added preventing from using the same beginning",
                                  "-Added bot",
                                  "Aug 22, 2006 - Version 1.0.0.3",
                                  "2006 - First alpha release Version 1."};
    QStringList shown = lines.mid(2);
    shown.removeAll(QString());
    QCOMPARE(shown, expected);
}

void HelpTest::quotedTexts_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("text");
    QTest::newRow("host note")
        << 2 << "Note: If at any time the host (ussually the first player in the list) is ";
    QTest::newRow("host note end") << 2 << "disconnected, all game play will end.";
    QTest::newRow("port") << 2 << "7772";
    QTest::newRow("object") << 1
                            << "to guess as many words as possible within the constraints of "
                               "the requirements given";
    QTest::newRow("word length") << 3 << "Word Length";
    QTest::newRow("begins with") << 3 << "Begins With";
    QTest::newRow("no limit") << 3 << "\"No Limit\"";
    QTest::newRow("give up") << 3 << "\"I Give Up\"";
    QTest::newRow("licence") << 6 << "License\n\nLicense Agreement \n";
}

void HelpTest::quotedTexts()
{
    QFETCH(int, page);
    QFETCH(QString, text);
    QVERIFY2(help_->memo[page - 1]->toPlainText().contains(text), qPrintable(text));
}

void HelpTest::aboutWindow()
{
    QCOMPARE(about_->windowTitle(), QStringLiteral("Lexiclash - About"));
    QCOMPARE(about_->size(), QSize(304, 174));
    QCOMPARE(about_->version->text(), QString::fromLatin1(kVersionText));
    QCOMPARE(about_->version->text(), QStringLiteral("1.0.3"));
    QCOMPARE(about_->Label1->text(), QStringLiteral("Version"));
    QCOMPARE(about_->Label9->text(), QStringLiteral(".6"));
    QCOMPARE(about_->Label7->text(), Tabout::URL1);
    QCOMPARE(about_->Image5->pixmap().size(), QSize(209, 55));
    for (QLabel *credit :
         {about_->Label6, about_->Label5, about_->Label3, about_->Label4, about_->Label2})
        QVERIFY(!credit->text().isEmpty());
    // Every label stays inside the window.
    for (const QLabel *label : about_->findChildren<QLabel *>())
        QVERIFY2(about_->rect().contains(label->geometry()), qPrintable(label->objectName()));

    about_->show();
    about_->button_done->click();
    QVERIFY(!about_->isVisible());
    about_->show();
    QVERIFY(about_->isVisible());
}

void HelpTest::logoAndAddressOpenTheWebAddress_data()
{
    QTest::addColumn<QString>("clicked");
    QTest::newRow("logo") << "Image5";
    QTest::newRow("address") << "Label7";
}

void HelpTest::logoAndAddressOpenTheWebAddress()
{
    QFETCH(QString, clicked);
    about_->show();
    QTest::mouseClick(about_->findChild<QLabel *>(clicked), Qt::LeftButton);
    QCOMPARE(opened_, QList<QUrl>({QUrl("http://" + Tabout::URL1)}));
}

void HelpTest::mainWindowShowsHelpAndAbout()
{
    chat_->show();
    QCOMPARE(chat_->menus->Content1->shortcut(), QKeySequence(Qt::Key_F1));
    chat_->menus->Content1->trigger();
    QVERIFY(help_->isVisible());
    const QPoint offset = help_->frameGeometry().center() - chat_->frameGeometry().center();
    QVERIFY(offset.manhattanLength() <= 2);

    help_->button_about->click();
    QVERIFY(about_->isVisible());
    about_->button_done->click();
    help_->button_done->click();
    QVERIFY(!help_->isVisible());

    chat_->menus->About1->trigger();
    QVERIFY(about_->isVisible());
    // The maker's picture on the board opens the same address.
    QTest::mouseClick(chat_->Image4, Qt::LeftButton);
    QCOMPARE(opened_, QList<QUrl>({QUrl("http://" + Tabout::URL1)}));
}

QTEST_MAIN(HelpTest)
#include "help_test.moc"
