// What saving leaves in the temporary folder: the temporary image of a
// completed save is removed at the next start, so no old copy of a note
// (under an old password) stays behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/editor.h"

namespace {

using driver::Editor;
using driver::ProgramCopy;

// A program copy run with a temporary folder of its own.
class Cleanup : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(copy_.Seal("note", "old", "AES")); }

    std::vector<std::string> Environment() const { return {"TMP=" + temp_, "TEMP=" + temp_}; }
    int TemporaryImages() const {
        return driver::CountFiles(temp_ + "\\TEM*.tmp") + driver::CountFiles(copy_.Folder() + "\\*.tmp");
    }
    // Opens the copy, types text, saves on closing and waits for the write-back.
    void SaveEdit(const std::wstring& password, const std::wstring& text) {
        Editor editor(copy_, Environment());
        ASSERT_TRUE(editor.Open(password));
        editor.Type(text);
        EXPECT_EQ(driver::kSaveQuestion, editor.CloseAnswering(IDYES));
        EXPECT_EQ(0u, editor.WaitForExit());
    }
    // Starts the copy and closes it once its note is shown: the note's text.
    std::wstring StartAgain(const std::wstring& password) const {
        return driver::OpenedText(copy_, password, Environment());
    }

    ProgramCopy copy_{"cleanup"};
    std::string temp_ = driver::MakeTempFolder("cleanup-temp");
};

TEST_F(Cleanup, EachStartRemovesTheTemporaryImageOfTheCompletedSave) {
    std::wstring note = L"note";
    for (const wchar_t* text : {L"one ", L"two "}) {
        SaveEdit(L"old", text);
        EXPECT_EQ(1, TemporaryImages()) << "the save left its temporary image";
        note = text + note;
        EXPECT_EQ(note, StartAgain(L"old"));
        EXPECT_EQ(0, TemporaryImages()) << text;
    }
}

TEST_F(Cleanup, NoCopyUnderTheOldPasswordStaysAfterAPasswordChange) {
    {
        Editor editor(copy_, Environment());
        ASSERT_TRUE(editor.Open(L"old"));
        ASSERT_TRUE(editor.ChangePassword(L"new", L"SM4-128-CBC"));
        EXPECT_EQ(driver::kPasswordOnClose, editor.Answer(IDOK));
        EXPECT_EQ(0u, editor.CloseUnchanged());
    }
    EXPECT_EQ(L"note", StartAgain(L"new"));
    EXPECT_EQ(0, TemporaryImages());
    EXPECT_EQ(1, driver::CountFiles(copy_.Folder() + "\\*")) << "nothing but the program beside it";
}

// Files that merely look like temporary images, or differ from the program,
// are never removed.
TEST_F(Cleanup, AnythingButAnExactCopyOfTheProgramStays) {
    const std::string program = copy_.Bytes();
    ASSERT_TRUE(driver::WriteFileBytes(temp_ + "\\TEM1.tmp", "unrelated"));
    std::string changed = program;
    changed.back() ^= 1;
    ASSERT_TRUE(driver::WriteFileBytes(temp_ + "\\TEM2.tmp", changed));
    ASSERT_TRUE(driver::WriteFileBytes(temp_ + "\\TEM3.tmp", program));
    ASSERT_TRUE(driver::WriteFileBytes(temp_ + "\\copy.exe", program));
    EXPECT_EQ(L"note", StartAgain(L"old"));
    EXPECT_EQ(2, driver::CountFiles(temp_ + "\\TEM*.tmp"));
    EXPECT_EQ("unrelated", driver::ReadFileBytes(temp_ + "\\TEM1.tmp"));
    EXPECT_TRUE(changed == driver::ReadFileBytes(temp_ + "\\TEM2.tmp"));
    EXPECT_TRUE(program == driver::ReadFileBytes(temp_ + "\\copy.exe"));
}

}  // namespace
