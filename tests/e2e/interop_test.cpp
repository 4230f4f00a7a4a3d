// The 32-bit and the 64-bit program keep their note in the same format: a
// note this build saved, moved into the other build's program, opens there.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/e2e/editor.h"
#include "tests/e2e/stress.h"

namespace {

using driver::Editor;
using driver::ProgramCopy;

// "两种程序都能打开的笔记" (a note both programs open) in code page 936, and
// the password "口令 both".
const std::string kNote = "\xC1\xBD\xD6\xD6\xB3\xCC\xD0\xF2\xB6\xBC\xC4\xDC\xB4\xF2\xBF\xAA\xB5\xC4\xB1\xCA\xBC\xC7";
const std::string kPassword = "\xBF\xDA\xC1\xEE both";
const std::wstring kWidePassword = L"口令 both";
const std::wstring kEdit = L"saved by the program: ";

TEST(Interop, NoteSavedByThisBuildOpensInTheOther) {
    ProgramCopy own("interop-own");
    ASSERT_TRUE(own.Seal(kNote, kPassword, "SEED"));
    const std::string sealed = own.Packet("DATA");
    {
        Editor editor(own);
        ASSERT_TRUE(editor.Open(kWidePassword));
        editor.Type(kEdit);
        EXPECT_EQ(driver::kSaveQuestion, editor.CloseAnswering(IDYES));
        ASSERT_EQ(0u, editor.WaitForExit());
    }
    ASSERT_NE(sealed, own.Packet("DATA"));

    ASSERT_EQ("SEED", own.Packet("TYPE"));
    const char* const packets[] = {"HMAC", "DATA", "TYPE"};
    ProgramCopy other("interop-other", "scribecrypt.exe", "SCRIBECRYPT_OTHER_EXE");
    ASSERT_TRUE(other.WriteRaw(own.Packet("HMAC"), own.Packet("DATA"), own.Packet("TYPE")));
    for (const char* name : packets)
        ASSERT_EQ(own.Packet(name), other.Packet(name)) << name;

    // Whether this machine runs the other build is found out by trying: Wine
    // cannot even create a 32-bit process where the kernel runs no 32-bit
    // programs.
    Editor editor(other);
    if (!editor.Started())
        GTEST_SKIP() << "this machine does not run the " << std::getenv("SCRIBECRYPT_OTHER_BUILD")
                     << " program (error " << GetLastError()
                     << "): the note was written into it and read back, not opened";
    ASSERT_TRUE(editor.Open(kWidePassword));
    EXPECT_EQ(kEdit + driver::FromCodePage936(kNote), editor.Text());
    EXPECT_EQ(0u, editor.CloseUnchanged());
}

}  // namespace
