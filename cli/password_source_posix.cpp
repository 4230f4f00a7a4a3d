// Passwords from the terminal natively: asked on /dev/tty, so that standard
// input and output stay free for data, and read with echo turned off.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "cli/password_lines.h"
#include "cli/password_source.h"

namespace {

// Signals that end the process while the terminal is quiet; the terminal
// settings are put back before they take effect.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr std::size_t kEndingSignalCount = sizeof kEndingSignals / sizeof kEndingSignals[0];

// What a signal handler needs to put the terminal back. Handlers can reach
// only static storage; one password is read at a time.
struct QuietTerminal {
    int descriptor;
    termios settings;
    struct sigaction previous[kEndingSignalCount];
    bool handled[kEndingSignalCount];
};
QuietTerminal g_quietTerminal;

extern "C" void RestoreTerminalAndReraise(int signal) {
    tcsetattr(g_quietTerminal.descriptor, TCSAFLUSH, &g_quietTerminal.settings);
    const char newline = '\n';
    (void)!write(g_quietTerminal.descriptor, &newline, 1);
    for (std::size_t i = 0; i < kEndingSignalCount; ++i) {
        if (kEndingSignals[i] == signal) {
            sigaction(signal, &g_quietTerminal.previous[i], nullptr);
        }
    }
    // Blocked until this handler returns, then acts as it would have.
    raise(signal);
}

void RestoreSignalHandlers() {
    for (std::size_t i = 0; i < kEndingSignalCount; ++i) {
        if (g_quietTerminal.handled[i]) {
            sigaction(kEndingSignals[i], &g_quietTerminal.previous[i], nullptr);
        }
    }
}

// Catches the ending signals, except those the process ignores, which stay
// ignored.
void CatchEndingSignals() {
    struct sigaction restore {};
    restore.sa_handler = RestoreTerminalAndReraise;
    sigemptyset(&restore.sa_mask);
    for (std::size_t i = 0; i < kEndingSignalCount; ++i) {
        sigaction(kEndingSignals[i], nullptr, &g_quietTerminal.previous[i]);
        g_quietTerminal.handled[i] = g_quietTerminal.previous[i].sa_handler != SIG_IGN;
        if (g_quietTerminal.handled[i]) {
            sigaction(kEndingSignals[i], &restore, nullptr);
        }
    }
}

void WriteToTerminal(int terminal, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = write(terminal, text.data(), text.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            throw PasswordInputError(std::string("cannot write to the terminal: ") + std::strerror(errno));
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

// Turns echo off for its lifetime. On the way out it puts the settings back
// and moves to a new line, since the Enter that ended the input did not echo.
class EchoOff {
public:
    explicit EchoOff(int terminal) {
        if (tcgetattr(terminal, &g_quietTerminal.settings) != 0) {
            ThrowNoTerminal();
        }
        g_quietTerminal.descriptor = terminal;
        CatchEndingSignals();
        termios quiet = g_quietTerminal.settings;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL);
        quiet.c_lflag |= ICANON;
        if (tcsetattr(terminal, TCSAFLUSH, &quiet) != 0) {
            const int error = errno;
            RestoreSignalHandlers();
            throw PasswordInputError(std::string("cannot turn off the terminal's echo: ") +
                                     std::strerror(error));
        }
    }
    ~EchoOff() {
        tcsetattr(g_quietTerminal.descriptor, TCSAFLUSH, &g_quietTerminal.settings);
        RestoreSignalHandlers();
        const char newline = '\n';
        (void)!write(g_quietTerminal.descriptor, &newline, 1);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;
};

class Terminal {
public:
    Terminal() : m_descriptor(open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        if (m_descriptor < 0) {
            ThrowNoTerminal();
        }
    }
    ~Terminal() { close(m_descriptor); }
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    int Descriptor() const { return m_descriptor; }

private:
    int m_descriptor;
};

class TerminalSource : public PasswordSource {
public:
    SecretString Next(std::string_view prompt) override {
        const Terminal terminal;
        WriteToTerminal(terminal.Descriptor(), prompt);
        SecretString line;
        bool entered = false;
        {
            const EchoOff echoOff(terminal.Descriptor());
            entered = ReadPasswordLine(terminal.Descriptor(), line);
        }
        if (!entered) {
            throw PasswordInputError("the terminal input ended before a password was entered");
        }
        return line;
    }
};

}  // namespace

std::unique_ptr<PasswordSource> TerminalPasswords() {
    return std::make_unique<TerminalSource>();
}
