// Drives Windows processes from a test as a user would: starts them (under a
// minimal debugger when their trace lines matter), finds their windows,
// reads and answers dialogs, and collects exit codes.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/unique_handle.h"

namespace driver {

// A path given by the build (a Unix path under Wine) as a Windows path.
std::string WindowsPath(const std::string& path);
// Wine's own Unix name of a file; empty outside Wine.
std::string UnixPathOf(const std::string& path);
// Makes link a symbolic link to target with the host's own ln: Wine makes
// none itself (CreateSymbolicLinkW succeeds and makes nothing). False when
// it could not be made.
bool MakeSymbolicLink(const std::string& target, const std::string& link);
// A file's Unix name in single quotes, for a host's shell; the file need not
// exist, its folder must (Wine names only files that exist).
std::string QuotedUnixPath(const std::string& path);
// Runs command, a line for the host's /bin/sh, its errors going to
// nothing. Wine starts a host's program without a process to wait for, so
// the shell leaves its exit status in a file in folder; gives that status,
// or 0xBAD when there was none within a minute.
DWORD RunHostCommand(const std::string& command, const std::string& folder);
// The path named by an environment variable set by the build; empty if unset.
std::string PathFromEnvironment(const char* variable);
// A new empty folder under the temporary folder, named after the test.
std::string MakeTempFolder(const std::string& hint);
bool CopyInto(const std::string& source, const std::string& target);
std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// How many files match a pattern such as C:\folder\TEM*.tmp.
int CountFiles(const std::string& pattern);

// How often the waits look again; benchmarks pass less, so that the wait
// adds little to what they time.
constexpr DWORD kPollMs = 50;
// Asks condition every pollMs until it holds or timeoutMs have passed; true
// when it held. It is asked at least once.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs = kPollMs);

// Starts a process with CreateProcessA; no handle when it could not be
// started. An empty image leaves the program to the command line's first
// word. environment is a block of "NAME=value" entries each ending in a
// zero, or empty for the test's own environment.
Casement::CHandle StartProcess(const std::string& image, std::string commandLine, DWORD flags = 0,
                               std::string environment = std::string());

class Process {
public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    // Starts `image` with the given command line (argument 0 included).
    bool Start(const std::string& image, const std::string& commandLine);
    // The same with a changed environment: "NAME=value" entries replace
    // those of the test's own environment.
    bool StartWithEnvironment(const std::string& image, const std::string& commandLine,
                              const std::vector<std::string>& overrides);
    // Starts under a debug loop that collects every OutputDebugStringA call.
    bool StartDebugged(const std::string& image, const std::string& commandLine);

    // Waits for the end; false on time-out. The code is the full 32-bit value.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);
    void Kill();
    DWORD Id() const { return m_processId; }
    std::vector<std::string> TraceLines() const;

private:
    // Starts the process this object stands for; false when it did not start.
    bool Create(const std::string& image, const std::string& commandLine, DWORD flags,
                std::string environment = std::string());
    void DebugLoop(std::string image, std::string commandLine);

    Casement::CHandle m_process;
    DWORD m_processId = 0;
    std::thread m_debugger;
    mutable std::mutex m_traceMutex;
    std::vector<std::string> m_trace;
    Casement::CHandle m_started;
    bool m_startOk = false;
};

// Top-level windows of a process, optionally only those of one class.
std::vector<HWND> TopLevelWindows(DWORD processId, const wchar_t* className = nullptr);
// Waits for a visible top-level window of the process; null on time-out.
HWND WaitForWindow(DWORD processId, const wchar_t* className, DWORD timeoutMs, DWORD pollMs = kPollMs);
// The same for the first such window for which accepts is true.
HWND WaitForWindow(DWORD processId, const wchar_t* className, const std::function<bool(HWND)>& accepts,
                   DWORD timeoutMs, DWORD pollMs = kPollMs);
// Waits until the window is gone, as a dialog is some time after its button
// is pressed; false on time-out.
bool WaitForWindowToGo(HWND window, DWORD timeoutMs = 5000);
std::wstring WindowText(HWND window);
// The whole text of a control, which may belong to another process:
// GetWindowText does not ask such a control for its text.
std::wstring ControlText(HWND control);
// The text of a message box (its static control).
std::wstring MessageBoxText(HWND box);
// Waits for the program's main window: visible, top-level, not a dialog.
HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs = 20000, DWORD pollMs = kPollMs);
// Waits for a visible dialog (class "#32770") of the process with this title.
HWND WaitForDialog(DWORD processId, const std::wstring& title, DWORD timeoutMs, DWORD pollMs = kPollMs);
// Types into a control of another process the way the system delivers text.
void SetControlText(HWND dialog, int id, const std::wstring& text);
// Presses a dialog's button without waiting for what it starts.
void PressButton(HWND dialog, int id);
// The write-backs the given process started (they outlive it): its child
// processes running from a temporary image "TEM*.tmp". Wine starts helpers
// of its own as children of a program, such as the desktop's process, which
// stays for the whole session, so children are told apart by their image.
std::vector<DWORD> WriteBackProcesses(DWORD parentId);
// Waits until the given process has started at least one; those it has
// started by then, none on time-out.
std::vector<DWORD> WaitForWriteBackProcesses(DWORD parentId, DWORD timeoutMs);
// Waits until every given process has ended; false on time-out.
bool WaitForProcesses(const std::vector<DWORD>& processIds, DWORD timeoutMs);
// Waits for the process's message box; null on time-out.
HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs = 20000);
// Waits for the process's message box, answers it and returns what it
// said as "caption: text".
std::wstring AnswerMessageBox(DWORD processId, int button, DWORD timeoutMs = 20000);

// Real key strokes (SendInput): like a user's, they reach whichever window
// has the keyboard focus then. Each key is given time to be handled, so the
// focus it moves is where the next one goes.
void PressKey(WORD virtualKey);
// A key pressed while a modifier (VK_CONTROL, VK_SHIFT) is held down.
void PressKeyWith(WORD modifier, WORD virtualKey);
// Types characters of the keyboard layout, with Shift where they need it.
void TypeKeys(const std::wstring& text);

}  // namespace driver
