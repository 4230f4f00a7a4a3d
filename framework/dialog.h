// Dialogs: a CDialog wraps a dialog box made from a dialog resource or from a
// template in memory, run modally or modelessly, and routes the dialog's
// messages to virtual operations the way CWnd does for windows.
#pragma once

#include <windows.h>

#include <string>

#include "framework/wincore.h"

namespace Casement {

class CDialog : public CWnd {
public:
    // The template is a dialog resource, looked for in the resource handle
    // first, or a template in memory that the caller keeps alive.
    explicit CDialog(UINT resourceId);
    explicit CDialog(LPCSTR resourceName);
    explicit CDialog(const DLGTEMPLATE* dialogTemplate);
    // Ends a modal dialog still open with result 0; destroys a modeless one.
    ~CDialog() override;

    // Creates the dialog modelessly.
    HWND CreateDefault(HWND parent) override;

    // Keyboard navigation of a modeless dialog while no modal dialog or
    // menu tracking on this thread filters messages itself.
    BOOL FilterMessage(MSG& msg) override;

    // Binds a control of the dialog to its object by subclassing.
    virtual BOOL BindControl(UINT id, CWnd& control);
    // Runs the dialog modally and returns the result given to FinishDialog;
    // throws CWinException "Dialog creation failed" when it cannot be made.
    virtual INT_PTR DoModal(HWND parent);
    // Creates the dialog modelessly; throws CWinException "Dialog creation
    // failed" when it cannot be made.
    virtual HWND CreateModeless(HWND parent);
    virtual BOOL RunsModal() const { return m_bModal; }

protected:
    virtual INT_PTR DialogProcedure(UINT msg, WPARAM wParam, LPARAM lParam) {
        return DefaultDialogProcedure(msg, wParam, lParam);
    }

public:
    // A modal dialog ends with result; a modeless one is destroyed.
    virtual void FinishDialog(INT_PTR result);

protected:
    virtual void HandleCancel() { FinishDialog(IDCANCEL); }
    // TRUE lets the system give the focus to the first tab stop.
    virtual BOOL HandleInitDialog() { return TRUE; }
    virtual void HandleOK();
    // The dialog dispatcher; a result of 0 lets the system's own dialog
    // handling continue.
    virtual INT_PTR DefaultDialogProcedure(UINT msg, WPARAM wParam, LPARAM lParam);

    // Closing from the title bar or the system menu ends the dialog with 0.
    void HandleClose() override { FinishDialog(0); }

    // For the system's common dialogs, which bring their own templates.
    CDialog() = default;
    // For a dialog the system creates modelessly on the object's behalf.
    void MarkModeless() { m_bModal = FALSE; }
    // Makes the dialog and its controls Unicode windows, so that a field
    // keeps every character typed or pasted into it; those of an ANSI dialog
    // keep only what the ANSI code page can spell. Called before it is made,
    // for a modal dialog: the system's dialog loop carries characters as
    // they are, where the program's own loop passes them through the ANSI
    // code page.
    void MakeUnicode() { m_bUnicode = TRUE; }
    // Binds this object to its dialog window on the window's first message.
    void BindDialog(HWND window);
    // Unbinds after the system has destroyed the dialog window.
    void UnbindDialog() { Unbind(); }

private:
    static INT_PTR CALLBACK StaticDialogProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    // The template, and the module whose resources its controls load (an
    // icon, a bitmap); no template when the resource is missing. A template
    // has one layout for the ANSI and the wide creation calls.
    struct Template {
        HINSTANCE module = nullptr;
        const DLGTEMPLATE* dialogTemplate = nullptr;
    };
    Template FindTemplate() const;

    BOOL m_bModal = TRUE;
    BOOL m_bUnicode = FALSE;
    // A resource id is kept in the "#id" form the resource functions accept.
    std::string m_strResourceName;
    const DLGTEMPLATE* m_pTemplate = nullptr;
};

}  // namespace Casement
