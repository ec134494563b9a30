// The client's dispatch on arbitrary bytes from a server: a real main window
// Tchat on the offscreen platform takes the bytes through its client session
// (Framer, receive queue, one message per processsocktimer tick), which hands
// each message to the model and the dispatcher: login, seat rows, chat pane, the spy list
// window (spies come and go on seats 7 to 9) and the game view. Every input
// gets a fresh window and spy list, so inputs do not depend on each other.
//
// Input: chunks; a length byte, then that many bytes delivered as one read.

#include "client/tchat.h"
#include "common/guard.h"
#include "dialogs/tspylist.h"
#include "session/clientsession.h"
#include "shell/windowwiring.h"
#include "windowfuzzing.h"

#include <memory>

namespace {
constexpr int kMaxSteps = 4000;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    startWindowFuzzing("fuzz_client");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    auto spylist = std::make_unique<Tspylist>();
    auto window = std::make_unique<Tchat>();
    WindowSet windows;
    windows.spylist = spylist.get();
    wireWindows(*window, windows);
    ClientSession &session = *window->session;
    size_t at = 0;
    while (at < size) {
        const size_t wanted = data[at];
        ++at;
        const size_t length = std::min(wanted, size - at);
        const QByteArray bytes(reinterpret_cast<const char *>(data + at), qsizetype(length));
        at += length;
        guarded([&] { session.received(bytes); });
        for (int step = 0; step < kMaxSteps && !session.receivedlist.isEmpty(); ++step)
            guarded([&] { session.processsocktimer(); });
    }
    return 0;
}
