#include <windows.h>

#include <shellapi.h>

#include "app/instance.h"
#include "app/run.h"
#include "app/textapp.h"
#include "image/save_in_place.h"
#include "image/self_save.h"

namespace {

// The arguments as UTF-16: a write-back's target may lie in a folder whose
// name code page 936 cannot spell. A command line that cannot be read is
// taken as none, which starts the editor. The program file started to
// remove what its saves retired runs while the editor that started it
// still holds the file's instance, so this comes first.
bool EndsAsHelper() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr)
        return false;
    const bool ends = HandleRetiredFileRemoval(count, arguments) || HandleWriteBack(count, arguments);
    LocalFree(arguments);
    return ends;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (EndsAsHelper())
        return 1;
    if (IsSecondInstance())
        return 1;
    RemoveSaveLeftovers();
    const int result = RunApplication<CTextApp>();
    StartRetiredFileRemoval();
    return result;
}
