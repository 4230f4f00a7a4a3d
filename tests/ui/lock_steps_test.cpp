// The lock's decisions, case by case, without windows.
#include <gtest/gtest.h>

#include "ui/lock_steps.h"

namespace {

struct LockCase {
    const char* name;
    LockFacts facts;
    LockEvent event;
    LockStep expected;
};

// The facts in the order of LockFacts: locked, questionOpen,
// lockWhenAnswered, idleTimeUp, canSeal, lockedChanges.
constexpr LockFacts kOpen{false, false, false, false, true, false};
constexpr LockFacts kOpenIdle{false, false, false, true, true, false};
constexpr LockFacts kOpenAsking{false, true, false, true, true, false};
constexpr LockFacts kOpenAnswered{false, false, true, false, true, false};
constexpr LockFacts kOpenWithoutKey{false, false, false, true, false, false};
constexpr LockFacts kLocked{true, false, false, true, true, false};
constexpr LockFacts kLockedAnswered{true, false, true, false, true, false};
constexpr LockFacts kLockedChanged{true, false, false, false, true, true};
constexpr LockFacts kLockedChangedAsking{true, true, false, false, true, true};

const LockCase kCases[] = {
    {"CommandLocksAnOpenNote", kOpen, LockEvent::Command, LockStep::Lock},
    {"CommandUnlocksALockedNote", kLocked, LockEvent::Command, LockStep::AskToUnlock},
    {"CommandAsksForAKeyFirst", kOpenWithoutKey, LockEvent::Command, LockStep::AskForKey},
    {"CommandWaitsForAnOpenQuestion", kOpenAsking, LockEvent::Command, LockStep::LockWhenAnswered},
    {"IdleCheckWaitsForInput", kOpen, LockEvent::IdleCheck, LockStep::Nothing},
    {"IdleCheckLocksOnceIdle", kOpenIdle, LockEvent::IdleCheck, LockStep::Lock},
    {"IdleCheckReportsNoKey", kOpenWithoutKey, LockEvent::IdleCheck, LockStep::ReportNoKey},
    {"IdleCheckCountsAQuestionAsPresence", kOpenAsking, LockEvent::IdleCheck, LockStep::RestartIdleClock},
    {"IdleCheckLocksOnceAnswered", kOpenAnswered, LockEvent::IdleCheck, LockStep::Lock},
    {"IdleCheckLeavesALockedNote", kLocked, LockEvent::IdleCheck, LockStep::Nothing},
    {"IdleCheckLeavesALockedNoteThatWaitedForAnAnswer", kLockedAnswered, LockEvent::IdleCheck, LockStep::Nothing},
    {"SessionLockLocks", kOpen, LockEvent::SessionLock, LockStep::Lock},
    {"SessionLockWaitsForTheAnswer", kOpenAsking, LockEvent::SessionLock, LockStep::LockWhenAnswered},
    {"SessionLockReportsNoKey", kOpenWithoutKey, LockEvent::SessionLock, LockStep::ReportNoKey},
    {"SessionLockLeavesALockedNote", kLocked, LockEvent::SessionLock, LockStep::Nothing},
    {"CloseGoesOnForAnOpenNote", kOpen, LockEvent::Close, LockStep::Nothing},
    {"CloseAsksToUnlockFirst", kLockedChanged, LockEvent::Close, LockStep::AskToUnlock},
    {"SessionEndIsTheOpenNotesAffair", kOpenIdle, LockEvent::SessionEnd, LockStep::Nothing},
    {"SessionEndWithNothingLockedUnsaved", kLocked, LockEvent::SessionEnd, LockStep::AllowSessionEnd},
    {"SessionEndSavesLockedChanges", kLockedChanged, LockEvent::SessionEnd, LockStep::SaveLocked},
    // The unlock dialog may be open then; nobody may be there to answer it.
    {"SessionEndSavesLockedChangesWhileAsking", kLockedChangedAsking, LockEvent::SessionEnd, LockStep::SaveLocked},
};

class LockSteps : public ::testing::TestWithParam<LockCase> {};

TEST_P(LockSteps, FollowFromTheFacts) {
    const LockCase& c = GetParam();
    EXPECT_EQ(c.expected, NextLockStep(c.facts, c.event));
}

INSTANTIATE_TEST_SUITE_P(Cases, LockSteps, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<LockCase>& info) { return info.param.name; });

}  // namespace
