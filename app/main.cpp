#include <windows.h>

#include <cstdlib>

#include "app/instance.h"
#include "app/run.h"
#include "app/textapp.h"
#include "image/self_save.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (IsSecondInstance())
        return 1;
    if (HandleWriteBack(__argc, __argv))
        return 1;
    RemoveRedundantTemporaryImages();
    return RunApplication<CTextApp>();
}
