#include "framework/commondlg.h"

#include <dlgs.h>

#include <algorithm>
#include <cstddef>
#include <cassert>
#include <cstring>

#include "framework/cexception.h"

namespace Casement {

namespace {

// The record size the system expects: the extended fields exist from
// Windows 5.00 on. Both records hold pointers, so their sizes differ between
// the 32-bit and the 64-bit layout; the assertions pin each to the size the
// system of that architecture checks.
constexpr DWORD kOpenFileNameSize400 = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
constexpr DWORD kOpenFileNameSize500 = sizeof(OPENFILENAMEA);
#ifdef _WIN64
static_assert(kOpenFileNameSize400 == 136 && kOpenFileNameSize500 == 152, "OPENFILENAMEA of 64-bit Windows");
static_assert(sizeof(CHOOSEFONTA) == 104, "CHOOSEFONTA of 64-bit Windows");
#else
static_assert(kOpenFileNameSize400 == 76 && kOpenFileNameSize500 == 88, "OPENFILENAMEA of 32-bit Windows");
static_assert(sizeof(CHOOSEFONTA) == 60, "CHOOSEFONTA of 32-bit Windows");
#endif

// Overwrites an edit control's text in its own buffer, one character at a
// time: Wine's control copies what a replacement removes to a buffer it
// frees unwiped, so larger replacements would leave the text behind. All
// characters before the one replaced are single-byte filler, so its index
// is the same in characters and in bytes.
void OverwriteField(HWND field) {
    if (field == nullptr)
        return;
    const int length = GetWindowTextLengthW(field);
    for (int at = 0; at < length; ++at) {
        SendMessageA(field, EM_SETSEL, static_cast<WPARAM>(at), at + 1);
        SendMessageA(field, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("x"));
    }
    SendMessageA(field, EM_EMPTYUNDOBUFFER, 0, 0);
}

// A zero-separated filter list is looked at within this many characters.
constexpr size_t kFilterSearchLength = MAX_PATH;
constexpr size_t kStyleNameLength = 80;

// Major × 100 + minor; the old platform family (high bit) counts 1000 less.
int WindowsVersion() {
    const DWORD version = GetVersion();
    int number = LOBYTE(LOWORD(version)) * 100 + HIBYTE(LOWORD(version));
    if (version & 0x80000000)
        number -= 1000;
    return number;
}

bool EndsInSeparator(const std::string& folder) {
    if (folder.empty())
        return false;
    // The last character, not the last byte: in a double-byte code page the
    // trail byte of a character may have the value of '\\'.
    const char* begin = folder.c_str();
    const char* last = CharPrevA(begin, begin + folder.size());
    return last + 1 == begin + folder.size() && (*last == '\\' || *last == '/');
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return EndsInSeparator(folder) ? folder + name : folder + "\\" + name;
}

}  // namespace

UINT_PTR CALLBACK CCommonDialog::CommonDialogHookProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* pCommonDlg = static_cast<CCommonDialog*>(GetApp().GetCWndFromMap(window));
    if (pCommonDlg == nullptr) {
        // The first message of the dialog: its object waits in the thread
        // record.
        // A modeless dialog lets go of its object when it is destroyed;
        // the system may still pass it its very last message.
        if (msg == WM_NCDESTROY)
            return 0;
        TLSData* pTLSData = GetApp().GetThreadRecord();
        assert(pTLSData);
        pCommonDlg = static_cast<CCommonDialog*>(pTLSData->pWnd);
        assert(pCommonDlg);
        if (pCommonDlg == nullptr)
            return 0;
        pTLSData->pWnd = nullptr;
        pCommonDlg->BindDialog(window);
    }
    try {
        return static_cast<UINT_PTR>(pCommonDlg->DialogProcedure(msg, wParam, lParam));
    } catch (...) {
        KeepPendingException();
        // Cancelling makes the system call return, after which DoModal
        // rethrows. An explorer-style hook runs in a child of the dialog.
        PostMessageA(GetAncestor(window, GA_ROOT), WM_COMMAND, IDCANCEL, 0);
        return 0;
    }
}

