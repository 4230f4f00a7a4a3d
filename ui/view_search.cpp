#include "ui/view_search.h"

#include <dlgs.h>
#include <richedit.h>

#include "ui/resource_ids.h"
#include "ui/uitext.h"

namespace {

TextRange ViewSelection(HWND view) {
    CHARRANGE range = {};
    SendMessageA(view, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return {static_cast<std::size_t>(range.cpMin), static_cast<std::size_t>(range.cpMax)};
}

WipedWideString Widened(const WipedString& text) {
    WipedWideString wide(text.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(Casement::kWindowCodePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], static_cast<int>(wide.size()))));
    return wide;
}

WipedString Narrowed(std::wstring_view text) {
    WipedString narrow(text.size() * 2, '\0');
    narrow.resize(static_cast<std::size_t>(WideCharToMultiByte(Casement::kWindowCodePage, 0, text.data(), static_cast<int>(text.size()),
                                                               &narrow[0], static_cast<int>(narrow.size()), nullptr,
                                                               nullptr)));
    return narrow;
}

// The selected text when it can be a search term: within one line and short
// enough for the dialog's field; empty otherwise.
WipedString SelectionAsTerm(HWND view) {
    const TextRange selection = ViewSelection(view);
    if (selection.end <= selection.start)
        return WipedString();
    const WipedWideString text = WideViewText(view);
    if (selection.end > text.size())
        return WipedString();
    const std::wstring_view selected = std::wstring_view(text).substr(selection.start, selection.end - selection.start);
    if (selected.find(L'\r') != std::wstring_view::npos)
        return WipedString();
    WipedString term = Narrowed(selected);
    // The dialog's field takes at most 255 bytes.
    return term.size() < 256 ? term : WipedString();
}

// The message that does an edit command in an edit control.
UINT EditControlMessage(UINT command) {
    switch (command) {
    case IDM_UNDO:
        return WM_UNDO;
    case IDM_CUT:
        return WM_CUT;
    case IDM_COPY:
        return WM_COPY;
    case IDM_PASTE:
        return WM_PASTE;
    case IDM_CLEAR:
        return WM_CLEAR;
    case IDM_SELECT_ALL:
        return EM_SETSEL;
    default:
        return 0;
    }
}

}  // namespace

CViewSearch::CViewSearch(Casement::CRichEdit& view, std::function<void(const std::string&)> showStatus)
    : m_view(view), m_showStatus(std::move(showStatus)) {}

void CViewSearch::OpenDialog(HWND owner, bool findOnly) {
    const WipedString selected = SelectionAsTerm(m_view);
    if (!selected.empty())
        m_term = selected;
    if (m_dialog.IsWindow() && (m_dialog.IsFindOnly() != FALSE) != findOnly)
        m_dialog.DestroyHandle();
    if (m_dialog.IsWindow()) {
        if (!selected.empty())
            m_dialog.SetFindString(m_term.c_str());
        SetForegroundWindow(m_dialog);
        SetFocus(GetDlgItem(m_dialog, edt1));
        return;
    }
    // A found text stays visible while the dialog has the focus.
    SendMessageA(m_view, EM_SETOPTIONS, ECOOP_OR, ECO_NOHIDESEL);
    const DWORD flags = FR_DOWN | (m_matchCase ? FR_MATCHCASE : 0) | (m_wholeWord ? FR_WHOLEWORD : 0);
    m_dialog.Create(findOnly, m_term.c_str(), m_replacement.c_str(), flags, owner);
}

void CViewSearch::FindAgain(HWND owner, bool down) {
    if (m_term.empty())
        OpenDialog(owner, true);
    else
        FindNext(down);
}

void CViewSearch::HandleRequest(const Casement::CFindReplaceDialog& dialog) {
    if (dialog.IsTerminating())
        return;
    m_term = dialog.FindWhat();
    m_replacement = dialog.ReplaceWith();
    m_matchCase = dialog.MatchCase() != FALSE;
    m_wholeWord = dialog.MatchWholeWord() != FALSE;
    // The replace dialog has no direction: it always goes down.
    const bool down = !dialog.IsFindOnly() || dialog.SearchDown();
    if (dialog.ReplaceAll())
        ReplaceAll();
    else if (dialog.ReplaceCurrent())
        ReplaceCurrent();
    else if (dialog.FindNext())
        FindNext(down);
}

BOOL CViewSearch::ForwardEditCommand(UINT id) const {
    const HWND focus = GetFocus();
    const UINT message = EditControlMessage(id);
    if (message == 0 || !m_dialog.IsWindow() || focus == nullptr || !IsChild(m_dialog, focus))
        return FALSE;
    SendMessageA(focus, message, 0, message == EM_SETSEL ? -1 : 0);
    return TRUE;
}

WipedWideString CViewSearch::WideTerm() const { return Widened(m_term); }

SearchOptions CViewSearch::OptionsFor(bool down) const { return SearchOptions{m_matchCase, m_wholeWord, down}; }

bool CViewSearch::FindNext(bool down) {
    const WipedWideString text = WideViewText(m_view);
    const WipedWideString term = WideTerm();
    const std::optional<FoundMatch> found = TextSearch(text, term, OptionsFor(down)).FindFrom(ViewSelection(m_view));
    if (!found) {
        ReportNotFound();
        return false;
    }
    SelectAndShow(m_view, found->range.start, found->range.end);
    if (found->wrapped)
        m_showStatus(down ? "已到达文档末尾，从开头继续查找" : "已到达文档开头，从末尾继续查找");
    else
        m_showStatus(std::string());
    return true;
}

void CViewSearch::ReplaceCurrent() {
    const WipedWideString text = WideViewText(m_view);
    const WipedWideString term = WideTerm();
    if (TextSearch(text, term, OptionsFor(true)).IsMatch(ViewSelection(m_view))) {
        ReplaceSelection(m_view, Widened(m_replacement).c_str());
        m_view.SetModify(TRUE);
    }
    FindNext(true);
}

void CViewSearch::ReplaceAll() {
    const WipedWideString text = WideViewText(m_view);
    const Replacement change = ReplaceEveryMatch(text, WideTerm(), Widened(m_replacement), OptionsFor(true));
    if (change.count == 0) {
        ReportNotFound();
        return;
    }
    SelectAndShow(m_view, change.replaced.start, change.replaced.end);
    ReplaceSelection(m_view, change.text.c_str());
    m_view.SetModify(TRUE);
    m_showStatus("已替换 " + std::to_string(change.count) + " 处");
}

void CViewSearch::ReportNotFound() const {
    const HWND owner = m_dialog.IsWindow() ? m_dialog.GetHwnd() : GetParent(m_view);
    MessageBoxA(owner, ("找不到“" + m_term + "”").c_str(), "Scribecrypt", MB_OK | MB_ICONINFORMATION);
}

void CViewSearch::Forget() {
    // The dialog overwrites its texts as it goes.
    if (m_dialog.IsWindow())
        m_dialog.DestroyHandle();
    // Short texts live inside the strings, where no allocator wipes them.
    WipeString(m_term);
    WipeString(m_replacement);
}
