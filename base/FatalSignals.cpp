#include "base/FatalSignals.h"

#include <signal.h>

#include <atomic>

namespace {

const int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTERM, SIGINT};

std::atomic<void (*)()> g_action{nullptr};
std::atomic<bool> g_running{false};
struct sigaction g_previous[NSIG];

void OnFatalSignal(int number, siginfo_t* info, void*)
{
    // A fault inside the action itself must not run it again.
    if (!g_running.exchange(true)) {
        if (void (*action)() = g_action.load())
            action();
        g_running = false;
    }
    sigaction(number, &g_previous[number], nullptr);
    // A fault of the processor happens again when its instruction re-runs on
    // return, and so reaches the old action with its own address; a signal
    // that was sent is sent again, to be delivered once this handler returns.
    if (info == nullptr || info->si_code <= 0)
        raise(number);
}

} // namespace

void RunOnFatalSignals(void (*action)())
{
    g_action = action;
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    for (const int number : kSignals) {
        struct sigaction before;
        if (sigaction(number, nullptr, &before) != 0 ||
            (!(before.sa_flags & SA_SIGINFO) && before.sa_handler == SIG_IGN))
            continue;
        struct sigaction handler = {};
        handler.sa_sigaction = OnFatalSignal;
        handler.sa_flags = SA_SIGINFO;
        sigemptyset(&handler.sa_mask);
        sigaction(number, &handler, &g_previous[number]);
    }
}
