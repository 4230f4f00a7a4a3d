#include "ui/uitext.h"

#include "framework/appcore.h"

HWND MessageOwner() {
    HWND front = GetForegroundWindow();
    if (front != nullptr && GetWindowThreadProcessId(front, nullptr) == GetCurrentThreadId())
        return front;
    return Casement::GetApp().GetThreadRecord()->hMainWnd;
}
