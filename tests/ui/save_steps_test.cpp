// The decisions of closing and Save As, case by case, without windows.
#include <gtest/gtest.h>

#include "ui/save_steps.h"

namespace {

struct CloseCase {
    DocumentFacts facts;
    SaveAnswer save;
    std::optional<PromptOutcome> password;
    CloseStep expected;
};

constexpr DocumentFacts kUnchanged{false, false, false, false};
constexpr DocumentFacts kEdited{true, false, false, false};
constexpr DocumentFacts kPendingPassword{false, false, true, false};
constexpr DocumentFacts kEditedWithPendingPassword{true, false, true, false};
constexpr DocumentFacts kNewEdited{true, true, false, false};
constexpr DocumentFacts kNewEmptied{true, true, false, true};

TEST(SaveSteps, ClosingAsksOnlyForWhatItNeedsAndNeverEndsWithUnsavedText) {
    const CloseCase cases[] = {
        {kUnchanged, {}, {}, CloseStep::Close},
        {kPendingPassword, {}, {}, CloseStep::Save},
        {kEdited, {}, {}, CloseStep::AskToSave},
        {kEdited, false, {}, CloseStep::Close},
        {kEdited, true, {}, CloseStep::Save},
        // Edits after a password change are asked about, and No drops both.
        {kEditedWithPendingPassword, {}, {}, CloseStep::AskToSave},
        {kEditedWithPendingPassword, false, {}, CloseStep::Close},
        {kNewEmptied, true, {}, CloseStep::Close},
        {kNewEdited, true, {}, CloseStep::AskForPassword},
        {kNewEdited, true, PromptOutcome::Accepted, CloseStep::Save},
        {kNewEdited, true, PromptOutcome::GaveUp, CloseStep::Close},
        {kNewEdited, true, PromptOutcome::Cancelled, CloseStep::Stay},
        {kNewEdited, true, PromptOutcome::Closed, CloseStep::Stay},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const CloseCase& c = cases[i];
        EXPECT_EQ(c.expected, NextCloseStep(c.facts, c.save, c.password)) << "case " << i;
    }
}

struct SaveAsCase {
    const char* path;
    DocumentFacts facts;
    std::optional<PromptOutcome> password;
    SaveAsStep expected;
};

TEST(SaveSteps, SaveAsWritesByTheNamesExtensionAndSealsOnlyWithAPassword) {
    const SaveAsCase cases[] = {
        {"C:\\notes\\a.TXT", kNewEdited, {}, SaveAsStep::WriteText},
        {"C:\\notes.exe\\a", kEdited, {}, SaveAsStep::Nothing},
        {"C:\\notes\\a.doc", kEdited, {}, SaveAsStep::Nothing},
        {"C:\\notes\\a.Exe", kUnchanged, {}, SaveAsStep::CopyProgram},
        {"C:\\notes\\a.exe", kEdited, {}, SaveAsStep::SealIntoCopy},
        {"a.exe", kNewEmptied, {}, SaveAsStep::CopyProgramWithoutNote},
        {"a.exe", kNewEdited, {}, SaveAsStep::AskForPassword},
        {"a.exe", kNewEdited, PromptOutcome::Accepted, SaveAsStep::SealIntoCopy},
        {"a.exe", kNewEdited, PromptOutcome::Cancelled, SaveAsStep::Nothing},
        {"a.exe", kNewEdited, PromptOutcome::GaveUp, SaveAsStep::Nothing},
    };
    for (const SaveAsCase& c : cases)
        EXPECT_EQ(c.expected, NextSaveAsStep(c.path, c.facts, c.password)) << c.path;
}

}  // namespace
