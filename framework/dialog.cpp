#include "framework/dialog.h"

#include <cassert>

#include "framework/cexception.h"
#include "framework/controls.h"
#include "framework/gdi.h"

namespace Casement {

namespace {

const char kDialogClassName[] = "#32770";

bool IsKeyboardMessage(UINT msg) { return msg >= WM_KEYFIRST && msg <= WM_KEYLAST; }

std::string ResourceNameText(LPCSTR name) {
    if (IS_INTRESOURCE(name))
        return "#" + std::to_string(LOWORD(reinterpret_cast<ULONG_PTR>(name)));
    return name;
}

// Offers a keyboard message to the first dialog object on the parent chain
// of its window; true when that dialog consumed it.
bool FirstDialogConsumes(MSG& msg) {
    for (HWND window = msg.hwnd; window != nullptr; window = GetParent(window)) {
        CWnd* object = GetCWndPtr(window);
        if (object != nullptr && object->GetClassName() == kDialogClassName)
            return object->FilterMessage(msg) != FALSE;
    }
    return false;
}

// The message-filter hook shared by the modal dialogs running on a thread;
// the system's dialog loop calls it for every message it retrieves, so idle
// work and the dialogs' own filters go on while a modal dialog is open.
LRESULT CALLBACK ModalMessageFilter(int code, WPARAM wParam, LPARAM lParam) {
    TLSData* pTLSData = GetApp().GetThreadRecord();
    if (code >= 0) {  // negative codes go straight on, as hooks must
        MSG& msg = *reinterpret_cast<MSG*>(lParam);
        try {
            GetApp().IdleWhileQueueEmpty(msg.message);
            if (code == MSGF_DIALOGBOX && IsKeyboardMessage(msg.message) && FirstDialogConsumes(msg))
                return 1;
        } catch (...) {
            KeepPendingException();
        }
    }
    return CallNextHookEx(pTLSData->hMsgHook, code, wParam, lParam);
}

}  // namespace

// Templates may hold common controls, whose classes Windows registers only
// once the library has been started; every constructor starts it.
CDialog::CDialog(UINT resourceId) : m_strResourceName(ResourceNameText(MAKEINTRESOURCEA(resourceId))) {
    LoadCommonControls();
}

CDialog::CDialog(LPCSTR resourceName) : m_strResourceName(ResourceNameText(resourceName)) { LoadCommonControls(); }

CDialog::CDialog(const DLGTEMPLATE* dialogTemplate) : m_pTemplate(dialogTemplate) { LoadCommonControls(); }

CDialog::~CDialog() {
    // The window goes here rather than in the base destructor, so that its
    // last messages still reach this object as a dialog.
    if (IsWindow() && m_bModal)
        EndDialog(GetHwnd(), 0);
    DestroyHandle();
}

HWND CDialog::CreateDefault(HWND parent) { return CreateModeless(parent); }

BOOL CDialog::FilterMessage(MSG& msg) {
    if (!IsKeyboardMessage(msg.message) || m_bModal || GetApp().GetThreadRecord()->hMsgHook != nullptr)
        return FALSE;
    const BOOL consumed = IsDialogMessageA(GetHwnd(), &msg);
    // A handler that threw while the message was handled here never reaches
    // the message loop's dispatch, which would rethrow it.
    RethrowPendingException();
    return consumed;
}

BOOL CDialog::BindControl(UINT id, CWnd& control) { return control.AttachControl(id, GetHwnd()); }

CDialog::Template CDialog::FindTemplate() const {
    if (m_pTemplate != nullptr)
        return Template{GetApp().GetInstanceHandle(), m_pTemplate};
    for (const HINSTANCE module : {GetApp().GetResourceHandle(), GetApp().GetInstanceHandle()}) {
        if (const HRSRC found = FindResourceA(module, m_strResourceName.c_str(), RT_DIALOG)) {
            const HGLOBAL loaded = LoadResource(module, found);
            const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
            return Template{module, static_cast<const DLGTEMPLATE*>(bytes)};
        }
    }
    return Template{};
}

INT_PTR CDialog::DoModal(HWND parent) {
    assert(!IsWindow());
    m_bModal = TRUE;
    Unbind();

    // Nested modal dialogs share the thread's hook; the outermost removes it.
    TLSData* pTLSData = GetApp().GetThreadRecord();
    if (pTLSData->hMsgHook == nullptr)
        pTLSData->hMsgHook = SetWindowsHookExA(WH_MSGFILTER, ModalMessageFilter, nullptr, GetCurrentThreadId());
    ++pTLSData->nDlgHooks;

    pTLSData->pWnd = this;
    const Template found = FindTemplate();
    INT_PTR result = -1;
    if (found.dialogTemplate != nullptr)
        result = m_bUnicode
                     ? DialogBoxIndirectParamW(found.module, found.dialogTemplate, parent, StaticDialogProc, 0)
                     : DialogBoxIndirectParamA(found.module, found.dialogTemplate, parent, StaticDialogProc, 0);
    pTLSData->pWnd = nullptr;
    Unbind();

    if (--pTLSData->nDlgHooks == 0) {
        UnhookWindowsHookEx(pTLSData->hMsgHook);
        pTLSData->hMsgHook = nullptr;
    }

    RethrowPendingException();
    if (result == -1)
        throw CWinException("Dialog creation failed");
    return result;
}

HWND CDialog::CreateModeless(HWND parent) {
    assert(!IsWindow());
    m_bModal = FALSE;
    Unbind();

    TLSData* pTLSData = GetApp().GetThreadRecord();
    pTLSData->pWnd = this;
    const Template found = FindTemplate();
    HWND window = nullptr;
    if (found.dialogTemplate != nullptr)
        window = m_bUnicode
                     ? CreateDialogIndirectParamW(found.module, found.dialogTemplate, parent, StaticDialogProc, 0)
                     : CreateDialogIndirectParamA(found.module, found.dialogTemplate, parent, StaticDialogProc, 0);
    pTLSData->pWnd = nullptr;

    if (window == nullptr) {
        Unbind();
        RethrowPendingException();
        throw CWinException("Dialog creation failed");
    }
    try {
        RethrowPendingException();
    } catch (...) {
        // A handler failed while the dialog was being made: it goes again.
        DestroyHandle();
        throw;
    }
    return window;
}

void CDialog::FinishDialog(INT_PTR result) {
    if (m_bModal)
        EndDialog(GetHwnd(), result);
    else
        DestroyHandle();
}

void CDialog::HandleOK() {
    if (IsWindow())
        FinishDialog(IDOK);
}

INT_PTR CDialog::DefaultDialogProcedure(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        // Centred first, so that a handler that places the dialog wins.
        CentreOnParent();
        return HandleInitDialog();
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            HandleOK();
            return TRUE;
        case IDCANCEL:
            HandleCancel();
            return TRUE;
        default: {
            CWnd* control = GetCWndPtr(reinterpret_cast<HWND>(lParam));
            if (control == nullptr || !control->HandleCommand(wParam, lParam))
                HandleCommand(wParam, lParam);
            return 0;
        }
        }
    case WM_NOTIFY: {
        LRESULT result = ReflectNotify(wParam, lParam);
        if (result == 0)
            result = HandleNotify(wParam, lParam);
        // The dialog manager hands this to the sender as the message's result.
        SetWindowLongPtrA(GetHwnd(), DWLP_MSGRESULT, result);
        return result;
    }
    case WM_DESTROY:
        HandleDestroy();
        return 0;
    case WM_CLOSE:
        HandleClose();
        return 0;
    case WM_PAINT:
        HandlePaint(msg, wParam, lParam);
        return 0;
    case WM_ERASEBKGND: {
        CDC dc(reinterpret_cast<HDC>(wParam));
        return EraseBackground(dc) ? TRUE : 0;
    }
    default:
        if (const HWND control = ReflectionTarget(GetHwnd(), msg, wParam, lParam)) {
            BOOL handled = FALSE;
            return ReflectMessage(control, msg, wParam, lParam, handled);
        }
        return 0;
    }
}

void CDialog::BindDialog(HWND window) {
    m_hWnd = window;
    GetApp().AddToWindowMap(window, this);
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* pDialog = static_cast<CDialog*>(GetApp().GetCWndFromMap(window));
    if (pDialog == nullptr) {
        // The first message of a dialog being created on this thread: its
        // object waits in the thread record.
        TLSData* pTLSData = GetApp().GetThreadRecord();
        assert(pTLSData);
        pDialog = static_cast<CDialog*>(pTLSData->pWnd);
        assert(pDialog);
        if (pDialog == nullptr)
            return FALSE;
        pTLSData->pWnd = nullptr;
        pDialog->BindDialog(window);
    }
    try {
        return pDialog->DialogProcedure(msg, wParam, lParam);
    } catch (...) {
        KeepPendingException();
        // Ending a modal dialog lets DoModal return and rethrow at once; a
        // modeless one's exception is rethrown by the message loop.
        if (pDialog->m_bModal)
            EndDialog(window, -1);
        return FALSE;
    }
}

}  // namespace Casement
