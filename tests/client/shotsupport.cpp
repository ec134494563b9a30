#include "shotsupport.h"

#include "client/dispatcher.h"
#include "client/gameview.h"
#include "client/soundplayer.h"
#include "client/tchat.h"
#include "model/gamemodel.h"
#include "net/servermessage.h"

#include <QPixmap>
#include <QTimer>

#include <cstdio>

void receive(Tchat &chat, const QByteArray &message)
{
    chat.dispatcher->received(message);
    while (!chat.dispatcher->receivedlist.isEmpty())
        chat.dispatcher->processsocktimer();
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
