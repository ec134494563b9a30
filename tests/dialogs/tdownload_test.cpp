#include "httptestserver.h"

#include "common/errors.h"
#include "common/guard.h"
#include "common/messagebox.h"
#include "dialogs/jpegdecode.h"
#include "dialogs/tdownload.h"
#include "http/thttpcli.h"
#include "testfiles.h"
#include "widgets/tag.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using Mode = HttpTestServer::Mode;

namespace {
const QByteArray kPath = "/lobby/qmlsetup.exe";

// An installer stand-in: records its arguments, one a line, in argsFile.
QByteArray recordingInstaller(const QString &argsFile)
{
    return "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + argsFile.toUtf8() + "'\n";
}
} // namespace

class TdownloadTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void captionsAndComponents_data();
    void captionsAndComponents();
    void windowKind();
    void bannerDecodedByLibjpeg();
    void jpegKinds_data();
    void jpegKinds();
    void badJpegRaises_data();
    void badJpegRaises();
    void installerAddress();
    void completeDownloadInstallsAndExits();
    void failedDownloadInstallsNothing_data();
    void failedDownloadInstallsNothing();
    void stopThenDownloadAgainReplacesFile();
    void installerThatCannotStart();
    void targetThatCannotBeCreated();
    void stopWhileIdleOnlyChangesLabels();
    void playSoloHidesWindow();
    void playWithOthersStartsLobby();
    void playWithOthersWithoutLobby();
    void installedLobbyIsOpenedNotDownloaded();
    void downloadGoesToTheDownloadFolder();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QStringList messages_;
    QStringList errors_;
};

void TdownloadTest::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    messages_.clear();
    errors_.clear();
    setMessageBoxHandler([this](const QString &text) { messages_ << text; });
    setErrorHandler([this](const QString &text) { errors_ << text; });
    qunsetenv("LEXICLASH_LOBBY_URL");
}

void TdownloadTest::cleanup()
{
    setMessageBoxHandler(nullptr);
    setErrorHandler(nullptr);
    qunsetenv("LEXICLASH_LOBBY_URL");
}

void TdownloadTest::captionsAndComponents_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("Label2") << "Label2"
                            << "IS CLOSED";
    QTest::newRow("Label1") << "Label1"
                            << "Download The Quillmark Lobby Now to play this  and other exciting "
                               "games online with other players!";
    QTest::newRow("infolabel2") << "infolabel2"
                                << "";
    QTest::newRow("getbutton") << "getbutton"
                               << "Download And Install The Quillmark Lobby Now";
    QTest::newRow("infolabel") << "infolabel"
                               << "";
    QTest::newRow("infolabel3") << "infolabel3"
                                << "";
    QTest::newRow("abortbutton") << "abortbutton"
                                 << "Stop Download";
    QTest::newRow("Label7") << "Label7"
                            << "To proceed to the game without the ability to play against others "
                               "click the button below.";
    QTest::newRow("Button1") << "Button1"
                             << "Play Solo Game";
    QTest::newRow("Label3") << "Label3"
                            << "Note: Even if you are playing offline, you will need to configure "
                               "your FIREWALL to allow the game to access the internet components.";
    QTest::newRow("Label5") << "Label5"
                            << "If you already have The Quillmark Lobby and you wish to play with "
                               "others then click the button below to close this game and open "
                               "The Quillmark Lobby.";
    QTest::newRow("Button2") << "Button2"
                             << "Play with Others";
    QTest::newRow("Label4") << "Label4"
                            << "";
}

void TdownloadTest::captionsAndComponents()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    // No lobby in the folder: the download is offered.
    Tdownload download;
    download.setFolder(dir_->path());
    QWidget *component = download.findChild<QWidget *>(name);
    QVERIFY2(component, qPrintable(name));
    if (auto *label = qobject_cast<QLabel *>(component))
        QCOMPARE(label->text(), text);
    else
        QCOMPARE(qobject_cast<QPushButton *>(component)->text(), text);
}

