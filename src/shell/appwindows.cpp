#include "shell/appwindows.h"

#include "client/chatpane.h"
#include "client/reviewwindows.h"
#include "client/tchat.h"
#include "dialogs/tabout.h"
#include "dialogs/tdownload.h"
#include "dialogs/tgamestart.h"
#include "dialogs/thelp.h"
#include "dialogs/tphrases.h"
#include "dialogs/tspylist.h"
#include "discovery/gamebeacon.h"
#include "net/internetreport.h"
#include "portmap/portmapper.h"
#include "server/tserver.h"
#include "shell/windowwiring.h"
#include "tallywindow/ttallylist.h"

#include <QElapsedTimer>
#include <QTimer>

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
    // Solo games are not offered to others, nor opened on the router.
    QObject::connect(chat_.get(), &Tchat::hostingBegan, chat_.get(), [this](bool withOthers) {
        if (!withOthers)
            return;
        startAnswering();
        startPortMapping();
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
    const auto hostName = [server, chat] {
        const QByteArray &name = server->seat(1).name;
        return name.isEmpty() ? chat->state.playername : QString::fromUtf8(name);
    };
    beacon_ = std::make_unique<GameBeacon>(*server, server->Sock1()->localPort(), hostName, false);
    if (const QString trouble = beacon_->start(); !trouble.isEmpty())
        qWarning("lexiclash: %s", qPrintable(trouble));
}

void AppWindows::startPortMapping()
{
    Tchat *chat = chat_.get();
    const quint16 port = server_->Sock1()->localPort();
    if (!PortMapper::enabledByEnvironment()) {
        qInfo("lexiclash: port mapping is off (LEXICLASH_PORTMAP=off)");
        const QByteArray line = internetReportLine({{}, PortMapResult::offMessage(port)});
        // The presence connection opens once hosting has begun.
        QTimer::singleShot(0, chat, [chat, line] { chat->tellLobby(line); });
        return;
    }
    portMapper_ = std::make_unique<PortMapper>();
    QElapsedTimer clock;
    clock.start();
    QObject::connect(
        portMapper_.get(), &PortMapper::finished, chat, [chat, clock](const PortMapResult &result) {
            qInfo("lexiclash: port mapping (%s, %lld ms): %s", qPrintable(result.methodName()),
                  clock.elapsed(), qPrintable(result.message()));
            chat->chat->addlinetochat(QStringLiteral("Internet: ") + result.message(), QColor());
            // The lobby shows the host the same words and builds the invite
            // link from the outside address once the router opened the port.
            InternetReport report;
            report.message = result.message();
            if (result.outcome == PortMapResult::Outcome::Mapped)
                report.outside = {result.externalAddress, result.externalPort};
            chat->tellLobby(internetReportLine(report));
        });
    portMapper_->start(port);
}
