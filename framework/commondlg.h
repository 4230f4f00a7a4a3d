// The system's common dialogs: file open and save, font selection, and the
// modeless find and replace dialogs. Each object binds to the dialog through
// the common-dialog hook when the caller's flags enable the hook
// (OFN_ENABLEHOOK, CF_ENABLEHOOK; always for find and replace), and routes
// the dialog's notifications to virtual operations.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "framework/dialog.h"

namespace Casement {

class CCommonDialog : public CDialog {
protected:
    CCommonDialog() = default;

    // The system closes its common dialogs itself.
    void HandleCancel() override {}
    BOOL HandleInitDialog() override { return TRUE; }
    void HandleOK() override {}
    // The help button, or the help message of an old-style dialog.
    virtual void HandleHelp() {}
    // What the file and find dialogs do with their first message and their
    // help button; 0, leaving the message to the system, for any other.
    INT_PTR DefaultDialogProcedure(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // The hook procedure of every common dialog; it binds the object on the
    // dialog's first message the way dialogs are bound.
    static UINT_PTR CALLBACK CommonDialogHookProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

    // Around the system call that runs the dialog: hand this object to the
    // hook's first message, then unbind again.
    void HandOver();
    void TakeBack();
};

class CFileDialog : public CCommonDialog {
public:
    // filter is "description|pattern|..."; a list in the system's form
    // needs its size, so it goes through SetFilter.
    explicit CFileDialog(BOOL openFileDialog = TRUE, LPCSTR defaultExtension = nullptr,
                         LPCSTR fileName = nullptr, DWORD flags = 0, LPCSTR filter = nullptr,
                         HWND owner = nullptr);

    // IDOK or IDCANCEL; an extended error other than a cancel throws
    // CWinException "CFileDialog::DoModal Failed" with the code as extra.
    // A null owner keeps the one given at construction.
    INT_PTR DoModal(HWND owner) override;

    // The chosen path (with multiple selection, what precedes the names).
    const std::string& GetPathName() const { return m_strFileName; }
    // Every chosen path, each name joined to its folder.
    const std::vector<std::string>& GetPathNames() const { return m_pathNames; }
    // Either "description|pattern|..." or the system's list of
    // zero-terminated strings ending in an empty one. Nothing is read past
    // size bytes (the caller's storage, sizeof a literal); a list with no
    // empty string within them leaves the dialog without a filter.
    void SetFilter(LPCSTR filter, size_t size);
    void SetTitle(LPCSTR title);
    void SetInitialFolder(LPCSTR folder);
    // The record the system is given, for settings without an operation.
    OPENFILENAMEA& GetOFN() { return m_OFN; }

protected:
    virtual void HandleSelectionChange() {}
    // TRUE rejects the chosen name and keeps the dialog open.
    virtual BOOL CheckFileName() { return FALSE; }
    virtual void HandleFolderChange() {}
    virtual void HandleInitDone() {}
    // An old-style dialog's list box selection changed: the list's control
    // id, the item and the CD_LB... code.
    virtual void HandleListSelectionChange(UINT /*controlId*/, UINT /*item*/, UINT /*code*/) {}
    // A chosen file is in use elsewhere; the result is an OFN_SHARE... answer.
    virtual UINT HandleShareViolation(LPCSTR /*path*/) { return 0; }
    virtual void HandleTypeChange() {}

    INT_PTR DefaultDialogProcedure(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT HandleFileNotification(const OFNOTIFYA& notification);
    // Splits the name buffer after a multiple selection into full paths.
    void ReadChosenPaths();

    OPENFILENAMEA m_OFN = {};
    BOOL m_bOpenFileDialog;
    std::string m_strFileName;
    std::string m_strFilter;
    std::string m_strTitle;
    std::string m_strInitialFolder;
    std::vector<std::string> m_pathNames;
};

class CFontDialog : public CCommonDialog {
public:
    // Starts from a copy of initial (or an all-zero font).
    explicit CFontDialog(const LOGFONTA* initial = nullptr,
                         DWORD flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS);

