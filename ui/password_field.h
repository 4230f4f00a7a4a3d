// A password field that never gives its text to the clipboard. The system's
// edit control is asked to hide the text, yet Wine's copies and cuts it all
// the same: the field takes every way to copy or cut (the messages, the
// keys and the control's own context menu, which offers both) itself.
#pragma once

#include <windows.h>

#include "crypto/wipe.h"
#include "framework/stdcontrols.h"

class CPasswordField : public Casement::CEdit {
public:
    // What the field holds, every character as typed, in a string that
    // wipes itself.
    WipedWideString Text() const;

protected:
    LRESULT WindowProcedure(UINT msg, WPARAM wParam, LPARAM lParam) override;
};
