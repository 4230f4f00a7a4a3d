#include "ui/passworddialogs.h"

#include <string>
#include <utility>

#include "crypto/modern_format.h"
#include "crypto/note_format.h"
#include "framework/cstring.h"
#include "image/resources.h"
#include "ui/note_session.h"
#include "ui/text_fit.h"
#include "ui/uitext.h"

namespace {

// A change of password keeps the note's format unless the user picks
// another, so that no note leaves its protection for the default's
// silently; among the choices of the default's format the default is
// offered, as for a new note.
const NoteChoice& StartingChoice() {
    const NoteChoice* current = FindNoteChoice(NoteSession::CurrentKey().cipher);
    return current != nullptr && current->format != DefaultNoteChoice().format ? *current : DefaultNoteChoice();
}

// The message for a password that choice cannot store, naming another
// choice that keeps every character where there is one.
std::string UnfitPasswordMessage(const NoteChoice& choice) {
    std::string message = std::string("密码中有 ") + choice.displayName + " 无法保存的字符。请换一个密码";
    for (const NoteChoice& other : NoteChoices()) {
        if (&other != &choice && other.format->Encoding() == TextEncoding::Utf8)
            return message + "，或选择能保存任何字符的 " + other.displayName + "。";
    }
    return message + "。";
}

}  // namespace

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

void CMyDialog::LeaveEntry() {
    if (m_left)
        return;
    m_left = true;
    SecretString typed = SecretWindowText(m_editPassword);
    if (m_entry != nullptr)
        *m_entry = std::move(typed);
    else
        NoteSession::LeaveEnteredPassword(std::move(typed));
}

void CMyDialog::HandleOK() {
    if (m_check) {
        LeaveEntry();
        SetWindowTextW(m_editPassword, L"");
        EnableWindow(m_editPassword, FALSE);
        EnableWindow(GetDlgItem(*this, IDOK), FALSE);
        EnableWindow(GetDlgItem(*this, IDCANCEL), FALSE);
        SetDlgItemTextW(*this, IDC_PASSWORD_PROMPT, L"正在验证密码，请稍候…");
        UpdateWindow(*this);
        m_check();
    }
    CDialog::HandleOK();
}

void CMyDialog::HandleDestroy() { LeaveEntry(); }

BOOL MyDialog::HandleInitDialog() {
    BindControl(IDC_NEW_PASSWORD, m_editPassword);
    BindControl(IDC_REPEAT_PASSWORD, m_editRepeat);
    m_editPassword.LimitText(static_cast<int>(kPasswordCharacterLimit));
    m_editRepeat.LimitText(static_cast<int>(kPasswordCharacterLimit));
    BindControl(IDC_CIPHER, m_comboCipher);
    for (const NoteChoice& choice : NoteChoices())
        m_comboCipher.AddString(choice.displayName);
    m_comboCipher.SelectString(-1, StartingChoice().displayName);
    SetFocus(m_editPassword);
    return FALSE;
}

const NoteChoice* MyDialog::SelectedChoice() const {
    return NoteChoiceFromDisplayName(ViewText(m_comboCipher).c_str());
}

void MyDialog::HandleOK() {
    const NoteChoice* choice = SelectedChoice();
    if (choice != nullptr) {
        const TextEncoding encoding = choice->format->Encoding();
        if (FindUnfitCharacters(encoding, SecretWideWindowText(m_editPassword)).count != 0 ||
            FindUnfitCharacters(encoding, SecretWideWindowText(m_editRepeat)).count != 0) {
            MessageBoxA(*this, UnfitPasswordMessage(*choice).c_str(), "错误", MB_OK | MB_ICONERROR);
            SetFocus(m_editPassword);
            return;
        }
        // The earlier versions cannot be kept under a legacy cipher.
        if (choice->format != &ModernFormat() && CountOwnKeptVersions() != 0 &&
            MessageBoxA(*this, "旧版本将被删除。是否继续?", "Scribecrypt", MB_YESNO | MB_ICONWARNING) != IDYES) {
            SetFocus(m_comboCipher);
            return;
        }
    }
    CDialog::HandleOK();
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
