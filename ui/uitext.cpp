#include "ui/uitext.h"

#include "app/textapp.h"

HWND MessageOwner() {
    HWND front = GetForegroundWindow();
    if (front != nullptr && GetWindowThreadProcessId(front, nullptr) == GetCurrentThreadId())
        return front;
    return GetTextApp().m_frame.GetHwnd();
}
