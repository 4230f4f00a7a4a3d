// What the editor puts on the clipboard: plain text marked so that Windows'
// clipboard history and cloud clipboard leave it out, and taken off again
// (its memory wiped) while the clipboard still holds it and nothing else.
#pragma once

#include <windows.h>

#include "crypto/wipe.h"

class CNoteClipboard {
public:
    // Puts text on the clipboard for owner; false when the clipboard could
    // not be opened or take it.
    bool Put(HWND owner, const WipedWideString& text);
    // Empties the clipboard when what Put put there is still all it holds;
    // what another program placed there since stays.
    void Forget(HWND owner);

private:
    // The clipboard's sequence number once Put had closed it; 0 when the
    // clipboard holds nothing of the editor's.
    DWORD m_sequence = 0;
};
