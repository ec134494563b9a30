#include "dict/mappedread.h"

#include <csetjmp>
#include <csignal>
#include <mutex>

namespace {

struct Guard {
    sigjmp_buf resume;
    const char *begin;
    const char *end;
};

thread_local Guard *activeGuard = nullptr;
struct sigaction previousAction {};

void passOn(int signal, siginfo_t *info, void *context)
{
    if (previousAction.sa_flags & SA_SIGINFO) {
        previousAction.sa_sigaction(signal, info, context);
        return;
    }
    if (previousAction.sa_handler != SIG_DFL && previousAction.sa_handler != SIG_IGN) {
        previousAction.sa_handler(signal);
        return;
    }
    // Returning re-runs the faulting access, which now ends the program as usual.
    ::signal(signal, SIG_DFL);
}

void onBusError(int signal, siginfo_t *info, void *context)
{
    Guard *guard = activeGuard;
    const char *address = static_cast<const char *>(info->si_addr);
    if (!guard || address < guard->begin || address >= guard->end) {
        passOn(signal, info, context);
        return;
    }
    activeGuard = nullptr;
    siglongjmp(guard->resume, 1);
}

void installHandler()
{
    struct sigaction action {};
    action.sa_sigaction = onBusError;
    // Not blocked while handled, so jumping out needs no signal-mask syscall
    // on either side: the guarded path stays as cheap as a plain read.
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &previousAction);
}

} // namespace

bool readMappedImpl(const void *begin, std::size_t length, void (*body)(void *), void *context)
{
    static std::once_flag installed;
    std::call_once(installed, installHandler);

    Guard guard;
    guard.begin = static_cast<const char *>(begin);
    guard.end = guard.begin + length;
    if (sigsetjmp(guard.resume, 0) != 0)
        return false;
    activeGuard = &guard;
    body(context);
    activeGuard = nullptr;
    return true;
}
