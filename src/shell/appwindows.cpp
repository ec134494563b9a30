#include "shell/appwindows.h"

#include "client/tchat.h"
#include "dialogs/tabout.h"
#include "dialogs/tdownload.h"
#include "dialogs/tgamestart.h"
#include "dialogs/thelp.h"
#include "dialogs/tphrases.h"
#include "dialogs/tspylist.h"
#include "server/tserver.h"
#include "tallywindow/ttallylist.h"

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

    Tchat::Windows windows;
    windows.about = about_.get();
    windows.download = download_.get();
    windows.gamestart = gamestart_.get();
    windows.help = help_.get();
    windows.phrases = phrases_.get();
    windows.serverListener = server_->Sock1();
    windows.spylist = spylist_.get();
    windows.tally = tally_.get();
    chat_->setWindows(windows);
    chat_->setParameters(parameters);
    server_->setHostOptions(chat_.get());
    QObject::connect(download_.get(), &Tdownload::exitRequested, chat_.get(), &QWidget::close);
}

AppWindows::~AppWindows() = default;