void TdownloadTest::windowKind()
{
    Tdownload download;
    QCOMPARE(download.objectName(), QStringLiteral("download"));
    QCOMPARE(download.windowTitle(), QStringLiteral("Download The Quillmark Lobby"));
    QVERIFY(download.isWindow());
    QVERIFY(download.windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(download.windowModality(), Qt::NonModal);
    QCOMPARE(download.size(), QSize(724, 500));
    QVERIFY(download.abortbutton->isEnabled());
    QVERIFY(download.getbutton->isEnabled());
    QVERIFY(download.infolabel2->isHidden());
    QCOMPARE(tagOf(download.infolabel), 0);
    QCOMPARE(download.findChild<THttpCli *>(QStringLiteral("HttpCli1")), download.HttpCli1);
    QCOMPARE(download.Image1->pixmap().size(), QSize(400, 339));
    // "IS CLOSED" lies over the banner.
    QVERIFY(download.Image1->geometry().contains(download.Label2->geometry()));
    QCOMPARE(download.Label2->parentWidget(), download.Image1->parentWidget());
}

void TdownloadTest::bannerDecodedByLibjpeg()
{
    QFile resource(QStringLiteral(":/dialogs/banner.jpg"));
    QVERIFY(resource.open(QIODevice::ReadOnly));
    const QByteArray data = resource.readAll();
    QVERIFY(data.startsWith("\xFF\xD8\xFF"));
    const QImage banner = decodeJpeg(data);
    QCOMPARE(banner.size(), QSize(400, 339));
    // The sign under "IS CLOSED" is light parchment, the night sky above dark blue.
    const QColor sign = banner.pixelColor(200, 140);
    QVERIFY2(sign.red() > 220 && sign.green() > 215 && sign.blue() > 190, qPrintable(sign.name()));
    const QColor sky = banner.pixelColor(20, 110);
    QVERIFY2(sky.blue() > sky.red() && sky.red() < 80, qPrintable(sky.name()));
}

void TdownloadTest::jpegKinds_data()
{
    QTest::addColumn<bool>("grey");
    QTest::addColumn<bool>("progressive");
    QTest::newRow("colour baseline") << false << false;
    QTest::newRow("colour progressive") << false << true;
    QTest::newRow("greyscale") << true << false;
}

void TdownloadTest::jpegKinds()
{
    QFETCH(bool, grey);
    QFETCH(bool, progressive);
    // Left half dark red, right half light grey; written by Qt's own JPEG writer.
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(QColor(200, 200, 200));
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 32; ++x)
            picture.setPixelColor(x, y, QColor(160, 20, 20));
    if (grey)
        picture = picture.convertToFormat(QImage::Format_Grayscale8);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(95);
    writer.setProgressiveScanWrite(progressive);
    QVERIFY2(writer.write(picture), qPrintable(writer.errorString()));

    const QImage decoded = decodeJpeg(buffer.data());
    QCOMPARE(decoded.size(), QSize(64, 48));
    const QColor left = decoded.pixelColor(8, 24);
    const QColor right = decoded.pixelColor(56, 24);
    const QColor expectedLeft = picture.pixelColor(8, 24);
    QVERIFY2(qAbs(left.red() - expectedLeft.red()) < 12 &&
                 qAbs(left.green() - expectedLeft.green()) < 12 &&
                 qAbs(left.blue() - expectedLeft.blue()) < 12,
             qPrintable(left.name()));
    QVERIFY2(qAbs(right.red() - 200) < 12 && qAbs(right.green() - 200) < 12 &&
                 qAbs(right.blue() - 200) < 12,
             qPrintable(right.name()));
}

void TdownloadTest::badJpegRaises_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text") << QByteArray("this is no picture at all");
    QTest::newRow("start marker only") << QByteArray("\xFF\xD8", 2);
    QTest::newRow("png header") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
}

