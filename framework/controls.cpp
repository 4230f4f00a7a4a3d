#include "framework/controls.h"

#include <windows.h>

#include <commctrl.h>
#include <shlwapi.h>

#include "framework/wincore.h"

namespace Casement {

namespace {

// The classes of the controls up to version 4.70, and those added after it.
constexpr DWORD kBaseClasses = 0x5FF;
constexpr DWORD kLaterClasses = 0x3A00;

}  // namespace

void LoadCommonControls() {
    HMODULE library = LoadLibraryA("COMCTL32.DLL");
    if (library == nullptr)
        library = LoadLibraryA("COMMCTRL.DLL");
    if (library == nullptr)
        return;

    BOOL initialised = FALSE;
    if (auto initEx = LookUpProc<BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*)>(library, "InitCommonControlsEx")) {
        INITCOMMONCONTROLSEX init = {};
        init.dwSize = 8;
        init.dwICC = kBaseClasses;
        if (GetComCtlVersion() > 470)
            init.dwICC |= kLaterClasses;
        initialised = initEx(&init);
    }
    if (!initialised) {
        if (auto init = LookUpProc<void(WINAPI*)()>(library, "InitCommonControls"))
            init();
    }
    FreeLibrary(library);
}

int GetComCtlVersion() {
    HMODULE library = LoadLibraryA("COMCTL32.DLL");
    if (library == nullptr)
        return 0;

    int version = 400;
    if (GetProcAddress(library, "InitCommonControlsEx") != nullptr) {
        if (auto getVersion = LookUpProc<DLLGETVERSIONPROC>(library, "DllGetVersion")) {
            DLLVERSIONINFO info = {};
            info.cbSize = sizeof info;
            version = SUCCEEDED(getVersion(&info)) ? static_cast<int>(info.dwMajorVersion * 100 + info.dwMinorVersion)
                                                   : 470;
        } else {
            version = GetProcAddress(library, "InitializeFlatSB") != nullptr ? 471 : 470;
        }
    }
    FreeLibrary(library);
    return version;
}

}  // namespace Casement