void CCommonDialog::HandOver() {
    assert(!IsWindow());
    UnbindDialog();
    GetApp().GetThreadRecord()->pWnd = this;
}

void CCommonDialog::TakeBack() {
    GetApp().GetThreadRecord()->pWnd = nullptr;
    UnbindDialog();
}

CFileDialog::CFileDialog(BOOL openFileDialog, LPCSTR defaultExtension, LPCSTR fileName, DWORD flags,
                         LPCSTR filter, HWND owner)
    : m_bOpenFileDialog(openFileDialog), m_strFileName(fileName != nullptr ? fileName : "") {
    // The extended fields (FlagsEx stays 0) are given only to systems that
    // know them.
    m_OFN.lStructSize = WindowsVersion() >= 500 ? kOpenFileNameSize500 : kOpenFileNameSize400;
    m_OFN.hwndOwner = owner;
    m_OFN.hInstance = GetApp().GetInstanceHandle();
    m_OFN.Flags = flags;
    m_OFN.lpstrDefExt = defaultExtension;
    m_OFN.lpfnHook = CommonDialogHookProc;
    SetFilter(filter, filter != nullptr ? std::strlen(filter) + 1 : 0);

    // The name buffer, and the title and custom-filter buffers a caller may
    // give through the record, hold at least a path. The name buffer counts
    // bytes, and the longest path Windows allows takes two bytes a character
    // in a double-byte code page.
    m_OFN.nMaxFile = std::max<DWORD>(2 * MAX_PATH, static_cast<DWORD>(m_strFileName.size() + 1));
    m_OFN.nMaxFileTitle = MAX_PATH;
    m_OFN.nMaxCustFilter = MAX_PATH;
}

void CFileDialog::SetFilter(LPCSTR filter, size_t size) {
    m_strFilter.clear();
    if (filter == nullptr)
        size = 0;
    const size_t firstLength = size != 0 ? strnlen(filter, size) : 0;
    if (firstLength != 0 && std::memchr(filter, '|', firstLength) != nullptr) {
        m_strFilter.assign(filter, firstLength);
        std::replace(m_strFilter.begin(), m_strFilter.end(), '|', '\0');
        // The list ends in an empty string: with the terminator of c_str()
        // this makes the double zero whether or not the text ended in "|".
        m_strFilter.push_back('\0');
    } else {
        const size_t searched = std::min(size, kFilterSearchLength);
        for (size_t i = 0; i + 1 < searched; ++i) {
            if (filter[i] == '\0' && filter[i + 1] == '\0') {
                m_strFilter.assign(filter, i + 1);
                break;
            }
        }
    }
    m_OFN.lpstrFilter = m_strFilter.empty() ? nullptr : m_strFilter.c_str();
}

void CFileDialog::SetTitle(LPCSTR title) {
    m_strTitle = title != nullptr ? title : "";
    m_OFN.lpstrTitle = m_strTitle.empty() ? nullptr : m_strTitle.c_str();
}

void CFileDialog::SetInitialFolder(LPCSTR folder) {
    m_strInitialFolder = folder != nullptr ? folder : "";
    m_OFN.lpstrInitialDir = m_strInitialFolder.empty() ? nullptr : m_strInitialFolder.c_str();
}

INT_PTR CFileDialog::DoModal(HWND owner) {
    if (owner != nullptr)
        m_OFN.hwndOwner = owner;
    m_strFileName.resize(m_OFN.nMaxFile, '\0');
    m_OFN.lpstrFile = &m_strFileName[0];
    m_pathNames.clear();

    HandOver();
    const BOOL chosen = m_bOpenFileDialog ? GetOpenFileNameA(&m_OFN) : GetSaveFileNameA(&m_OFN);
    const DWORD error = chosen ? 0 : CommDlgExtendedError();
    TakeBack();

    if (chosen)
        ReadChosenPaths();
    m_strFileName.resize(std::strlen(m_strFileName.c_str()));
    m_OFN.lpstrFile = nullptr;
    RethrowPendingException();

    if (chosen) {
        HandleOK();
        return IDOK;
    }
    // A dialog without OFN_EXPLORER reports a dialog failure when cancelled.
    if (error == 0 || (error == CDERR_DIALOGFAILURE && !(m_OFN.Flags & OFN_EXPLORER))) {
        HandleCancel();
        return IDCANCEL;
    }
    throw CWinException("CFileDialog::DoModal Failed", static_cast<int>(error));
}

