// The rich edit control: loads the libraries that register its class and
// offers thin wrappers of the messages the program sends it.
#pragma once

#include <windows.h>
#include <richedit.h>

#include <cassert>

#include "framework/wincore.h"

namespace Casement {

class CRichEdit : public CWnd {
public:
    // Throws CNotSupportedException when riched32.dll cannot be loaded.
    CRichEdit();
    ~CRichEdit() override;

    // Both throw CWinException "CreateWindowEx failed" when riched20.dll has
    // not registered the control's class.
    HWND CreateDefault(HWND parent) override;
    HWND CreateWithClass(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int cx, int cy,
                         HWND parent, HMENU menuOrId, LPVOID param) override;

    BOOL GetModify() const { return Send(EM_GETMODIFY, 0, 0) != 0; }
    void SetModify(BOOL modified) const { Send(EM_SETMODIFY, modified, 0); }
    BOOL Undo() const { return Send(EM_UNDO, 0, 0) != 0; }
    BOOL Redo() const { return Send(EM_REDO, 0, 0) != 0; }
    void Cut() const { Send(WM_CUT, 0, 0); }
    void Copy() const { Send(WM_COPY, 0, 0); }
    // Inserts the clipboard's plain text form only, never rich content, and
    // as UTF-16, so that text the ANSI code page cannot hold arrives whole.
    void Paste() const {
        REPASTESPECIAL special = {0, 0};
        Send(EM_PASTESPECIAL, CF_UNICODETEXT, reinterpret_cast<LPARAM>(&special));
    }
    void Clear() const { Send(WM_CLEAR, 0, 0); }
    void SelectAll() const { Send(EM_SETSEL, 0, -1); }
    void LimitText(DWORD maxCharacters) const { Send(EM_EXLIMITTEXT, 0, static_cast<LPARAM>(maxCharacters)); }
    void SetEventMask(DWORD mask) const { Send(EM_SETEVENTMASK, 0, static_cast<LPARAM>(mask)); }
    // A line width of 0 wraps at the window; 1 turns wrapping off.
    BOOL SetTargetDevice(LONG lineWidth) const { return Send(EM_SETTARGETDEVICE, 0, lineWidth) != 0; }
    void GetDefaultCharFormat(CHARFORMAT2A& format) const {
        format.cbSize = sizeof format;
        Send(EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    }
    BOOL SetDefaultCharFormat(CHARFORMAT2A& format) const {
        format.cbSize = sizeof format;
        return Send(EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format)) != 0;
    }
    void StreamIn(EDITSTREAM& stream) const { Send(EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&stream)); }
    void StreamOut(EDITSTREAM& stream) const { Send(EM_STREAMOUT, SF_TEXT, reinterpret_cast<LPARAM>(&stream)); }

protected:
    void AdjustWindowClass(WNDCLASSA& wc) override;
    LRESULT DefaultProcedure(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    static void RequireLibraryClass();
    LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam) const {
        assert(IsWindow());
        return SendMessageA(*this, msg, wParam, lParam);
    }

    HMODULE m_hRichEdit1 = nullptr;
    HMODULE m_hRichEdit2 = nullptr;
};

}  // namespace Casement
