// Replacing a file with one staged and checked beside it, on real files
// under Wine: the target holds either what it held or the whole new file,
// and nothing staged stays behind unless the way into place says so.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>
#include <string>

#include "framework/unique_handle.h"
#include "image/checked_replace.h"
#include "image/leftover_records.h"
#include "image/paths.h"
#include "tests/e2e/driver.h"

namespace {

// Writes bytes into the staged file, which may be named in any characters,
// and remembers its name; passes decides whether the file is then accepted.
WriteStaged Writing(const std::string& bytes, std::wstring& stagedAt, bool passes = true) {
    return [&stagedAt, bytes, passes](const std::wstring& staged) {
        stagedAt = staged;
        const Casement::CHandle file(
            CreateFileW(staged.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        return file.IsValid() &&
               WriteFile(file.GetHandle(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
               written == bytes.size() && passes;
    };
}

TEST(CheckedReplace, TheTargetGetsTheWholeNewFileOrKeepsWhatItHeld) {
    const std::string folder = driver::MakeTempFolder("replace");
    const std::string target = folder + "\\note.txt";
    std::wstring staged;

    EXPECT_EQ(Replacement::Replaced, ReplaceWithCheckedFile(FromAnsi(target), Writing("first", staged)));
    EXPECT_EQ("first", driver::ReadFileBytes(target));
    EXPECT_EQ(0u, staged.rfind(FromAnsi(target) + L"~", 0)) << "staged away from the target";

    EXPECT_EQ(Replacement::Replaced, ReplaceWithCheckedFile(FromAnsi(target), Writing("second", staged)));
    EXPECT_EQ("second", driver::ReadFileBytes(target));

    EXPECT_EQ(Replacement::NotWritten, ReplaceWithCheckedFile(FromAnsi(target), Writing("failed", staged, false)));
    EXPECT_EQ("second", driver::ReadFileBytes(target));

    const WriteStaged throwing = [](const std::wstring&) -> bool { throw std::runtime_error("cut short"); };
    EXPECT_THROW(ReplaceWithCheckedFile(FromAnsi(target), throwing), std::runtime_error);
    EXPECT_EQ("second", driver::ReadFileBytes(target));
    EXPECT_EQ(0, driver::CountFiles(folder + "\\*.tmp"));
}

TEST(CheckedReplace, ATargetThatCannotBeReplacedStaysAsItWas) {
    const std::string folder = driver::MakeTempFolder("replace-held");
    const std::string target = folder + "\\held.exe";
    ASSERT_TRUE(driver::WriteFileBytes(target, "earlier"));
    std::wstring staged;
    {
        // A reader that does not let the file be deleted keeps it in place.
        const Casement::CHandle reader(
            CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(reader.IsValid());
        EXPECT_EQ(Replacement::InUse, ReplaceWithCheckedFile(FromAnsi(target), Writing("new", staged)));
    }
    EXPECT_EQ("earlier", driver::ReadFileBytes(target));
    EXPECT_EQ(0, driver::CountFiles(folder + "\\*.tmp"));

    staged.clear();
    EXPECT_EQ(Replacement::NoNewFile,
              ReplaceWithCheckedFile(FromAnsi(folder + "\\missing\\note.txt"), Writing("new", staged)));
    EXPECT_EQ(L"", staged) << "written without a staged file";
}

// A path as long as Windows allows leaves no room for the whole name and a
// suffix: the staged file takes as much of the name as fits.
TEST(CheckedReplace, AtTheLongestPathTheStagedNameIsCutToFit) {
    const std::string folder = driver::MakeTempFolder("replace-long");
    std::string name;
    while (folder.size() + 1 + name.size() < kLongestPath)
        name += 'n';
    const std::wstring target = FromAnsi(folder + "\\" + name);
    std::wstring staged;

    EXPECT_EQ(Replacement::Replaced, ReplaceWithCheckedFile(target, Writing("beside", staged)));
    EXPECT_EQ(kLongestPath, staged.size());
    EXPECT_EQ(0u, staged.rfind(target.substr(0, kLongestPath - 9) + L"~", 0));
    EXPECT_EQ("beside", driver::ReadFileBytes(folder + "\\" + name));
    EXPECT_EQ(1, driver::CountFiles(folder + "\\*"));
}

TEST(CheckedReplace, OnlyADisplacedTargetKeepsTheStagedFile) {
    const std::string folder = driver::MakeTempFolder("replace-put");
    const std::wstring target = FromAnsi(folder + "\\program.exe");
    std::wstring staged;
    const auto answering = [](Replacement outcome) {
        return [outcome](const std::wstring&, const std::wstring&) { return outcome; };
    };
    EXPECT_EQ(Replacement::InUse, ReplaceWithCheckedFile(target, Writing("new", staged), answering(Replacement::InUse)));
    EXPECT_EQ(0, driver::CountFiles(folder + "\\*.tmp"));
    EXPECT_EQ(Replacement::Displaced, ReplaceWithCheckedFile(target, Writing("new", staged),
                                                             answering(Replacement::Displaced)));
    EXPECT_EQ(1, driver::CountFiles(folder + "\\*.tmp"));
    EXPECT_EQ(FolderOf(target), FolderOf(staged));
    EXPECT_FALSE(IsOwnLeftover(target, staged)) << "what the user is told of would go at the next start";
}

}  // namespace
