#include "ui/mainframe.h"

#include <richedit.h>
#include <shellapi.h>

#include <optional>
#include <string>

#include "crypto/wipe.h"
#include "framework/commondlg.h"
#include "image/resources.h"
#include "ui/about_dialog.h"
#include "ui/history_dialog.h"
#include "ui/lock_steps.h"
#include "ui/note_session.h"
#include "ui/resource_ids.h"
#include "ui/textfile.h"
#include "ui/uitext.h"
#include "ui/view_fill.h"

namespace {

// Says that a text did not fit into the view, how to open it instead, and
// what happens now.
std::string TooLargeMessage(std::size_t bytes, const char* outcome) {
    std::string text = "文档太大，无法完整显示。\n文档大小：" + std::to_string(bytes) + " 字节。\n";
#ifndef _WIN64
    text += "请用 64 位版本的程序打开它。\n";
#endif
    return text + outcome;
}

}  // namespace

// The framework loads the frame's resources, and handles two of its commands,
// by ids of its own.
static_assert(IDR_MAIN == Casement::IDW_MAIN && IDD_ABOUT == Casement::IDW_ABOUT &&
                  IDM_STATUS_BAR == Casement::IDW_VIEWSTATUSBAR && IDS_READY == Casement::IDW_READY &&
                  IDS_CAPS == Casement::IDW_INDICATOR_CAPS && IDS_NUM == Casement::IDW_INDICATOR_NUM &&
                  IDS_SCROLL == Casement::IDW_INDICATOR_SCRL,
              "the resource script uses the framework's ids");

CMainFrame::CMainFrame() { SetView(m_richView); }

void CMainFrame::AdjustCreateParams(CREATESTRUCTA& cs) {
    CFrame::AdjustCreateParams(cs);
    cs.cx = 600;
    cs.cy = 460;
}

void CMainFrame::AfterCreated() {
    DragAcceptFiles(*this, TRUE);
    // The frame shows an empty tool bar by default; the editor has none.
    ToggleToolBar();
    m_lock.Start();
    ShowStoredNote(m_noteToShow.View());
    m_noteToShow = SecretString();
    // The view takes the focus only once it holds the note: Wine's control
    // aborts when its caret is placed while a stream is still laid out, as
    // a focus change arriving during a long fill would do.
    SetFocus(m_richView);
    // The title comes once the note is in the view: what waits for the
    // program to be ready waits for it.
    SetWindowTextA(*this, SCRIBECRYPT_TITLE);
}

bool CMainFrame::ShowWholeText(std::string_view text, TextEncoding encoding) {
    const bool whole = FillView(m_richView, text, encoding, m_status.OpeningProgress());
    m_status.ShowReady();
    return whole;
}

void CMainFrame::ShowStoredNote(std::string_view text) {
    if (!text.empty() && !ShowWholeText(text, m_noteEncoding)) {
        ShowError(TooLargeMessage(text.size(), "程序将关闭，不保存任何内容。").c_str());
        // A save would write the part the view holds and lose the rest.
        CloseFrame();
        return;
    }
    m_richView.SetModify(FALSE);
}

BOOL CMainFrame::HandleCommand(WPARAM wParam, LPARAM) {
    const UINT id = LOWORD(wParam);
    // A copy from a field of the program's own dialogs is note text too.
    if ((id == IDM_COPY || id == IDM_CUT) && m_lock.CopyFromField(GetFocus(), id == IDM_CUT))
        return TRUE;
    if (m_search.ForwardEditCommand(id))
        return TRUE;
    // A locked note offers nothing that needs its text.
    if (m_lock.IsLocked() && !RunsWhileLocked(id))
        return TRUE;
    switch (id) {
    case IDM_LOCK:
        m_lock.ToggleLock();
        return TRUE;
    case IDM_SAVE_AS:
        return SaveAs();
    case IDM_SAVE:
        return m_saver.SaveNow();
    case IDM_HISTORY:
        RestoreKeptVersion();
        return TRUE;
    case IDM_CHANGE_PASSWORD:
        return ChangePassword();
    case IDM_EXIT:
        PostMessageA(*this, WM_CLOSE, 0, 0);
        return TRUE;
    case IDM_UNDO:
        m_richView.Undo();
        return TRUE;
    case IDM_REDO:
        m_richView.Redo();
        return TRUE;
    case IDM_CUT:
    case IDM_PASTE:
    case IDM_CLEAR:
        RunEditCommand(id);
        return TRUE;
    case IDM_COPY:
        m_lock.CopySelection(false);
        return TRUE;
    case IDM_SELECT_ALL:
        m_richView.SelectAll();
        return TRUE;
    case IDM_FIND:
    case IDM_REPLACE:
        m_search.OpenDialog(*this, id == IDM_FIND);
        return TRUE;
    case IDM_FIND_NEXT:
    case IDM_FIND_PREVIOUS:
        m_search.FindAgain(*this, id == IDM_FIND_NEXT);
        return TRUE;
    case IDM_FONT:
        ChangeFont();
        return TRUE;
    case IDM_WORD_WRAP:
        ToggleWordWrap();
        return TRUE;
    case IDM_STATUS_BAR:
        ToggleStatusBar();
        return TRUE;
    case IDM_ABOUT:
        ShowAboutBox(*this);
        return TRUE;
    default:
        return FALSE;
    }
}

