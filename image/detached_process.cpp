#include "image/detached_process.h"

#include <windows.h>

#include "framework/unique_handle.h"

bool StartDetached(const std::wstring& image, std::wstring commandLine, bool inheritHandles) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(image.c_str(), &commandLine[0], nullptr, nullptr, inheritHandles ? TRUE : FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return false;
    const Casement::CHandle thread(process.hThread);
    const Casement::CHandle started(process.hProcess);
    return true;
}
