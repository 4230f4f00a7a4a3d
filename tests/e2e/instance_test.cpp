// One editor per program file: while an editor runs, a start of the same
// file ends at once with exit code 1 and no window, whichever path or name
// reaches the file, and a save does not change that; another file holding
// the same program still starts an editor of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/e2e/editor.h"
#include "ui/resource_ids.h"

namespace {

using driver::EditorOnCopy;

const char kPassword[] = "pw";
constexpr DWORD kSecondStartMs = 10000;

struct Spelling {
    const char* name;
    std::string path;
};

std::string ZDrive(const std::string& unixPath) { return driver::WindowsPath(unixPath); }

// Every spelling Wine can make of the file at path on drive C: besides the
// path itself. Wine makes no junctions (setting a reparse point fails) and
// no symbolic links (CreateSymbolicLinkW succeeds and makes nothing), and
// a drive made with DefineDosDeviceW reaches no files; the links Wine has
// are its own, from the drive letters in dosdevices to their folders.
std::vector<Spelling> OtherSpellings(const std::string& path) {
    std::vector<Spelling> spellings;
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix != nullptr && path.size() > 2 && path[1] == ':')
        spellings.push_back({"Z: through drive_c", ZDrive(std::string(prefix) + "/drive_c") + path.substr(2)});
    const std::string unixPath = driver::UnixPathOf(path);
    if (!unixPath.empty())
        spellings.push_back({"Z: through the link of drive C:", ZDrive(unixPath)});
    spellings.push_back({"\\\\?\\ prefix", "\\\\?\\" + path});
    char shortPath[MAX_PATH] = {};
    if (GetShortPathNameA(path.c_str(), shortPath, MAX_PATH) > 0)
        spellings.push_back({"short name", shortPath});
    const std::string hardLink = path.substr(0, path.size() - 4) + "-link.exe";
    if (CreateHardLinkA(hardLink.c_str(), path.c_str(), nullptr))
        spellings.push_back({"hard link", hardLink});
    return spellings;
}

// A start through path must meet the running editor and end at once.
void ExpectEndsAtOnce(const Spelling& spelling) {
    SCOPED_TRACE(std::string(spelling.name) + ": " + spelling.path);
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(spelling.path.c_str()));
    driver::Process second;
    ASSERT_TRUE(second.Start(spelling.path, "\"" + spelling.path + "\""));
    DWORD code = 0;
    ASSERT_TRUE(second.WaitForExit(kSecondStartMs, &code)) << "a second editor runs";
    EXPECT_EQ(1u, code);
}

TEST(Instance, EverySpellingOfTheRunningFileEndsAtOnceAndAnotherCopyStarts) {
    EditorOnCopy editor("instance", "note", kPassword, "SM4");
    ASSERT_TRUE(editor.Opened());
    const std::vector<Spelling> spellings = OtherSpellings(editor.Copy().Path());
    ASSERT_EQ(5u, spellings.size()) << "Wine should make each spelling";
    for (const Spelling& spelling : spellings)
        ExpectEndsAtOnce(spelling);

    // The same bytes in another file of the same folder are another note.
    const driver::ProgramCopy other(driver::ProgramCopy::InFolder{editor.Copy().Folder(), "other.exe"});
    driver::Editor besides(other);
    ASSERT_TRUE(besides.Open());
    EXPECT_EQ(0u, besides.CloseUnchanged());
    EXPECT_EQ(0u, editor.CloseUnchanged());
}

// A save puts another file at the program's path; the editor that made it
// holds its instance as well.
TEST(Instance, AfterASaveTheProgramFileStillEndsAtOnce) {
    EditorOnCopy editor("instance save", "note", kPassword, "SM4");
    ASSERT_TRUE(editor.Opened());
    editor.Type(L"x");
    editor.Command(IDM_SAVE);
    ASSERT_TRUE(driver::WaitUntil([&] { return !editor.Modified(); }, 30000));
    const std::string path = editor.Copy().Path();
    ExpectEndsAtOnce({"same path", path});
    for (const Spelling& spelling : OtherSpellings(path))
        if (std::string(spelling.name).rfind("Z:", 0) == 0)
            ExpectEndsAtOnce(spelling);
    EXPECT_EQ(0u, editor.CloseUnchanged());
}

}  // namespace