void CFileDialog::ReadChosenPaths() {
    const char* buffer = m_strFileName.c_str();
    if (!(m_OFN.Flags & OFN_ALLOWMULTISELECT)) {
        m_pathNames.emplace_back(buffer);
        return;
    }

    // Explorer-style: folder, names, each zero-terminated, then an empty
    // string. Old-style: one string, folder and names separated by blanks.
    std::vector<std::string> parts;
    if (m_OFN.Flags & OFN_EXPLORER) {
        for (const char* part = buffer; *part != '\0'; part += std::strlen(part) + 1)
            parts.emplace_back(part);
    } else {
        const std::string text(buffer);
        for (size_t start = 0; start < text.size();) {
            const size_t blank = std::min(text.find(' ', start), text.size());
            if (blank > start)
                parts.push_back(text.substr(start, blank - start));
            start = blank + 1;
        }
    }

    // One chosen file comes as its full path alone.
    if (parts.size() == 1) {
        m_pathNames = parts;
        return;
    }
    for (size_t i = 1; i < parts.size(); ++i)
        m_pathNames.push_back(JoinPath(parts[0], parts[i]));
}

INT_PTR CCommonDialog::DefaultDialogProcedure(UINT msg, WPARAM wParam, LPARAM /*lParam*/) {
    if (msg == WM_INITDIALOG)
        return HandleInitDialog();
    if (msg == WM_COMMAND && LOWORD(wParam) == pshHelp)
        HandleHelp();
    return 0;
}

