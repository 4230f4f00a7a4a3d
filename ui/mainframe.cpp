#include "ui/mainframe.h"

#include <richedit.h>
#include <shellapi.h>

#include "app/textapp.h"
#include "crypto/cipher_table.h"
#include "crypto/document.h"
#include "crypto/wipe.h"
#include "framework/commondlg.h"
#include "image/resources.h"
#include "image/self_save.h"
#include "ui/textfile.h"
#include "ui/uitext.h"

namespace {

constexpr char kTitle[] = "Scribecrypt v1.0.6";

enum Command : UINT {
    kSaveIntoImage = 123,
    kSaveAs = 124,
    kExit = 127,
    kUndo = 130,
    kRedo = 131,
    kCut = 132,
    kCopy = 133,
    kPaste = 134,
    kClear = 135,
    kFont = 140,
    kWordWrap = 141,
    kStatusBar = 44,
    kAbout = 150,
    kChangePassword = 32772,
};

}  // namespace

CMainFrame::CMainFrame() { SetView(m_richView); }

void CMainFrame::AdjustCreateParams(CREATESTRUCTA& cs) {
    CFrame::AdjustCreateParams(cs);
    cs.cx = 600;
    cs.cy = 460;
}

void CMainFrame::AfterCreated() {
    DragAcceptFiles(*this, TRUE);
    SetWindowTextA(*this, kTitle);
    SetFocus(m_richView);
    // The frame shows an empty tool bar by default; the editor has none.
    ToggleToolBar();
    const Casement::CString& cipher = GetTextApp().m_cipher;
    if (FindCipher(cipher.c_str()) != nullptr)
        UnsealDocument(cipher);
    m_richView.SetModify(FALSE);
}

void CMainFrame::UnsealDocument(const Casement::CString& cipher) {
    const ImageResource data = LoadOwnPacket("DATA");
    if (data.bytes == nullptr)
        return;
    std::string text = UnsealDocumentData(data.bytes, data.size, GetTextApp().m_password.c_str(), cipher.c_str());
    SetWindowTextA(m_richView, text.c_str());
    WipeString(text);
}

BOOL CMainFrame::HandleCommand(WPARAM wParam, LPARAM) {
    switch (LOWORD(wParam)) {
    case kSaveAs:
        return SaveAs();
    case kSaveIntoImage:
        return SaveIntoImage();
    case kChangePassword:
        return ChangePassword();
    case kExit:
        PostMessageA(*this, WM_CLOSE, 0, 0);
        return TRUE;
    case kUndo:
        m_richView.Undo();
        return TRUE;
    case kRedo:
        m_richView.Redo();
        return TRUE;
    case kCut:
        m_richView.Cut();
        return TRUE;
    case kCopy:
        m_richView.Copy();
        return TRUE;
    case kPaste:
        m_richView.Paste();
        return TRUE;
    case kClear:
        m_richView.Clear();
        return TRUE;
    case kFont:
        ChangeFont();
        return TRUE;
    case kWordWrap:
        ToggleWordWrap();
        return TRUE;
    case kStatusBar:
        ToggleStatusBar();
        return TRUE;
    case kAbout:
        ShowAboutDialog();
        return TRUE;
    default:
        return FALSE;
    }
}

LRESULT CMainFrame::HandleNotify(WPARAM wParam, LPARAM lParam) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->code == EN_DROPFILES) {
        HandleDropFiles(static_cast<HDROP>(reinterpret_cast<const ENDROPFILES*>(lParam)->hDrop));
        return 1;
    }
    return CFrame::HandleNotify(wParam, lParam);
}

BOOL CMainFrame::HandleDropFiles(HDROP drop) {
    char path[MAX_PATH] = {};
    DragQueryFileA(drop, 0, path, MAX_PATH);
    if (LoadTextFile(m_richView, path))
        SetWindowTextA(*this, kTitle);
    return TRUE;
}

void CMainFrame::RefreshMenuItem(UINT id) {
    const CTextApp& app = GetTextApp();
    HMENU menu = GetFrameMenu();
    if (id == kWordWrap)
        CheckMenuItem(menu, kWordWrap, MF_BYCOMMAND | (m_wordWrap == 1 ? MF_CHECKED : MF_UNCHECKED));
    // A new document has no password to change; nor has one emptied of text.
    const bool canChange = app.m_isNewDocument == 0 && GetWindowTextLengthA(m_richView) > 0;
    EnableMenuItem(menu, kChangePassword, MF_BYCOMMAND | (canChange ? MF_ENABLED : MF_DISABLED));
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

PromptOutcome CMainFrame::PromptForNewPassword(bool whileModified) {
    return RunNewPasswordPrompt(m_newPasswordDialog, *this,
                                [this, whileModified] { return !whileModified || m_richView.GetModify(); });
}

BOOL CMainFrame::ChangePassword() {
    switch (PromptForNewPassword(false)) {
    case PromptOutcome::Accepted:
        MessageBoxA(MessageOwner(), "在您关闭文档时新密码将被应用。", "Scribecrypt",
                    MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL);
        return TRUE;
    case PromptOutcome::Cancelled:
        return FALSE;
    default:
        return TRUE;
    }
}

BOOL CMainFrame::EnsureSealable(const Casement::CString& text, bool sealsEmptyText) {
    const CTextApp& app = GetTextApp();
    if ((text.IsEmpty() && !sealsEmptyText) ||
        (FindCipher(app.m_cipher.c_str()) != nullptr && !app.m_password.IsEmpty()))
        return TRUE;
    return PromptForNewPassword(false) == PromptOutcome::Accepted;
}

BOOL CMainFrame::SaveIntoImage() {
    const Casement::CString text = ViewText(m_richView);
    if (!EnsureSealable(text, false))
        return FALSE;
    const CTextApp& app = GetTextApp();
    if (!SaveThroughTemporaryImage(text.c_str(), app.m_password.c_str(), app.m_cipher.c_str())) {
        ShowError("无法保存文档。");
        // The next close asks again, so No always lets the user leave.
        m_richView.SetModify(TRUE);
        return FALSE;
    }
    return TRUE;
}

void CMainFrame::HandleClose() { RunCloseSequence(); }

void CMainFrame::RunCloseSequence() {
    CTextApp& app = GetTextApp();
    // A password changed without further edits is applied on closing.
    if (app.m_passwordAccepted && !m_richView.GetModify()) {
        if (SaveIntoImage()) {
            app.m_passwordAccepted = 0;
            CloseFrame();
        }
        return;
    }
    if (!m_richView.GetModify()) {
        CloseFrame();
        return;
    }
    if (MessageBoxA(MessageOwner(), "保存文档的更改?", "RiziDuru",
                    MB_YESNO | MB_ICONWARNING | MB_SYSTEMMODAL) != IDYES) {
        CloseFrame();
        return;
    }
    if (app.m_isNewDocument == 0) {
        if (SaveIntoImage())
            CloseFrame();
        return;
    }
    // An empty new document is never saved.
    if (GetWindowTextLengthA(m_richView) == 0)
        m_richView.SetModify(FALSE);
    if (!m_richView.GetModify()) {
        CloseFrame();
        return;
    }
    switch (PromptForNewPassword(true)) {
    case PromptOutcome::Accepted:
        if (SaveIntoImage())
            CloseFrame();
        return;
    case PromptOutcome::GaveUp:
        CloseFrame();
        return;
    default:
        // Cancelled or closed: the window stays open with the text.
        return;
    }
}