void CMainFrame::RestoreKeptVersion() {
    // The versions are opened only now, and wiped when this returns.
    const std::vector<ShownVersion> versions = OpenOwnKeptVersions();
    if (versions.empty())
        return;
    const std::optional<std::size_t> chosen = ChooseKeptVersion(*this, versions);
    if (!chosen)
        return;
    const SecretString& text = *versions[*chosen].text;
    if (ViewCharacters(text.View(), TextEncoding::Utf8) > kViewCharacterLimit) {
        ShowError(TooLargeMessage(text.size(), "文档保持不变。").c_str());
        return;
    }
    m_richView.SelectAll();
    ReplaceSelection(m_richView, WideOfUtf8(text.View()).c_str());
    SendMessageA(m_richView, EM_SETSEL, 0, 0);
    m_richView.SetModify(TRUE);
}

void CMainFrame::RunEditCommand(UINT id) {
    CHARRANGE selection = {};
    SendMessageA(m_richView, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const int length = GetWindowTextLengthW(m_richView);
    if (id == IDM_CUT)
        m_lock.CopySelection(true);
    else if (id == IDM_PASTE)
        m_richView.Paste();
    else
        m_richView.Clear();
    // Replacing a selection, or a text that changed length, is an edit.
    if (selection.cpMin != selection.cpMax || GetWindowTextLengthW(m_richView) != length)
        m_richView.SetModify(TRUE);
}

LRESULT CMainFrame::HandleNotify(WPARAM wParam, LPARAM lParam) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->code == EN_DROPFILES) {
        HandleDropFiles(static_cast<HDROP>(reinterpret_cast<const ENDROPFILES*>(lParam)->hDrop));
        return 1;
    }
    return CFrame::HandleNotify(wParam, lParam);
}

void CMainFrame::OnFindReplace(Casement::CFindReplaceDialog& dialog) { m_search.HandleRequest(dialog); }

BOOL CMainFrame::HandleDropFiles(HDROP drop) {
    // In UTF-16, since the file's folder may have a name that the ANSI code
    // page cannot spell.
    std::wstring path(DragQueryFileW(drop, 0, nullptr, 0) + 1, L'\0');
    path.resize(DragQueryFileW(drop, 0, &path[0], static_cast<UINT>(path.size())));
    std::optional<SecretString> text = ReadTextFile(path);
    if (!text)
        return TRUE;
    const TextEncoding encoding = DropEncodingMark(*text);
    // The note in the view is kept until the file is shown whole, exactly:
    // as UTF-16, since it may hold what the ANSI code page cannot.
    const WipedWideString previous = WideViewText(m_richView);
    const BOOL wasModified = m_richView.GetModify();
    if (ShowWholeText(text->View(), encoding)) {
        // The dropped text replaces the note: an edit to save or discard.
        m_richView.SetModify(TRUE);
        SetWindowTextA(*this, SCRIBECRYPT_TITLE);
        return TRUE;
    }
    ShowError(TooLargeMessage(text->size(), "文档保持不变。").c_str());
    if (RestoreViewText(m_richView, previous)) {
        m_richView.SetModify(wasModified);
    } else {
        // Not even the note fits back: a save would lose part of it.
        CloseFrame();
    }
    return TRUE;
}

