// A small program whose trace lines and exit codes the exception tests read
// through a debug loop: probe.exe <scenario>.
#include <windows.h>

#include <cstring>
#include <string>

#include "app/run.h"
#include "framework/appcore.h"
#include "framework/cexception.h"
#include "framework/wincore.h"

namespace {

class FailingApp : public Casement::CWinApp {
public:
    BOOL InitInstance() override { return FALSE; }
};

class ThrowingApp : public Casement::CWinApp {
public:
    BOOL InitInstance() override { throw Casement::CWinException("CreateWindowEx failed"); }
};

// A main window whose accelerator command throws; its destruction is written
// to a marker file, so a test can tell that it ran while the object was whole.
class ThrowingCommandWindow : public Casement::CWnd {
public:
    explicit ThrowingCommandWindow(const char* marker) : m_marker(marker) {}
    BOOL HandleCommand(WPARAM, LPARAM) override { throw Casement::CWinException("command failed"); }
    void HandleDestroy() override {
        const HANDLE file = CreateFileA(m_marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, "destroyed", 9, &written, nullptr);
        CloseHandle(file);
        // As a main window does.
        PostQuitMessage(0);
    }

private:
    const char* m_marker;
};

class AcceleratorApp : public Casement::CWinApp {
public:
    BOOL InitInstance() override {
        m_window.CreateWithClass(0, nullptr, "probe", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, 0, nullptr);
        ACCEL accelerator = {FVIRTKEY, VK_F5, 1001};
        SetAccelerators(CreateAcceleratorTableA(&accelerator, 1), m_window);
        PostMessageA(m_window, WM_KEYDOWN, VK_F5, 0);
        return TRUE;
    }

private:
    ThrowingCommandWindow m_window{__argv[2]};
};

void ThrowAndCatch(const char* scenario) {
    try {
        if (std::strcmp(scenario, "file-with-error") == 0) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            throw Casement::CFileException("C:\\notes\\missing.txt", "Failed to open file");
        }
        if (std::strcmp(scenario, "file-without-name") == 0) {
            SetLastError(0);
            throw Casement::CFileException(nullptr, "Failed to write to file");
        }
        if (std::strcmp(scenario, "resource-without-error") == 0) {
            SetLastError(0);
            throw Casement::CResourceException("GetDC failed");
        }
        if (std::strcmp(scenario, "second-app") == 0) {
            Casement::CWinApp first;
            SetLastError(0);
            Casement::CWinApp second;
        }
    } catch (const Casement::CException&) {
    }
}

}  // namespace

int main(int argc, char** argv) {
    const char* scenario = argc > 1 ? argv[1] : "";
    if (std::strcmp(scenario, "init-fails") == 0)
        return RunApplication<FailingApp>();
    if (std::strcmp(scenario, "init-throws") == 0)
        return RunApplication<ThrowingApp>();
    if (std::strcmp(scenario, "accelerator-throws") == 0 && argc > 2)
        return RunApplication<AcceleratorApp>();
    ThrowAndCatch(scenario);
    OutputDebugStringA("probe done");
    return 0;
}
