#include "cli/ending_signals_posix.h"

#include <cstddef>

namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr std::size_t kEndingSignalCount = sizeof kEndingSignals / sizeof kEndingSignals[0];

// What the handler needs; handlers can reach only static storage.
struct Catching {
    void (*cleanup)();
    struct sigaction previous[kEndingSignalCount];
    bool handled[kEndingSignalCount];
};
Catching g_catching;

extern "C" void CleanUpAndReraise(int signal) {
    g_catching.cleanup();
    for (std::size_t i = 0; i < kEndingSignalCount; ++i) {
        if (kEndingSignals[i] == signal) sigaction(signal, &g_catching.previous[i], nullptr);
    }
    // Blocked until this handler returns, then acts as it would have.
    raise(signal);
}

}  // namespace

EndingSignalsCaught::EndingSignalsCaught(void (*cleanup)()) {
    g_catching.cleanup = cleanup;
    struct sigaction catching {};
    catching.sa_handler = CleanUpAndReraise;
    sigemptyset(&catching.sa_mask);
    for (std::size_t i = 0; i < kEndingSignalCount; ++i) {
        sigaction(kEndingSignals[i], nullptr, &g_catching.previous[i]);
        g_catching.handled[i] = g_catching.previous[i].sa_handler != SIG_IGN;
        if (g_catching.handled[i]) sigaction(kEndingSignals[i], &catching, nullptr);
    }
}

EndingSignalsCaught::~EndingSignalsCaught() {
    for (std::size_t i = 0; i < kEndingSignalCount; ++i) {
        if (g_catching.handled[i]) sigaction(kEndingSignals[i], &g_catching.previous[i], nullptr);
    }
}

EndingSignalsBlocked::EndingSignalsBlocked() {
    sigset_t ending;
    sigemptyset(&ending);
    for (const int signal : kEndingSignals) sigaddset(&ending, signal);
    sigprocmask(SIG_BLOCK, &ending, &m_previous);
}

EndingSignalsBlocked::~EndingSignalsBlocked() { sigprocmask(SIG_SETMASK, &m_previous, nullptr); }