void CMainFrame::RefreshMenuItem(UINT id) {
    HMENU menu = GetFrameMenu();
    if (id == IDM_WORD_WRAP)
        CheckMenuItem(menu, IDM_WORD_WRAP, MF_BYCOMMAND | (m_wordWrap == 1 ? MF_CHECKED : MF_UNCHECKED));
    // A new document has no password to change; nor has one emptied of text.
    const bool locked = m_lock.IsLocked();
    const bool canChange = !locked && !NoteSession::IsNew() && GetWindowTextLengthA(m_richView) > 0;
    EnableMenuItem(menu, IDM_CHANGE_PASSWORD, MF_BYCOMMAND | (canChange ? MF_ENABLED : MF_DISABLED));
    // The program file is asked only for the count: nothing is opened.
    if (id == IDM_HISTORY)
        EnableMenuItem(menu, IDM_HISTORY,
                       MF_BYCOMMAND | (!locked && CountOwnKeptVersions() > 0 ? MF_ENABLED : MF_GRAYED));
    else if (id == IDM_LOCK)
        ModifyMenuW(menu, IDM_LOCK, MF_BYCOMMAND | MF_STRING, IDM_LOCK, locked ? L"解锁" : L"锁定\tCtrl+L");
    else if (id != IDM_CHANGE_PASSWORD && !RunsWhileLocked(id))
        EnableMenuItem(menu, id, MF_BYCOMMAND | (locked ? MF_GRAYED : MF_ENABLED));
    CFrame::RefreshMenuItem(id);
}

void CMainFrame::ToggleWordWrap() {
    const BOOL unchanged = !m_richView.GetModify();
    // A line width of 0 wraps at the window edge, 1 turns wrapping off.
    m_richView.SetTargetDevice(m_wordWrap);
    m_wordWrap = 1 - m_wordWrap;
    if (unchanged)
        m_richView.SetModify(FALSE);
}

void CMainFrame::ChangeFont() {
    const BOOL unchanged = !m_richView.GetModify();
    CHARFORMAT2A format = {};
    format.dwMask = CFM_COLOR | CFM_FACE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT |
                    CFM_PROTECTED | CFM_LINK;
    m_richView.GetDefaultCharFormat(format);

    LOGFONTA logFont = {};
    lstrcpynA(logFont.lfFaceName, format.szFaceName, LF_FACESIZE);
    logFont.lfHeight = format.yHeight / 15;
    logFont.lfWeight = (format.dwEffects & CFE_BOLD) ? FW_BOLD : FW_NORMAL;
    logFont.lfItalic = static_cast<BYTE>(format.dwEffects & CFE_ITALIC);

    Casement::CFontDialog dialog(&logFont, CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS);
    if (dialog.DoModal(*this) == IDOK) {
        Casement::CFont font;
        font.CreateFontIndirect(dialog.GetLogFont());
        SendMessageA(m_richView, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(font)), TRUE);
        CHARFORMAT2A colour = {};
        colour.dwMask = CFM_COLOR;
        colour.crTextColor = dialog.GetColor();
        m_richView.SetDefaultCharFormat(colour);
    }
    if (unchanged)
        m_richView.SetModify(FALSE);
}

BOOL CMainFrame::ChangePassword() {
    switch (m_saver.PromptForNewPassword(false)) {
    case PromptOutcome::Accepted:
        MessageBoxA(MessageOwner(), "在您关闭文档时新密码将被应用。按 Ctrl+S 保存时也会应用新密码。", "Scribecrypt",
                    MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL);
        return TRUE;
    case PromptOutcome::Cancelled:
        return FALSE;
    default:
        return TRUE;
    }
}

void CMainFrame::HandleDestroy() {
    m_lock.Stop();
    CFrame::HandleDestroy();
}

void CMainFrame::HandleClose() {
    if (!m_lock.MayClose())
        return;
    switch (m_saver.DecideOnUnsavedNote(std::nullopt)) {
    case CNoteSaver::Decision::DoNotSave:
        CloseFrame();
        return;
    case CNoteSaver::Decision::Stay:
        return;
    case CNoteSaver::Decision::Save:
        if (SaveIntoImage())
            CloseFrame();
        return;
    }
}

BOOL CMainFrame::FilterMessage(MSG& msg) { return m_lock.FilterInput(msg) ? TRUE : CFrame::FilterMessage(msg); }

LRESULT CMainFrame::DefaultProcedure(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_QUERYENDSESSION) {
        const std::optional<bool> lockedAnswer = m_lock.SessionEndAnswer();
        return (lockedAnswer ? *lockedAnswer : m_saver.SaveForSessionEnd()) ? TRUE : FALSE;
    }
    if (m_lock.HandleMessage(msg, wParam))
        return 0;
    return CFrame::DefaultProcedure(msg, wParam, lParam);
}
