// The program saves, reopens and Saves As wherever Windows lets a program
// be: in a folder of Chinese characters or of ASCII letters as long as a path
// may be, under a name with characters whose second byte in code page 936
// is a backslash, and in a folder whose name code page 936 cannot spell.
// Started through a symbolic link or a short name, it saves into the file
// that name reaches and leaves every name as it was.
// The folders are made by their UTF-16 names and the program is started
// from them as the current folder, so that the test itself never has to
// spell them in code page 936.
#include <gtest/gtest.h>

#include <string>

#include "image/paths.h"
#include "tests/e2e/editor.h"
#include "ui/resource_ids.h"

namespace {

using driver::Editor;
using driver::ProgramCopy;

// The identity of a file: a rename over a path gives it another file, an
// overwrite in place keeps the one it had.
ULONGLONG FileIdentity(const std::wstring& path) {
    const Casement::CHandle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                             nullptr, OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!file.IsValid() || !GetFileInformationByHandle(file.GetHandle(), &information))
        return 0;
    return (ULONGLONG{information.nFileIndexHigh} << 32) | information.nFileIndexLow;
}

class Paths : public ::testing::Test {
protected:
    void SetUp() override {
        base_ = FromAnsi(driver::MakeTempFolder("paths"));
        ASSERT_FALSE(base_.empty());
    }
    void TearDown() override { SetCurrentDirectoryW(base_.c_str()); }

    // A folder under the test's own one, named name.
    std::wstring Folder(const std::wstring& name) const {
        const std::wstring folder = base_ + L"\\" + name;
        EXPECT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << "folder of " << name.size() << " characters";
        return folder;
    }
    // A folder name of repeated characters that makes folder\fileName
    // exactly length characters long, by default as long as Windows allows.
    std::wstring LongestName(const std::wstring& characters, const std::wstring& fileName,
                             std::size_t length = kLongestPath) const {
        std::wstring name;
        while (base_.size() + 1 + name.size() + 1 + fileName.size() < length)
            name += characters[name.size() % characters.size()];
        return name;
    }

    // With the program as fileName in folder: a stored note is edited and
    // saved on closing, which replaces the program file by a rename and
    // opens with the edit; then it is edited again and saved as saveAs;
    // then edited once more and saved with Ctrl+S, which leaves nothing
    // beside the program once the editor has ended.
    void SavesReopensAndSavesAs(const std::wstring& folder, const std::string& fileName,
                                const std::wstring& saveAs) {
        ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
        const ProgramCopy copy(ProgramCopy::InFolder{".", fileName});
        ASSERT_TRUE(copy.Seal("旧", "pw", "AES"));
        const std::wstring program = folder + L"\\" + FromAnsi(fileName);
        ASSERT_GE(kLongestPath, program.size());
        const ULONGLONG before = FileIdentity(program);
        ASSERT_NE(0u, before);

        std::wstring edited;
        {
            Editor editor(copy);
            ASSERT_TRUE(editor.Open(L"pw"));
            editor.Type(L"新");
            edited = editor.Text();
            EXPECT_EQ(driver::kSaveQuestion, editor.CloseAnswering(IDYES));
            EXPECT_EQ(0u, editor.WaitForExit());
        }
        EXPECT_NE(before, FileIdentity(program)) << "the program file was rewritten in place";
        EXPECT_EQ(edited, driver::OpenedText(copy, L"pw"));

        Editor editor(copy);
        ASSERT_TRUE(editor.Open(L"pw"));
        editor.Type(L"另");
        const std::wstring savedAs = editor.Text();
        editor.SaveAs(saveAs);
        EXPECT_EQ(driver::kSaveQuestion, editor.CloseAnswering(IDNO));
        EXPECT_EQ(0u, editor.WaitForExit());
        const ProgramCopy reopened(ProgramCopy::InFolder{".", "reopened.exe"});
        ASSERT_TRUE(CopyFileW(saveAs.c_str(), L"reopened.exe", FALSE)) << "Save As wrote nothing";
        EXPECT_EQ(savedAs, driver::OpenedText(reopened, L"pw"));

        const int files = driver::CountFiles("*");
        Editor saver(copy);
        ASSERT_TRUE(saver.Open(L"pw"));
        saver.Type(L"存");
        const std::wstring saved = saver.Text();
        saver.Command(IDM_SAVE);
        ASSERT_TRUE(driver::WaitUntil([&] { return !saver.Modified(); }, 15000)) << "Ctrl+S did not save";
        EXPECT_EQ(0u, saver.CloseUnchanged());
        EXPECT_EQ(saved, driver::OpenedText(copy, L"pw"));
        EXPECT_TRUE(driver::WaitUntil([&] { return driver::CountFiles("*") == files; }, 5000)) << "a save left a file";
    }

