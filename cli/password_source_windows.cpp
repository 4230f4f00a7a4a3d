// Passwords from the console on Windows: asked on CONIN$ and CONOUT$, so that
// standard input and output stay free for data, and read as UTF-16 with
// ReadConsoleW, so any input method's characters arrive whole.
#include <windows.h>

#include "cli/password_lines.h"
#include "cli/password_source.h"
#include "cli/wide_text.h"

namespace {

// Bounds one password; a console line is shorter than this anyway.
constexpr DWORD kLineCapacityUnits = 8192;

// What the console control handler needs to put the input mode back when
// Ctrl+C or closing the console ends the process. The handler runs on its own
// thread and reaches only static storage; one password is read at a time.
HANDLE g_quietInput = INVALID_HANDLE_VALUE;
DWORD g_savedInputMode = 0;

BOOL WINAPI RestoreModeOnControl(DWORD) {
    SetConsoleMode(g_quietInput, g_savedInputMode);
    // Not handled here: the next handler ends the process as usual.
    return FALSE;
}

class ConsoleHandle {
public:
    explicit ConsoleHandle(const wchar_t* name)
        : m_handle(CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr)) {
        if (m_handle == INVALID_HANDLE_VALUE) {
            ThrowNoTerminal();
        }
    }
    ~ConsoleHandle() { CloseHandle(m_handle); }
    ConsoleHandle(const ConsoleHandle&) = delete;
    ConsoleHandle& operator=(const ConsoleHandle&) = delete;

    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

void WriteToConsole(HANDLE output, std::wstring_view text) {
    DWORD written = 0;
    if (!text.empty() &&
        !WriteConsoleW(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
        throw PasswordInputError("cannot write to the console");
    }
}

// Turns echo off for its lifetime. On the way out it puts the mode back and
// moves to a new line, since the Enter that ended the input did not echo.
class EchoOff {
public:
    EchoOff(HANDLE input, HANDLE output) : m_output(output) {
        if (!GetConsoleMode(input, &g_savedInputMode)) {
            ThrowNoTerminal();
        }
        g_quietInput = input;
        SetConsoleCtrlHandler(RestoreModeOnControl, TRUE);
        const DWORD quiet =
            (g_savedInputMode | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT) & ~ENABLE_ECHO_INPUT;
        if (!SetConsoleMode(input, quiet)) {
            SetConsoleCtrlHandler(RestoreModeOnControl, FALSE);
            throw PasswordInputError("cannot turn off the console's echo");
        }
    }
    ~EchoOff() {
        SetConsoleMode(g_quietInput, g_savedInputMode);
        SetConsoleCtrlHandler(RestoreModeOnControl, FALSE);
        DWORD written = 0;
        WriteConsoleW(m_output, L"\r\n", 2, &written, nullptr);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    HANDLE m_output;
};

// One line from the console, without its "\r\n", as UTF-8.
SecretString ReadConsoleLine(HANDLE input) {
    wchar_t units[kLineCapacityUnits];
    const WipeOnExit wipeUnits(units, sizeof units);
    DWORD used = 0;
    while (used == 0 || units[used - 1] != L'\n') {
        if (used == kLineCapacityUnits) {
            throw PasswordInputError("the password is longer than the console line can hold");
        }
        DWORD read = 0;
        if (!ReadConsoleW(input, units + used, kLineCapacityUnits - used, &read, nullptr)) {
            throw PasswordInputError("cannot read the password from the console");
        }
        if (read == 0) {
            throw PasswordInputError("the console input ended before a password was entered");
        }
        used += read;
    }
    std::wstring_view line(units, used - 1);
    if (!line.empty() && line.back() == L'\r') {
        line.remove_suffix(1);
    }
    SecretString password = SecretString::OfLength(line.size() * 3);
    password.Truncate(WriteUtf8OfWide(line, password.data()));
    return password;
}

class ConsoleSource : public PasswordSource {
public:
    SecretString Next(std::string_view prompt) override {
        const ConsoleHandle input(L"CONIN$");
        const ConsoleHandle output(L"CONOUT$");
        WriteToConsole(output.Get(), WideFromUtf8(prompt));
        const EchoOff echoOff(input.Get(), output.Get());
        return ReadConsoleLine(input.Get());
    }
};

}  // namespace

std::unique_ptr<PasswordSource> TerminalPasswords() {
    return std::make_unique<ConsoleSource>();
}
