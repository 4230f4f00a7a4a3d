// The editor's only top-level window: the frame with the text view, its
// commands and the close sequence that saves the note into the program.
#pragma once

#include <string>
#include <utility>

#include "crypto/wipe.h"
#include "framework/frame.h"
#include "image/checked_image.h"
#include "ui/passworddialogs.h"
#include "ui/richview.h"
#include "ui/view_fill.h"
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
    BOOL SaveAs();
    BOOL ChangePassword();
    void ChangeFont();
    void ToggleWordWrap();
    BOOL HandleDropFiles(HDROP drop);

    void RefreshMenuItem(UINT id) override;
    // The note unlocked at start, for the window to show as it is created:
    // before it is visible, so no key or command reaches a view that is
    // still being filled.
    void ShowOnCreation(SecretString text) { m_noteToShow = std::move(text); }

protected:
    BOOL HandleCommand(WPARAM wParam, LPARAM lParam) override;
    void HandleClose() override;
    void AfterCreated() override;
    LRESULT HandleNotify(WPARAM wParam, LPARAM lParam) override;
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
    void RunCloseSequence();
    // Shows the note unlocked at start, unmodified. A note the view cannot
    // hold whole is reported and the frame closes, saving nothing.
    void ShowStoredNote(std::string_view text);
    // The view's and the application's state, as the close and Save As steps need it.
    DocumentFacts CurrentFacts() const;

    MyDialog m_newPasswordDialog;
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
