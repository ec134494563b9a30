#include "shell/windowwiring.h"

#include "client/chatpane.h"
#include "client/dispatcher.h"
#include "client/tchat.h"
#include "common/guard.h"
#include "dialogs/tabout.h"
#include "dialogs/tgamestart.h"
#include "dialogs/thelp.h"
#include "dialogs/tphrases.h"
#include "dialogs/tspylist.h"
#include "model/gamemodel.h"
#include "session/clientsession.h"

#include <QAction>

namespace {

void wireGameStart(Tchat &chat, Tgamestart &gamestart)
{
    Tgamestart::Hooks hooks;
    hooks.intents = chat.session;
    hooks.saveSettings = [&chat] { chat.saveinifile(); };
    gamestart.setHooks(std::move(hooks));
    QObject::connect(&chat, &Tchat::gameStartRequested, &gamestart,
                     [&chat, &gamestart] { gamestart.showCentredOn(&chat); });
}

void wirePhrases(Tchat &chat, Tphrases &phrases)
{
    QObject::connect(&chat, &Tchat::phraseListRequested, &phrases, [&chat, &phrases] {
        for (int n = 1; n <= ChatPane::kPhrases; ++n)
            phrases.setPhrase(n, chat.chat->phrase(n));
        chat.showCentred(&phrases);
    });
    QObject::connect(&phrases, &Tphrases::done, &chat, [&chat, &phrases] {
        guarded([&chat, &phrases] {
            QStringList texts;
            for (int n = 1; n <= ChatPane::kPhrases; ++n)
                texts << phrases.phrase(n);
            chat.phrasesDone(texts);
        });
    });
}

} // namespace

void wireSpyList(const GameModel &model, Dispatcher &dispatcher, Tspylist &spylist)
{
    // A spy's line reads "seat: name".
    const auto entry = [](int seat, const QString &name) {
        return QString::number(seat) + QStringLiteral(": ") + name;
    };
    QObject::connect(&model, &GameModel::playerArrived, &spylist,
                     [&spylist, entry](int seat, const QString &name, bool) {
                         if (seat > GameModel::kPlayerSeats)
                             spylist.addSpy(entry(seat, name));
                     });
    QObject::connect(
        &model, &GameModel::spyLeft, &spylist,
        [&spylist, entry](int seat, const QString &name) { spylist.removeSpy(entry(seat, name)); });
    spylist.setKickHandler([&dispatcher](int seat) { dispatcher.kicking(seat); });
}

void wireWindows(Tchat &chat, const WindowSet &windows)
{
    Tchat::Windows handed;
    handed.about = windows.about;
    handed.download = windows.download;
    handed.gamestart = windows.gamestart;
    handed.help = windows.help;
    handed.serverListener = windows.serverListener;
    handed.spylist = windows.spylist;
    handed.tally = windows.tally;
    handed.tallyRecorder = windows.tallyRecorder;
    chat.setWindows(handed);

    if (windows.gamestart)
        wireGameStart(chat, *windows.gamestart);
    if (windows.phrases)
        wirePhrases(chat, *windows.phrases);
    if (Tspylist *spylist = windows.spylist) {
        wireSpyList(*chat.model, *chat.dispatcher, *spylist);
        QObject::connect(&chat, &Tchat::hostingBegan, spylist,
                         [spylist] { spylist->popup_kickhim->setEnabled(true); });
    }
    if (Thelp *help = windows.help)
        QObject::connect(help, &Thelp::aboutRequested, &chat,
                         [&chat] { guarded([&chat] { chat.About1Click(); }); });
    if (Tabout *about = windows.about)
        QObject::connect(&chat, &Tchat::makerSiteRequested, about, &Tabout::openLink);
}
