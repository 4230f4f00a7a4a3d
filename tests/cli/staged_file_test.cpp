// The staged file natively: it takes the target's place in the folder that
// was looked at, whatever that folder's path names by then.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/staged_file.h"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void Put(const std::string& target, const std::string& text) {
    StagedFile staged(target, "");
    staged.Write(std::vector<std::uint8_t>(text.begin(), text.end()));
    staged.Flush();
    staged.PlaceOverTarget();
}

class StagedFileTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/staged-file-test-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        m_base = pattern;
    }
    void TearDown() override { fs::remove_all(m_base); }
    fs::path m_base;
};

// The folders and links of a path are walked one by one: relative paths,
// "." and "..", and relative and absolute links, each as the system would
// resolve them, the link staying a link.
TEST_F(StagedFileTest, PathsResolveAsTheSystemResolvesThem) {
    fs::create_directories(m_base / "a" / "b");
    fs::create_directory_symlink("a/b", m_base / "to-b");
    fs::create_symlink("../b/file", m_base / "a" / "b" / "up-and-back");
    fs::create_symlink(m_base / "a" / "other", m_base / "absolute");
    const fs::path previous = fs::current_path();
    fs::current_path(m_base);
    Put("to-b/up-and-back", "through two links");
    Put("./a/b/../new", "relative");
    Put((m_base / "absolute").string(), "absolute link");
    fs::current_path(previous);
    EXPECT_EQ("through two links", ReadText(m_base / "a" / "b" / "file"));
    EXPECT_TRUE(fs::is_symlink(m_base / "a" / "b" / "up-and-back"));
    EXPECT_EQ("relative", ReadText(m_base / "a" / "new"));
    EXPECT_EQ("absolute link", ReadText(m_base / "a" / "other"));
    EXPECT_TRUE(fs::is_symlink(m_base / "absolute"));
}

// Another user swaps the target's folder for a link to a folder of root's
// between the check and the rename: the file still lands where it was
// staged, and nothing reaches the folder the link names.
TEST_F(StagedFileTest, AFolderSwappedForALinkDoesNotRedirectTheFile) {
    fs::create_directory(m_base / "folder");
    fs::create_directory(m_base / "elsewhere");
    {
        StagedFile staged((m_base / "folder" / "out.txt").string(), "");
        staged.Write({'p', 'l', 'a', 'i', 'n'});
        staged.Flush();
        fs::rename(m_base / "folder", m_base / "moved");
        fs::create_directory_symlink("elsewhere", m_base / "folder");
        staged.PlaceOverTarget();
    }
    EXPECT_EQ("plain", ReadText(m_base / "moved" / "out.txt"));
    EXPECT_TRUE(fs::is_empty(m_base / "elsewhere"));
}

}  // namespace
