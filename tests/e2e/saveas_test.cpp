// Save As through the real save dialog: a locked executable or a text file,
// chosen by the name's extension.
#include <gtest/gtest.h>

#include "tests/e2e/editor.h"
#include "tests/e2e/unfit_text.h"
#include "ui/resource_ids.h"

namespace {

using driver::Editor;
using driver::EditorOnCopy;
using driver::kPasswordOnClose;
using driver::kSaveQuestion;
using driver::OpenedImageText;
using driver::ProgramCopy;

void SaveAs(Editor& editor, const std::string& path, int replace = 0) {
    wchar_t widePath[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH);
    editor.SaveAs(widePath, replace);
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A stored note open in the editor, which the tests save elsewhere.
class SaveAsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(editor_.Opened()); }
    void TearDown() override {
        if (!editor_.Opened())
            return;
        // An edited note asks on closing, and a loaded machine may take
        // seconds to show the question.
        if (editor_.Modified()) {
            EXPECT_EQ(kSaveQuestion, editor_.CloseAnswering(IDNO));
        } else {
            editor_.Close();
        }
        EXPECT_EQ(0u, editor_.WaitForExit());
        EXPECT_TRUE(editor_.ProgramUnchanged()) << "Save As changed the running program";
    }
    std::string Target(const std::string& name) const { return editor_.Copy().Folder() + "\\" + name; }

    EditorOnCopy editor_{"save as", "stored", "pw", "SM4"};
};

TEST_F(SaveAsTest, UnchangedNoteIsAPlainCopyEvenAfterAPasswordChange) {
    ASSERT_TRUE(editor_.ChangePassword(L"new", L"AES-256-CBC"));
    EXPECT_EQ(kPasswordOnClose, editor_.Answer(IDOK));
    SaveAs(editor_, Target("copy.exe"));
    EXPECT_TRUE(editor_.Original() == driver::ReadFileBytes(Target("copy.exe")));
    // Closing applies the new password to the running program: keep it as is.
    SendMessageW(editor_.View(), EM_SETMODIFY, TRUE, 0);
}

TEST_F(SaveAsTest, ChangedNoteIsSealedWithTheCurrentPasswordAndText) {
    editor_.Type(L"more ");
    SaveAs(editor_, Target("CHANGED.EXE"));
    ASSERT_TRUE(Exists(Target("CHANGED.EXE")));
    EXPECT_TRUE(editor_.Modified());
    EXPECT_EQ(L"more stored", OpenedImageText(Target("CHANGED.EXE"), L"pw"));
    EXPECT_EQ(driver::ProgramIdentityOf(editor_.Copy().Path()), driver::ProgramIdentityOf(Target("CHANGED.EXE")));
}

TEST_F(SaveAsTest, EmptiedNoteIsSealedAsOneEmptyBlock) {
    editor_.DeleteAll();
    SaveAs(editor_, Target("empty.exe"));
    ProgramCopy written("empty check");
    ASSERT_TRUE(driver::CopyInto(Target("empty.exe"), written.Path()));
    EXPECT_EQ(16u, written.Packet("DATA").size());
    EXPECT_EQ(L"", OpenedImageText(Target("empty.exe"), L"pw"));
}

TEST_F(SaveAsTest, TextFormWritesThePlainTextWithoutAskingForAPassword) {
    editor_.Type(L"plain ");
    SaveAs(editor_, Target("note.txt"));
    EXPECT_EQ("plain stored", driver::ReadFileBytes(Target("note.txt")));
    EXPECT_TRUE(driver::TopLevelWindows(editor_.GetProcess().Id(), L"#32770").empty());
}

TEST_F(SaveAsTest, OtherOrEmptyExtensionsWriteNothing) {
    editor_.Type(L"x");
    SaveAs(editor_, Target("note.doc"));
    EXPECT_FALSE(Exists(Target("note.doc")));
    // A name ending in a dot has an empty extension, and the dialog appends
    // no default extension to it.
    SaveAs(editor_, Target("bare."));
    EXPECT_EQ(0, driver::CountFiles(Target("bare*")));
}

TEST_F(SaveAsTest, FailureIsReportedAndNeverLeavesAPlainCopy) {
    editor_.Type(L"changed ");
    // The running program itself cannot be written.
    SaveAs(editor_, editor_.Copy().Path(), IDYES);
    EXPECT_EQ(L"错误: 无法保存文档。", editor_.Answer(IDOK));
    EXPECT_TRUE(IsWindow(editor_.Main()));
    EXPECT_TRUE(editor_.Modified());
}

