// The two password dialogs. Neither shows a message nor decides anything:
// both leave what was typed as their window is destroyed, with the note's
// session or, for an unlock, where the caller wants it.
#pragma once

#include <functional>
#include <utility>

#include "crypto/note_format.h"
#include "crypto/wipe.h"
#include "framework/dialog.h"
#include "framework/stdcontrols.h"
#include "ui/password_field.h"
#include "ui/resource_ids.h"
#include "ui/save_steps.h"

// Asks for the password of the document stored in the program.
class CMyDialog : public Casement::CDialog {
public:
    // What was typed becomes the note's password, as at start-up.
    CMyDialog() : CDialog(IDD_ENTER_PASSWORD) { MakeUnicode(); }
    // What was typed goes to entry instead and the key stays in place, so a
    // save that comes while the dialog is open still has it.
    explicit CMyDialog(SecretString& entry) : CDialog(IDD_ENTER_PASSWORD), m_entry(&entry) { MakeUnicode(); }
    ~CMyDialog() override = default;

    // Work that OK runs once it has left what was typed, while the dialog
    // stays up and says that it is working (a key derivation can take a
    // while); the dialog ends when it is done.
    void CheckBeforeClosing(std::function<void()> check) { m_check = std::move(check); }

protected:
    BOOL HandleInitDialog() override;
    void HandleOK() override;
    void HandleDestroy() override;

private:
    void LeaveEntry();

    CPasswordField m_editPassword;
    SecretString* m_entry = nullptr;  // null: the note's password
    std::function<void()> m_check;
    bool m_left = false;  // what was typed is already left
};

// Asks for a new password twice and for a cipher. It starts at the default
// choice, or at the note's own where that is of another format, and refuses
// a password that the chosen format cannot store as typed.
class MyDialog : public Casement::CDialog {
public:
    MyDialog() : CDialog(IDD_NEW_PASSWORD) { MakeUnicode(); }
    ~MyDialog() override = default;

protected:
    BOOL HandleInitDialog() override;
    // Ends the dialog unless a field holds a character the chosen format
    // cannot store; then it says so and stays with its entries.
    void HandleOK() override;
    void HandleDestroy() override;

private:
    // The choice the cipher list shows; null while it shows none.
    const NoteChoice* SelectedChoice() const;

    CPasswordField m_editPassword;
    CPasswordField m_editRepeat;
    Casement::CComboBox m_comboCipher;
};

// Shows the new-password dialog until a password is accepted, reporting an
// empty or mismatched entry each time; askAgain decides whether to show it
// again after such an entry. A dialog that did not end with OK leaves the
// password, the cipher and the pending flag as they were.
PromptOutcome RunNewPasswordPrompt(MyDialog& dialog, HWND owner, const std::function<bool()>& askAgain);
