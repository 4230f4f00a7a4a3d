// Window objects: a CWnd wraps one window, binds itself to it while the system
// creates it (framework classes) or by subclassing (system control classes),
// and turns the window's messages into calls of its virtual operations.
#pragma once

#include <windows.h>

#include <string>

#include "framework/appcore.h"
#include "framework/ddx.h"

namespace Casement {

class CDC;

constexpr int MAX_STRING_SIZE = 255;

// Private messages of the framework.
constexpr UINT UWM_GETCWND = 0xBF0A;        // result: the window object itself
constexpr UINT UWM_UPDATECOMMAND = 0xBF13;  // wParam: command id to refresh
constexpr UINT UWM_GETCFRAME = 0xBF07;      // result: the frame object

// Registered messages, the same numbers in every unit that asks for them.
struct RegisteredMessages {
    UINT windowCreated;      // "UWM_WINDOWCREATED"
    UINT help;               // "commdlg_help"
    UINT fileNameOk;         // "commdlg_FileNameOK"
    UINT listSelChanged;     // "commdlg_LBSelChangedNotify"
    UINT shareViolation;     // "commdlg_ShareViolation"
    UINT findReplace;        // "commdlg_FindReplace"
};
const RegisteredMessages& GetRegisteredMessages();

// A function of a library looked up at run time, as its real type.
template <typename Fn>
Fn LookUpProc(HMODULE module, LPCSTR name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Rethrows, once, an exception that a window procedure of this thread caught
// at the system boundary.
void RethrowPendingException();
// Called in a catch block of a system callback: keeps the exception being
// handled for RethrowPendingException (an earlier one still waiting wins).
void KeepPendingException();

// Paints window and the windows within it that wait to be painted, except
// those within skip, at once and without taking a message from the queue.
void PaintNowExcept(HWND window, HWND skip);
// Looks at the thread's queue without taking or answering a message, which
// tells the system that the program is alive: long work that must take no
// message keeps its window from being shown as not responding.
void ShowAlive();

// The control that a parent passes a reflected message back to (owner-draw,
// scroll, colour and parent-notify messages), or null for other messages.
HWND ReflectionTarget(HWND parent, UINT msg, WPARAM wParam, LPARAM lParam);

class CWnd : public CObject {
    // Dialogs bind through their own dialog procedure and route their
    // messages to the objects of their controls.
    friend class CDialog;

public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    ~CWnd() override;

    virtual BOOL AttachHandle(HWND window);
    virtual BOOL AttachControl(UINT id, HWND parent);
    virtual void CentreOnParent();
    virtual HWND CreateDefault(HWND parent);
    virtual HWND CreateInRect(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style,
                              const RECT& rect, HWND parent, UINT idOrMenu, LPVOID param);
    virtual HWND CreateWithClass(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x,
                                 int y, int cx, int cy, HWND parent, HMENU menuOrId, LPVOID param);
    virtual void DestroyHandle();
    virtual HWND DetachHandle();
    virtual HICON SetIconLarge(int id);
    virtual HICON SetIconSmall(int id);
    virtual void ExchangeData(CDataExchange& exchange);
    virtual BOOL ApplyDataExchange(CDataExchange& exchange, BOOL retrieve);
    virtual LRESULT CallPreviousProc(UINT msg, WPARAM wParam, LPARAM lParam);

protected:
    virtual void AfterAttach() {}
    virtual BOOL HandleCommand(WPARAM /*wParam*/, LPARAM /*lParam*/) { return FALSE; }
    virtual void HandleClose() { DestroyHandle(); }
    virtual int HandleCreate(CREATESTRUCTA& /*cs*/) { return 0; }
    virtual void HandleDestroy() {}
    virtual void DrawContent(CDC& /*dc*/) {}
    virtual BOOL EraseBackground(CDC& /*dc*/) { return FALSE; }
    virtual void AfterCreated() {}

public:
    virtual void RefreshMenuItem(UINT /*id*/) {}

protected:
    virtual LRESULT HandleReflectedMessage(UINT /*msg*/, WPARAM /*wParam*/, LPARAM /*lParam*/) { return 0; }
    virtual LRESULT HandleNotify(WPARAM /*wParam*/, LPARAM /*lParam*/) { return 0; }
    virtual LRESULT HandleReflectedNotify(WPARAM /*wParam*/, LPARAM /*lParam*/) { return 0; }
    virtual LRESULT HandlePaint(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual void AdjustCreateParams(CREATESTRUCTA& /*cs*/) {}
    virtual void AdjustWindowClass(WNDCLASSA& /*wc*/) {}

public:
    virtual BOOL FilterMessage(MSG& /*msg*/) { return FALSE; }

protected:
    virtual LRESULT WindowProcedure(UINT msg, WPARAM wParam, LPARAM lParam) {
        return DefaultProcedure(msg, wParam, lParam);
    }
    virtual LRESULT DefaultProcedure(UINT msg, WPARAM wParam, LPARAM lParam);

public:
    // The procedure of every framework window class and of subclassed windows.
    static LRESULT CALLBACK StaticWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND GetHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    WNDPROC GetPrevWindowProc() const { return m_PrevWindowProc; }
    BOOL IsWindow() const { return ::IsWindow(m_hWnd); }
    std::string GetClassName() const;

    // Registers the class unless it exists; an existing class's description
    // is copied back into wc.
    static BOOL RegisterWindowClass(WNDCLASSA& wc);

private:
    // Loads icon id at the system's size for which and gives it to the window.
    HICON SetIcon(int id, int sizeMetricX, int sizeMetricY, WPARAM which, LPCSTR failureTrace);
    void Subclass(HWND window);
    void Unbind();
    LRESULT ReflectMessage(HWND control, UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT ReflectNotify(WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    WNDPROC m_PrevWindowProc = nullptr;
};

}  // namespace Casement
