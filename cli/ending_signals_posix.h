// The signals that end the process (SIGINT, SIGTERM, SIGHUP, SIGQUIT), for
// work that must tidy up before they take effect: a terminal put back, a
// half-written file removed. Natively only.
#pragma once

#include <signal.h>

// Catches the ending signals for its lifetime: cleanup runs in the signal
// handler (so it may only make async-signal-safe calls), then the signal
// acts as it would have. A signal the process ignores stays ignored. One
// scope at a time.
class EndingSignalsCaught {
public:
    explicit EndingSignalsCaught(void (*cleanup)());
    ~EndingSignalsCaught();
    EndingSignalsCaught(const EndingSignalsCaught&) = delete;
    EndingSignalsCaught& operator=(const EndingSignalsCaught&) = delete;
};

// Holds the ending signals back for its lifetime, so that a step and the
// bookkeeping a handler relies on happen together.
class EndingSignalsBlocked {
public:
    EndingSignalsBlocked();
    ~EndingSignalsBlocked();
    EndingSignalsBlocked(const EndingSignalsBlocked&) = delete;
    EndingSignalsBlocked& operator=(const EndingSignalsBlocked&) = delete;

private:
    sigset_t m_previous;
};
