// The program's application object: it keeps the document's protection
// state, unlocks the stored note at start and owns the frame.
#pragma once

#include <functional>

#include "framework/appcore.h"
#include "ui/document_state.h"
#include "ui/mainframe.h"

class CMyDialog;

class CTextApp : public Casement::CWinApp, public CDocumentState {
public:
    ~CTextApp() override = default;
    // Unlocks the stored document, if there is one, and creates the frame.
    BOOL InitInstance() override;

    CMainFrame m_frame;
    // The enter-password dialog while the start-up shows it, and null
    // otherwise. Nothing reads it; it records the dialog's lifetime for
    // whoever inspects the application object in a debugger.
    CMyDialog* m_pPasswordDialog = nullptr;

private:
    // Shows the enter-password dialog, which leaves what was typed with the
    // note's session and runs open before it closes; false when it was
    // cancelled.
    bool EnterPassword(const std::function<void()>& open);
};
