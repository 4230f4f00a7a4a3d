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

    SecretString m_password;       // a dialog's entry as UTF-8, only until a key is made from it
    Casement::CString m_cipher;    // the identifier of the note's choice, or empty
    int m_isNewDocument = 0;       // 1 when the image carried no complete document
    int m_passwordsDiffer = 0;     // new-password dialog: the entries differed
    int m_passwordEmpty = 0;       // new-password dialog: both entries were empty
    int m_passwordAccepted = 0;    // new-password dialog: a new password is pending
    // The key saves and the lock seal with; null until a password is
    // accepted or the stored note opened.
    std::shared_ptr<const HeldKey> m_key;
    // The key of the program file's note (often m_key itself); null without one.
    std::shared_ptr<const HeldKey> m_storedKey;
};

// The state of the running application object, which must derive from it.
CDocumentState& GetDocumentState();
