#include "ui/note_session.h"

#include <string>
#include <utility>

#include "crypto/legacy_format.h"
#include "image/resources.h"
#include "ui/document_state.h"
#include "ui/note_encoding.h"
#include "ui/wait_cursor.h"

namespace NoteSession {

namespace {

void SetCipher(CDocumentState& state, std::string_view cipher) {
    if (!cipher.empty())
        state.m_cipher = std::string(cipher).c_str();
}

// The format a new key is made in: that of the note's choice, or the
// default one while there is none.
const NoteFormat& ChosenFormat(const CDocumentState& state) {
    const NoteChoice* choice = FindNoteChoice(state.m_cipher.c_str());
    return choice != nullptr ? *choice->format : DefaultNoteFormat();
}

bool Matches(const HeldKey* key, std::string_view entered) {
    return key != nullptr && key->Format().KeyMatches(*key, PasswordFor(key->Format(), entered).View());
}

}  // namespace

Key CurrentKey() {
    const CDocumentState& state = GetDocumentState();
    return Key{state.m_cipher.c_str(), FindNoteChoice(state.m_cipher.c_str()), state.m_key};
}

std::shared_ptr<const HeldKey> StoredKey() { return GetDocumentState().m_storedKey; }

bool CanSeal(const Key& key) {
    return key.choice != nullptr && key.held != nullptr && &key.held->Format() == key.choice->format;
}

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
    state.m_storedKey = note.key;
}

Reopen CheckUnlockPassword(bool answered, std::string_view entered, const Key& key) {
    if (!answered || entered.empty())
        return Reopen::NoPassword;
    const CWaitCursor waiting;
    const HeldKey* current = key.held.get();
    const HeldKey* stored = GetDocumentState().m_storedKey.get();
    // Checking a modern key derives it again: the same key once only.
    const bool matches = Matches(current, entered) || (stored != current && Matches(stored, entered));
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
    // The dialog leaves what was typed whatever ended it; only an accepted
    // entry may change the key, and what was typed is let go either way.
    const Casement::CString previousCipher = state.m_cipher;
    const int previousAccepted = state.m_passwordAccepted;
    const auto keepKey = [&](PromptOutcome outcome) {
        state.m_password = SecretString();
        state.m_cipher = previousCipher;
        state.m_passwordAccepted = previousAccepted;
        return outcome;
    };
    for (;;) {
        const INT_PTR result = show();
        if (result != IDOK) {
            if (result == IDCANCEL) {
                state.m_passwordEmpty = 0;
                state.m_passwordsDiffer = 0;
                return keepKey(PromptOutcome::Cancelled);
            }
            return keepKey(PromptOutcome::Closed);
        }
        if (state.m_passwordEmpty || state.m_passwordsDiffer) {
            report(state.m_passwordEmpty ? "密码不能为空。" : "您所输入的密码不匹配。");
            state.m_passwordEmpty = 0;
            state.m_passwordsDiffer = 0;
        } else if (state.m_passwordAccepted) {
            const NoteFormat& format = ChosenFormat(state);
            std::unique_ptr<HeldKey> key;
            {
                const CWaitCursor waiting;
                key = format.MakeKey(PasswordFor(format, state.m_password.View()).View());
            }
            state.m_password = SecretString();
            if (key == nullptr) {
                report("无法为此密码生成密钥。");
                return keepKey(PromptOutcome::GaveUp);
            }
            state.m_key = std::move(key);
            return PromptOutcome::Accepted;
        }
        if (!askAgain())
            return keepKey(PromptOutcome::GaveUp);
    }
}

Unlocked UnlockStoredNote(const AskPassword& askPassword) {
    CDocumentState& state = GetDocumentState();
    const StoredEntries entries = OwnNoteEntries();
    Unlocked unlocked;
    if (StoredFormats(entries).size() > 1) {
        unlocked.outcome = Unlock::TwoFormats;
        return unlocked;
    }
    // A partial set of entries counts as no note at all.
    const bool whole = IsWholeSet(entries);
    state.m_isNewDocument = whole ? 0 : 1;
    if (!whole)
        return unlocked;
    const NoteFormat& format = *StoredFormat(entries);
    // The legacy format opens what it can of a damaged note, as it always
    // has; any other format opens a note only when it knows its every field.
    if (&format != &LegacyFormat() && !format.Faults(entries).empty()) {
        unlocked.outcome = Unlock::UnknownFormat;
        return unlocked;
    }
    NoteFormat::Opening opening;
    bool tried = false;
    bool given = false;
    const auto open = [&] {
        tried = true;
        const SecretString entered = std::move(state.m_password);
        given = !entered.empty();
        if (!given)
            return;
        const CWaitCursor waiting;
        opening = format.OpenOwnNote(entries, PasswordFor(format, entered.View()).View());
    };
    const bool answered = askPassword(open);
    if (answered && !tried)
        open();
    state.m_password = SecretString();
    if (!answered || !given) {
        unlocked.outcome = Unlock::NoPassword;
        return unlocked;
    }
    if (opening.choice != nullptr)
        SetCipher(state, opening.choice->identifier);
    if (opening.wrongPassword) {
        unlocked.outcome = Unlock::WrongPassword;
        return unlocked;
    }
    unlocked.outcome = Unlock::Opened;
    state.m_storedKey = std::move(opening.key);
    state.m_key = state.m_storedKey;
    unlocked.text = std::move(opening.text);
    unlocked.encoding = format.Encoding();
    return unlocked;
}

}  // namespace NoteSession
