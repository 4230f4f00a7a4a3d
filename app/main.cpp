#include <windows.h>

#include <shellapi.h>

#include "app/instance.h"
#include "app/run.h"
#include "app/textapp.h"
#include "image/self_save.h"

namespace {

// The arguments as UTF-16: a write-back's target may lie in a folder whose
// name code page 936 cannot spell. A command line that cannot be read is
// taken as none, which starts the editor.
bool EndsAsWriteBack() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr)
        return false;
    const bool ends = HandleWriteBack(count, arguments);
    LocalFree(arguments);
    return ends;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (IsSecondInstance())
        return 1;
    if (EndsAsWriteBack())
        return 1;
    RemoveRedundantTemporaryImages();
    return RunApplication<CTextApp>();
}
