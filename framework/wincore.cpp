#include "framework/wincore.h"

#include <algorithm>
#include <cassert>
#include <exception>

#include "framework/cexception.h"
#include "framework/gdi.h"

namespace Casement {

namespace {

const char kDefaultClassName[] = "Casement Window";

// An exception raised while a window procedure runs must not unwind through
// the system's frames; it waits here until the framework call that led to
// the message (window creation, message dispatch) can rethrow it.
thread_local std::exception_ptr t_pendingException;

// A window's own class decides whether WM_NOTIFY is reflected: rebars and tab
// controls forward their children's notifications themselves.
bool ReflectsNotifications(const std::string& className) {
    return className != "ReBarWindow32" && className != "SysTabControl32";
}

}  // namespace

HWND ReflectionTarget(HWND parent, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
        return GetDlgItem(parent, static_cast<int>(wParam));
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<HWND>(lParam);
    case WM_PARENTNOTIFY:
        if (LOWORD(wParam) == WM_CREATE || LOWORD(wParam) == WM_DESTROY)
            return reinterpret_cast<HWND>(lParam);
        return nullptr;
    default:
        return nullptr;
    }
}

const RegisteredMessages& GetRegisteredMessages() {
    static const RegisteredMessages messages = {
        RegisterWindowMessageA("UWM_WINDOWCREATED"),
        RegisterWindowMessageA("commdlg_help"),
        RegisterWindowMessageA("commdlg_FileNameOK"),
        RegisterWindowMessageA("commdlg_LBSelChangedNotify"),
        RegisterWindowMessageA("commdlg_ShareViolation"),
        RegisterWindowMessageA("commdlg_FindReplace"),
    };
    return messages;
}

CWnd::~CWnd() { DestroyHandle(); }

BOOL CWnd::RegisterWindowClass(WNDCLASSA& wc) {
    assert(wc.lpszClassName != nullptr && lstrlenA(wc.lpszClassName) > 0 &&
           lstrlenA(wc.lpszClassName) <= MAX_STRING_SIZE);
    const HINSTANCE instance = GetApp().GetInstanceHandle();
    WNDCLASSA existing = {};
    if (GetClassInfoA(instance, wc.lpszClassName, &existing)) {
        wc = existing;
        return TRUE;
    }
    wc.hInstance = instance;
    wc.lpfnWndProc = StaticWindowProc;
    const BOOL registered = RegisterClassA(&wc) != 0;
    assert(registered);
    return registered;
}

void CWnd::Subclass(HWND window) {
    // A procedure set through the ANSI call makes the window an ANSI one, and
    // the characters typed into it then pass through the ANSI code page: a
    // Unicode window is subclassed and called on through the wide calls.
    const LONG_PTR procedure = reinterpret_cast<LONG_PTR>(StaticWindowProc);
    m_PrevWindowProc = reinterpret_cast<WNDPROC>(IsWindowUnicode(window)
                                                     ? SetWindowLongPtrW(window, GWLP_WNDPROC, procedure)
                                                     : SetWindowLongPtrA(window, GWLP_WNDPROC, procedure));
    m_hWnd = window;
    GetApp().AddToWindowMap(window, this);
    AfterAttach();
}

BOOL CWnd::AttachHandle(HWND window) {
    assert(::IsWindow(window));
    assert(!IsWindow());
    GetApp().GetThreadRecord();
    Subclass(window);
    PostMessageA(window, GetRegisteredMessages().windowCreated, 0, 0);
    return TRUE;
}

BOOL CWnd::AttachControl(UINT id, HWND parent) { return AttachHandle(GetDlgItem(parent, static_cast<int>(id))); }

