#include "app/instance.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "image/resources.h"

bool IsSecondInstance() {
    std::string name = OwnImagePath();
    name.erase(std::remove(name.begin(), name.end(), '\\'), name.end());
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return true;
    }
    return false;
}