TEST_F(SaveAsTest, AFailedSaveLeavesTheFileAtThePathAsItWasAndNothingBeside) {
    editor_.Type(L"changed ");
    ASSERT_TRUE(driver::WriteFileBytes(Target("held.exe"), "earlier file"));
    // Readers that let the file be deleted, with or without writing: it
    // cannot be replaced while they hold it.
    const DWORD sharings[] = {FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE};
    for (const DWORD sharing : sharings) {
        Casement::CHandle reader(
            CreateFileA(Target("held.exe").c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(reader.IsValid());
        SaveAs(editor_, Target("held.exe"), IDYES);
        EXPECT_EQ(L"错误: 无法保存文档。", editor_.Answer(IDOK)) << sharing;
        reader.Close();
        EXPECT_EQ("earlier file", driver::ReadFileBytes(Target("held.exe"))) << sharing;
        EXPECT_EQ(0, driver::CountFiles(Target("*.tmp"))) << sharing;
        EXPECT_TRUE(editor_.Modified());
    }
}

TEST_F(SaveAsTest, EitherFormOfTextCodePage936CannotHoldIsWrittenOnlyAfterYes) {
    ASSERT_TRUE(editor_.PasteOverAll(driver::kMixedText));
    for (const char* name : {"mixed.txt", "mixed.exe"}) {
        SaveAs(editor_, Target(name));
        EXPECT_EQ(driver::kMixedTextWarning, editor_.Answer(IDNO)) << name;
        EXPECT_TRUE(driver::FirstUnfitSelected(editor_)) << name;
        EXPECT_FALSE(Exists(Target(name))) << name;
        SaveAs(editor_, Target(name));
        EXPECT_EQ(driver::kMixedTextWarning, editor_.Answer(IDYES)) << name;
        EXPECT_TRUE(driver::WaitUntil([&] { return Exists(Target(name)); }, driver::kWindowTimeoutMs)) << name;
    }
    EXPECT_EQ(driver::kMixedTextBytes, driver::ReadFileBytes(Target("mixed.txt")));
    EXPECT_EQ(driver::kMixedTextStored, OpenedImageText(Target("mixed.exe"), L"pw"));
}

// A modern note keeps what code page 936 cannot hold in both forms, without
// a question: a copy of the program keeps its protection, and a text file
// is UTF-8 with a byte order mark.
TEST(SaveAsModern, BothFormsKeepEveryCharacterAndTheCopyItsProtection) {
    EditorOnCopy editor("save as modern", "stored", u8"密码", "XCHACHA20");
    ASSERT_TRUE(editor.Opened());
    ASSERT_TRUE(editor.PasteOverAll(driver::kMixedText));
    const std::string mixed8 = u8"中文 € 한국어 😀 end";
    const std::string folder = editor.Copy().Folder();
    SaveAs(editor, folder + "\\mixed.txt");
    EXPECT_EQ("\xEF\xBB\xBF" + mixed8, driver::ReadFileBytes(folder + "\\mixed.txt"));
    SaveAs(editor, folder + "\\mixed.exe");
    ProgramCopy written("modern copy");
    ASSERT_TRUE(driver::CopyInto(folder + "\\mixed.exe", written.Path()));
    EXPECT_EQ("XCHACHA20", written.NoteChoiceName());
    EXPECT_TRUE(mixed8 == written.NoteText(u8"密码"));
    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDNO));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_TRUE(editor.ProgramUnchanged());
}

// A new note typed and then saved as a locked executable, which first asks
// for a password.
class SaveAsNew : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(editor_.Opened());
        editor_.Type(L"secret note");
        SaveAs(editor_, target_);
    }

    EditorOnCopy editor_{"save as new"};
    const std::string target_ = editor_.Copy().Folder() + "\\locked.exe";
};

TEST_F(SaveAsNew, ChangedNewNoteAsksForAPasswordFirst) {
    ASSERT_TRUE(editor_.AnswerNewPassword(L"", L""));
    EXPECT_EQ(L"错误: 密码不能为空。", editor_.Answer(IDOK));
    ASSERT_TRUE(editor_.AnswerNewPassword(L"a", L"b"));
    EXPECT_EQ(L"错误: 您所输入的密码不匹配。", editor_.Answer(IDOK));
    ASSERT_TRUE(editor_.AnswerNewPassword(L"pw", L"pw", L"SEED-128-CBC"));
    Sleep(300);
    ASSERT_TRUE(Exists(target_));
    EXPECT_EQ(kSaveQuestion, editor_.CloseAnswering(IDNO));
    EXPECT_EQ(0u, editor_.WaitForExit());
    EXPECT_TRUE(editor_.ProgramUnchanged());
    EXPECT_EQ(L"secret note", OpenedImageText(target_, L"pw"));
}

// Cancel after two equal entries forgets them: the note is not saved with
// them, and closing asks for a password again.
TEST_F(SaveAsNew, CancelledPasswordIsNotKept) {
    ASSERT_TRUE(editor_.AnswerNewPassword(L"pw", L"pw", L"", IDCANCEL));
    EXPECT_FALSE(Exists(target_));
    EXPECT_EQ(kSaveQuestion, editor_.CloseAnswering(IDYES));
    const HWND asked = driver::WaitForDialog(editor_.GetProcess().Id(), L"Scribecrypt", driver::kWindowTimeoutMs);
    ASSERT_NE(nullptr, asked);
    EXPECT_NE(nullptr, GetDlgItem(asked, IDC_NEW_PASSWORD)) << "the cancelled password was used";
    ASSERT_TRUE(editor_.AnswerNewPassword(L"", L"", L"", IDCANCEL));
    EXPECT_EQ(kSaveQuestion, editor_.CloseAnswering(IDNO));
    EXPECT_EQ(0u, editor_.WaitForExit());
    EXPECT_TRUE(editor_.ProgramUnchanged());
}

}  // namespace
