// What saving leaves in the temporary folder and beside the program: the
// temporary image of a completed save and what a save that was cut short
// left are removed at the next start, so no old copy of a note (under an
// old password) stays behind; files of the user's, however named, stay.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/editor.h"
#include "tests/e2e/stress.h"
#include "ui/resource_ids.h"

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

    // Starts the copy and cancels the password dialog.
    void StartAndCancel(const ProgramCopy& copy) const {
        Editor next(copy, Environment());
        const HWND dialog = driver::WaitForDialog(next.GetProcess().Id(), L"Scribecrypt", driver::kWindowTimeoutMs);
        ASSERT_NE(nullptr, dialog) << "the program did not start";
        driver::PressButton(dialog, IDCANCEL);
        next.WaitForExit();
    }
    // Files beside copy named as its saves name what they stage and retire.
    static int LeftBeside(const ProgramCopy& copy) { return driver::CountFiles(copy.Path() + "~*.tmp"); }
    // Opens copy, saves an edit with Ctrl+S and kills the editor: at once
    // when staging begins, so that an empty or partly written staged copy
    // stays, or else once the save is done, so that the retired program file
    // with the old note stays.
    void KillSaving(const ProgramCopy& copy, bool whileStaging) const {
        Editor editor(copy, Environment());
        ASSERT_TRUE(editor.Open(L"old"));
        const int before = LeftBeside(copy);
        editor.Type(L"new ");
        editor.Command(IDM_SAVE);
        if (whileStaging)
            ASSERT_TRUE(driver::WaitUntil([&] { return LeftBeside(copy) > before; }, 30000, 1));
        else
            ASSERT_TRUE(driver::WaitUntil([&] { return !editor.Modified(); }, 30000));
        editor.GetProcess().Kill();
        DWORD code = 0;
        ASSERT_TRUE(editor.GetProcess().WaitForExit(driver::kWindowTimeoutMs, &code));
        ASSERT_LT(before, LeftBeside(copy)) << "the killed save left nothing";
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

// Files named as the saves name theirs, made by the user: text, an empty
// file, the program with another note and a different program; and what a
// killed save of another program file in the same folder left. Each stays,
// untouched, while what the program's own killed saves left goes.
TEST_F(Cleanup, AStartRemovesOnlyWhatItsOwnCutShortSavesLeft) {
    ProgramCopy other(ProgramCopy::InFolder{copy_.Folder(), "other.exe"});
    ASSERT_TRUE(other.Seal("other", "old", "AES"));
    ASSERT_TRUE(copy_.Seal(driver::LargeNote(std::size_t{2} << 20), "old", "SM4"));
    std::string different = copy_.Bytes();
    different.back() ^= 1;
    const std::vector<std::pair<std::string, std::string>> users = {
        {"~1234.tmp", "the user's own text"}, {"~ABCD.tmp", ""}, {"~0000.tmp", other.Bytes()}, {"~FFFF.tmp", different}};
    for (const auto& [suffix, bytes] : users)
        ASSERT_TRUE(driver::WriteFileBytes(copy_.Path() + suffix, bytes));
    KillSaving(other, false);
    const int othersLeft = LeftBeside(other);

    for (const bool whileStaging : {true, false}) {
        KillSaving(copy_, whileStaging);
        StartAndCancel(copy_);
        for (const auto& [suffix, bytes] : users) {
            const std::string path = copy_.Path() + suffix;
            EXPECT_TRUE(GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES &&
                        bytes == driver::ReadFileBytes(path))
                << suffix << " was changed or removed";
        }
        EXPECT_EQ(static_cast<int>(users.size()), LeftBeside(copy_)) << "a killed save's file stayed";
    }
    EXPECT_EQ(othersLeft, LeftBeside(other)) << "the other program file's leftover went";

    StartAndCancel(other);
    EXPECT_EQ(0, LeftBeside(other));
}

}  // namespace
