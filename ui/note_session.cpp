#include "ui/note_session.h"

#include <string>
#include <utility>

#include "image/resources.h"
#include "ui/document_state.h"

namespace NoteSession {

namespace {

void SetCipher(CDocumentState& state, std::string_view cipher) {
    if (!cipher.empty())
        state.m_cipher = std::string(cipher).c_str();
}

}  // namespace

Key CurrentKey() {
    const CDocumentState& state = GetDocumentState();
    return Key{state.m_password.View(), state.m_cipher.c_str()};
}

bool CanSeal(const Key& key) { return FindNoteChoice(key.cipher) != nullptr && !key.password.empty(); }

bool IsNew() { return GetDocumentState().m_isNewDocument != 0; }

bool HasPendingChange() { return GetDocumentState().m_passwordAccepted != 0; }

void PendingChangeApplied() { GetDocumentState().m_passwordAccepted = 0; }

void NoteSaved(const NoteChange& note) {
    CDocumentState& state = GetDocumentState();
    PendingChangeApplied();
    state.m_storedKey.reset();
    if (note.kind != NoteChange::Kind::Sealed)
        return;
    state.m_isNewDocument = 0;
    const NoteChoice* choice = FindNoteChoice(note.cipher);
    state.m_storedKey = (choice != nullptr ? *choice->format : DefaultNoteFormat()).MakeKey(note.password);
}

Reopen CheckUnlockPassword(bool answered, std::string_view entered, const Key& key) {
    if (!answered || entered.empty())
        return Reopen::NoPassword;
    const HeldKey* stored = GetDocumentState().m_storedKey.get();
    const bool matches = entered == key.password || (stored != nullptr && stored->Format().KeyMatches(*stored, entered));
    return matches ? Reopen::Opened : Reopen::WrongPassword;
}

void LeaveEnteredPassword(SecretString password) { GetDocumentState().m_password = std::move(password); }

void LeaveNewPasswordEntries(SecretString password, const SecretString& repeat, std::string_view cipher) {
    CDocumentState& state = GetDocumentState();
    state.m_passwordsDiffer = 0;
    state.m_passwordEmpty = 0;
    state.m_passwordAccepted = 0;
    // Two empty fields match, so emptiness is reported as such.
    if (repeat != password) {
        state.m_passwordsDiffer = 1;
        return;
    }
    if (password.empty()) {
        state.m_passwordEmpty = 1;
        return;
    }
    state.m_passwordAccepted = 1;
    state.m_password = std::move(password);
    SetCipher(state, cipher);
}

PromptOutcome RunNewPasswordPrompt(const std::function<INT_PTR()>& show,
                                   const std::function<void(const char* problem)>& report,
                                   const std::function<bool()>& askAgain) {
    CDocumentState& state = GetDocumentState();
    for (;;) {
        // The dialog leaves what was typed whatever ended it; only OK may
        // change the key.
        SecretString previousPassword = state.m_password.Copy();
        const Casement::CString previousCipher = state.m_cipher;
        const int previousAccepted = state.m_passwordAccepted;
        const INT_PTR result = show();
        if (result != IDOK) {
            state.m_password = std::move(previousPassword);
            state.m_cipher = previousCipher;
            state.m_passwordAccepted = previousAccepted;
            if (result == IDCANCEL) {
                state.m_passwordEmpty = 0;
                state.m_passwordsDiffer = 0;
                return PromptOutcome::Cancelled;
            }
            return PromptOutcome::Closed;
        }
        if (state.m_passwordEmpty || state.m_passwordsDiffer) {
            report(state.m_passwordEmpty ? "密码不能为空。" : "您所输入的密码不匹配。");
            state.m_passwordEmpty = 0;
            state.m_passwordsDiffer = 0;
        } else if (state.m_passwordAccepted) {
            return PromptOutcome::Accepted;
        }
        if (!askAgain())
            return PromptOutcome::GaveUp;
    }
}

Unlocked UnlockStoredNote(const std::function<bool()>& askPassword) {
    CDocumentState& state = GetDocumentState();
    const StoredEntries entries = OwnNoteEntries();
    // A partial set of entries counts as no note at all.
    const bool whole = IsWholeSet(entries);
    state.m_isNewDocument = whole ? 0 : 1;
    Unlocked unlocked;
    if (!whole)
        return unlocked;
    if (!askPassword() || state.m_password.empty()) {
        unlocked.outcome = Unlock::NoPassword;
        return unlocked;
    }
    NoteFormat::Opening opening = StoredFormat(entries)->OpenOwnNote(entries, state.m_password.View());
    if (opening.choice != nullptr)
        SetCipher(state, opening.choice->identifier);
    if (opening.wrongPassword) {
        unlocked.outcome = Unlock::WrongPassword;
        return unlocked;
    }
    unlocked.outcome = Unlock::Opened;
    state.m_storedKey = std::move(opening.key);
    unlocked.text = std::move(opening.text);
    unlocked.encoding = StoredFormat(entries)->Encoding();
    return unlocked;
}

}  // namespace NoteSession
