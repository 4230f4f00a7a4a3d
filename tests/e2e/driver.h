// Drives Windows processes from a test as a user would: starts them (under a
// minimal debugger when their trace lines matter), finds their windows,
// reads and answers dialogs, and collects exit codes.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace driver {

// A path given by the build (a Unix path under Wine) as a Windows path.
std::string WindowsPath(const std::string& path);
// The path named by an environment variable set by the build; empty if unset.
std::string PathFromEnvironment(const char* variable);
// A new empty folder under the temporary folder, named after the test.
std::string MakeTempFolder(const std::string& hint);
bool CopyInto(const std::string& source, const std::string& target);
std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// How many files match a pattern such as C:\folder\TEM*.tmp.
int CountFiles(const std::string& pattern);

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
    void DebugLoop(std::string image, std::string commandLine);

    HANDLE m_process = nullptr;
    DWORD m_processId = 0;
    std::thread m_debugger;
    mutable std::mutex m_traceMutex;
    std::vector<std::string> m_trace;
    HANDLE m_started = nullptr;
    bool m_startOk = false;
};

// Top-level windows of a process, optionally only those of one class.
std::vector<HWND> TopLevelWindows(DWORD processId, const wchar_t* className = nullptr);
// How often the window waits look again; benchmarks pass less, so that the
// wait adds little to what they time.
constexpr DWORD kPollMs = 50;
// Waits for a visible top-level window of the process; null on time-out.
HWND WaitForWindow(DWORD processId, const wchar_t* className, DWORD timeoutMs, DWORD pollMs = kPollMs);
std::wstring WindowText(HWND window);
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
// Processes started by the given one (they outlive it), e.g. a write-back.
std::vector<DWORD> ChildProcesses(DWORD parentId);
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
// Types characters of the keyboard layout, with Shift where they need it.
void TypeKeys(const std::wstring& text);

}  // namespace driver
