// Small helpers the editor's windows share.
#pragma once

#include <windows.h>

#include "framework/cstring.h"
#include "framework/wincore.h"

// An error message box of the program: system-modal, owned by the window
// in front.
inline void ShowError(LPCSTR text) {
    MessageBoxA(GetForegroundWindow(), text, "错误", MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);
}

// A window's whole text as ANSI bytes.
inline Casement::CString ViewText(const Casement::CWnd& view) {
    Casement::CString text;
    text.ReadWindowText(view);
    return text;
}
