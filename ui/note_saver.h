// Every save of the note: Ctrl+S and the end of the session put it into
// the program file at once, closing saves it through a write-back copy, a
// locked note is saved as it is when the session ends, and Save As writes a
// copy of the program or a text file. What a copy of the program carries is
// built in one place, from the text and the key.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "crypto/wipe.h"
#include "framework/richedit.h"
#include "image/checked_image.h"
#include "ui/frame_status.h"
#include "ui/note_session.h"
#include "ui/passworddialogs.h"
#include "ui/save_steps.h"

class CNoteSaver {
public:
    // owner is the frame, over which the dialogs open.
    CNoteSaver(const Casement::CWnd& owner, Casement::CRichEdit& view, MyDialog& newPasswordDialog,
               CFrameStatus& status)
        : m_owner(owner), m_view(view), m_newPasswordDialog(newPasswordDialog), m_status(status) {}
    CNoteSaver(const CNoteSaver&) = delete;
    CNoteSaver& operator=(const CNoteSaver&) = delete;

    // Asks for a new password and cipher. After an empty or mismatched
    // entry the dialog comes back, when whileModified only while the view
    // still has unsaved edits.
    PromptOutcome PromptForNewPassword(bool whileModified);

    // What the user decided about the unsaved note: whether to save it
    // (asking first unless save already says), or to keep the window.
    enum class Decision { Save, DoNotSave, Stay };
    Decision DecideOnUnsavedNote(SaveAnswer save);

    // The close's save: the view's text through a write-back copy that
    // replaces the program file once the program has ended. FALSE, after
    // telling the user, when nothing could be saved, and when the user
    // keeps characters code page 936 cannot hold from being saved.
    BOOL SaveThroughWriteBack();
    // Ctrl+S: what is unsaved goes into the program file while the editor
    // keeps running, the text or a waiting change of password. TRUE when
    // the file then holds the note (or nothing needed saving); FALSE, after
    // telling the user why, when it could not be saved or the user declined.
    BOOL SaveNow();
    // Whether the session may end: the open note's unsaved changes are
    // saved into the program file first when the user wants them kept.
    bool SaveForSessionEnd();
    // The locked note's text (as the view held it) saved into the program
    // file as it is, for the end of a session, telling nobody; false when
    // it cannot be saved whole.
    bool SaveLocked(const WipedWideString& viewText, const NoteSession::Key& key);
    // Save As: a copy of the program carrying the note, or a text file,
    // chosen by the name's extension.
    BOOL SaveAs();

private:
    // A note is never saved readable: without a usable key, a password and
    // cipher are asked for first. An empty text needs none unless it is sealed
    // anyway. False when the user gave none.
    bool EnsureSealable(bool textIsEmpty, bool sealsEmptyText);
    // The text a save stores, once the note has a key and then the user
    // has accepted what its encoding cannot hold; nothing when the user
    // declined either.
    std::optional<SecretString> TextToSave();
    // Seals the text with the note's key (or removes an emptied note) and
    // puts it into the program file at once; the view is then unmodified.
    BOOL SaveInPlace();
    // A copy of the program at path carrying note, staged beside the path
    // and checked before it takes the path's place.
    void WriteCopy(const std::string& path, const NoteChange& note);
    // The view's and the session's state, as the save steps need it.
    DocumentFacts CurrentFacts() const;

    const Casement::CWnd& m_owner;
    Casement::CRichEdit& m_view;
    MyDialog& m_newPasswordDialog;
    CFrameStatus& m_status;
};
