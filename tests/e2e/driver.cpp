#include "tests/e2e/driver.h"

#include <tlhelp32.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>
#include <utility>

namespace driver {

std::string WindowsPath(const std::string& path) {
    if (path.empty() || path[0] != '/')
        return path;
    std::string converted = "Z:" + path;
    for (char& c : converted)
        if (c == '/')
            c = '\\';
    return converted;
}

std::string UnixPathOf(const std::string& path) {
    using UnixName = char*(CDECL*)(const WCHAR*);
    const FARPROC proc = GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    if (proc == nullptr)
        return std::string();
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(proc));
    const std::wstring wide(path.begin(), path.end());
    char* name = unixName(wide.c_str());
    if (name == nullptr)
        return std::string();
    const std::string result(name);
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

std::string QuotedUnixPath(const std::string& path) {
    const std::string::size_type slash = path.find_last_of('\\');
    return "'" + UnixPathOf(path.substr(0, slash)) + "/" + path.substr(slash + 1) + "'";
}

DWORD RunHostCommand(const std::string& command, const std::string& folder) {
    const std::string status = folder + "\\host-status";
    DeleteFileA(status.c_str());
    const std::string unixStatus = UnixPathOf(folder) + "/host-status";
    const std::string script = command + " 2>/dev/null; echo $? > '" + unixStatus + ".part'; mv '" + unixStatus +
                               ".part' '" + unixStatus + "'";
    StartProcess(std::string(), "/bin/sh -c \"" + script + "\"");
    if (!WaitUntil([&] { return !ReadFileBytes(status).empty(); }, 60000))
        return 0xBAD;
    return static_cast<DWORD>(std::stoul(ReadFileBytes(status)));
}

bool MakeSymbolicLink(const std::string& target, const std::string& link) {
    // Wine names only files that exist: the link is named after its folder.
    const std::string::size_type slash = link.find_last_of('\\');
    const std::string unixTarget = UnixPathOf(target);
    const std::string unixFolder = slash == std::string::npos ? std::string() : UnixPathOf(link.substr(0, slash));
    if (unixTarget.empty() || unixFolder.empty())
        return false;
    const std::string unixLink = unixFolder + "/" + link.substr(slash + 1);
    // Wine gives no handle to wait for of a host's process: the link is waited for.
    StartProcess(std::string(), "/bin/ln -s \"" + unixTarget + "\" \"" + unixLink + "\"");
    return WaitUntil([&] { return GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000);
}

std::string PathFromEnvironment(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr ? WindowsPath(value) : std::string();
}

std::string MakeTempFolder(const std::string& hint) {
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    static LONG counter = 0;
    for (;;) {
        std::ostringstream name;
        name << base << "sc-" << hint << "-" << GetCurrentProcessId() << "-"
             << InterlockedIncrement(&counter);
        if (CreateDirectoryA(name.str().c_str(), nullptr))
            return name.str();
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return std::string();
    }
}

bool CopyInto(const std::string& source, const std::string& target) {
    return CopyFileA(source.c_str(), target.c_str(), FALSE) != FALSE;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

int CountFiles(const std::string& pattern) {
    int count = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do
        count += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ? 1 : 0;
    while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        Sleep(pollMs);
    }
    return true;
}

Casement::CHandle StartProcess(const std::string& image, std::string commandLine, DWORD flags,
                               std::string environment) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(image.empty() ? nullptr : image.c_str(), &commandLine[0], nullptr, nullptr, FALSE, flags,
                        environment.empty() ? nullptr : &environment[0], nullptr, &startup, &started))
        return Casement::CHandle();
    const Casement::CHandle thread(started.hThread);
    return Casement::CHandle(started.hProcess);
}

Process::~Process() {
    Kill();
    if (m_debugger.joinable())
        m_debugger.join();
}

bool Process::Create(const std::string& image, const std::string& commandLine, DWORD flags,
                     std::string environment) {
    // A failed start leaves CreateProcessA's error for the caller to report.
    m_process = StartProcess(image, commandLine, flags, std::move(environment));
    if (!m_process.IsValid())
        return false;
    m_processId = GetProcessId(m_process.GetHandle());
    return true;
}

bool Process::Start(const std::string& image, const std::string& commandLine) {
    return Create(image, commandLine, 0);
}

