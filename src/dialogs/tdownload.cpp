#include "dialogs/tdownload.h"

#include "common/errors.h"
#include "common/files.h"
#include "common/guard.h"
#include "common/messagebox.h"
#include "common/paths.h"
#include "dialogs/jpegdecode.h"
#include "http/thttpcli.h"
#include "widgets/tag.h"
#include "widgets/windowaccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QStandardPaths>
#include <QUrl>

#include <exception>

namespace {
// The download state kept in infolabel's tag.
constexpr int kDownloading = 1;
constexpr int kStopped = 2;

const QString kLobbyProgram = QStringLiteral("lexiclash-lobby");

QFont formFont(int pointSize, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans")});
    font.setPointSize(pointSize);
    font.setBold(bold);
    return font;
}

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text, QRect geometry,
                  bool bold, int pointSize = 8)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setFont(formFont(pointSize, bold));
    label->setWordWrap(true);
    return label;
}

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &text, QRect geometry,
                        bool redText)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setFont(formFont(8, redText));
    if (redText)
        button->setStyleSheet(QStringLiteral("color: #ff0000;"));
    return button;
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

// A quiet parchment pattern behind the panels.
QPixmap backgroundTile()
{
    QPixmap tile(24, 24);
    tile.fill(QColor(236, 228, 206));
    QPainter painter(&tile);
    painter.setPen(QColor(226, 216, 190));
    painter.drawLine(0, 23, 23, 0);
    painter.drawPoint(5, 5);
    painter.drawPoint(17, 17);
    return tile;
}

QFrame *makePanel(QWidget *parent, const QString &name, QRect geometry)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setGeometry(geometry);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    return panel;
}
} // namespace

QString Tdownload::lobbyInstallerUrl()
{
    const QString url = qEnvironmentVariable("LEXICLASH_LOBBY_URL");
    return url.isEmpty() ? QStringLiteral("http://www.quillmark.example/lobby/qmlsetup.exe") : url;
}

