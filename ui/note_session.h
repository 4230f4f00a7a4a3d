// The note's key and state: the one unit that reads and writes what the
// application object keeps of them (the key, the choice, whether the note
// is new, and the new-password dialog's three results). The dialogs leave
// their entries here (passwords as UTF-8, exactly as typed), a key is made
// from an accepted one at once and the password let go; the start-up
// unlock and the frame's units ask here; what seals, opens, locks or
// unlocks is handed the key.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string_view>

#include "crypto/note_format.h"
#include "crypto/wipe.h"
#include "image/checked_image.h"
#include "ui/save_steps.h"

namespace NoteSession {

// The choice and key the note is sealed with now; a waiting change of
// password, once the prompt accepted it, is already the key.
struct Key {
    std::string_view cipher;              // the choice's identifier; empty without one
    const NoteChoice* choice = nullptr;   // null while cipher names none
    std::shared_ptr<const HeldKey> held;  // null until a password is accepted
};
// cipher views the application object's choice: valid until the next entry
// of the new-password dialog, so taken afresh after one.
Key CurrentKey();
// The key the note in the program file is sealed under; null while there
// is none or it was not opened.
std::shared_ptr<const HeldKey> StoredKey();
// True when key can seal: a choice the program knows and a key of its format.
bool CanSeal(const Key& key);

// True while the note has no password of its own: the program carried no
// complete note at start, and no save has sealed one since.
bool IsNew();
// True while a new password and cipher wait for a save to apply them.
bool HasPendingChange();
// A save has applied the waiting change.
void PendingChangeApplied();
// A save while the editor runs has put note into the program file: the
// waiting change is applied, and a sealed note is a stored one from now on,
// its key the stored note's key.
void NoteSaved(const NoteChange& note);

// What the enter-password dialog was given, as its window goes.
void LeaveEnteredPassword(SecretString password);
// What the new-password dialog was given, as its window goes: two equal,
// non-empty entries wait to become the key, with the cipher when it names
// one.
void LeaveNewPasswordEntries(SecretString password, const SecretString& repeat, std::string_view cipher);

// Runs the new-password dialog through show until an entry is accepted:
// show returns the dialog's result, report tells the user of an empty or
// mismatched entry, askAgain decides whether to show the dialog once more.
// An accepted entry becomes the key (a fresh salt, for a format that
// salts) and the password is let go. A dialog that does not end with an
// accepted entry leaves the key and the waiting change as they were.
PromptOutcome RunNewPasswordPrompt(const std::function<INT_PTR()>& show,
                                   const std::function<void(const char* problem)>& report,
                                   const std::function<bool()>& askAgain);

// How an unlock of the locked note went.
enum class Reopen {
    Opened,         // the password is the key's, or that of the note in the program file
    NoPassword,     // the user gave none
    WrongPassword,  // neither
};
// Checks what the enter-password dialog was given to unlock the locked note
// (answered is false when it was cancelled) against key and against the
// key of the note in the program file, each in constant time. The key is
// never touched: a password change that waits keeps waiting.
Reopen CheckUnlockPassword(bool answered, std::string_view entered, const Key& key);

// How the stored note was unlocked at start.
enum class Unlock {
    NoNote,         // the program carries no complete note: a new one
    Opened,         // the password matched; text holds the note
    NoPassword,     // the user gave none
    WrongPassword,  // the password does not open the note
    UnknownFormat,  // the note's header is not one the program knows: nothing is asked
    TwoFormats,     // the program carries notes of two formats: nothing is asked
};
struct Unlocked {
    Unlock outcome = Unlock::NoNote;
    SecretString text;
    TextEncoding encoding = TextEncoding::LegacyCodePage;  // the text's, as its format stores it
};
// Loads the stored note once, asks for its password through askPassword
// (which leaves it through LeaveEnteredPassword and returns false when the
// user gave none; it may run open itself once the password is left, while
// it shows that it is working, and otherwise open runs after it), opens
// the note with it and keeps the key it opened with as the current and
// the stored note's key.
using AskPassword = std::function<bool(const std::function<void()>& open)>;
Unlocked UnlockStoredNote(const AskPassword& askPassword);

}  // namespace NoteSession
