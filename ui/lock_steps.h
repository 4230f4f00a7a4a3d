// What locking does next, decided from what the lock knows and what just
// happened; the lock unit only carries the steps out. Nothing here touches
// a window, so every case can be checked from a table.
#pragma once

#include <windows.h>

// What happened.
enum class LockEvent {
    Command,      // the lock command: it locks an open note and unlocks a locked one
    IdleCheck,    // the idle timer's regular check
    SessionLock,  // the session locked or was disconnected, or the machine goes to sleep
    Close,        // the window is to close
    SessionEnd,   // Windows asks whether the session may end
};

// What the lock knows when it decides.
struct LockFacts {
    bool locked = false;            // the view's text is sealed away
    bool questionOpen = false;      // a dialog or message box of the program waits for the user
    bool lockWhenAnswered = false;  // the session locked while such a question was open
    bool idleTimeUp = false;        // locking when idle is on and no input came for that long
    bool canSeal = false;           // the note has a key and a choice the program knows
    bool lockedChanges = false;     // the locked text, or a waiting password, has no save yet
};

enum class LockStep {
    Nothing,           // nothing to do; for Close and SessionEnd: the open note's own steps follow
    RestartIdleClock,  // the question counts as the user's presence
    LockWhenAnswered,  // remember to lock once the question is answered
    ReportNoKey,       // a note without a password cannot be locked: say so
    AskForKey,         // the user locks a note without a password: ask for one first
    Lock,              // seal the view's text away
    AskToUnlock,       // ask for the password and give the text back
    SaveLocked,        // save the locked text as it is; the session may end once it is saved
    AllowSessionEnd,   // nothing locked is unsaved: the session may end
};

// The next step for event, given facts.
LockStep NextLockStep(const LockFacts& facts, LockEvent event);

// The commands a locked note still offers, as the command handler and the
// menu both ask: none of them needs the note's text.
bool RunsWhileLocked(UINT commandId);