Tdownload::Tdownload(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
    , folder_(programFolder())
    , downloadFolder_(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation))
{
    setObjectName(QStringLiteral("download"));
    setWindowTitle(QStringLiteral("Download The Quillmark Lobby"));
    setFixedSize(724, 500);
    setFont(formFont(8, false));
    // Closing this window only hides it; the game goes on.
    setAttribute(Qt::WA_QuitOnClose, false);
    QPalette palette = this->palette();
    palette.setBrush(QPalette::Window, QBrush(backgroundTile()));
    setPalette(palette);
    setAutoFillBackground(true);

    buildLeftPanel(makePanel(this, QStringLiteral("Panel1"), QRect(4, 4, 414, 492)));
    buildSoloPanel(makePanel(this, QStringLiteral("Panel2"), QRect(424, 4, 296, 242)));
    buildLobbyPanel(makePanel(this, QStringLiteral("Panel3"), QRect(424, 254, 296, 242)));

    HttpCli1 = new THttpCli(this);
    HttpCli1->setObjectName(QStringLiteral("HttpCli1"));
    HttpCli1->URL = lobbyInstallerUrl();
    HttpCli1->RequestVer = QStringLiteral("1.0");
    HttpCli1->Agent = QStringLiteral("Mozilla/3.0 (compatible)");
    HttpCli1->Accept = QStringLiteral("image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*");
    HttpCli1->NoCache = false;
    HttpCli1->LocalAddr = QStringLiteral("0.0.0.0");
    HttpCli1->Proxy.clear();
    HttpCli1->ProxyPort = QStringLiteral("80");
    HttpCli1->OnHeaderData = [this](THttpCli *sender) { HttpCli1HeaderData(sender); };
    HttpCli1->OnDocBegin = [this](THttpCli *sender) { HttpCli1DocBegin(sender); };
    HttpCli1->OnDocData = [this](THttpCli *sender, const QByteArray &data) {
        HttpCli1DocData(sender, data);
    };

    connect(getbutton, &QPushButton::clicked, this,
            [this] { guarded([this] { getbuttonClick(); }); });
    connect(abortbutton, &QPushButton::clicked, this,
            [this] { guarded([this] { abortbuttonClick(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { guarded([this] { Button2Click(); }); });
    closeOnEscape(this, [this] { guarded([this] { Button1Click(); }); });
    showOffer();
}

void Tdownload::setFolder(const QString &folder)
{
    folder_ = folder;
    showOffer();
}

bool Tdownload::lobbyInstalled() const
{
    const QFileInfo lobby(lobbyPath());
    return lobby.isFile() && lobby.isExecutable();
}

// An installed lobby is opened, never downloaded again: an installed program's
// folder is not the user's to write, and the installer is no program for it.
void Tdownload::showOffer()
{
    const bool installed = lobbyInstalled();
    Label1->setText(installed
                        ? QStringLiteral("The Quillmark Lobby is installed: open it to play this "
                                         "and other games with other players!")
                        : QStringLiteral("Download The Quillmark Lobby Now to play this  and "
                                         "other exciting games online with other players!"));
    getbutton->setText(installed ? QStringLiteral("Open The Quillmark Lobby")
                                 : QStringLiteral("Download And Install The Quillmark Lobby Now"));
    abortbutton->setVisible(!installed);
    infolabel->clear();
    infolabel3->clear();
}

void Tdownload::buildLeftPanel(QFrame *panel)
{
    Image1 = new QLabel(panel);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAccessibleName(QStringLiteral("Quillmark Lobby"));
    Image1->setGeometry(7, 6, 400, 339);
    loadBanner();

    // Written on the sign that hangs in the banner.
    Label2 = new QLabel(QStringLiteral("IS CLOSED"), panel);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(7 + 112, 6 + 120, 176, 40);
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setFont(formFont(18, true));
    setTextColour(Label2, Qt::red);
    Label2->raise();

    Label1 = makeLabel(panel, QStringLiteral("Label1"),
                       QStringLiteral("Download The Quillmark Lobby Now to play this  and other "
                                      "exciting games online with other players!"),
                       QRect(8, 347, 398, 54), true, 11);
    infolabel2 =
        makeLabel(panel, QStringLiteral("infolabel2"), QString(), QRect(8, 466, 130, 16), false);
    infolabel2->hide();
    getbutton = makeButton(panel, QStringLiteral("getbutton"),
                           QStringLiteral("Download And Install The Quillmark Lobby Now"),
                           QRect(8, 400, 398, 28), true);
    infolabel =
        makeLabel(panel, QStringLiteral("infolabel"), QString(), QRect(8, 430, 398, 16), true);
    infolabel->setAlignment(Qt::AlignCenter);
    infolabel3 =
        makeLabel(panel, QStringLiteral("infolabel3"), QString(), QRect(8, 447, 398, 16), true);
    infolabel3->setAlignment(Qt::AlignCenter);
    abortbutton = makeButton(panel, QStringLiteral("abortbutton"), QStringLiteral("Stop Download"),
                             QRect(152, 464, 110, 24), false);
    abortbutton->setEnabled(true);
}

void Tdownload::buildSoloPanel(QFrame *panel)
{
    Label7 = makeLabel(panel, QStringLiteral("Label7"),
                       QStringLiteral("To proceed to the game without the ability to play "
                                      "against others click the button below."),
                       QRect(12, 14, 272, 54), true);
    Button1 = makeButton(panel, QStringLiteral("Button1"), QStringLiteral("Play Solo Game"),
                         QRect(48, 76, 200, 30), true);
    Label3 = makeLabel(panel, QStringLiteral("Label3"),
                       QStringLiteral("Note: Even if you are playing offline, you will need to "
                                      "configure your FIREWALL to allow the game to access the "
                                      "internet components."),
                       QRect(12, 122, 272, 90), false);
    setTextColour(Label3, Qt::red);
}

void Tdownload::buildLobbyPanel(QFrame *panel)
{
    Label5 = makeLabel(panel, QStringLiteral("Label5"),
                       QStringLiteral("If you already have The Quillmark Lobby and you wish to "
                                      "play with others then click the button below to close "
                                      "this game and open The Quillmark Lobby."),
                       QRect(12, 14, 272, 84), true);
    Button2 = makeButton(panel, QStringLiteral("Button2"), QStringLiteral("Play with Others"),
                         QRect(48, 106, 200, 30), true);
    Label4 = makeLabel(panel, QStringLiteral("Label4"), QString(), QRect(12, 150, 272, 40), false);
}

void Tdownload::loadBanner()
{
    QFile resource(QStringLiteral(":/dialogs/banner.jpg"));
    if (!resource.open(QIODevice::ReadOnly)) {
        reportError(QStringLiteral("The banner picture is missing from the program"));
        return;
    }
    try {
        Image1->setPixmap(QPixmap::fromImage(decodeJpeg(resource.readAll())));
    } catch (const Error &e) {
        reportError(e.message());
    }
}

QString Tdownload::lobbyPath() const
{
    return QDir(folder_).filePath(kLobbyProgram);
}

void Tdownload::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

void Tdownload::getbuttonClick()
{
    if (lobbyInstalled()) {
        Button2Click();
        return;
    }
    download();
}

void Tdownload::download()
{
    setTag(infolabel, kDownloading);
    const QString fileName = QUrl(HttpCli1->URL).fileName();
    infolabel2->setText(fileName);
    makeFolder(downloadFolder_);
    const QString target = QDir(downloadFolder_).filePath(fileName);
    // The installer is written under a temporary name and put in place only
    // when complete, so a stopped download never leaves a broken installer.
    QSaveFile file(target);
    if (fileName.isEmpty() || !file.open(QIODevice::WriteOnly))
        throw Error(QStringLiteral("Cannot create file \"%1\". %2")
                        .arg(QDir::toNativeSeparators(target),
                             fileName.isEmpty() ? QStringLiteral("The address names no file.")
                                                : file.errorString()));

    getbutton->setEnabled(false);
    abortbutton->setEnabled(true);
    infolabel->setText(QStringLiteral("Loading"));
    HttpCli1->setRcvdStream(&file);

    const QPointer<Tdownload> self(this);
    std::exception_ptr otherFailure;
    try {
        HttpCli1->Get();
        if (!file.commit())
            throw Error(QStringLiteral("Cannot write file \"%1\". %2")
                            .arg(QDir::toNativeSeparators(target), file.errorString()));
        infolabel->setText(QStringLiteral("Received %1 bytes").arg(QFileInfo(target).size()));
    } catch (const EHttpException &) {
        if (!self)
            return;
        infolabel->setText(QStringLiteral("Download Aborted"));
        setTag(infolabel, kStopped);
    } catch (...) {
        if (!self)
            throw;
        // Whatever stopped the download, a partial installer is never started.
        otherFailure = std::current_exception();
        infolabel->setText(QStringLiteral("Download Aborted"));
        setTag(infolabel, kStopped);
    }

    getbutton->setEnabled(true);
    abortbutton->setEnabled(false);
    HttpCli1->setRcvdStream(nullptr);
    if (file.isOpen())
        file.cancelWriting();
    if (tagOf(infolabel) != kStopped) {
        infolabel3->setText(QStringLiteral("Installing"));
        startInstaller(target);
    }
    if (otherFailure)
        std::rethrow_exception(otherFailure);
}

void Tdownload::startInstaller(const QString &path)
{
    // A downloaded file carries no execute permission of its own.
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner |
                                    QFileDevice::ExeGroup | QFileDevice::ExeOther);
    if (!QProcess::startDetached(
            path, {QStringLiteral("/SP-"), QStringLiteral("/silent"), QStringLiteral("/noicons")},
            downloadFolder_)) {
        showMessage(QStringLiteral("An Error has Occurred."));
        return;
    }
    emit exitRequested();
}

void Tdownload::abortbuttonClick()
{
    try {
        HttpCli1->Abort();
    } catch (...) {
        // Stopping never fails as far as the player is concerned.
    }
    infolabel->setText(QStringLiteral("Download has been aborted."));
    setTag(infolabel, kStopped);
    infolabel3->setText(QStringLiteral("Download Aborted"));
}

void Tdownload::Button1Click()
{
    close();
}

void Tdownload::Button2Click()
{
    const QString lobby = lobbyPath();
    if (!QFileInfo::exists(lobby)) {
        showMessage(QStringLiteral("Please close the game and open the Quillmark Lobby using the "
                                   "icon on your desktop or using the your Window's start-up "
                                   "menu."));
        return;
    }
    // A lobby that cannot be started leaves the game running rather than
    // closing it with nothing in its place.
    if (!QProcess::startDetached(lobby, {})) {
        showMessage(QStringLiteral("An Error has Occurred."));
        return;
    }
    emit exitRequested();
}

void Tdownload::HttpCli1HeaderData(THttpCli *)
{
    infolabel->setText(infolabel->text() + QLatin1Char('.'));
}

void Tdownload::HttpCli1DocBegin(THttpCli *)
{
    infolabel3->setText(QStringLiteral("Downloading: ") + infolabel2->text());
}

void Tdownload::HttpCli1DocData(THttpCli *sender, const QByteArray &)
{
    infolabel->setText(QString::number(sender->RcvdCount()) + QStringLiteral(" bytes"));
}