    std::wstring base_;
};

TEST_F(Paths, AFolderOfChineseCharactersAsLongAsAPathMayBe) {
    const std::wstring folder = Folder(LongestName(L"长路径的文件夹", L"h.exe"));
    SavesReopensAndSavesAs(folder, "h.exe", folder + L"\\c.exe");
}

TEST_F(Paths, AFolderOfASCIILettersAsLongAsAPathMayBe) {
    const std::wstring folder = Folder(LongestName(L"abcdefgh", L"h.exe"));
    SavesReopensAndSavesAs(folder, "h.exe", folder + L"\\c.exe");
}

// Four characters short of the longest path: no room for the whole name
// and a suffix beside it, as there is none at the longest.
TEST_F(Paths, AProgramPathOf255Characters) {
    const std::wstring folder = Folder(LongestName(L"abcdefgh", L"h.exe", 255));
    SavesReopensAndSavesAs(folder, "h.exe", folder + L"\\c.exe");
}

TEST_F(Paths, ANameWithCharactersEndingInABackslashByte) {
    // 運 is b0 5c and 誠 is d5 5c in code page 936.
    const std::wstring folder = Folder(L"運誠");
    SavesReopensAndSavesAs(folder, "運誠.exe", folder + L"\\錦衆.exe");
}

TEST_F(Paths, AFolderWhoseNameCodePage936CannotSpell) {
    const std::wstring folder = Folder(L"메모");
    SavesReopensAndSavesAs(folder, "h.exe", base_ + L"\\copy.exe");
}

TEST_F(Paths, SaveAsToAPathLongerThanWindowsAllowsSaysSoAndWritesNothing) {
    const std::wstring folder = Folder(LongestName(L"长路径的文件夹", L"h.exe"));
    const std::wstring target = folder + L"\\cc.exe";
    ASSERT_TRUE(SetCurrentDirectoryW(base_.c_str()));
    const ProgramCopy copy(ProgramCopy::InFolder{".", "h.exe"});
    ASSERT_TRUE(copy.Seal("旧", "pw", "AES"));
    Editor editor(copy);
    ASSERT_TRUE(editor.Open(L"pw"));
    editor.Type(L"新");
    editor.SaveAs(target);
    EXPECT_EQ(L"错误: 无法保存到“" + target + L"”：路径超过了 Windows 允许的 259 个字符。", editor.Answer(IDOK));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(target.c_str()));
    EXPECT_EQ(driver::kSaveQuestion, editor.CloseAnswering(IDNO));
    EXPECT_EQ(0u, editor.WaitForExit());
}

// Chooses the save command and waits until the view is unmodified.
bool SaveNow(const Editor& editor) {
    editor.Command(IDM_SAVE);
    return driver::WaitUntil([&] { return !editor.Modified(); }, 30000);
}

std::wstring SealedText(const ProgramCopy& copy) { return FromAnsi(copy.Unsealed("pw", copy.Packet("TYPE"))); }

bool SameFile(const std::string& first, const std::string& second) {
    const ULONGLONG identity = FileIdentity(FromAnsi(first));
    return identity != 0 && identity == FileIdentity(FromAnsi(second));
}