INT_PTR CFileDialog::DefaultDialogProcedure(UINT msg, WPARAM wParam, LPARAM lParam) {
    const RegisteredMessages& registered = GetRegisteredMessages();
    if (msg == registered.help) {
        HandleHelp();
        return 0;
    }
    if (msg == registered.listSelChanged) {
        HandleListSelectionChange(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    }
    if (msg == registered.shareViolation)
        return HandleShareViolation(reinterpret_cast<LPCSTR>(lParam));
    if (msg == registered.fileNameOk)
        return CheckFileName();

    if (msg == WM_NOTIFY && (m_OFN.Flags & OFN_EXPLORER)) {
        const LRESULT result = HandleFileNotification(*reinterpret_cast<const OFNOTIFYA*>(lParam));
        // The dialog reads answers such as a rejected name from here.
        SetWindowLongPtrA(GetHwnd(), DWLP_MSGRESULT, result);
        return result;
    }
    return CCommonDialog::DefaultDialogProcedure(msg, wParam, lParam);
}

LRESULT CFileDialog::HandleFileNotification(const OFNOTIFYA& notification) {
    switch (notification.hdr.code) {
    case CDN_INITDONE:
        HandleInitDone();
        return 0;
    case CDN_SELCHANGE:
        HandleSelectionChange();
        return 0;
    case CDN_FOLDERCHANGE:
        HandleFolderChange();
        return 0;
    case CDN_SHAREVIOLATION:
        return HandleShareViolation(notification.pszFile);
    case CDN_HELP:
        HandleHelp();
        return 0;
    case CDN_FILEOK:
        return CheckFileName();
    case CDN_TYPECHANGE:
        HandleTypeChange();
        return 0;
    default:
        return 0;
    }
}

CFontDialog::CFontDialog(const LOGFONTA* initial, DWORD flags) {
    if (initial != nullptr)
        m_logFont = *initial;
    m_CF.lStructSize = sizeof m_CF;
    m_CF.lpLogFont = &m_logFont;
    m_CF.Flags = flags;
    m_CF.hInstance = GetApp().GetInstanceHandle();
    m_CF.lpfnHook = CommonDialogHookProc;
}

INT_PTR CFontDialog::DoModal(HWND owner) {
    m_CF.hwndOwner = owner;
    m_strStyleName.assign(kStyleNameLength + 1, '\0');
    m_CF.lpszStyle = &m_strStyleName[0];

    HandOver();
    const BOOL chosen = ChooseFontA(&m_CF);
    const DWORD error = chosen ? 0 : CommDlgExtendedError();
    TakeBack();

    m_strStyleName.resize(std::strlen(m_strStyleName.c_str()));
    m_CF.lpszStyle = nullptr;
    RethrowPendingException();

    if (chosen) {
        HandleOK();
        return IDOK;
    }
    if (error != 0 && error != CDERR_DIALOGFAILURE)
        throw CWinException("CFontDialog::DoModal Failed", static_cast<int>(error));
    HandleCancel();
    return IDCANCEL;
}

INT_PTR CFontDialog::DefaultDialogProcedure(UINT msg, WPARAM wParam, LPARAM /*lParam*/) {
    if (msg == WM_INITDIALOG)
        HandleInitDialog();
    else if (msg == WM_COMMAND && LOWORD(wParam) == pshHelp)
        HandleHelp();
    return 0;
}

CFindReplaceDialog::CFindReplaceDialog() {
    m_FR.lStructSize = sizeof m_FR;
    m_FR.hInstance = GetApp().GetInstanceHandle();
    m_FR.lpstrFindWhat = m_findWhat;
    m_FR.lpstrReplaceWith = m_replaceWith;
    m_FR.wFindWhatLen = kTextLength;
    m_FR.wReplaceWithLen = kTextLength;
    m_FR.lpfnHook = CommonDialogHookProc;
    m_FR.lCustData = reinterpret_cast<LPARAM>(this);
}

HWND CFindReplaceDialog::Create(BOOL findOnly, LPCSTR findWhat, LPCSTR replaceWith, DWORD flags, HWND owner) {
    m_bFindOnly = findOnly;
    lstrcpynA(m_findWhat, findWhat != nullptr ? findWhat : "", kTextLength);
    lstrcpynA(m_replaceWith, replaceWith != nullptr ? replaceWith : "", kTextLength);
    m_FR.hwndOwner = owner;
    // The hook binds this object; the system's own procedure does the rest.
    m_FR.Flags = flags | FR_ENABLEHOOK;

    HandOver();
    MarkModeless();
    const HWND window = findOnly ? FindTextA(&m_FR) : ReplaceTextA(&m_FR);
    if (window == nullptr) {
        const DWORD error = CommDlgExtendedError();
        TakeBack();
        RethrowPendingException();
        throw CWinException("CFindReplaceDialog::Create Failed", static_cast<int>(error));
    }
    GetApp().GetThreadRecord()->pWnd = nullptr;
    RethrowPendingException();
    return window;
}

CFindReplaceDialog* CFindReplaceDialog::FromRequest(LPARAM lParam) {
    // Only a record of this class carries the object in lCustData.
    const auto* request = reinterpret_cast<const FINDREPLACEA*>(lParam);
    if (request == nullptr || request->lpfnHook != CommonDialogHookProc)
        return nullptr;
    return reinterpret_cast<CFindReplaceDialog*>(request->lCustData);
}

void CFindReplaceDialog::SetFindString(LPCSTR text) { SetDlgItemTextA(GetHwnd(), edt1, text); }

void CFindReplaceDialog::WipeTexts() {
    if (IsWindow()) {
        OverwriteField(GetDlgItem(GetHwnd(), edt1));
        OverwriteField(GetDlgItem(GetHwnd(), edt2));
    }
    SecureZeroMemory(m_findWhat, sizeof m_findWhat);
    SecureZeroMemory(m_replaceWith, sizeof m_replaceWith);
}

INT_PTR CFindReplaceDialog::DefaultDialogProcedure(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        // The fields still exist; their buffers would keep the texts once freed.
        WipeTexts();
        HandleDestroy();
        UnbindDialog();
        return 0;
    }
    // The system's procedure acts on the buttons.
    return CCommonDialog::DefaultDialogProcedure(msg, wParam, lParam);
}

}  // namespace Casement
