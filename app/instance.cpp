#include "app/instance.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "framework/unique_handle.h"
#include "image/resources.h"

bool IsSecondInstance() {
    std::string name = OwnImagePath();
    name.erase(std::remove(name.begin(), name.end(), '\\'), name.end());
    Casement::CHandle mutex(CreateMutexA(nullptr, FALSE, name.c_str()));
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        return true;
    // The first process keeps the mutex until it ends.
    mutex.Detach();
    return false;
}