void TdownloadTest::badJpegRaises()
{
    QFETCH(QByteArray, data);
    try {
        decodeJpeg(data);
        QFAIL("no picture must come out of bad data");
    } catch (const Error &e) {
        QVERIFY(e.message().startsWith(QStringLiteral("Not a JPEG picture: ")));
    }
}

void TdownloadTest::installerAddress()
{
    QCOMPARE(Tdownload::lobbyInstallerUrl(),
             QStringLiteral("http://www.quillmark.example/lobby/qmlsetup.exe"));
    Tdownload plain;
    QCOMPARE(plain.HttpCli1->URL, Tdownload::lobbyInstallerUrl());
    qputenv("LEXICLASH_LOBBY_URL", "http://127.0.0.1:1/other/setup.bin");
    Tdownload overridden;
    QCOMPARE(overridden.HttpCli1->URL, QStringLiteral("http://127.0.0.1:1/other/setup.bin"));
}

void TdownloadTest::completeDownloadInstallsAndExits()
{
    const QString argsFile = dir_->filePath(QStringLiteral("args.txt"));
    const QByteArray installer = recordingInstaller(argsFile) + "# " + QByteArray(600, 'x') + "\n";
    HttpTestServer server;
    server.setReply(kPath, {200, "OK", installer, Mode::Drip, {}, 128});
    qputenv("LEXICLASH_LOBBY_URL", server.url(kPath));

    Tdownload download;
    download.setFolder(dir_->path());
    download.setDownloadFolder(dir_->path());
    QSignalSpy exits(&download, &Tdownload::exitRequested);

    // Look at the labels as each event of the transfer has been handled.
    QStringList afterHeaders;
    QStringList afterData;
    QString afterBegin;
    const auto header = download.HttpCli1->OnHeaderData;
    const auto begin = download.HttpCli1->OnDocBegin;
    const auto data = download.HttpCli1->OnDocData;
    download.HttpCli1->OnHeaderData = [&](THttpCli *sender) {
        header(sender);
        afterHeaders << download.infolabel->text();
        QVERIFY(!download.getbutton->isEnabled());
        QVERIFY(download.abortbutton->isEnabled());
        QCOMPARE(tagOf(download.infolabel), 1);
    };
    download.HttpCli1->OnDocBegin = [&](THttpCli *sender) {
        begin(sender);
        afterBegin = download.infolabel3->text();
    };
    download.HttpCli1->OnDocData = [&](THttpCli *sender, const QByteArray &piece) {
        data(sender, piece);
        afterData << download.infolabel->text();
    };

    download.getbutton->click();

    QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
    QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join('\n')));
    QCOMPARE(afterHeaders, QStringList({"Loading.", "Loading..", "Loading...", "Loading...."}));
    QCOMPARE(afterBegin, QStringLiteral("Downloading: qmlsetup.exe"));
    QCOMPARE(download.infolabel2->text(), QStringLiteral("qmlsetup.exe"));
    QVERIFY(afterData.size() > 1);
    QCOMPARE(afterData.first(), QStringLiteral("128 bytes"));
    QCOMPARE(afterData.last(), QString::number(installer.size()) + " bytes");
    QCOMPARE(download.infolabel->text(), QString("Received %1 bytes").arg(installer.size()));
    QCOMPARE(download.infolabel3->text(), QStringLiteral("Installing"));
    QCOMPARE(tagOf(download.infolabel), 1);
    QVERIFY(download.getbutton->isEnabled());
    QVERIFY(!download.abortbutton->isEnabled());
    QCOMPARE(readBytes(dir_->filePath(QStringLiteral("qmlsetup.exe"))), installer);
    QCOMPARE(exits.count(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(readBytes(argsFile), QByteArray("/SP-\n/silent\n/noicons\n"), 20000);

    // The request as the server received it.
    QCOMPARE(server.requests().size(), 1);
    const QByteArray head = server.requests().first();
    QVERIFY(head.startsWith("GET /lobby/qmlsetup.exe HTTP/1.0\r\n"));
    QVERIFY(head.contains("\r\nUser-Agent: Mozilla/3.0 (compatible)\r\n"));
    QVERIFY(
        head.contains("\r\nAccept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"));
}

void TdownloadTest::failedDownloadInstallsNothing_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("serverGone");
    QTest::newRow("not found") << 404 << int(Mode::Complete) << false;
    QTest::newRow("server error") << 500 << int(Mode::Complete) << false;
    QTest::newRow("broken transfer") << 200 << int(Mode::Truncated) << false;
    QTest::newRow("nobody listening") << 200 << int(Mode::Complete) << true;
}

