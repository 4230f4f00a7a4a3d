// The program's application object: the document's protection state, read
// and written by the dialogs, the frame and the save paths.
#pragma once

#include "framework/appcore.h"
#include "framework/cstring.h"
#include "ui/mainframe.h"

class CMyDialog;
struct OwnDocument;

class CTextApp : public Casement::CWinApp {
public:
    ~CTextApp() override = default;
    // Unlocks the stored document, if there is one, and creates the frame.
    BOOL InitInstance() override;

    Casement::CString m_password;  // ANSI bytes, never empty once accepted
    Casement::CString m_cipher;    // "AES", "CAMELLIA", "SM4", "SEED" or empty
    int m_isNewDocument = 0;           // 1 when the image carried no complete document
    int m_passwordsDiffer = 0;         // new-password dialog: the entries differed
    int m_passwordEmpty = 0;           // new-password dialog: both entries were empty
    int m_passwordAccepted = 0;        // new-password dialog: a new password is pending
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
