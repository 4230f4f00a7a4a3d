// The note's key and state: the one unit that reads and writes what the
// application object keeps of them (the password, the cipher, whether the
// note is new, and the new-password dialog's three results). The dialogs
// leave their entries here, the start-up unlock and the frame's units ask
// here; what seals, opens, locks or unlocks is handed the key.
#pragma once

#include <windows.h>

#include <functional>
#include <string_view>

#include "crypto/note_format.h"
#include "crypto/wipe.h"
#include "image/checked_image.h"
#include "ui/save_steps.h"

namespace NoteSession {

// The password and cipher the note is sealed with now; a waiting change
// of password, once the prompt accepted it, is already the key.
struct Key {
    std::string_view password;
    std::string_view cipher;
};
// Views into the application object's password and cipher: valid until the
// next entry of the new-password dialog, so taken afresh after one.
Key CurrentKey();
// True when key can seal: a password and a cipher the program knows.
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
// opened by its password.
void NoteSaved(const NoteChange& note);

// What the enter-password dialog was given, as its window goes.
void LeaveEnteredPassword(SecretString password);
// What the new-password dialog was given, as its window goes: two equal,
// non-empty entries become the key, with the cipher when it names one.
void LeaveNewPasswordEntries(SecretString password, const SecretString& repeat, std::string_view cipher);

// Runs the new-password dialog through show until an entry is accepted:
// show returns the dialog's result, report tells the user of an empty or
// mismatched entry, askAgain decides whether to show the dialog once more.
// A dialog that does not end with OK leaves the key and the waiting change
// as they were.
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
// note in the program file. The key is never touched: a password change
// that waits keeps waiting.
Reopen CheckUnlockPassword(bool answered, std::string_view entered, const Key& key);

// How the stored note was unlocked at start.
enum class Unlock {
    NoNote,         // the program carries no complete note: a new one
    Opened,         // the password matched; text holds the note
    NoPassword,     // the user gave none
    WrongPassword,  // the password does not match the stored verifier
};
struct Unlocked {
    Unlock outcome = Unlock::NoNote;
    SecretString text;
    TextEncoding encoding = TextEncoding::LegacyCodePage;  // the text's, as its format stores it
};
// Loads the stored note once, asks for its password through askPassword
// (which leaves it through LeaveEnteredPassword and returns false when the
// user gave none), checks it against the verifier, selects the stored
// cipher and unseals the text.
Unlocked UnlockStoredNote(const std::function<bool()>& askPassword);

}  // namespace NoteSession
