// The editor's only top-level window: the frame with the text view. It
// decodes messages and commands and hands them on: the saves to the save
// unit, locking and the clipboard to the lock unit, search to the search
// unit; it does itself only what concerns the view alone.
#pragma once

#include <string_view>
#include <utility>

#include "crypto/note_format.h"
#include "crypto/wipe.h"
#include "framework/frame.h"
#include "ui/frame_status.h"
#include "ui/note_lock.h"
#include "ui/note_saver.h"
#include "ui/passworddialogs.h"
#include "ui/richview.h"
#include "ui/view_search.h"

class CMainFrame : public Casement::CFrame {
public:
    CMainFrame();
    ~CMainFrame() override = default;

    // The close's save: the view's text through a write-back copy; FALSE,
    // after telling the user, when nothing could be saved.
    BOOL SaveIntoImage() { return m_saver.SaveThroughWriteBack(); }
    BOOL SaveAs() { return m_saver.SaveAs(); }
    BOOL ChangePassword();
    void ChangeFont();
    void ToggleWordWrap();
    BOOL HandleDropFiles(HDROP drop);

    void RefreshMenuItem(UINT id) override;
    BOOL FilterMessage(MSG& msg) override;
    // The note unlocked at start, for the window to show as it is created:
    // before it is visible, so no key or command reaches a view that is
    // still being filled.
    void ShowOnCreation(SecretString text, TextEncoding encoding) {
        m_noteToShow = std::move(text);
        m_noteEncoding = encoding;
    }

protected:
    BOOL HandleCommand(WPARAM wParam, LPARAM lParam) override;
    void HandleClose() override;
    void AfterCreated() override;
    void HandleDestroy() override;
    LRESULT HandleNotify(WPARAM wParam, LPARAM lParam) override;
    // Windows asks before it ends the session (WM_QUERYENDSESSION); the
    // answer keeps it from ending while an edit would be lost. The idle
    // timer, the clipboard's timer and the session and power notices go to
    // the lock; a power notice (WM_POWERBROADCAST) then goes on to the
    // default processing, whose answer the system waits for.
    LRESULT DefaultProcedure(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void AdjustCreateParams(CREATESTRUCTA& cs) override;
    void OnFindReplace(Casement::CFindReplaceDialog& dialog) override;

private:
    // Cut, paste or delete: the control does not mark every change as an
    // edit itself (Wine's cut does not), so the command does.
    void RunEditCommand(UINT id);
    // Replaces the view's text, showing the progress of a long fill; false
    // when the view holds less than all of it.
    bool ShowWholeText(std::string_view text, TextEncoding encoding);
    // Shows the note unlocked at start, unmodified. A note the view cannot
    // hold whole is reported and the frame closes, saving nothing.
    void ShowStoredNote(std::string_view text);
    void CloseFrame() { CFrame::HandleClose(); }
    // 历史版本: the chosen earlier version replaces the view's text as one
    // edit that 撤销 takes back; nothing is written until the user saves.
    void RestoreKeptVersion();

    MyDialog m_newPasswordDialog;
    CRichView m_richView;
    int m_wordWrap = 0;
    SecretString m_noteToShow;
    TextEncoding m_noteEncoding = TextEncoding::LegacyCodePage;
    CFrameStatus m_status{*this, m_richView};
    CViewSearch m_search{m_richView, [this](const std::string& text) {
        if (text.empty())
            m_status.ShowReady();
        else
            m_status.Show(text);
    }};
    CNoteSaver m_saver{*this, m_richView, m_newPasswordDialog, m_status};
    CNoteLock m_lock{*this, m_richView, m_saver, m_status, [this] { m_search.Forget(); }};
};
