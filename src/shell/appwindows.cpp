#include "shell/appwindows.h"

#include "client/reviewwindows.h"
#include "client/tchat.h"
#include "common/ports.h"
#include "common/version.h"
#include "dialogs/tabout.h"
#include "dialogs/tdownload.h"
#include "dialogs/tgamestart.h"
#include "dialogs/thelp.h"
#include "dialogs/tphrases.h"
#include "dialogs/tspylist.h"
#include "discovery/discoveryannouncer.h"
#include "discovery/discoveryresponder.h"
#include "server/tserver.h"
#include "shell/windowwiring.h"
#include "tallywindow/ttallylist.h"

#include <QRandomGenerator>

AppWindows::AppWindows(const QStringList &parameters)
{
    chat_ = std::make_unique<Tchat>();
    about_ = std::make_unique<Tabout>();
    download_ = std::make_unique<Tdownload>();
    gamestart_ = std::make_unique<Tgamestart>();
    help_ = std::make_unique<Thelp>();
    phrases_ = std::make_unique<Tphrases>();
    server_ = std::make_unique<TServer>();
    spylist_ = std::make_unique<Tspylist>();
    tally_ = std::make_unique<Ttallylist>();

    WindowSet windows;
    windows.about = about_.get();
    windows.download = download_.get();
    windows.gamestart = gamestart_.get();
    windows.help = help_.get();
    windows.phrases = phrases_.get();
    windows.serverListener = server_->Sock1();
    windows.spylist = spylist_.get();
    windows.tally = tally_.get();
    windows.tallyRecorder = tally_.get();
    wireWindows(*chat_, windows);
    // Solo games are not offered to others.
    QObject::connect(chat_.get(), &Tchat::hostingBegan, chat_.get(), [this](bool withOthers) {
        if (withOthers)
            startAnswering();
    });
    chat_->setParameters(parameters);
    server_->setHostOptions(chat_.get());
    bool graceSet = false;
    const int grace = qEnvironmentVariableIntValue("LEXICLASH_REJOIN_GRACE", &graceSet);
    if (graceSet)
        server_->setrejoingrace(grace);
    // The review reads the server's word list instead of opening a second one.
    chat_->reviews->setDictionary(server_->dictionary());
    QObject::connect(download_.get(), &Tdownload::exitRequested, chat_.get(), &QWidget::close);
}

AppWindows::~AppWindows() = default;

void AppWindows::startAnswering()
{
    const TServer *server = server_.get();
    const Tchat *chat = chat_.get();
    const quint32 gameId = QRandomGenerator::system()->generate();
    const quint16 gamePort = server->Sock1()->localPort();
    const auto describe = [=] {
        discovery::GameInfo info;
        info.gameId = gameId;
        info.gamePort = gamePort;
        const QByteArray &hostname = server->seat(1).name;
        info.hostName = hostname.isEmpty() ? chat->state.playername : QString::fromUtf8(hostname);
        for (int seat = 1; seat <= TServer::kMaxSeats; ++seat) {
            if (!server->seat(seat).connected || !server->seat(seat).loggedin)
                continue;
            ++(seat <= TServer::numplayers ? info.players : info.spies);
        }
        const GameState &game = server->state();
        info.running = game.gameon;
        info.round = game.round;
        info.rounds = game.rounds;
        info.version = QString::fromLatin1(kVersionText);
        return info;
    };
    responder_ = std::make_unique<DiscoveryResponder>(describe);
    // Without the port (a copy of an earlier version holds it alone) the
    // announcements still make the game found.
    if (!responder_->start(discoveryPort()))
        qWarning("lexiclash: cannot answer discovery queries on UDP port %u: %s",
                 unsigned(discoveryPort()), qPrintable(responder_->errorString()));
    announcer_ = std::make_unique<DiscoveryAnnouncer>(describe);
    announcer_->start();
}
