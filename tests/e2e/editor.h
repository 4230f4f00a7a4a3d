// One run of the real editor, driven through its windows as a user would.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/program.h"

namespace driver {

// What the editor asks on closing a changed note.
inline const std::wstring kSaveQuestion = L"RiziDuru: 保存文档的更改?";
// What it says once a new password has been chosen for the stored note.
inline const std::wstring kPasswordOnClose = L"Scribecrypt: 在您关闭文档时新密码将被应用。按 Ctrl+S 保存时也会应用新密码。";

class Editor {
public:
    explicit Editor(const ProgramCopy& copy, const std::vector<std::string>& environment = {});

    // Answers the enter-password dialog (when password is given) and waits
    // for the main window and for its note to be in the view, at most
    // noteTimeoutMs for the note. False when either does not come.
    bool Open(const std::wstring& password = L"", DWORD noteTimeoutMs = 60000);
    // The same, looking every pollMs and without waiting for the note, so
    // the view may still be empty.
    bool Unlock(const std::wstring& password, DWORD pollMs = kPollMs);
    // Waits until the note is in the view, looking every pollMs for the
    // frame to be ready and then waiting for the view at most timeoutMs.
    bool WaitForNote(DWORD timeoutMs, DWORD pollMs = kPollMs) const;
    // Waits as WaitForNote, and then until the view holds units UTF-16 units
    // (a line break counting two): false for a view that took only part.
    bool WaitForWholeNote(std::size_t units, DWORD timeoutMs, DWORD pollMs = kPollMs) const;
    // The view's length as WM_GETTEXTLENGTH gives it; nothing while the
    // editor is too busy to answer within a second.
    std::optional<std::size_t> ViewLength() const;
    // False when the program could not even be started.
    bool Started() const { return m_process.Id() != 0; }
    HWND Main() const { return m_main; }
    HWND View() const { return m_view; }
    Process& GetProcess() { return m_process; }

    std::wstring Text() const;
    // The view's text exactly, through the clipboard (it selects all):
    // WM_GETTEXT from another process reaches the view, an ANSI window, in
    // code page 936, which cannot hold every character the view can.
    std::wstring CopiedText() const;
    bool Modified() const;
    // The status bar's first part.
    std::wstring StatusText() const;
    // The view's text while the window stays open with the text marked
    // changed, as after a save that failed or was cancelled; "<closed>" or
    // "<unmodified>" where it is not so.
    std::wstring UnsavedText() const;
    // Types characters into the view, which marks it modified itself.
    void Type(const std::wstring& text) const;
    // Types characters at the end of the note.
    void Append(const std::wstring& text) const;
    // Chooses the save command (Ctrl+S) and waits up to timeoutMs for the
    // view to be unmodified; false when it stays modified.
    bool SaveNow(DWORD timeoutMs = 30000) const;
    // Selects everything and presses Delete.
    void DeleteAll() const;
    // Puts text on the clipboard as Unicode text, as another program does,
    // and pastes it over the whole view with the paste command; true when
    // the view then holds it.
    bool PasteOverAll(const std::wstring& text) const;
    void Command(UINT id) const;
    // Chooses path in the Save As dialog; answers the question about
    // replacing an existing file with replace (0: none is expected).
    void SaveAs(const std::wstring& path, int replace = 0);
    void Close() const;
    // Waits for the end of the program and of the write-back it started.
    DWORD WaitForExit();
    // Closes a note that asks nothing on closing and waits as WaitForExit.
    DWORD CloseUnchanged();
    // Answers the program's message box with button; what it said, as
    // "caption: text".
    std::wstring Answer(int button, DWORD timeoutMs = kWindowTimeoutMs);
    // Closes the window and answers the message box that follows (the
    // question whether to save, or what a save on closing reports) with
    // button; what it said, as Answer.
    std::wstring CloseAnswering(int button);
    // Fills in the new-password dialog and confirms it with button.
    bool AnswerNewPassword(const std::wstring& password, const std::wstring& repeat,
                           const std::wstring& cipherName = L"", int button = IDOK);
    // Chooses the change-password command and answers its dialog with the
    // password entered twice.
    bool ChangePassword(const std::wstring& password, const std::wstring& cipherName, int button = IDOK);

private:
    Process m_process;
    HWND m_main = nullptr;
    HWND m_view = nullptr;
};

// The copy of the program an EditorOnCopy starts on, and the bytes it had
// then; a base class of it, so that it is made before the editor starts.
class StartingCopy {
protected:
    explicit StartingCopy(const std::string& hint);
    StartingCopy(const std::string& hint, const std::string& text, const std::string& password,
                 const std::string& cipher);

    ProgramCopy m_copy;
    std::string m_original;
};

// The start most tests share: the editor on a private copy of the program of
// its own, with a note sealed into it or none, and the note open.
class EditorOnCopy : private StartingCopy, public Editor {
public:
    // A new note: the program as built, which opens without a password.
    explicit EditorOnCopy(const std::string& hint, const std::vector<std::string>& environment = {});
    // text sealed under password with cipher; text and password are in the
    // choice's encoding, as the program stores them (code page 936 for the
    // legacy ciphers, UTF-8 otherwise).
    EditorOnCopy(const std::string& hint, const std::string& text, const std::string& password,
                 const std::string& cipher, const std::vector<std::string>& environment = {});

    // False when the note could not be sealed or the editor did not open it.
    bool Opened() const { return m_opened; }
    const ProgramCopy& Copy() const { return m_copy; }
    // The program's bytes when the editor started.
    const std::string& Original() const { return m_original; }
    bool ProgramUnchanged() const { return m_copy.Bytes() == m_original; }

private:
    bool m_opened;
};

// Starts the copy, opens its note with password and closes it unchanged: the
// note's text, or "<did not open>" or "<did not close>" where that step failed.
std::wstring OpenedText(const ProgramCopy& copy, const std::wstring& password = L"",
                        const std::vector<std::string>& environment = {});
// The same through the clipboard, for a text that code page 936 cannot hold.
std::wstring OpenedExactText(const ProgramCopy& copy, const std::wstring& password);
// The same as OpenedText for a copy of the program image at path.
std::wstring OpenedImageText(const std::string& path, const std::wstring& password);

// A moment KillDuringSave ends the editor at: as soon as the save has a
// staged copy beside the program, instead of a delay.
inline constexpr int kWhileStaging = -1;
// Starts the copy, opens its note with password, appends more, chooses the
// save command and kills the editor moment milliseconds later (or at
// kWhileStaging). False when a step did not happen as asked.
bool KillDuringSave(const ProgramCopy& copy, const std::wstring& password, const std::wstring& more, int moment);

// The clipboard's UTF-16 text; "<empty>" without one, "<busy>" while
// another program holds the clipboard open.
std::wstring ClipboardText();

}  // namespace driver