void CWnd::CentreOnParent() {
    assert(IsWindow());
    RECT window = {};
    GetWindowRect(m_hWnd, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;

    RECT workArea = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    const HWND parent = GetParent(m_hWnd);
    RECT reference = workArea;
    if (parent != nullptr)
        GetWindowRect(parent, &reference);

    // Multi-monitor calls are looked up at run time: older systems lack them.
    using MonitorFromWindowFn = HMONITOR(WINAPI*)(HWND, DWORD);
    using GetMonitorInfoFn = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);
    const HMODULE user32 = GetModuleHandleA("USER32.DLL");
    const auto monitorFromWindow = LookUpProc<MonitorFromWindowFn>(user32, "MonitorFromWindow");
    const auto getMonitorInfo = LookUpProc<GetMonitorInfoFn>(user32, "GetMonitorInfoA");
    if (monitorFromWindow != nullptr && getMonitorInfo != nullptr) {
        MONITORINFO info = {};
        info.cbSize = sizeof info;
        if (getMonitorInfo(monitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &info)) {
            workArea = info.rcWork;
            if (parent == nullptr)
                reference = workArea;
        }
    }
    IntersectRect(&reference, &reference, &workArea);

    int x = reference.left + ((reference.right - reference.left) - width) / 2;
    int y = reference.top + ((reference.bottom - reference.top) - height) / 2;
    x = std::min(std::max(x, static_cast<int>(workArea.left)), static_cast<int>(workArea.right) - width);
    y = std::min(std::max(y, static_cast<int>(workArea.top)), static_cast<int>(workArea.bottom) - height);
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND CWnd::CreateDefault(HWND parent) {
    WNDCLASSA wc = {};
    CREATESTRUCTA cs = {};
    AdjustWindowClass(wc);
    if (wc.lpszClassName != nullptr && wc.lpszClassName[0] != '\0') {
        RegisterWindowClass(wc);
        cs.lpszClass = wc.lpszClassName;
    } else {
        cs.lpszClass = kDefaultClassName;
    }

    cs.hwndParent = parent;
    if (parent != nullptr) {
        cs.style = WS_CHILD | WS_VISIBLE;
    } else {
        cs.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
        cs.x = cs.y = cs.cx = cs.cy = CW_USEDEFAULT;
    }
    AdjustCreateParams(cs);

    const HWND window = CreateWithClass(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style & ~WS_VISIBLE,
                                        cs.x, cs.y, cs.cx, cs.cy, cs.hwndParent, cs.hMenu,
                                        cs.lpCreateParams);
    if (cs.style & WS_VISIBLE) {
        if (cs.style & WS_MAXIMIZE)
            ShowWindow(window, SW_MAXIMIZE);
        else if (cs.style & WS_MINIMIZE)
            ShowWindow(window, SW_MINIMIZE);
        else
            ShowWindow(window, SW_SHOWNORMAL);
    }
    return window;
}

HWND CWnd::CreateInRect(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, const RECT& rect,
                        HWND parent, UINT idOrMenu, LPVOID param) {
    HMENU menu = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(idOrMenu));
    if (parent == nullptr && idOrMenu != 0)
        menu = LoadMenuA(GetApp().GetResourceHandle(), MAKEINTRESOURCEA(idOrMenu));
    return CreateWithClass(exStyle, className, title, style, rect.left, rect.top, rect.right - rect.left,
                           rect.bottom - rect.top, parent, menu, param);
}

HWND CWnd::CreateWithClass(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                           int cx, int cy, HWND parent, HMENU menuOrId, LPVOID param) {
    assert(!IsWindow());
    if (className == nullptr || className[0] == '\0')
        className = kDefaultClassName;

    WNDCLASSA wc = {};
    wc.lpszClassName = className;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    if (!RegisterWindowClass(wc))
        OutputDebugStringA("*** RegisterClass failed ***\n");

    TLSData* record = GetApp().GetThreadRecord();
    assert(record);
    record->pWnd = this;
    m_hWnd = nullptr;
    const HWND window = CreateWindowExA(exStyle, className, title, style, x, y, cx, cy, parent, menuOrId,
                                        GetApp().GetInstanceHandle(), param);
    if (window == nullptr) {
        record->pWnd = nullptr;
        Unbind();
        RethrowPendingException();
        throw CWinException("CreateWindowEx failed");
    }

    WNDCLASSA registered = {};
    GetClassInfoA(GetApp().GetInstanceHandle(), className, &registered);
    if (registered.lpfnWndProc != GetApp().GetFrameworkWindowProc())
        Subclass(window);

    record->pWnd = nullptr;
    PostMessageA(window, GetRegisteredMessages().windowCreated, 0, 0);
    // A handler may have failed during a creation that went on regardless.
    RethrowPendingException();
    return window;
}

