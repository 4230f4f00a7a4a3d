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
    // Once, when the first window is up and waits for the user: clears away
    // what earlier saves left in the temporary folder, which may hold many
    // files, so that looking through it never holds up the start.
    BOOL IdleWork(LONG count) override;

    CMainFrame m_frame;
    // The enter-password dialog while the start-up shows it, and null
    // otherwise. Nothing reads it; it records the dialog's lifetime for
    // whoever inspects the application object in a debugger.
    CMyDialog* m_pPasswordDialog = nullptr;

private:
    bool m_temporaryFolderSwept = false;
    // Shows the enter-password dialog, which leaves what was typed with the
    // note's session and runs open before it closes; false when it was
    // cancelled.
    bool EnterPassword(const std::function<void()>& open);
};
