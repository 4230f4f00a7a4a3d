// What saving leaves in the temporary folder: the temporary image of a
// completed save is removed at the next start, so no old copy of a note
// (under an old password) stays behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/editor.h"
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
        return driver::CountFiles(temp_ + "\\TEM*.tmp") + driver::CountFiles(copy_.Folder() + "\\TEM*.tmp");
    }
    // Opens the copy, types text, saves on closing and waits for the write-back.
    void SaveEdit(const std::wstring& password, const std::wstring& text) {
        Editor editor(copy_, Environment());
        ASSERT_TRUE(editor.Open(password));
        editor.Type(text);
        editor.Close();
        EXPECT_EQ(L"RiziDuru: 保存文档的更改?", driver::AnswerMessageBox(editor.GetProcess().Id(), IDYES));
        EXPECT_EQ(0u, editor.WaitForExit());
    }
    // Starts the copy and closes it once its note is shown.
    void StartAgain(const std::wstring& password) {
        Editor editor(copy_, Environment());
        ASSERT_TRUE(editor.Open(password));
        editor.Close();
        EXPECT_EQ(0u, editor.WaitForExit());
    }

    ProgramCopy copy_{"cleanup"};
    std::string temp_ = driver::MakeTempFolder("cleanup-temp");
};

TEST_F(Cleanup, EachStartRemovesTheTemporaryImageOfTheCompletedSave) {
    for (const wchar_t* text : {L"one ", L"two "}) {
        SaveEdit(L"old", text);
        EXPECT_EQ(1, TemporaryImages()) << "the save left its temporary image";
        StartAgain(L"old");
        EXPECT_EQ(0, TemporaryImages()) << text;
    }
}

TEST_F(Cleanup, NoCopyUnderTheOldPasswordStaysAfterAPasswordChange) {
    {
        Editor editor(copy_, Environment());
        ASSERT_TRUE(editor.Open(L"old"));
        editor.Command(IDM_CHANGE_PASSWORD);
        ASSERT_TRUE(editor.AnswerNewPassword(L"new", L"new", L"SM4-128-CBC"));
        EXPECT_EQ(L"Scribecrypt: 在您关闭文档时新密码将被应用。", driver::AnswerMessageBox(editor.GetProcess().Id(), IDOK));
        editor.Close();
        EXPECT_EQ(0u, editor.WaitForExit());
    }
    StartAgain(L"new");
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
    StartAgain(L"old");
    EXPECT_EQ(2, driver::CountFiles(temp_ + "\\TEM*.tmp"));
    EXPECT_EQ("unrelated", driver::ReadFileBytes(temp_ + "\\TEM1.tmp"));
    EXPECT_TRUE(changed == driver::ReadFileBytes(temp_ + "\\TEM2.tmp"));
    EXPECT_TRUE(program == driver::ReadFileBytes(temp_ + "\\copy.exe"));
}

}  // namespace
