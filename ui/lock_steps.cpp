#include "ui/lock_steps.h"

#include <algorithm>
#include <iterator>

#include "ui/resource_ids.h"

namespace {

// What may lock the note: the user, idle time, or the system.
enum class Cause { User, Idle, System };

LockStep LockFor(const LockFacts& facts, Cause cause) {
    if (facts.locked)
        return LockStep::Nothing;
    // The answer to an open question may need the text, and a lock would
    // close the window that asks: every lock waits for the answer. The user
    // can still reach the lock command when the find dialog owns the
    // question.
    if (facts.questionOpen)
        return LockStep::LockWhenAnswered;
    // Nothing can be sealed without a key; only the user is asked for one.
    if (!facts.canSeal)
        return cause == Cause::User ? LockStep::AskForKey : LockStep::ReportNoKey;
    return LockStep::Lock;
}

}  // namespace

LockStep NextLockStep(const LockFacts& facts, LockEvent event) {
    switch (event) {
    case LockEvent::Command:
        return facts.locked ? LockStep::AskToUnlock : LockFor(facts, Cause::User);
    case LockEvent::IdleCheck:
        if (facts.questionOpen)
            return LockStep::RestartIdleClock;
        if (facts.lockWhenAnswered)
            return LockFor(facts, Cause::System);
        return facts.idleTimeUp ? LockFor(facts, Cause::Idle) : LockStep::Nothing;
    case LockEvent::SessionLock:
        return LockFor(facts, Cause::System);
    case LockEvent::Close:
        // A locked note is closed only by who can open it.
        return facts.locked ? LockStep::AskToUnlock : LockStep::Nothing;
    case LockEvent::SessionEnd:
        // Nobody may be there to answer: the locked changes are saved.
        if (!facts.locked)
            return LockStep::Nothing;
        return facts.lockedChanges ? LockStep::SaveLocked : LockStep::AllowSessionEnd;
    }
    return LockStep::Nothing;
}

bool RunsWhileLocked(UINT commandId) {
    static const UINT kCommandsWhileLocked[] = {IDM_LOCK, IDM_EXIT, IDM_ABOUT, IDM_STATUS_BAR};
    return std::find(std::begin(kCommandsWhileLocked), std::end(kCommandsWhileLocked), commandId) !=
           std::end(kCommandsWhileLocked);
}
