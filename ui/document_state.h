// The document's protection state. The application object keeps it; only
// the note's session (ui/note_session.h) reads and writes it, through
// GetDocumentState(), which needs nothing of the application beyond this.
// Everything else asks the session.
#pragma once

#include <memory>

#include "crypto/note_format.h"
#include "crypto/wipe.h"
#include "framework/cstring.h"

class CDocumentState {
public:
    virtual ~CDocumentState() = default;

    SecretString m_password;       // ANSI bytes, never empty once accepted
    Casement::CString m_cipher;    // "AES", "CAMELLIA", "SM4", "SEED" or empty
    int m_isNewDocument = 0;       // 1 when the image carried no complete document
    int m_passwordsDiffer = 0;     // new-password dialog: the entries differed
    int m_passwordEmpty = 0;       // new-password dialog: both entries were empty
    int m_passwordAccepted = 0;    // new-password dialog: a new password is pending
    std::unique_ptr<HeldKey> m_storedKey;  // the key of the program file's note; null without one
};

// The state of the running application object, which must derive from it.
CDocumentState& GetDocumentState();