    // IDOK or IDCANCEL; an extended error other than a cancel throws
    // CWinException "CFontDialog::DoModal Failed" with the code as extra.
    INT_PTR DoModal(HWND owner) override;

    const LOGFONTA& GetLogFont() const { return m_logFont; }
    COLORREF GetColor() const { return m_CF.rgbColors; }
    // The chosen style, filled in only with CF_USESTYLE.
    const std::string& GetStyleName() const { return m_strStyleName; }
    CHOOSEFONTA& GetChooseFont() { return m_CF; }

protected:
    INT_PTR DefaultDialogProcedure(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    CHOOSEFONTA m_CF = {};
    LOGFONTA m_logFont = {};
    std::string m_strStyleName;
};

// The system's modeless find or replace dialog. Its requests reach the owner
// window as the registered message "commdlg_FindReplace" with the dialog's
// FINDREPLACEA record; FromRequest finds the object behind one. While the
// dialog is open the message loop gives it its keyboard navigation. The
// texts it was given or took are overwritten as the dialog goes.
class CFindReplaceDialog : public CCommonDialog {
public:
    CFindReplaceDialog();
    // The dialog goes while this object can still take its last messages.
    ~CFindReplaceDialog() override { DestroyHandle(); }

    // Opens the find dialog (findOnly) or the replace dialog with these
    // texts and FR_ flags (FR_DOWN, FR_MATCHCASE, FR_WHOLEWORD...). Throws
    // CWinException "CFindReplaceDialog::Create Failed" with the extended
    // error as extra when the system makes no dialog.
    HWND Create(BOOL findOnly, LPCSTR findWhat, LPCSTR replaceWith, DWORD flags, HWND owner);
    // The object that sent a "commdlg_FindReplace" message, given its
    // lParam; null for a dialog of another kind.
    static CFindReplaceDialog* FromRequest(LPARAM lParam);

    BOOL IsFindOnly() const { return m_bFindOnly; }
    // Puts text into the dialog's search field.
    void SetFindString(LPCSTR text);

    // The last request, as the dialog left it in the record.
    std::string GetFindString() const { return m_FR.lpstrFindWhat; }
    std::string GetReplaceString() const { return m_FR.lpstrReplaceWith; }
    // The same without a copy, for a caller that wipes what it keeps.
    LPCSTR FindWhat() const { return m_FR.lpstrFindWhat; }
    LPCSTR ReplaceWith() const { return m_FR.lpstrReplaceWith; }
    BOOL SearchDown() const { return (m_FR.Flags & FR_DOWN) != 0; }
    BOOL MatchCase() const { return (m_FR.Flags & FR_MATCHCASE) != 0; }
    BOOL MatchWholeWord() const { return (m_FR.Flags & FR_WHOLEWORD) != 0; }
    BOOL FindNext() const { return (m_FR.Flags & FR_FINDNEXT) != 0; }
    BOOL ReplaceCurrent() const { return (m_FR.Flags & FR_REPLACE) != 0; }
    BOOL ReplaceAll() const { return (m_FR.Flags & FR_REPLACEALL) != 0; }
    // The dialog is closing; it is destroyed after this request.
    BOOL IsTerminating() const { return (m_FR.Flags & FR_DIALOGTERM) != 0; }

protected:
    INT_PTR DefaultDialogProcedure(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // Overwrites both texts, in the record and in the open dialog's fields.
    void WipeTexts();

    // The longest text either field takes, with its terminator.
    static constexpr WORD kTextLength = 256;

    FINDREPLACEA m_FR = {};
    char m_findWhat[kTextLength] = {};
    char m_replaceWith[kTextLength] = {};
    BOOL m_bFindOnly = TRUE;
};

}  // namespace Casement
