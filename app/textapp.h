// The program's application object: it keeps the document's protection
// state, unlocks the stored note at start and owns the frame.
#pragma once

#include "framework/appcore.h"
#include "ui/document_state.h"
#include "ui/mainframe.h"

class CMyDialog;
struct OwnDocument;

class CTextApp : public Casement::CWinApp, public CDocumentState {
public:
    ~CTextApp() override = default;
    // Unlocks the stored document, if there is one, and creates the frame.
    BOOL InitInstance() override;

    CMainFrame m_frame;
    CMyDialog* m_pPasswordDialog = nullptr;

private:
    // Asks for the password; FALSE when the user gave none.
    BOOL EnterPassword();
    // Selects the cipher from "TYPE" and checks the password against "HMAC";
    // FALSE after telling the user the password is wrong.
    BOOL CheckStoredDocument(const OwnDocument& document);
};

CTextApp& GetTextApp();