void TdownloadTest::failedDownloadInstallsNothing()
{
    QFETCH(int, status);
    QFETCH(int, mode);
    QFETCH(bool, serverGone);
    const QString argsFile = dir_->filePath(QStringLiteral("args.txt"));
    auto server = std::make_unique<HttpTestServer>();
    server->setReply(kPath, {status, "Reason", recordingInstaller(argsFile), Mode(mode), {}, 64});
    const QByteArray url = server->url(kPath);
    if (serverGone)
        server.reset();
    qputenv("LEXICLASH_LOBBY_URL", url);

    Tdownload download;
    download.setFolder(dir_->path());
    download.setDownloadFolder(dir_->path());
    QSignalSpy exits(&download, &Tdownload::exitRequested);
    download.getbutton->click();

    QCOMPARE(download.infolabel->text(), QStringLiteral("Download Aborted"));
    QCOMPARE(tagOf(download.infolabel), 2);
    QVERIFY(download.infolabel3->text() != QStringLiteral("Installing"));
    QVERIFY(download.getbutton->isEnabled());
    QVERIFY(!download.abortbutton->isEnabled());
    QCOMPARE(exits.count(), 0);
    QVERIFY(errors_.isEmpty());
    QVERIFY(messages_.isEmpty());
    QVERIFY(!QFile::exists(argsFile));
    // Nothing half-written stays behind.
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files), QStringList());
}