TEST(Links, AStartThroughASymbolicLinkSavesIntoTheFileItNamesAndLeavesTheLinkALink) {
    const std::string base = driver::MakeTempFolder("symbolic link");
    const std::string kept = base + "\\kept";
    ASSERT_TRUE(CreateDirectoryA(kept.c_str(), nullptr));
    const ProgramCopy real(ProgramCopy::InFolder{kept, "note.exe"});
    ASSERT_TRUE(real.Seal("旧", "pw", "AES"));
    const ProgramCopy link(ProgramCopy::InFolder{base, "note.exe"});
    ASSERT_TRUE(DeleteFileA(link.Path().c_str()));
    ASSERT_TRUE(driver::MakeSymbolicLink(real.Path(), link.Path()));
    const ProgramCopy other(ProgramCopy::InFolder{kept, "other.exe"});
    const std::string otherLink = base + "\\other.exe";
    ASSERT_TRUE(driver::MakeSymbolicLink(other.Path(), otherLink));

    std::wstring closed;
    {
        Editor editor(link);
        ASSERT_TRUE(editor.Open(L"pw"));
        editor.Type(L"n");
        ASSERT_TRUE(SaveNow(editor));
        EXPECT_TRUE(SameFile(link.Path(), real.Path())) << "Ctrl+S replaced the link";
        EXPECT_EQ(editor.Text(), SealedText(real));

        editor.SaveAs(FromAnsi(otherLink), IDYES);
        EXPECT_TRUE(driver::WaitUntil([&] { return SealedText(other) == editor.Text(); }, 30000));
        EXPECT_TRUE(SameFile(otherLink, other.Path())) << "Save As replaced the link";

        editor.Type(L"c");
        closed = editor.Text();
        EXPECT_EQ(driver::kSaveQuestion, editor.CloseAnswering(IDYES));
        EXPECT_EQ(0u, editor.WaitForExit());
    }
    EXPECT_TRUE(SameFile(link.Path(), real.Path())) << "the close replaced the link";
    EXPECT_EQ(closed, SealedText(real));
    // The retired image went, and only it.
    EXPECT_TRUE(driver::WaitUntil([&] { return driver::CountFiles(kept + "\\*.tmp") == 0; }, 5000));
    EXPECT_EQ(0, driver::CountFiles(base + "\\*.tmp"));
    EXPECT_EQ(closed, driver::OpenedText(link, L"pw"));
}

TEST(Links, AStartThroughTheShortNameSavesUnderTheLongName) {
    const std::string folder = driver::MakeTempFolder("short name");
    const std::string longName = "a long program name.exe";
    const ProgramCopy named(ProgramCopy::InFolder{folder, longName});
    char shortPath[MAX_PATH] = {};
    ASSERT_NE(0u, GetShortPathNameA(named.Path().c_str(), shortPath, MAX_PATH));
    const std::string shortName = std::string(shortPath).substr(std::string(shortPath).find_last_of('\\') + 1);
    ASSERT_NE(longName, shortName);
    // The program copied through the short name goes into the same file.
    const ProgramCopy viaShortName(ProgramCopy::InFolder{folder, shortName});
    ASSERT_TRUE(named.Seal("旧", "pw", "AES"));

    Editor editor(viaShortName);
    ASSERT_TRUE(editor.Open(L"pw"));
    editor.Type(L"新");
    const std::wstring saved = editor.Text();
    ASSERT_TRUE(SaveNow(editor));
    EXPECT_EQ(saved, SealedText(named));
    EXPECT_EQ(1, driver::CountFiles(folder + "\\*.exe")) << "a file of the short name appeared";
    EXPECT_EQ(0u, editor.CloseUnchanged());
    EXPECT_TRUE(driver::WaitUntil([&] { return driver::CountFiles(folder + "\\*.tmp") == 0; }, 5000));
    EXPECT_EQ(saved, driver::OpenedText(named, L"pw"));
}

}  // namespace
