#include "app/textapp.h"

#include <memory>

#include "crypto/cipher_table.h"
#include "crypto/document.h"
#include "image/resources.h"
#include "ui/passworddialogs.h"
#include "ui/uitext.h"

CTextApp& GetTextApp() { return static_cast<CTextApp&>(Casement::GetApp()); }

BOOL CTextApp::EnterPassword() {
    std::unique_ptr<CMyDialog> dialog(new CMyDialog);
    m_pPasswordDialog = dialog.get();
    const INT_PTR result = dialog->DoModal(nullptr);
    dialog.reset();
    m_pPasswordDialog = nullptr;
    // Closing from the title bar after typing counts as an entry.
    return result != IDCANCEL && !m_password.empty();
}

BOOL CTextApp::CheckStoredDocument(const OwnDocument& document) {
    const ImageResource& hmac = document.hmac;
    const ImageResource& type = document.type;
    // An unreadable or empty verifier is not checked, and selects no cipher.
    if (hmac.bytes == nullptr || hmac.size == 0 || type.bytes == nullptr)
        return TRUE;
    const std::string_view cipher = CipherIdentifierFromType(type.bytes, type.size);
    if (!cipher.empty())
        m_cipher = std::string(cipher).c_str();
    if (!PasswordMatchesVerifier(m_password.View(), hmac.bytes, hmac.size)) {
        ShowError("您提供的密码无效。");
        return FALSE;
    }
    return TRUE;
}

BOOL CTextApp::InitInstance() {
    m_isNewDocument = 1;
    const OwnDocument document = LoadOwnDocument();
    if (document.IsComplete()) {
        m_isNewDocument = 0;
        if (!EnterPassword() || !CheckStoredDocument(document))
            return FALSE;
    }
    if (m_frame.CreateDefault(nullptr) == nullptr) {
        ShowError("创建窗口失败");
        return FALSE;
    }
    return TRUE;
}
