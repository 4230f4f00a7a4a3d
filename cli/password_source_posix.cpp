// Passwords from the terminal natively: asked on /dev/tty, so that standard
// input and output stay free for data, and read with echo turned off.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "cli/ending_signals_posix.h"
#include "cli/password_lines.h"
#include "cli/password_source.h"

namespace {

// What the signal handler needs to put the terminal back; one password is
// read at a time.
struct QuietTerminal {
    int descriptor;
    termios settings;
};
QuietTerminal g_quietTerminal;

void RestoreTerminal() {
    tcsetattr(g_quietTerminal.descriptor, TCSAFLUSH, &g_quietTerminal.settings);
    const char newline = '\n';
    (void)!write(g_quietTerminal.descriptor, &newline, 1);
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
        m_signals.emplace(RestoreTerminal);
        termios quiet = g_quietTerminal.settings;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL);
        quiet.c_lflag |= ICANON;
        if (tcsetattr(terminal, TCSAFLUSH, &quiet) != 0) {
            const int error = errno;
            throw PasswordInputError(std::string("cannot turn off the terminal's echo: ") +
                                     std::strerror(error));
        }
    }
    ~EchoOff() {
        tcsetattr(g_quietTerminal.descriptor, TCSAFLUSH, &g_quietTerminal.settings);
        m_signals.reset();
        const char newline = '\n';
        (void)!write(g_quietTerminal.descriptor, &newline, 1);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    // Caught only while echo is off: a signal then puts the terminal back.
    std::optional<EndingSignalsCaught> m_signals;
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
