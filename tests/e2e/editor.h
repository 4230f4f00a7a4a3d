// One run of the real editor, driven through its windows as a user would.
#pragma once

#include <string>
#include <vector>

#include "tests/e2e/program.h"

namespace driver {

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
    // False when the program could not even be started.
    bool Started() const { return m_process.Id() != 0; }
    HWND Main() const { return m_main; }
    HWND View() const { return m_view; }
    Process& GetProcess() { return m_process; }

    std::wstring Text() const;
    bool Modified() const;
    // Types characters into the view, which marks it modified itself.
    void Type(const std::wstring& text) const;
    // Selects everything and presses Delete.
    void DeleteAll() const;
    void Command(UINT id) const;
    void Close() const;
    // Waits for the end of the program and of the write-back it started.
    DWORD WaitForExit();
    // Fills in the new-password dialog and confirms it with button.
    bool AnswerNewPassword(const std::wstring& password, const std::wstring& repeat,
                           const std::wstring& cipherName = L"", int button = IDOK);

private:
    Process m_process;
    HWND m_main = nullptr;
    HWND m_view = nullptr;
};

}  // namespace driver
