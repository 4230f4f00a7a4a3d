#include "framework/appcore.h"

#include <cassert>

#include "framework/cexception.h"
#include "framework/wincore.h"

namespace Casement {

namespace {

CWinApp* g_pApp = nullptr;

CCriticalSection& AppPointerLock() {
    static CCriticalSection lock;
    return lock;
}

}  // namespace

CCriticalSection::CCriticalSection() { InitializeCriticalSection(&m_cs); }

CCriticalSection::~CCriticalSection() {
    while (m_count > 0)
        Release();
    DeleteCriticalSection(&m_cs);
}

void CCriticalSection::Lock() {
    EnterCriticalSection(&m_cs);
    InterlockedIncrement(&m_count);
}

void CCriticalSection::Release() {
    assert(m_count > 0);
    if (m_count > 0) {
        LeaveCriticalSection(&m_cs);
        InterlockedDecrement(&m_count);
    }
}

CWinApp& GetApp() {
    assert(g_pApp != nullptr);
    return *g_pApp;
}

CWinApp* GetAppPtr() { return g_pApp; }

CWnd* GetCWndPtr(HWND window) { return window != nullptr ? GetApp().GetCWndFromMap(window) : nullptr; }

CWinApp::CWinApp() {
    {
        CThreadLock guard(AppPointerLock());
        if (g_pApp != nullptr)
            throw CNotSupportedException("Only one instance of CWinApp is permitted");
        m_tlsIndex = TlsAlloc();
        if (m_tlsIndex == TLS_OUT_OF_INDEXES)
            throw CNotSupportedException("CWinApp::CWinApp  Failed to allocate Thread Local Storage");
        g_pApp = this;
    }

    // The module that holds this code is the program; its base is the
    // instance handle, even when the entry was given another.
    MEMORY_BASIC_INFORMATION mbi = {};
    static const int kAnchor = 0;
    VirtualQuery(&kAnchor, &mbi, sizeof mbi);
    assert(mbi.AllocationBase);
    m_hInstance = static_cast<HINSTANCE>(mbi.AllocationBase);
    m_hResource = m_hInstance;

    LearnFrameworkWindowProc();
}

void CWinApp::LearnFrameworkWindowProc() {
    // The system may report a different value than the function's address
    // (a thunk), so ask it what a framework class looks like.
    static const char kProbeClass[] = "Casement Temporary Window Class";
    WNDCLASSA wc = {};
    wc.lpfnWndProc = CWnd::StaticWindowProc;
    wc.hInstance = m_hInstance;
    wc.lpszClassName = kProbeClass;
    RegisterClassA(&wc);
    WNDCLASSA registered = {};
    GetClassInfoA(m_hInstance, kProbeClass, &registered);
    m_frameworkWindowProc = registered.lpfnWndProc;
    UnregisterClassA(kProbeClass, m_hInstance);
}

CWinApp::~CWinApp() {
    FreeGlobalMemory();
    DestroyRemainingWindows();

    {
        CThreadLock guard(m_threadRecordLock);
        m_threadRecords.clear();
    }
    TlsSetValue(m_tlsIndex, nullptr);
    TlsFree(m_tlsIndex);

    CThreadLock guard(AppPointerLock());
    g_pApp = nullptr;
    m_menuMap.Clear();
}

void CWinApp::FreeGlobalMemory() {
    for (HGLOBAL& memory : m_hGlobalMemory) {
        if (memory == nullptr)
            continue;
        assert(GlobalFlags(memory) != GMEM_INVALID_HANDLE);
        for (UINT locks = GlobalFlags(memory) & GMEM_LOCKCOUNT; locks > 0; --locks) {
            OutputDebugStringA("***WARNING Global memory still locked ***\n");
            GlobalUnlock(memory);
        }
        GlobalFree(memory);
        memory = nullptr;
    }
}

void CWinApp::DestroyRemainingWindows() {
    // Destroying a window may change the map, so work from a copy.
    std::vector<HWND> windows;
    {
        CThreadLock guard(m_mapLock);
        for (const auto& entry : m_windowMap)
            windows.push_back(entry.first);
    }
    for (HWND window : windows) {
        if (::IsWindow(window))
            DestroyWindow(window);
    }
}

int CWinApp::Execute() {
    try {
        if (InitInstance())
            return PumpMessages();
    } catch (...) {
        // The windows go while the objects that own them are whole: once
        // the exception unwinds the derived application object, its members
        // would be gone before their windows, and those windows' messages
        // would reach half-destroyed objects.
        DestroyRemainingWindows();
        // A frame quits the loop when its window goes; the quit must not
        // end the box that reports this exception before it is seen.
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        throw;
    }
    OutputDebugStringA("InitInstance failed!  Terminating program\n");
    PostQuitMessage(-1);
    return -1;
}

TLSData* CWinApp::GetThreadRecord() {
    auto* record = static_cast<TLSData*>(TlsGetValue(m_tlsIndex));
    if (record == nullptr) {
        auto created = std::make_shared<TLSData>();
        record = created.get();
        {
            CThreadLock guard(m_threadRecordLock);
            m_threadRecords.push_back(std::move(created));
        }
        TlsSetValue(m_tlsIndex, record);
    }
    return record;
}

CWnd* CWinApp::GetCWndFromMap(HWND window) {
    CThreadLock guard(m_mapLock);
    auto it = m_windowMap.find(window);
    return it == m_windowMap.end() ? nullptr : it->second;
}

void CWinApp::AddToWindowMap(HWND window, CWnd* object) {
    CThreadLock guard(m_mapLock);
    RemoveFromWindowMap(object);
    assert(nullptr == GetApp().GetCWndFromMap(window));
    m_windowMap[window] = object;
}

BOOL CWinApp::RemoveFromWindowMap(CWnd* object) {
    CThreadLock guard(m_mapLock);
    for (auto it = m_windowMap.begin(); it != m_windowMap.end(); ++it) {
        if (it->second == object) {
            m_windowMap.erase(it);
            return TRUE;
        }
    }
    return FALSE;
}

}  // namespace Casement