void CWnd::Unbind() {
    // An object may outlive the application object (which destroys its
    // windows); then there is no map left to leave.
    if (CWinApp* app = GetAppPtr())
        app->RemoveFromWindowMap(this);
    m_hWnd = nullptr;
    m_PrevWindowProc = nullptr;
}

void CWnd::DestroyHandle() {
    if (m_hWnd != nullptr && GetAppPtr() != nullptr && GetCWndPtr(m_hWnd) == this && ::IsWindow(m_hWnd))
        DestroyWindow(m_hWnd);
    Unbind();
}

HWND CWnd::DetachHandle() {
    const HWND window = m_hWnd;
    if (m_PrevWindowProc != nullptr) {
        const LONG_PTR previous = reinterpret_cast<LONG_PTR>(m_PrevWindowProc);
        if (IsWindowUnicode(window))
            SetWindowLongPtrW(window, GWLP_WNDPROC, previous);
        else
            SetWindowLongPtrA(window, GWLP_WNDPROC, previous);
    }
    Unbind();
    return window;
}

HICON CWnd::SetIcon(int id, int sizeMetricX, int sizeMetricY, WPARAM which, LPCSTR failureTrace) {
    const HICON icon = static_cast<HICON>(LoadImageA(GetApp().GetResourceHandle(), MAKEINTRESOURCEA(id),
                                                     IMAGE_ICON, GetSystemMetrics(sizeMetricX),
                                                     GetSystemMetrics(sizeMetricY), LR_SHARED));
    if (icon != nullptr)
        SendMessageA(m_hWnd, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
    else
        OutputDebugStringA(failureTrace);
    return icon;
}

HICON CWnd::SetIconLarge(int id) {
    return SetIcon(id, SM_CXICON, SM_CYICON, ICON_BIG, "**WARNING** SetIconLarge Failed\n");
}

HICON CWnd::SetIconSmall(int id) {
    return SetIcon(id, SM_CXSMICON, SM_CYSMICON, ICON_SMALL, "**WARNING** SetIconSmall Failed\n");
}

void CWnd::ExchangeData(CDataExchange& /*exchange*/) {}

BOOL CWnd::ApplyDataExchange(CDataExchange& exchange, BOOL retrieve) {
    exchange.retrieve = retrieve;
    exchange.window = m_hWnd;
    exchange.focusControl = nullptr;
    exchange.failure.reset();
    try {
        CCriticalSection section;
        CThreadLock guard(section);
        ExchangeData(exchange);
    } catch (const CUserException& e) {
        exchange.failure = e;
        return FALSE;
    }
    if (exchange.focusControl != nullptr) {
        ::SetFocus(exchange.focusControl);
        SendMessageA(exchange.focusControl, EM_SETSEL, 0, -1);
    }
    return TRUE;
}

LRESULT CWnd::HandlePaint(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (m_PrevWindowProc != nullptr)
        return CallPreviousProc(msg, wParam, lParam);
    // Without an update region there is nothing for BeginPaint to validate.
    if (GetUpdateRect(m_hWnd, nullptr, FALSE)) {
        CPaintDC dc(m_hWnd);
        DrawContent(dc);
    } else {
        CClientDC dc(m_hWnd);
        DrawContent(dc);
    }
    return 0;
}

LRESULT CWnd::CallPreviousProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (m_PrevWindowProc != nullptr)
        return IsWindowUnicode(m_hWnd) ? CallWindowProcW(m_PrevWindowProc, m_hWnd, msg, wParam, lParam)
                                       : CallWindowProcA(m_PrevWindowProc, m_hWnd, msg, wParam, lParam);
    return DefWindowProcA(m_hWnd, msg, wParam, lParam);
}

std::string CWnd::GetClassName() const {
    char name[MAX_STRING_SIZE + 1] = {};
    ::GetClassNameA(m_hWnd, name, MAX_STRING_SIZE);
    return name;
}

