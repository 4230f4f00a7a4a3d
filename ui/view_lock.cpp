#include "ui/view_lock.h"

#include <richedit.h>

#include "ui/uitext.h"

namespace {

constexpr LPARAM kUsualUndoLimit = 100;

// UTF-8 holds every character the view can and no zero byte, so it can be
// sealed as a note's text is.
SecretString Utf8Of(const WipedWideString& text) {
    const int units = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
    SecretString utf8 = SecretString::OfLength(static_cast<std::size_t>(bytes));
    WideCharToMultiByte(CP_UTF8, 0, text.data(), units, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

WipedWideString WideOf(std::string_view utf8) {
    const int bytes = static_cast<int>(utf8.size());
    WipedWideString text(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), bytes, nullptr, 0)),
                         L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), bytes, text.data(), static_cast<int>(text.size()));
    return text;
}

// The control's own buffers keep what is deleted from them: without undo,
// the text is first replaced by filler of the same length, whose pieces
// take the places the text's had, and only then deleted.
void OverwriteAndEmpty(HWND view, std::size_t units) {
    SendMessageA(view, EM_SETUNDOLIMIT, 0, 0);
    const WipedWideString filler(units, L'x');
    SETTEXTEX replace = {ST_DEFAULT, kUnicodeCodePage};
    SendMessageA(view, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&replace), reinterpret_cast<LPARAM>(filler.c_str()));
    SendMessageA(view, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&replace), reinterpret_cast<LPARAM>(L""));
    SendMessageA(view, EM_EMPTYUNDOBUFFER, 0, 0);
}

}  // namespace

bool CViewLock::Lock(HWND view, const NoteSession::Key& key) {
    const WipedWideString text = WideViewText(view);
    const NoteChoice* choice = FindNoteChoice(key.cipher);
    std::optional<SealedNote> sealed =
        choice != nullptr ? choice->format->Seal(*choice, Utf8Of(text).View(), key.password) : std::nullopt;
    if (!sealed)
        return false;
    m_choice = choice;
    SendMessageA(view, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&m_selection));
    SendMessageA(view, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&m_scroll));
    m_modified = SendMessageA(view, EM_GETMODIFY, 0, 0) != 0;
    m_sealed = std::move(sealed);
    OverwriteAndEmpty(view, text.size());
    SendMessageA(view, EM_SETREADONLY, TRUE, 0);
    return true;
}

WipedWideString CViewLock::LockedText(const NoteSession::Key& key) const {
    if (!m_sealed)
        return WipedWideString();
    return WideOf(m_choice->format->Open(*m_choice, EntriesOf(*m_sealed), key.password).View());
}

bool CViewLock::Unlock(HWND view, const NoteSession::Key& key) {
    if (!m_sealed)
        return true;
    SendMessageA(view, EM_SETREADONLY, FALSE, 0);
    if (!RestoreViewText(view, LockedText(key))) {
        OverwriteAndEmpty(view, static_cast<std::size_t>(GetWindowTextLengthW(view)));
        SendMessageA(view, EM_SETREADONLY, TRUE, 0);
        return false;
    }
    SendMessageA(view, EM_SETUNDOLIMIT, kUsualUndoLimit, 0);
    SendMessageA(view, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&m_selection));
    SendMessageA(view, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&m_scroll));
    SendMessageA(view, EM_SETMODIFY, m_modified, 0);
    m_sealed.reset();
    return true;
}
