#include "windowsupport.h"

#include "client/gameview.h"
#include "client/soundplayer.h"
#include "client/tchat.h"
#include "model/gamemodel.h"
#include "net/servermessage.h"
#include "session/clientsession.h"
#include "shell/windowwiring.h"

#include <QPixmap>
#include <QTimer>

#include <cstdio>

void receive(Tchat &chat, const QByteArray &message)
{
    chat.session->received(message);
    while (!chat.session->receivedlist.isEmpty())
        chat.session->processsocktimer();
}

void showAsHost(Tchat &chat, int seat)
{
    chat.gameview->sounds()->setSink([](const QString &) {});
    chat.model->apply(Msg::SendLoginInfo{seat});
    chat.state.hosting = true;
    chat.resize(chat.state.defaultwidth, chat.state.defaultheight);
    chat.show();
    chat.model->turntime->stop();
}

bool savePicture(const QPixmap &picture, const QString &path)
{
    if (picture.save(path))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

QList<QWidget *> AllWindows::all()
{
    return {&chat, &gamestart, &phrases, &spylist, &tally, &about, &help};
}

QWidget *AllWindows::byName(const QString &name)
{
    for (QWidget *window : all()) {
        if (window->objectName() == name)
            return window;
    }
    return nullptr;
}

SoloTable::SoloTable()
{
    WindowSet windows;
    windows.gamestart = &gamestart;
    windows.serverListener = server.Sock1();
    windows.tally = &tally;
    windows.tallyRecorder = &tally;
    wireWindows(chat, windows);
    server.setHostOptions(&chat);
    chat.setParameters({});
}