LRESULT CWnd::ReflectMessage(HWND control, UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    handled = FALSE;
    CWnd* object = GetCWndPtr(control);
    if (object == nullptr)
        return 0;
    const LRESULT result = object->HandleReflectedMessage(msg, wParam, lParam);
    handled = result != 0;
    return result;
}

LRESULT CWnd::ReflectNotify(WPARAM wParam, LPARAM lParam) {
    const HWND from = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
    CWnd* object = GetCWndPtr(from);
    if (object == nullptr && from != nullptr)
        object = GetCWndPtr(GetParent(from));
    return object != nullptr ? object->HandleReflectedNotify(wParam, lParam) : 0;
}

LRESULT CWnd::DefaultProcedure(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == GetRegisteredMessages().windowCreated) {
        AfterCreated();
        return 0;
    }

    switch (msg) {
    case WM_CREATE: {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        if (cs == nullptr)
            throw CWinException("WM_CREATE failed");
        return HandleCreate(*cs);
    }
    case WM_DESTROY:
        HandleDestroy();
        break;
    case WM_PAINT:
        HandlePaint(msg, wParam, lParam);
        return 0;
    case WM_CLOSE:
        HandleClose();
        return 0;
    case WM_ERASEBKGND: {
        CDC dc(reinterpret_cast<HDC>(wParam));
        if (EraseBackground(dc))
            return 1;
        break;
    }
    case WM_NOTIFY: {
        if (ReflectsNotifications(GetClassName())) {
            const LRESULT reflected = ReflectNotify(wParam, lParam);
            if (reflected != 0)
                return reflected;
        }
        const LRESULT notified = HandleNotify(wParam, lParam);
        if (notified != 0)
            return notified;
        break;
    }
    case WM_COMMAND: {
        CWnd* control = GetCWndPtr(reinterpret_cast<HWND>(lParam));
        if ((control != nullptr && control->HandleCommand(wParam, lParam)) || HandleCommand(wParam, lParam))
            return 0;
        break;
    }
    case UWM_GETCWND:
        assert(this == GetCWndPtr(m_hWnd));
        return reinterpret_cast<LRESULT>(this);
    case UWM_UPDATECOMMAND:
        RefreshMenuItem(static_cast<UINT>(wParam));
        break;
    default:
        if (const HWND control = ReflectionTarget(m_hWnd, msg, wParam, lParam)) {
            BOOL handled = FALSE;
            const LRESULT result = ReflectMessage(control, msg, wParam, lParam, handled);
            if (handled)
                return result;
        }
        break;
    }
    return CallPreviousProc(msg, wParam, lParam);
}

LRESULT CALLBACK CWnd::StaticWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    CWnd* object = GetApp().GetCWndFromMap(window);
    if (object == nullptr) {
        // The first message of a window being created on this thread: the
        // creating object waits in the thread record.
        TLSData* record = GetApp().GetThreadRecord();
        assert(record);
        object = record->pWnd;
        assert(object);
        if (object == nullptr)
            return DefWindowProcA(window, msg, wParam, lParam);
        record->pWnd = nullptr;
        object->m_hWnd = window;
        GetApp().AddToWindowMap(window, object);
    }
    try {
        return object->WindowProcedure(msg, wParam, lParam);
    } catch (...) {
        KeepPendingException();
        // Failing these makes the creating call fail, which then rethrows:
        // WM_CREATE fails with -1, WM_NCCREATE with FALSE.
        if (msg == WM_CREATE)
            return -1;
        return msg == WM_NCCREATE ? FALSE : 0;
    }
}

void KeepPendingException() {
    if (!t_pendingException)
        t_pendingException = std::current_exception();
}

void PaintNowExcept(HWND window, HWND skip) {
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_NOCHILDREN);
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        if (child != skip)
            PaintNowExcept(child, skip);
}

void ShowAlive() {
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE | PM_QS_PAINT);
}

void RethrowPendingException() {
    if (t_pendingException) {
        std::exception_ptr pending = t_pendingException;
        t_pendingException = nullptr;
        std::rethrow_exception(pending);
    }
}

}  // namespace Casement
