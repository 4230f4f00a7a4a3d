#include "ui/passworddialogs.h"

#include <utility>

#include "crypto/cipher_table.h"
#include "framework/cstring.h"
#include "ui/document_state.h"
#include "ui/uitext.h"

namespace {

constexpr int kMaxPasswordCharacters = 512;

}  // namespace

// The caret starts in the password field, so the dialog is answered from
// the keyboard alone: typing, then Enter for the default button. Returning
// FALSE keeps the system from moving the focus to the first tab stop, the
// OK button.
BOOL CMyDialog::HandleInitDialog() {
    BindControl(IDC_PASSWORD, m_editPassword);
    m_editPassword.LimitText(kMaxPasswordCharacters);
    // It opens before the program has any other window: in front, the
    // keys typed at start-up reach it.
    SetForegroundWindow(*this);
    SetFocus(m_editPassword);
    return FALSE;
}

void CMyDialog::HandleDestroy() { GetDocumentState().m_password = SecretWindowText(m_editPassword); }

BOOL MyDialog::HandleInitDialog() {
    BindControl(IDC_NEW_PASSWORD, m_editPassword);
    BindControl(IDC_REPEAT_PASSWORD, m_editRepeat);
    m_editPassword.LimitText(kMaxPasswordCharacters);
    m_editRepeat.LimitText(kMaxPasswordCharacters);
    BindControl(IDC_CIPHER, m_comboCipher);
    for (const CipherEntry& entry : kCipherTable)
        m_comboCipher.AddString(entry.displayName);
    m_comboCipher.SelectString(1, kCipherTable[0].displayName);
    SetFocus(m_editPassword);
    return FALSE;
}

void MyDialog::HandleDestroy() {
    CDocumentState& app = GetDocumentState();
    app.m_passwordsDiffer = 0;
    app.m_passwordEmpty = 0;
    app.m_passwordAccepted = 0;
    // Two empty fields match, so emptiness is reported as such.
    SecretString password = SecretWindowText(m_editPassword);
    if (SecretWindowText(m_editRepeat) != password) {
        app.m_passwordsDiffer = 1;
        return;
    }
    if (password.empty()) {
        app.m_passwordEmpty = 1;
        return;
    }
    app.m_passwordAccepted = 1;
    app.m_password = std::move(password);
    const std::string_view cipher = CipherIdentifierFromDisplayName(ViewText(m_comboCipher).c_str());
    if (!cipher.empty())
        app.m_cipher = std::string(cipher).c_str();
}

PromptOutcome RunNewPasswordPrompt(MyDialog& dialog, HWND owner, const std::function<bool()>& askAgain) {
    CDocumentState& app = GetDocumentState();
    for (;;) {
        // The dialog takes what was typed whatever ended it; only OK may
        // change the password.
        SecretString previousPassword = app.m_password.Copy();
        const Casement::CString previousCipher = app.m_cipher;
        const int previousAccepted = app.m_passwordAccepted;
        const INT_PTR result = dialog.DoModal(owner);
        if (result != IDOK) {
            app.m_password = std::move(previousPassword);
            app.m_cipher = previousCipher;
            app.m_passwordAccepted = previousAccepted;
            if (result == IDCANCEL) {
                app.m_passwordEmpty = 0;
                app.m_passwordsDiffer = 0;
                return PromptOutcome::Cancelled;
            }
            return PromptOutcome::Closed;
        }
        if (app.m_passwordEmpty || app.m_passwordsDiffer) {
            ShowError(app.m_passwordEmpty ? "密码不能为空。" : "您所输入的密码不匹配。");
            app.m_passwordEmpty = 0;
            app.m_passwordsDiffer = 0;
        } else if (app.m_passwordAccepted) {
            return PromptOutcome::Accepted;
        }
        if (!askAgain())
            return PromptOutcome::GaveUp;
    }
}