void TdownloadTest::stopThenDownloadAgainReplacesFile()
{
    const QString target = dir_->filePath(QStringLiteral("qmlsetup.exe"));
    writeBytes(target, "an installer from last week");
    HttpTestServer server;
    server.setReply(kPath, {200, "OK", "#!/bin/sh\n# first part", Mode::Stall, {}, 64});
    qputenv("LEXICLASH_LOBBY_URL", server.url(kPath));

    Tdownload download;
    download.setFolder(dir_->path());
    download.setDownloadFolder(dir_->path());
    QSignalSpy exits(&download, &Tdownload::exitRequested);

    // The server holds the transfer open; the player presses "Stop Download"
    // from the running event loop once the first part has arrived. This timer
    // ticking while the download waits is also what ends it.
    int ticks = 0;
    QTimer player;
    player.setInterval(5);
    connect(&player, &QTimer::timeout, this, [&] {
        ++ticks;
        if (download.HttpCli1->RcvdCount() > 0 && ticks >= 3 && download.abortbutton->isEnabled())
            download.abortbutton->click();
    });
    player.start();
    download.getbutton->click();
    player.stop();

    QVERIFY(ticks >= 3);
    QCOMPARE(download.infolabel->text(), QStringLiteral("Download Aborted"));
    QCOMPARE(download.infolabel3->text(), QStringLiteral("Download Aborted"));
    QCOMPARE(tagOf(download.infolabel), 2);
    QCOMPARE(exits.count(), 0);
    QVERIFY(errors_.isEmpty());
    QCOMPARE(readBytes(target), QByteArray("an installer from last week"));
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files), QStringList({"qmlsetup.exe"}));
    QTRY_COMPARE_WITH_TIMEOUT(server.openConnections(), 0, 10000);

    // Pressed again, the download starts from the beginning and replaces the file.
    const QString argsFile = dir_->filePath(QStringLiteral("args.txt"));
    const QByteArray installer = recordingInstaller(argsFile);
    server.setReply(kPath, {200, "OK", installer, Mode::Complete, {}, 64});
    download.getbutton->click();

    QCOMPARE(download.infolabel->text(), QString("Received %1 bytes").arg(installer.size()));
    QCOMPARE(download.infolabel3->text(), QStringLiteral("Installing"));
    QCOMPARE(tagOf(download.infolabel), 1);
    QCOMPARE(readBytes(target), installer);
    QCOMPARE(server.requests().size(), 2);
    QCOMPARE(exits.count(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(readBytes(argsFile), QByteArray("/SP-\n/silent\n/noicons\n"), 20000);
}

void TdownloadTest::installerThatCannotStart()
{
    // A Windows installer cannot run here.
    const QByteArray windowsProgram("MZ\x90\x00\x03\x00\x00\x00\x04\x00\x00\x00\xFF\xFF", 14);
    HttpTestServer server;
    server.setReply(kPath, {200, "OK", windowsProgram, Mode::Complete, {}, 64});
    qputenv("LEXICLASH_LOBBY_URL", server.url(kPath));

    Tdownload download;
    download.setFolder(dir_->path());
    download.setDownloadFolder(dir_->path());
    download.show();
    QSignalSpy exits(&download, &Tdownload::exitRequested);
    download.getbutton->click();

    QCOMPARE(download.infolabel->text(), QStringLiteral("Received 14 bytes"));
    QCOMPARE(download.infolabel3->text(), QStringLiteral("Installing"));
    QCOMPARE(messages_, QStringList({"An Error has Occurred."}));
    QCOMPARE(exits.count(), 0);
    QVERIFY(download.isVisible());
}

void TdownloadTest::targetThatCannotBeCreated()
{
    HttpTestServer server;
    server.setReply(kPath, {200, "OK", "data", Mode::Complete, {}, 64});
    qputenv("LEXICLASH_LOBBY_URL", server.url(kPath));

    Tdownload download;
    download.setFolder(dir_->path());
    // Under a plain file no folder can be made.
    writeBytes(dir_->filePath(QStringLiteral("a file")), "x");
    const QString missingFolder = dir_->filePath(QStringLiteral("a file/Downloads"));
    download.setDownloadFolder(missingFolder);
    QSignalSpy exits(&download, &Tdownload::exitRequested);
    download.getbutton->click();

    QCOMPARE(errors_.size(), 1);
    QVERIFY2(
        errors_.first().startsWith("Cannot create file \"" + missingFolder + "/qmlsetup.exe\""),
        qPrintable(errors_.first()));
    QVERIFY(download.getbutton->isEnabled());
    QVERIFY(download.abortbutton->isEnabled());
    QCOMPARE(download.infolabel->text(), QString());
    QCOMPARE(server.requests().size(), 0);
    QCOMPARE(exits.count(), 0);
}

void TdownloadTest::stopWhileIdleOnlyChangesLabels()
{
    Tdownload download;
    download.abortbutton->click();
    QCOMPARE(download.infolabel->text(), QStringLiteral("Download has been aborted."));
    QCOMPARE(download.infolabel3->text(), QStringLiteral("Download Aborted"));
    QCOMPARE(tagOf(download.infolabel), 2);
    QVERIFY(download.getbutton->isEnabled());
    QVERIFY(errors_.isEmpty());
}

void TdownloadTest::playSoloHidesWindow()
{
    Tdownload download;
    QSignalSpy exits(&download, &Tdownload::exitRequested);
    download.show();
    QVERIFY(QTest::qWaitForWindowExposed(&download));
    download.Button1->click();
    QVERIFY(!download.isVisible());
    QCOMPARE(exits.count(), 0);
}

void TdownloadTest::playWithOthersStartsLobby()
{
    const QString marker = dir_->filePath(QStringLiteral("lobby-started.txt"));
    writeExecutable(dir_->filePath(QStringLiteral("lexiclash-lobby")),
                    "#!/bin/sh\necho \"$#\" > '" + marker.toUtf8() + "'\n");
    Tdownload download;
    download.setFolder(dir_->path());
    download.setDownloadFolder(dir_->path());
    QCOMPARE(download.lobbyPath(), dir_->filePath(QStringLiteral("lexiclash-lobby")));
    QSignalSpy exits(&download, &Tdownload::exitRequested);
    download.Button2->click();

    QCOMPARE(exits.count(), 1);
    QVERIFY(messages_.isEmpty());
    // Started with no arguments.
    QTRY_COMPARE_WITH_TIMEOUT(readBytes(marker), QByteArray("0\n"), 20000);
}

void TdownloadTest::playWithOthersWithoutLobby()
{
    Tdownload download;
    download.setFolder(dir_->path());
    download.setDownloadFolder(dir_->path());
    download.show();
    QSignalSpy exits(&download, &Tdownload::exitRequested);
    download.Button2->click();

    QCOMPARE(messages_, QStringList({"Please close the game and open the Quillmark Lobby using the "
                                     "icon on your desktop or using the your Window's start-up "
                                     "menu."}));
    QCOMPARE(exits.count(), 0);
    QVERIFY(download.isVisible());
}

// Beside an installed lobby the window offers the lobby itself: no download,
// no installer, nothing written anywhere.
void TdownloadTest::installedLobbyIsOpenedNotDownloaded()
{
    HttpTestServer server;
    server.setReply(kPath, {200, "OK", "MZ", Mode::Complete, {}, 64});
    qputenv("LEXICLASH_LOBBY_URL", server.url(kPath));
    const QString programs = dir_->filePath(QStringLiteral("games"));
    QVERIFY(QDir().mkpath(programs));
    const QString marker = dir_->filePath(QStringLiteral("lobby-started.txt"));
    writeExecutable(programs + QStringLiteral("/lexiclash-lobby"),
                    "#!/bin/sh\necho \"$#\" > '" + marker.toUtf8() + "'\n");
    const QString downloads = dir_->filePath(QStringLiteral("Downloads"));

    Tdownload download;
    download.setFolder(programs);
    download.setDownloadFolder(downloads);
    QVERIFY(download.lobbyInstalled());
    QCOMPARE(download.Label1->text(),
             QStringLiteral("The Quillmark Lobby is installed: open it to play this and other "
                            "games with other players!"));
    QCOMPARE(download.getbutton->text(), QStringLiteral("Open The Quillmark Lobby"));
    QVERIFY(download.abortbutton->isHidden());
    QSignalSpy exits(&download, &Tdownload::exitRequested);
    download.getbutton->click();

    QCOMPARE(exits.count(), 1);
    QVERIFY(messages_.isEmpty());
    QVERIFY(errors_.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(readBytes(marker), QByteArray("0\n"), 20000);
    QCOMPARE(server.requests().size(), 0);
    QCOMPARE(QDir(programs).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"lexiclash-lobby"});
    QVERIFY(!QFileInfo::exists(downloads));
}

void TdownloadTest::downloadGoesToTheDownloadFolder()
{
    QVERIFY(Tdownload().downloadFolder() ==
            QStandardPaths::writableLocation(QStandardPaths::DownloadLocation));
    HttpTestServer server;
    server.setReply(kPath, {200, "OK", "not a program", Mode::Complete, {}, 64});
    qputenv("LEXICLASH_LOBBY_URL", server.url(kPath));
    const QString downloads = dir_->filePath(QStringLiteral("home/Downloads"));

    Tdownload download;
    download.setFolder(dir_->path());
    download.setDownloadFolder(downloads);
    QVERIFY(!download.lobbyInstalled());
    QVERIFY(download.abortbutton->isVisibleTo(&download));
    download.getbutton->click();

    QCOMPARE(readBytes(downloads + QStringLiteral("/qmlsetup.exe")), QByteArray("not a program"));
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files), QStringList());
}

QTEST_MAIN(TdownloadTest)
#include "tdownload_test.moc"
