#pragma once

#include <QString>
#include <QWidget>

class QByteArray;
class QFrame;
class QLabel;
class QPushButton;
class THttpCli;

// The lobby download window, shown beside a solo game: goes on with the solo
// game, or closes the game and starts an installed lobby. Where the lobby is
// installed beside the game, its left panel says so and its button opens the
// lobby; only where it is not does it offer to download the lobby's installer
// into the user's download folder and start it.
class Tdownload : public QWidget {
    Q_OBJECT
public:
    // The installer's address on the maker's web server; LEXICLASH_LOBBY_URL
    // replaces the whole address.
    static QString lobbyInstallerUrl();

    explicit Tdownload(QWidget *parent = nullptr);

    // Folder the lobby program is looked for in: the program's own folder
    // unless set otherwise. Setting it shows the offer that fits it.
    QString folder() const { return folder_; }
    void setFolder(const QString &folder);
    // The installed lobby program: "lexiclash-lobby" in folder().
    QString lobbyPath() const;
    // True when lobbyPath() is a program that can be started.
    bool lobbyInstalled() const;
    // Folder the installer is downloaded to: the user's download folder
    // unless set otherwise; created when missing.
    QString downloadFolder() const { return downloadFolder_; }
    void setDownloadFolder(const QString &folder) { downloadFolder_ = folder; }

    // The left panel's button. With the lobby installed: "Open The Quillmark
    // Lobby", as "Play with Others". Else "Download And Install The Quillmark
    // Lobby Now": fetches the installer into downloadFolder(), reporting
    // progress in the labels, and starts it when complete; the game then
    // exits. Returns when the transfer has ended.
    void getbuttonClick();
    // "Stop Download": ends a running download; no installation follows.
    void abortbuttonClick();
    // "Play Solo Game": hides the window; the solo game goes on.
    void Button1Click();
    // "Play with Others": starts the installed lobby and exits the game, or
    // says where to find the lobby when it is not installed.
    void Button2Click();

    // HttpCli1's events: a header line, the start of the body, a piece of body.
    void HttpCli1HeaderData(THttpCli *sender);
    void HttpCli1DocBegin(THttpCli *sender);
    void HttpCli1DocData(THttpCli *sender, const QByteArray &data);

    QLabel *Image1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *infolabel2 = nullptr;
    QPushButton *getbutton = nullptr;
    QLabel *infolabel = nullptr;
    QLabel *infolabel3 = nullptr;
    QPushButton *abortbutton = nullptr;
    QLabel *Label7 = nullptr;
    QPushButton *Button1 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label5 = nullptr;
    QPushButton *Button2 = nullptr;
    QLabel *Label4 = nullptr;
    THttpCli *HttpCli1 = nullptr;

signals:
    // The game is to close now (the installer or the lobby has been started).
    void exitRequested();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildLeftPanel(QFrame *panel);
    void buildSoloPanel(QFrame *panel);
    void buildLobbyPanel(QFrame *panel);
    void loadBanner();
    void showOffer();
    void download();
    void startInstaller(const QString &path);

    QString folder_;
    QString downloadFolder_;
};
