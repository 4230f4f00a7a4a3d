#include "ui/passworddialogs.h"

#include <utility>

#include "crypto/note_format.h"
#include "framework/cstring.h"
#include "ui/note_session.h"
#include "ui/uitext.h"

// The caret starts in the password field, so the dialog is answered from
// the keyboard alone: typing, then Enter for the default button. Returning
// FALSE keeps the system from moving the focus to the first tab stop, the
// OK button.
BOOL CMyDialog::HandleInitDialog() {
    BindControl(IDC_PASSWORD, m_editPassword);
    m_editPassword.LimitText(static_cast<int>(kPasswordCharacterLimit));
    // It opens before the program has any other window: in front, the
    // keys typed at start-up reach it.
    SetForegroundWindow(*this);
    SetFocus(m_editPassword);
    return FALSE;
}

void CMyDialog::HandleDestroy() {
    SecretString typed = SecretWindowText(m_editPassword);
    if (m_entry != nullptr)
        *m_entry = std::move(typed);
    else
        NoteSession::LeaveEnteredPassword(std::move(typed));
}

BOOL MyDialog::HandleInitDialog() {
    BindControl(IDC_NEW_PASSWORD, m_editPassword);
    BindControl(IDC_REPEAT_PASSWORD, m_editRepeat);
    m_editPassword.LimitText(static_cast<int>(kPasswordCharacterLimit));
    m_editRepeat.LimitText(static_cast<int>(kPasswordCharacterLimit));
    BindControl(IDC_CIPHER, m_comboCipher);
    for (const NoteChoice& choice : NoteChoices())
        m_comboCipher.AddString(choice.displayName);
    m_comboCipher.SelectString(1, DefaultNoteChoice().displayName);
    SetFocus(m_editPassword);
    return FALSE;
}

void MyDialog::HandleDestroy() {
    const NoteChoice* choice = NoteChoiceFromDisplayName(ViewText(m_comboCipher).c_str());
    NoteSession::LeaveNewPasswordEntries(SecretWindowText(m_editPassword), SecretWindowText(m_editRepeat),
                                         choice != nullptr ? choice->identifier : "");
}

PromptOutcome RunNewPasswordPrompt(MyDialog& dialog, HWND owner, const std::function<bool()>& askAgain) {
    return NoteSession::RunNewPasswordPrompt([&] { return dialog.DoModal(owner); },
                                             [](const char* problem) { ShowError(problem); }, askAgain);
}