bool Process::StartWithEnvironment(const std::string& image, const std::string& commandLine,
                                   const std::vector<std::string>& overrides) {
    std::string block;
    for (const std::string& entry : overrides)
        block += entry + '\0';
    char* current = GetEnvironmentStringsA();
    for (const char* entry = current; *entry != '\0'; entry += lstrlenA(entry) + 1) {
        const std::string text = entry;
        const std::string name = text.substr(0, text.find('=', 1) + 1);
        bool replaced = false;
        for (const std::string& override : overrides)
            replaced = replaced || lstrcmpiA(override.substr(0, name.size()).c_str(), name.c_str()) == 0;
        if (!replaced)
            block += text + '\0';
    }
    FreeEnvironmentStringsA(current);
    block += '\0';
    return Create(image, commandLine, 0, std::move(block));
}

bool Process::StartDebugged(const std::string& image, const std::string& commandLine) {
    // The debugger thread must be the one that creates the process.
    m_started = Casement::CHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    m_debugger = std::thread(&Process::DebugLoop, this, image, commandLine);
    WaitForSingleObject(m_started.GetHandle(), INFINITE);
    return m_startOk;
}

void Process::DebugLoop(std::string image, std::string commandLine) {
    m_startOk = Create(image, commandLine, DEBUG_ONLY_THIS_PROCESS);
    SetEvent(m_started.GetHandle());
    if (!m_startOk)
        return;

    for (;;) {
        DEBUG_EVENT event = {};
        if (!WaitForDebugEvent(&event, INFINITE))
            return;
        DWORD status = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
        case OUTPUT_DEBUG_STRING_EVENT: {
            const OUTPUT_DEBUG_STRING_INFO& info = event.u.DebugString;
            std::string text(info.nDebugStringLength, '\0');
            SIZE_T read = 0;
            ReadProcessMemory(m_process.GetHandle(), info.lpDebugStringData, &text[0], text.size(), &read);
            text.resize(read);
            if (!text.empty() && text.back() == '\0')
                text.pop_back();
            std::lock_guard<std::mutex> lock(m_traceMutex);
            m_trace.push_back(text);
            break;
        }
        case EXCEPTION_DEBUG_EVENT:
            // Let the program's own handlers see everything but the initial
            // breakpoint the system raises for a debugged process.
            if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
                status = DBG_EXCEPTION_NOT_HANDLED;
            break;
        case CREATE_PROCESS_DEBUG_EVENT:
            CloseHandle(event.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            CloseHandle(event.u.LoadDll.hFile);
            break;
        default:
            break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
        if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT)
            return;
    }
}

bool Process::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
    if (!m_process.IsValid() || WaitForSingleObject(m_process.GetHandle(), timeoutMs) != WAIT_OBJECT_0)
        return false;
    if (m_debugger.joinable())
        m_debugger.join();
    GetExitCodeProcess(m_process.GetHandle(), exitCode);
    return true;
}

void Process::Kill() {
    if (m_process.IsValid() && WaitForSingleObject(m_process.GetHandle(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(m_process.GetHandle(), 0xDEAD);
        WaitForSingleObject(m_process.GetHandle(), 5000);
    }
}

std::vector<std::string> Process::TraceLines() const {
    std::lock_guard<std::mutex> lock(m_traceMutex);
    return m_trace;
}

namespace {

struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId)
        return TRUE;
    if (search->className != nullptr) {
        wchar_t name[256] = {};
        GetClassNameW(window, name, 256);
        if (lstrcmpW(name, search->className) != 0)
            return TRUE;
    }
    search->found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD processId, const wchar_t* className) {
    WindowSearch search{processId, className, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(DWORD processId, const wchar_t* className, DWORD timeoutMs, DWORD pollMs) {
    return WaitForWindow(processId, className, [](HWND) { return true; }, timeoutMs, pollMs);
}

HWND WaitForWindow(DWORD processId, const wchar_t* className, const std::function<bool(HWND)>& accepts,
                   DWORD timeoutMs, DWORD pollMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : TopLevelWindows(processId, className))
                if (IsWindowVisible(window) && accepts(window)) {
                    found = window;
                    return true;
                }
            return false;
        },
        timeoutMs, pollMs);
    return found;
}

bool WaitForWindowToGo(HWND window, DWORD timeoutMs) {
    return WaitUntil([window] { return !IsWindow(window); }, timeoutMs, 20);
}

