// A locked note: the view's text sealed in memory under the note's key and
// the view emptied, with what it takes to give the view back exactly as it
// was (the selection, the scroll position and whether it was modified).
#pragma once

#include <windows.h>

#include <richedit.h>

#include <memory>
#include <optional>

#include "crypto/note_format.h"
#include "crypto/wipe.h"
#include "ui/note_session.h"

class CViewLock {
public:
    bool IsLocked() const { return m_sealed.has_value(); }
    // Whether the locked text has changes no save has taken yet.
    BOOL WasModified() const { return m_modified; }
    // A save took the locked text: unlocked, the view is unmodified.
    void MarkSaved() { m_modified = FALSE; }
    // Seals the view's text under key as its choice seals a note (no key
    // is derived), overwrites the view's text in place and empties the
    // view, giving up its undo history. False, with the view untouched,
    // when the text cannot be sealed.
    bool Lock(HWND view, const NoteSession::Key& key);
    // Opens the text under the key it was sealed with and gives the view
    // its text, selection, scroll position and modified state back. False,
    // still locked, when the view cannot hold the text again.
    bool Unlock(HWND view);
    // The locked text itself, for a save that cannot wait for an unlock.
    WipedWideString LockedText() const;

private:
    // The view's text (as UTF-8), sealed as the key's choice seals a note.
    std::optional<SealedNote> m_sealed;
    const NoteChoice* m_choice = nullptr;
    std::shared_ptr<const HeldKey> m_key;
    CHARRANGE m_selection = {};
    POINT m_scroll = {};
    BOOL m_modified = FALSE;
};
