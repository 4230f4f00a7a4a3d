#include "ui/view_lock.h"

#include <richedit.h>

#include <algorithm>

#include "ui/uitext.h"

namespace {

constexpr LPARAM kUsualUndoLimit = 100;

// The control's own buffers keep what is deleted from them. Without undo,
// each paragraph is first replaced by filler of the same length, which the
// control writes into that paragraph's own storage, and only then is the
// text deleted. Replacing the whole text at once would merge the paragraphs
// and free all but one of them with their text still in place.
void OverwriteAndEmpty(HWND view, const WipedWideString& text) {
    SendMessageA(view, EM_SETUNDOLIMIT, 0, 0);
    // Hidden, the control changes each paragraph without scrolling to it
    // and drawing it: many times faster under Wine.
    const bool focused = GetFocus() == view;
    ShowWindow(view, SW_HIDE);
    // Every paragraph's filler is the end of this one.
    const WipedWideString filler(text.size(), L'x');
    SETTEXTEX replace = {ST_SELECTION, kUnicodeCodePage};
    const auto setRange = [&](std::size_t start, std::size_t end, const wchar_t* with) {
        CHARRANGE range = {static_cast<LONG>(start), static_cast<LONG>(end)};
        SendMessageA(view, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        SendMessageA(view, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&replace), reinterpret_cast<LPARAM>(with));
    };
    const auto overwrite = [&](std::size_t at, std::size_t length) {
        if (length > 0)
            setRange(at, at + length, filler.c_str() + filler.size() - length);
    };
    // The view is worked from its first paragraph, which is dropped once the
    // next one holds filler, so the control only ever looks near its start
    // for the place to change: finding a character further in takes it a
    // walk over every paragraph before it. Joining the first paragraph to
    // the next frees the next one's storage, which holds filler by then.
    std::size_t first = std::min(text.find(L'\r'), text.size());
    overwrite(0, first);
    for (std::size_t start = first + 1; start < text.size();) {
        const std::size_t end = std::min(text.find(L'\r', start), text.size());
        overwrite(first + 1, end - start);
        setRange(0, first + 1, L"");
        first = end - start;
        start = end + 1;
    }
    replace.flags = ST_DEFAULT;
    SendMessageA(view, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&replace), reinterpret_cast<LPARAM>(L""));
    SendMessageA(view, EM_EMPTYUNDOBUFFER, 0, 0);
    ShowWindow(view, SW_SHOWNA);
    if (focused)
        SetFocus(view);
}

}  // namespace

bool CViewLock::Lock(HWND view, const NoteSession::Key& key) {
    if (!NoteSession::CanSeal(key))
        return false;
    const WipedWideString text = WideViewText(view);
    std::optional<SealedNote> sealed = key.choice->format->SealWith(*key.choice, Utf8Of(text).View(), *key.held);
    if (!sealed)
        return false;
    m_choice = key.choice;
    m_key = key.held;
    SendMessageA(view, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&m_selection));
    SendMessageA(view, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&m_scroll));
    m_modified = SendMessageA(view, EM_GETMODIFY, 0, 0) != 0;
    m_sealed = std::move(sealed);
    OverwriteAndEmpty(view, text);
    SendMessageA(view, EM_SETREADONLY, TRUE, 0);
    return true;
}

WipedWideString CViewLock::LockedText() const {
    if (!m_sealed)
        return WipedWideString();
    return WideOfUtf8(m_choice->format->OpenWith(*m_choice, EntriesOf(*m_sealed), *m_key).View());
}

bool CViewLock::Unlock(HWND view) {
    if (!m_sealed)
        return true;
    SendMessageA(view, EM_SETREADONLY, FALSE, 0);
    if (!RestoreViewText(view, LockedText())) {
        OverwriteAndEmpty(view, WideViewText(view));
        SendMessageA(view, EM_SETREADONLY, TRUE, 0);
        return false;
    }
    SendMessageA(view, EM_SETUNDOLIMIT, kUsualUndoLimit, 0);
    SendMessageA(view, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&m_selection));
    SendMessageA(view, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&m_scroll));
    SendMessageA(view, EM_SETMODIFY, m_modified, 0);
    m_sealed.reset();
    m_key.reset();
    return true;
}
