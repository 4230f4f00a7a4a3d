// Wrappers of the system's standard controls used by the program's dialogs.
// Each binds by subclassing (the classes are the system's) and offers thin
// wrappers of single messages.
#pragma once

#include <windows.h>

#include <cassert>

#include "framework/wincore.h"

namespace Casement {

class CEdit : public CWnd {
public:
    void LimitText(int maxCharacters) const {
        assert(IsWindow());
        SendMessageA(*this, EM_LIMITTEXT, static_cast<WPARAM>(maxCharacters), 0);
    }

protected:
    void AdjustWindowClass(WNDCLASSA& wc) override { wc.lpszClassName = "Edit"; }
};

class CComboBox : public CWnd {
public:
    int AddString(LPCSTR text) const {
        assert(IsWindow());
        return static_cast<int>(SendMessageA(*this, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    // Selects the first item that begins with text, searching after
    // startAfter and wrapping; CB_ERR when there is none.
    int SelectString(int startAfter, LPCSTR text) const {
        assert(IsWindow());
        return static_cast<int>(
            SendMessageA(*this, CB_SELECTSTRING, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(text)));
    }
    int GetCurSel() const {
        assert(IsWindow());
        return static_cast<int>(SendMessageA(*this, CB_GETCURSEL, 0, 0));
    }

protected:
    void AdjustWindowClass(WNDCLASSA& wc) override { wc.lpszClassName = "ComboBox"; }
};

}  // namespace Casement
