// Checked copies of a running program, made from this test program, which
// carries a note and other resources of its own, under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "crypto/document.h"
#include "image/checked_image.h"
#include "image/file_facts.h"
#include "image/paths.h"
#include "image/resources.h"
#include "tests/e2e/driver.h"

namespace {

// A note change sealed as the named choice seals it, under a key made from password.
NoteChange SealedChange(std::string_view text, const char* cipher, std::string_view password) {
    const NoteChoice* choice = FindNoteChoice(cipher);
    return NoteChange{NoteChange::Kind::Sealed, text, choice, choice->format->MakeKey(password), nullptr};
}

TEST(CheckedImage, CopiesCarryTheNoteTheyWereGiven) {
    const std::string folder = driver::MakeTempFolder("checked");
    // This program carries a legacy note: a copy sealed in another format
    // holds that format's entries alone.
    for (const char* cipher : {"SEED", "XCHACHA20"}) {
        std::vector<int> progress;
        const SaveProgress record = [&](int percent) { progress.push_back(percent); };
        const std::wstring sealed = WriteCheckedImage(FromAnsi(folder), SealedChange("a note", cipher, "pass"), record);
        ASSERT_FALSE(sealed.empty()) << cipher;
        ASSERT_LT(2u, progress.size());
        EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
        EXPECT_EQ(100, progress.back());
        EXPECT_EQ(FromAnsi(folder + "\\TEM"), sealed.substr(0, FromAnsi(folder).size() + 4));
        const std::optional<NoteImage> stored = ReadNoteImage(sealed);
        ASSERT_TRUE(stored && stored->HasNote());
        EXPECT_EQ(FindNoteChoice(cipher), stored->Choice());
        EXPECT_EQ("a note", stored->Unseal("pass").View());
    }

    const std::wstring removed = WriteCheckedImage(FromAnsi(folder), NoteChange{NoteChange::Kind::Removed, {}, nullptr, nullptr, nullptr});
    ASSERT_FALSE(removed.empty());
    const std::optional<NoteImage> cleared = ReadNoteImage(removed);
    ASSERT_TRUE(cleared);
    EXPECT_FALSE(cleared->HasAnyNoteEntry());

    const std::wstring unchanged = WriteCheckedImage(FromAnsi(folder), NoteChange());
    ASSERT_FALSE(unchanged.empty());
    EXPECT_TRUE(FilesAreIdentical(OwnImagePath(), unchanged));
    EXPECT_EQ(4, driver::CountFiles(folder + "\\TEM*.tmp"));
}

TEST(CheckedImage, AFailedStepLeavesNothingBehind) {
    const std::string folder = driver::MakeTempFolder("checked-fail");
    // A key of another format: nothing can be sealed, and the save never
    // says it is done.
    NoteChange mismatched = SealedChange("text", "XCHACHA20", "pass");
    mismatched.choice = FindNoteChoice("AES");
    int reached = 0;
    EXPECT_EQ(L"", WriteCheckedImage(FromAnsi(folder), mismatched, [&](int percent) { reached = percent; }));
    EXPECT_GT(100, reached);
    EXPECT_EQ(L"", WriteCheckedImage(FromAnsi(folder + "\\missing"), NoteChange()));
    EXPECT_EQ(L"", WriteCheckedImage(L"", NoteChange()));
    EXPECT_EQ(0, driver::CountFiles(folder + "\\TEM*"));

    // Save As never replaces the running program, nor writes where it cannot stage.
    EXPECT_FALSE(SaveCheckedImageAs(OwnImagePath(), NoteChange()));
    EXPECT_FALSE(SaveCheckedImageAs(FromAnsi(folder + "\\missing\\copy.exe"), NoteChange()));

    const std::string target = folder + "\\copy.exe";
    ASSERT_TRUE(driver::WriteFileBytes(target, "earlier"));
    EXPECT_FALSE(SaveCheckedImageAs(FromAnsi(target), NoteChange{NoteChange::Kind::Sealed, "text", FindNoteChoice("AES"), nullptr, nullptr}));
    EXPECT_EQ("earlier", driver::ReadFileBytes(target));
    ASSERT_TRUE(SaveCheckedImageAs(FromAnsi(target), NoteChange()));
    EXPECT_TRUE(FilesAreIdentical(OwnImagePath(), FromAnsi(target)));
    EXPECT_EQ(0, driver::CountFiles(folder + "\\*.tmp"));
}

}  // namespace
