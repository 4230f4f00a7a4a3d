// The new-password prompt's bookkeeping in the note's session: what each way
// of ending the dialog does to the key and to the waiting change.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/appcore.h"
#include "ui/document_state.h"
#include "ui/note_session.h"

namespace {

class SessionApp : public Casement::CWinApp, public CDocumentState {};

// A dialog run that leaves these entries and ends with result.
struct Entry {
    std::string password;
    std::string repeat;
    INT_PTR result;
};

class Prompt : public ::testing::Test {
protected:
    void SetUp() override {
        NoteSession::LeaveEnteredPassword(SecretString("old"));
        app_.m_cipher = "SM4";
    }

    PromptOutcome Run(const std::vector<Entry>& entries, bool askAgain = true) {
        std::size_t next = 0;
        return NoteSession::RunNewPasswordPrompt(
            [&] {
                const Entry& entry = entries.at(next++);
                NoteSession::LeaveNewPasswordEntries(SecretString(entry.password), SecretString(entry.repeat),
                                                     "CAMELLIA");
                return entry.result;
            },
            [&](const char* problem) { problems_.push_back(problem); }, [&] { return askAgain; });
    }

    std::string Password() const { return std::string(NoteSession::CurrentKey().password); }
    std::string Cipher() const { return std::string(NoteSession::CurrentKey().cipher); }

    SessionApp app_;
    std::vector<std::string> problems_;
};

TEST_F(Prompt, AnEntryThatDiffersOrIsEmptyIsReportedAndAskedAgain) {
    EXPECT_EQ(PromptOutcome::Accepted, Run({{"a", "b", IDOK}, {"", "", IDOK}, {"new", "new", IDOK}}));
    EXPECT_EQ((std::vector<std::string>{"您所输入的密码不匹配。", "密码不能为空。"}), problems_);
    EXPECT_EQ("new", Password());
    EXPECT_EQ("CAMELLIA", Cipher());
    EXPECT_TRUE(NoteSession::HasPendingChange());
    NoteSession::PendingChangeApplied();
    EXPECT_FALSE(NoteSession::HasPendingChange());
    EXPECT_EQ("new", Password());
}

TEST_F(Prompt, CancelAndTheTitleBarKeepTheKeyWhateverWasTyped) {
    EXPECT_EQ(PromptOutcome::Cancelled, Run({{"new", "new", IDCANCEL}}));
    EXPECT_EQ("old", Password());
    EXPECT_EQ("SM4", Cipher());
    EXPECT_FALSE(NoteSession::HasPendingChange());

    // A change accepted earlier still waits after a later dialog is closed.
    EXPECT_EQ(PromptOutcome::Accepted, Run({{"first", "first", IDOK}}));
    EXPECT_EQ(PromptOutcome::Closed, Run({{"second", "second", IDCLOSE}}));
    EXPECT_EQ("first", Password());
    EXPECT_TRUE(NoteSession::HasPendingChange());
}

TEST_F(Prompt, AnUnfinishedEntryWithNoReasonToAskAgainGivesUp) {
    EXPECT_EQ(PromptOutcome::GaveUp, Run({{"a", "", IDOK}}, false));
    EXPECT_EQ(1u, problems_.size());
    EXPECT_EQ("old", Password());
    EXPECT_FALSE(NoteSession::HasPendingChange());
}

// Unlocking a locked note: the key's password or the one of the note in the
// program file opens it, whatever is answered the key stays, and a save
// makes the old password useless.
TEST_F(Prompt, EitherTheKeysOrTheStoredNotesPasswordUnlocksAndTheKeyStays) {
    NoteSession::NoteSaved(NoteChange{NoteChange::Kind::Sealed, "text", "old", "SM4"});
    ASSERT_EQ(PromptOutcome::Accepted, Run({{"new", "new", IDOK}}));
    const auto answer = [](const char* password, bool answered = true) {
        return NoteSession::CheckUnlockPassword(answered, password, NoteSession::CurrentKey());
    };
    EXPECT_EQ(NoteSession::Reopen::Opened, answer("new"));
    EXPECT_EQ(NoteSession::Reopen::Opened, answer("old"));
    EXPECT_EQ(NoteSession::Reopen::WrongPassword, answer("olds"));
    EXPECT_EQ(NoteSession::Reopen::NoPassword, answer(""));
    EXPECT_EQ(NoteSession::Reopen::NoPassword, answer("new", false));
    EXPECT_EQ("new", Password());
    EXPECT_TRUE(NoteSession::HasPendingChange());

    NoteSession::NoteSaved(NoteChange{NoteChange::Kind::Sealed, "text", "new", "CAMELLIA"});
    EXPECT_FALSE(NoteSession::HasPendingChange());
    EXPECT_EQ(NoteSession::Reopen::WrongPassword, answer("old"));
    EXPECT_EQ(NoteSession::Reopen::Opened, answer("new"));
    // An emptied note removed from the program file leaves only the key.
    NoteSession::NoteSaved(NoteChange{NoteChange::Kind::Removed, "", "new", "CAMELLIA"});
    EXPECT_EQ(NoteSession::Reopen::WrongPassword,
              NoteSession::CheckUnlockPassword(true, "new", NoteSession::Key{"other", "CAMELLIA"}));
}

}  // namespace
