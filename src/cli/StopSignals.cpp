#include "StopSignals.h"

#include <csignal>
#include <initializer_list>

#if defined(__unix__) || defined(__APPLE__)
#include <signal.h>
#endif

namespace orvandel {

namespace {

    volatile std::sig_atomic_t g_stopSignal = 0;

    // Async-signal-safe: it only notes the first signal.
    extern "C" void NoteStopSignal(int signal)
    {
        if (g_stopSignal == 0)
            g_stopSignal = signal;
    }

} // namespace

void CatchStopSignals()
{
#if defined(__unix__) || defined(__APPLE__)
    struct sigaction stop
    {
    };
    stop.sa_handler = NoteStopSignal;
    // Writes under way go on: the run stops at its next yield, not in the middle of a write.
    stop.sa_flags = SA_RESTART;
    sigemptyset(&stop.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&stop.sa_mask, signal);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &stop, nullptr);

    struct sigaction ignore
    {
    };
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    for (const int signal : {SIGPIPE, SIGXFSZ})
        sigaction(signal, &ignore, nullptr);
#else
    std::signal(SIGINT, NoteStopSignal);
    std::signal(SIGTERM, NoteStopSignal);
#endif
}

int StopSignal() noexcept
{
    return g_stopSignal;
}

const char* StopSignalName(int signal) noexcept
{
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
#if defined(SIGHUP)
    case SIGHUP:
        return "SIGHUP";
#endif
    default:
        return "a signal";
    }
}

} // namespace orvandel
