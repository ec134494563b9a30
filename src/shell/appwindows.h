#pragma once

#include <QStringList>

#include <memory>

class Tabout;
class Tchat;
class Tdownload;
class Tgamestart;
class Thelp;
class Tphrases;
class TServer;
class Tspylist;
class Ttallylist;
class GameBeacon;
class PortMapper;

// Every window of the program, created once in the fixed order (the main
// window first, so its creation runs before any other window exists) and kept
// until the program ends. They are destroyed in the reverse order: the tally
// window first, which saves the tally file, then the server, which removes
// the word list file, and the main window last.
class AppWindows {
public:
    // parameters: the command line without the program's name.
    explicit AppWindows(const QStringList &parameters);
    ~AppWindows();
    AppWindows(const AppWindows &) = delete;
    AppWindows &operator=(const AppWindows &) = delete;

    Tchat *chat() const { return chat_.get(); }
    Tabout *about() const { return about_.get(); }
    Tdownload *download() const { return download_.get(); }
    Tgamestart *gamestart() const { return gamestart_.get(); }
    Thelp *help() const { return help_.get(); }
    Tphrases *phrases() const { return phrases_.get(); }
    const TServer *server() const { return server_.get(); }
    Tspylist *spylist() const { return spylist_.get(); }
    Ttallylist *tally() const { return tally_.get(); }

private:
    // Declared in creation order; members are destroyed in reverse.
    std::unique_ptr<Tchat> chat_;
    std::unique_ptr<Tabout> about_;
    std::unique_ptr<Tdownload> download_;
    std::unique_ptr<Tgamestart> gamestart_;
    std::unique_ptr<Thelp> help_;
    std::unique_ptr<Tphrases> phrases_;
    std::unique_ptr<TServer> server_;
    std::unique_ptr<Tspylist> spylist_;
    std::unique_ptr<Ttallylist> tally_;
    // Answer the lobbies looking for games and announce the game to them
    // while this copy hosts one.
    std::unique_ptr<GameBeacon> beacon_;
    // Keeps the game port open on the router while this copy hosts a game
    // with others; removes the mapping when it goes.
    std::unique_ptr<PortMapper> portMapper_;

    void startAnswering();
    void startPortMapping();
};
