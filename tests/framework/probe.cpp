// A small program whose trace lines and exit codes the exception tests read
// through a debug loop: probe.exe <scenario>.
#include <windows.h>

#include <cstring>
#include <string>

#include "app/run.h"
#include "framework/appcore.h"
#include "framework/cexception.h"

namespace {

class FailingApp : public Casement::CWinApp {
public:
    BOOL InitInstance() override { return FALSE; }
};

class ThrowingApp : public Casement::CWinApp {
public:
    BOOL InitInstance() override { throw Casement::CWinException("CreateWindowEx failed"); }
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
    ThrowAndCatch(scenario);
    OutputDebugStringA("probe done");
    return 0;
}
