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
        app_.m_key = DefaultNoteFormat().MakeKey("old");
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

    // Whether the current key is made from password.
    bool KeyIs(const char* password) const {
        const NoteSession::Key key = NoteSession::CurrentKey();
        return key.held != nullptr && key.held->Format().KeyMatches(*key.held, password);
    }
    std::string Cipher() const { return std::string(NoteSession::CurrentKey().cipher); }
    // A save of the current key and choice, as the saver reports it.
    NoteChange Saved(NoteChange::Kind kind) const {
        const NoteSession::Key key = NoteSession::CurrentKey();
        return NoteChange{kind, "text", key.choice, key.held, nullptr};
    }

    SessionApp app_;
    std::vector<std::string> problems_;
};

TEST_F(Prompt, AnEntryThatDiffersOrIsEmptyIsReportedAndAskedAgain) {
    EXPECT_EQ(PromptOutcome::Accepted, Run({{"a", "b", IDOK}, {"", "", IDOK}, {"new", "new", IDOK}}));
    EXPECT_EQ((std::vector<std::string>{"您所输入的密码不匹配。", "密码不能为空。"}), problems_);
    EXPECT_TRUE(KeyIs("new"));
    EXPECT_EQ("CAMELLIA", Cipher());
    EXPECT_TRUE(NoteSession::CanSeal(NoteSession::CurrentKey()));
    EXPECT_TRUE(NoteSession::HasPendingChange());
    NoteSession::PendingChangeApplied();
    EXPECT_FALSE(NoteSession::HasPendingChange());
    EXPECT_TRUE(KeyIs("new"));
    // The password is let go once the key is made.
    EXPECT_TRUE(app_.m_password.empty());
}

// Passwords come as UTF-8: the modern format derives from those bytes, the
// legacy one from their code page 936 form, the bytes it always had.
TEST_F(Prompt, EachFormatsKeyIsMadeFromThePasswordInItsOwnEncoding) {
    const std::string chinese = u8"密码";
    std::size_t next = 0;
    const char* const ciphers[] = {"XCHACHA20", "AES"};
    for (const char* cipher : ciphers) {
        ASSERT_EQ(PromptOutcome::Accepted,
                  NoteSession::RunNewPasswordPrompt(
                      [&] {
                          NoteSession::LeaveNewPasswordEntries(SecretString(chinese), SecretString(chinese), cipher);
                          return IDOK;
                      },
                      [](const char*) {}, [] { return false; }));
        const NoteSession::Key key = NoteSession::CurrentKey();
        ASSERT_TRUE(NoteSession::CanSeal(key)) << cipher;
        EXPECT_EQ(FindNoteChoice(cipher)->format, &key.held->Format());
        EXPECT_TRUE(key.held->Format().KeyMatches(*key.held, next++ == 0 ? chinese : "\xC3\xDC\xC2\xEB")) << cipher;
        EXPECT_EQ(NoteSession::Reopen::Opened, NoteSession::CheckUnlockPassword(true, chinese, key)) << cipher;
    }
}

TEST_F(Prompt, CancelAndTheTitleBarKeepTheKeyWhateverWasTyped) {
    EXPECT_EQ(PromptOutcome::Cancelled, Run({{"new", "new", IDCANCEL}}));
    EXPECT_TRUE(KeyIs("old"));
    EXPECT_EQ("SM4", Cipher());
    EXPECT_FALSE(NoteSession::HasPendingChange());

    // A change accepted earlier still waits after a later dialog is closed.
    EXPECT_EQ(PromptOutcome::Accepted, Run({{"first", "first", IDOK}}));
    EXPECT_EQ(PromptOutcome::Closed, Run({{"second", "second", IDCLOSE}}));
    EXPECT_TRUE(KeyIs("first"));
    EXPECT_TRUE(NoteSession::HasPendingChange());
    EXPECT_TRUE(app_.m_password.empty());
}

TEST_F(Prompt, AnUnfinishedEntryWithNoReasonToAskAgainGivesUp) {
    EXPECT_EQ(PromptOutcome::GaveUp, Run({{"a", "", IDOK}}, false));
    EXPECT_EQ(1u, problems_.size());
    EXPECT_TRUE(KeyIs("old"));
    EXPECT_FALSE(NoteSession::HasPendingChange());
}

// Unlocking a locked note: the key's password or the one of the note in the
// program file opens it, whatever is answered the key stays, and a save
// makes the old password useless.
TEST_F(Prompt, EitherTheKeysOrTheStoredNotesPasswordUnlocksAndTheKeyStays) {
    NoteSession::NoteSaved(Saved(NoteChange::Kind::Sealed));
    ASSERT_EQ(PromptOutcome::Accepted, Run({{"new", "new", IDOK}}));
    const auto answer = [](const char* password, bool answered = true) {
        return NoteSession::CheckUnlockPassword(answered, password, NoteSession::CurrentKey());
    };
    EXPECT_EQ(NoteSession::Reopen::Opened, answer("new"));
    EXPECT_EQ(NoteSession::Reopen::Opened, answer("old"));
    EXPECT_EQ(NoteSession::Reopen::WrongPassword, answer("olds"));
    EXPECT_EQ(NoteSession::Reopen::NoPassword, answer(""));
    EXPECT_EQ(NoteSession::Reopen::NoPassword, answer("new", false));
    EXPECT_TRUE(KeyIs("new"));
    EXPECT_TRUE(NoteSession::HasPendingChange());

    NoteSession::NoteSaved(Saved(NoteChange::Kind::Sealed));
    EXPECT_FALSE(NoteSession::HasPendingChange());
    EXPECT_EQ(NoteSession::Reopen::WrongPassword, answer("old"));
    EXPECT_EQ(NoteSession::Reopen::Opened, answer("new"));
    // An emptied note removed from the program file leaves only the key.
    NoteSession::NoteSaved(Saved(NoteChange::Kind::Removed));
    NoteSession::Key other = NoteSession::CurrentKey();
    other.held = DefaultNoteFormat().MakeKey("other");
    EXPECT_EQ(NoteSession::Reopen::WrongPassword, NoteSession::CheckUnlockPassword(true, "new", other));
}

}  // namespace
