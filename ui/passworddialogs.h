// The two password dialogs. Neither shows a message nor decides anything:
// both leave what was typed with the note's session as their window is
// destroyed.
#pragma once

#include <functional>

#include "framework/dialog.h"
#include "framework/stdcontrols.h"
#include "ui/resource_ids.h"
#include "ui/save_steps.h"

// Asks for the password of the document stored in the program.
class CMyDialog : public Casement::CDialog {
public:
    CMyDialog() : CDialog(IDD_ENTER_PASSWORD) {}
    ~CMyDialog() override = default;

protected:
    BOOL HandleInitDialog() override;
    void HandleDestroy() override;

private:
    Casement::CEdit m_editPassword;
};

// Asks for a new password twice and for a cipher.
class MyDialog : public Casement::CDialog {
public:
    MyDialog() : CDialog(IDD_NEW_PASSWORD) {}
    ~MyDialog() override = default;

protected:
    BOOL HandleInitDialog() override;
    void HandleDestroy() override;

private:
    Casement::CEdit m_editPassword;
    Casement::CEdit m_editRepeat;
    Casement::CComboBox m_comboCipher;
};

// Shows the new-password dialog until a password is accepted, reporting an
// empty or mismatched entry each time; askAgain decides whether to show it
// again after such an entry. A dialog that did not end with OK leaves the
// password, the cipher and the pending flag as they were.
PromptOutcome RunNewPasswordPrompt(MyDialog& dialog, HWND owner, const std::function<bool()>& askAgain);