std::wstring WindowText(HWND window) {
    wchar_t text[4096] = {};
    GetWindowTextW(window, text, 4096);
    return text;
}

std::wstring ControlText(HWND control) {
    // The length may count characters where the text passes through the
    // code page with two bytes for one; the buffer leaves room for that.
    std::wstring text(static_cast<std::size_t>(SendMessageW(control, WM_GETTEXTLENGTH, 0, 0)) * 2 + 16, L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
    return text;
}

std::wstring MessageBoxText(HWND box) {
    wchar_t text[4096] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 4096);
    return text;
}

namespace {

bool IsTemporaryImageName(const std::string& name) {
    return name.size() > 7 && lstrcmpiA(name.substr(0, 3).c_str(), "TEM") == 0 &&
           lstrcmpiA(name.substr(name.size() - 4).c_str(), ".tmp") == 0;
}

}  // namespace

std::vector<DWORD> WriteBackProcesses(DWORD parentId) {
    std::vector<DWORD> children;
    const Casement::CHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.IsValid())
        return children;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.GetHandle(), &entry); more;
         more = Process32Next(snapshot.GetHandle(), &entry)) {
        if (entry.th32ParentProcessID == parentId && IsTemporaryImageName(entry.szExeFile))
            children.push_back(entry.th32ProcessID);
    }
    return children;
}

std::vector<DWORD> WaitForWriteBackProcesses(DWORD parentId, DWORD timeoutMs) {
    std::vector<DWORD> children;
    WaitUntil(
        [&] {
            children = WriteBackProcesses(parentId);
            return !children.empty();
        },
        timeoutMs, 20);
    return children;
}

bool WaitForProcesses(const std::vector<DWORD>& processIds, DWORD timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (DWORD id : processIds) {
        const Casement::CHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
        if (!process.IsValid())
            continue;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        const DWORD waited =
            WaitForSingleObject(process.GetHandle(), left.count() > 0 ? static_cast<DWORD>(left.count()) : 0);
        if (waited != WAIT_OBJECT_0)
            return false;
    }
    return true;
}

HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs, DWORD pollMs) {
    const auto notADialog = [](HWND window) {
        wchar_t className[64] = {};
        GetClassNameW(window, className, 64);
        return lstrcmpW(className, L"#32770") != 0;
    };
    return WaitForWindow(processId, nullptr, notADialog, timeoutMs, pollMs);
}

HWND WaitForDialog(DWORD processId, const std::wstring& title, DWORD timeoutMs, DWORD pollMs) {
    return WaitForWindow(
        processId, L"#32770", [&title](HWND window) { return WindowText(window) == title; }, timeoutMs, pollMs);
}

void SetControlText(HWND dialog, int id, const std::wstring& text) {
    SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void PressButton(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs) {
    // A message box has a text control and, unlike the program's dialogs, no
    // edit field.
    const auto isMessageBox = [](HWND window) {
        return GetDlgItem(window, 0xFFFF) != nullptr && FindWindowExW(window, nullptr, L"Edit", nullptr) == nullptr;
    };
    return WaitForWindow(processId, L"#32770", isMessageBox, timeoutMs);
}

std::wstring AnswerMessageBox(DWORD processId, int button, DWORD timeoutMs) {
    const HWND box = WaitForMessageBox(processId, timeoutMs);
    if (box == nullptr)
        return L"<no message box>";
    const std::wstring text = WindowText(box) + L": " + MessageBoxText(box);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    // Gone before the caller looks for whatever comes next.
    WaitForWindowToGo(box);
    return text;
}

namespace {

void SendKey(WORD virtualKey, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

}  // namespace

void PressKey(WORD virtualKey) {
    SendKey(virtualKey, false);
    SendKey(virtualKey, true);
    Sleep(100);
}

void PressKeyWith(WORD modifier, WORD virtualKey) {
    SendKey(modifier, false);
    PressKey(virtualKey);
    SendKey(modifier, true);
}

void TypeKeys(const std::wstring& text) {
    for (wchar_t c : text) {
        const SHORT scan = VkKeyScanW(c);
        const bool shift = (scan & 0x100) != 0;
        if (shift)
            SendKey(VK_SHIFT, false);
        PressKey(static_cast<WORD>(scan & 0xFF));
        if (shift)
            SendKey(VK_SHIFT, true);
    }
}

}  // namespace driver
