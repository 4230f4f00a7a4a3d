// The application object: the process-wide registries of the framework (the
// window map and the shared-handle maps), the per-thread records and the
// module handles every resource load uses.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <memory>
#include <vector>

#include "framework/appcore0.h"

namespace Casement {

class CWnd;
class CMenuBar;
struct DCData;
struct GDIData;
struct ImageListData;
struct MenuData;

// A critical section with a count of nested entries, so that a destructor can
// leave it as often as it is still entered.
class CCriticalSection {
public:
    CCriticalSection();
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;
    ~CCriticalSection();

    void Lock();
    void Release();

private:
    CRITICAL_SECTION m_cs;
    LONG m_count = 0;
};

class CThreadLock {
public:
    explicit CThreadLock(CCriticalSection& section) : m_section(section) { m_section.Lock(); }
    CThreadLock(const CThreadLock&) = delete;
    CThreadLock& operator=(const CThreadLock&) = delete;
    ~CThreadLock() { m_section.Release(); }

private:
    CCriticalSection& m_section;
};

// One record per thread that creates windows, reached through thread-local
// storage.
struct TLSData {
    CWnd* pWnd = nullptr;            // the object whose window is being created
    HWND hMainWnd = nullptr;         // this thread's main frame window
    CMenuBar* pMenuBar = nullptr;    // the menu bar tracking a popup menu
    HHOOK hMsgHook = nullptr;        // WH_MSGFILTER hook of menu tracking or modal dialogs
    LONG nDlgHooks = 0;              // modal dialogs sharing that hook
};

// A map from a handle to the shared record of its wrappers, guarded by the
// application's map lock. Records are owned by their wrappers, not the map.
template <typename Handle, typename Record>
class CHandleMap {
public:
    explicit CHandleMap(CCriticalSection& lock) : m_lock(lock) {}

    void Add(Handle handle, Record* record) {
        CThreadLock guard(m_lock);
        m_entries[handle] = record;
    }
    BOOL Remove(Handle handle) {
        CThreadLock guard(m_lock);
        return m_entries.erase(handle) != 0;
    }
    Record* Find(Handle handle) const {
        CThreadLock guard(m_lock);
        auto it = m_entries.find(handle);
        return it == m_entries.end() ? nullptr : it->second;
    }
    void Clear() {
        CThreadLock guard(m_lock);
        m_entries.clear();
    }
    // The lock every access takes; a caller holds it across a look-up and the
    // reference-count change that must not be separated from it.
    CCriticalSection& GetLock() const { return m_lock; }

private:
    CCriticalSection& m_lock;
    std::map<Handle, Record*> m_entries;
};

class CWinApp : public CWinThread {
public:
    // Throws CNotSupportedException when another application object exists.
    CWinApp();
    ~CWinApp() override;

    BOOL InitInstance() override { return TRUE; }
    // InitInstance, then the message loop; -1 when InitInstance fails.
    virtual int Execute();

    HINSTANCE GetInstanceHandle() const { return m_hInstance; }
    HINSTANCE GetResourceHandle() const { return m_hResource != nullptr ? m_hResource : m_hInstance; }
    void SetResourceHandle(HINSTANCE resource) { m_hResource = resource; }
    // The window procedure the system reports for a framework window class.
    WNDPROC GetFrameworkWindowProc() const { return m_frameworkWindowProc; }

    // This thread's record, created on first use.
    TLSData* GetThreadRecord();

    CWnd* GetCWndFromMap(HWND window);
    void AddToWindowMap(HWND window, CWnd* object);
    BOOL RemoveFromWindowMap(CWnd* object);

    CHandleMap<HDC, DCData>& DCMap() { return m_dcMap; }
    CHandleMap<HGDIOBJ, GDIData>& GDIMap() { return m_gdiMap; }
    CHandleMap<HIMAGELIST, ImageListData>& ImageListMap() { return m_imageListMap; }
    CHandleMap<HMENU, MenuData>& MenuMap() { return m_menuMap; }

private:
    void LearnFrameworkWindowProc();
    void DestroyRemainingWindows();
    void FreeGlobalMemory();

    CCriticalSection m_mapLock;
    CCriticalSection m_threadRecordLock;
    CHandleMap<HDC, DCData> m_dcMap{m_mapLock};
    CHandleMap<HGDIOBJ, GDIData> m_gdiMap{m_mapLock};
    CHandleMap<HIMAGELIST, ImageListData> m_imageListMap{m_mapLock};
    std::map<HWND, CWnd*> m_windowMap;
    std::vector<std::shared_ptr<TLSData>> m_threadRecords;
    HINSTANCE m_hInstance = nullptr;
    HINSTANCE m_hResource = nullptr;
    DWORD m_tlsIndex = TLS_OUT_OF_INDEXES;
    WNDPROC m_frameworkWindowProc = nullptr;
    HGLOBAL m_hGlobalMemory[2] = {};
    CHandleMap<HMENU, MenuData> m_menuMap{m_mapLock};
};

// The application object; valid from its construction to its destruction.
CWinApp& GetApp();
// The same, or null outside that time (for objects that may outlive it).
CWinApp* GetAppPtr();

// The window object bound to a window, or null; a null handle gives null.
CWnd* GetCWndPtr(HWND window);

}  // namespace Casement
