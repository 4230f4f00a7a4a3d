#include "framework/appcore0.h"

#include <cassert>

#include "framework/appcore.h"
#include "framework/wincore.h"

namespace Casement {

namespace {

// Retrieving these does not count as activity worth idle work, so a moving
// mouse or a running timer does not cause repeated idling.
bool SuppressesIdle(UINT message) {
    return message == WM_TIMER || message == WM_MOUSEMOVE || message == WM_SETCURSOR;
}

bool IsKeyboardOrMouse(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

}  // namespace

CWinThread::~CWinThread() {
    if (m_hThread != nullptr) {
        if (WaitForSingleObject(m_hThread, 0) != WAIT_OBJECT_0) {
            OutputDebugStringA("*** Error *** Ending CWinThread before ending its thread\n");
            assert(FALSE);
        }
        CloseHandle(m_hThread);
    }
}

int CWinThread::PumpMessages() {
    MSG msg = {};
    for (;;) {
        IdleWhileQueueEmpty(msg.message);
        const BOOL result = GetMessageA(&msg, nullptr, 0, 0);
        if (result == -1)
            return -1;
        if (!FilterMessage(msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        // Handlers run under the filter too (an accelerator's command, a
        // dialog's keys), so an exception they kept is rethrown either way.
        RethrowPendingException();
        if (result == 0)
            return LOWORD(msg.wParam);
    }
}

void CWinThread::IdleWhileQueueEmpty(UINT lastMessage) {
    if (SuppressesIdle(lastMessage))
        return;
    MSG waiting;
    for (LONG count = 0; !PeekMessageA(&waiting, nullptr, 0, 0, PM_NOREMOVE); ++count) {
        if (!IdleWork(count))
            break;
    }
}

BOOL CWinThread::FilterMessage(MSG& msg) {
    if (!IsKeyboardOrMouse(msg.message))
        return FALSE;
    if (m_hAccel != nullptr && TranslateAcceleratorA(m_hAccelWnd, m_hAccel, &msg))
        return TRUE;
    for (HWND window = msg.hwnd; window != nullptr; window = GetParent(window)) {
        CWnd* object = GetApp().GetCWndFromMap(window);
        if (object != nullptr && object->FilterMessage(msg))
            return TRUE;
    }
    return FALSE;
}

}  // namespace Casement
