// The editor's only top-level window: the frame with the text view, its
// commands and the close sequence that saves the note into the program.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "crypto/wipe.h"
#include "framework/frame.h"
#include "image/checked_image.h"
#include "ui/note_clipboard.h"
#include "ui/passworddialogs.h"
#include "ui/save_steps.h"
#include "ui/richview.h"
#include "ui/view_fill.h"
#include "ui/view_lock.h"
#include "ui/view_search.h"

struct ImageNote;

class CMainFrame : public Casement::CFrame {
public:
    CMainFrame();
    ~CMainFrame() override = default;

    // Saves the view's text into the program through a write-back copy;
    // FALSE, after telling the user, when nothing could be saved, and when
    // the user keeps characters code page 936 cannot hold from being saved.
    BOOL SaveIntoImage();
    // Saves what is unsaved into the program file while the editor keeps
    // running: the text, or a waiting change of password. TRUE when the
    // file then holds the note (or nothing needed saving); FALSE, after
    // telling the user why, when it could not be saved or the user declined.
    BOOL SaveIntoProgramFile();
    BOOL SaveAs();
    BOOL ChangePassword();
    void ChangeFont();
    void ToggleWordWrap();
    BOOL HandleDropFiles(HDROP drop);

    void RefreshMenuItem(UINT id) override;
    // Keyboard and mouse input to the program's windows: it keeps the note
    // from locking when idle, and Enter or a click unlocks a locked note.
    BOOL FilterMessage(MSG& msg) override;
    // The note unlocked at start, for the window to show as it is created:
    // before it is visible, so no key or command reaches a view that is
    // still being filled.
    void ShowOnCreation(SecretString text) { m_noteToShow = std::move(text); }

protected:
    BOOL HandleCommand(WPARAM wParam, LPARAM lParam) override;
    void HandleClose() override;
    void AfterCreated() override;
    void HandleDestroy() override;
    LRESULT HandleNotify(WPARAM wParam, LPARAM lParam) override;
    LRESULT DefaultProcedure(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void AdjustCreateParams(CREATESTRUCTA& cs) override;
    void OnFindReplace(Casement::CFindReplaceDialog& dialog) override;

private:
    // Asks for a new password and cipher until one is given; askAgain
    // decides whether an unfinished entry brings the dialog back.
    PromptOutcome PromptForNewPassword(bool whileModified);
    // A note is never saved readable: without a usable password and cipher,
    // one is asked for first. An empty text needs none unless it is sealed
    // anyway. FALSE when the user gave none.
    BOOL EnsureSealable(bool textIsEmpty, bool sealsEmptyText);
    // Save As in executable form: a copy of the program carrying the text,
    // or carrying its note as it is.
    void WriteLockedExecutable(const std::string& path);
    void WriteExecutable(const std::string& path, const ImageNote& note);
    // Cut, paste or delete: the control does not mark every change as an
    // edit itself (Wine's cut does not), so the command does.
    void RunEditCommand(UINT id);
    // Replaces the view's text, showing the progress of a long fill; false
    // when the view holds less than all of it.
    bool ShowWholeText(std::string_view text);
    // The percentage of a long fill of the view, in the status bar.
    FillProgress OpeningProgress();
    // The percentage of a save, in the status bar.
    SaveProgress SavingProgress();
    // Puts text into the status bar and paints the window, all but the view.
    void ShowProgress(const std::string& text);
    // The status bar's text while nothing is under way.
    void ShowReady();
    void CloseFrame() { CFrame::HandleClose(); }
    // What the user decided about the unsaved note: whether to save it
    // (asking first unless saveAnswer already says), or to keep the window.
    enum class SaveDecision { Save, DoNotSave, Stay };
    SaveDecision DecideOnUnsavedNote(SaveAnswer saveAnswer);
    void RunCloseSequence();
    // Whether the Windows session may end: unsaved changes are saved first
    // when the user wants them kept.
    bool MaySessionEnd();
    // The text a save stores, once the user has accepted what code page
    // 936 cannot hold and the note has a key; nothing when the user
    // declined either.
    std::optional<SecretString> TextToSave();
    // Seals the text with the note's key (or removes an emptied note) and
    // puts it into the program file at once; the view is then unmodified.
    BOOL StoreInProgramFile();
    // Shows the note unlocked at start, unmodified. A note the view cannot
    // hold whole is reported and the frame closes, saving nothing.
    void ShowStoredNote(std::string_view text);
    // The view's and the application's state, as the close and Save As steps need it.
    DocumentFacts CurrentFacts() const;

    // Locking (mainframe_lock.cpp). What locks the note: the user, idle
    // time, or the session locking or the machine going to sleep.
    enum class LockCause { User, Idle, Session };
    void LockNote(LockCause cause);
    // Asks for the password and gives the note back; false while it stays
    // locked.
    bool UnlockNote();
    // A locked note's unsaved change saved as it is, for the end of a
    // session; false when it cannot be saved whole.
    bool SaveLockedNote();
    void StartLockWatch();
    void StopLockWatch();
    // The timers and the system's notices that lock or clear; true when msg
    // was one of them.
    bool HandleLockMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // Copy and cut: the selection goes to the clipboard, which forgets it
    // 30 seconds later.
    void CopySelection(bool cut);
    void ShowLocked();
    bool CommandNeedsText(UINT id) const;

    MyDialog m_newPasswordDialog;
    CViewLock m_lock;
    CNoteClipboard m_clipboard;
    DWORD m_idleLockMs = 0;  // 0: no locking when idle
    bool m_lockWhenAnswered = false;  // the session locked while a question was open
    DWORD m_lastInputAt = 0;
    POINT m_lastMousePosition = {};
    HMODULE m_sessionNotices = nullptr;  // wtsapi32, loaded where it exists
    SecretString m_noteToShow;
    CRichView m_richView;
    int m_wordWrap = 0;
    CViewSearch m_search{m_richView, [this](const std::string& text) {
        if (text.empty())
            ShowReady();
        else
            SetStatusText(text.c_str());
    }};
};
