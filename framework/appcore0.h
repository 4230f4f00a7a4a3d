// The root of the framework's class tree and the thread object that runs a
// message loop.
#pragma once

#include <windows.h>

namespace Casement {

class CObject {
public:
    virtual ~CObject() = default;
    // A hook with no behaviour, kept for derived classes that want one.
    virtual void Hook(void* /*context*/) {}
};

class CWinThread : public CObject {
public:
    CWinThread() = default;
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;
    ~CWinThread() override;

    virtual BOOL InitInstance() { return FALSE; }
    // Runs the message loop until WM_QUIT; returns the low 16 bits of its code,
    // or -1 when GetMessage fails.
    virtual int PumpMessages();
    // Called while the queue is empty; return TRUE to be called again.
    virtual BOOL IdleWork(LONG /*count*/) { return FALSE; }
    // Offers keyboard and mouse messages to the accelerators and to the window
    // objects on the parent chain; TRUE means the message was consumed.
    virtual BOOL FilterMessage(MSG& msg);

    // Idle processing of the message loop, also run by modal dialogs: calls
    // IdleWork with a rising count while no message waits, unless the last
    // retrieved message was a timer, mouse-move or set-cursor message.
    void IdleWhileQueueEmpty(UINT lastMessage);

    HACCEL GetAcceleratorTable() const { return m_hAccel; }
    HWND GetAcceleratorWindow() const { return m_hAccelWnd; }
    void SetAccelerators(HACCEL table, HWND window) {
        m_hAccel = table;
        m_hAccelWnd = window;
    }

private:
    // Null for the process's own user-interface thread.
    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    HACCEL m_hAccel = nullptr;
    HWND m_hAccelWnd = nullptr;
};

}  // namespace Casement
