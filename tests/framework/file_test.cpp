// The file class against the real file system and pipes: open flags and
// sharing, failures and their exceptions, positions and name parts.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/cexception.h"
#include "framework/file.h"

namespace {

using Casement::CFile;
using Casement::CFileException;

// A folder of its own per test, removed with what the test left in it.
class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_folder = std::string(temp) + "casement-" + info->name() + "-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(m_folder.c_str(), nullptr);
    }
    void TearDown() override {
        for (const std::string& path : m_created)
            DeleteFileA(path.c_str());
        RemoveDirectoryA(m_folder.c_str());
    }

    std::string PathOf(const std::string& name) {
        m_created.push_back(m_folder + "\\" + name);
        return m_created.back();
    }
    std::string MakeFile(const std::string& name, const std::string& content) {
        const std::string path = PathOf(name);
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        CloseHandle(file);
        return path;
    }
    // Opens the file a second time as another program would; the error of a
    // refused open is in errorCode.
    static bool OpenAgain(const std::string& path, DWORD access, DWORD& errorCode) {
        HANDLE file = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        errorCode = GetLastError();
        if (file == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(file);
        return true;
    }

    std::string m_folder;
    std::vector<std::string> m_created;
};

TEST_F(FileTest, FlagsZeroOpenAnExistingFileForReadingAndWritingUnshared) {
    const std::string path = MakeFile("note.txt", "12345");
    CFile file(path.c_str(), 0);

    file.Write("ab", 2);
    file.SeekToBegin();
    char read[8] = {};
    EXPECT_EQ(5u, file.Read(read, sizeof read));
    EXPECT_STREQ("ab345", read);

    DWORD errorCode = 0;
    EXPECT_FALSE(OpenAgain(path, GENERIC_READ, errorCode));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), errorCode);
    try {
        CFile second(path.c_str(), CFile::modeRead | CFile::shareReadWrite);
        FAIL() << "a second open of an unshared file succeeded";
    } catch (const CFileException& e) {
        EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), e.GetError());
    }
}

TEST_F(FileTest, ShareFlagsLetOnlyTheSharedAccessIn) {
    const std::string path = MakeFile("shared.txt", "x");
    DWORD errorCode = 0;
    {
        CFile file(path.c_str(), CFile::modeRead | CFile::shareRead);
        EXPECT_TRUE(OpenAgain(path, GENERIC_READ, errorCode));
        EXPECT_FALSE(OpenAgain(path, GENERIC_WRITE, errorCode));
    }
    {
        CFile file(path.c_str(), CFile::modeRead | CFile::shareWrite);
        EXPECT_FALSE(OpenAgain(path, GENERIC_READ, errorCode));
        EXPECT_TRUE(OpenAgain(path, GENERIC_WRITE, errorCode));
    }
    {
        CFile file(path.c_str(), CFile::modeRead | CFile::shareReadWrite);
        EXPECT_TRUE(OpenAgain(path, GENERIC_READ | GENERIC_WRITE, errorCode));
    }
}

TEST_F(FileTest, MissingFileThrowsWithItsName) {
    const std::string path = PathOf("缺少的文件.txt");
    CFile file;
    try {
        file.Open(path.c_str(), 0);
        FAIL() << "opening a missing file succeeded";
    } catch (const CFileException& e) {
        EXPECT_STREQ("Failed to open file", e.GetText());
        EXPECT_EQ(path, e.GetFileName());
        EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), e.GetError());
    }
    EXPECT_EQ(nullptr, file.GetHandle());
}

TEST_F(FileTest, WritingZeroBytesMakesNoCall) {
    // A read-only handle refuses every WriteFile, even one of no bytes.
    const std::string path = MakeFile("readonly.txt", "text");
    CFile file(path.c_str(), CFile::modeRead);
    EXPECT_NO_THROW(file.Write("x", 0));
    try {
        file.Write("x", 1);
        FAIL() << "a write to a read-only file succeeded";
    } catch (const CFileException& e) {
        EXPECT_STREQ("Failed to write to file", e.GetText());
        EXPECT_EQ(path, e.GetFileName());
    }
}

TEST_F(FileTest, ShortWriteThrows) {
    // A non-blocking pipe with a small buffer takes less than it is given and
    // still reports success.
    const std::string name = "\\\\.\\pipe\\casement-short-write-" + std::to_string(GetCurrentProcessId());
    HANDLE server = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_NOWAIT, 1, 16, 16, 0,
                                     nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, server);
    {
        CFile pipe(name.c_str(), CFile::modeWrite);
        DWORD mode = PIPE_NOWAIT;
        ASSERT_TRUE(SetNamedPipeHandleState(pipe.GetHandle(), &mode, nullptr, nullptr));
        const std::vector<char> data(100000, 'x');
        try {
            pipe.Write(data.data(), static_cast<UINT>(data.size()));
            FAIL() << "a short write went unnoticed";
        } catch (const CFileException& e) {
            EXPECT_STREQ("Failed to write to file", e.GetText());
            EXPECT_EQ(name, e.GetFileName());
        }
    }
    CloseHandle(server);
}

TEST_F(FileTest, ReadsStopAtTheEnd) {
    const std::string path = MakeFile("short.txt", "hello");
    CFile file(path.c_str(), CFile::modeRead);
    char buffer[16] = {};
    EXPECT_EQ(0u, file.Read(buffer, 0));
    EXPECT_EQ(5u, file.Read(buffer, sizeof buffer));
    EXPECT_EQ(0u, file.Read(buffer, sizeof buffer));
}

TEST_F(FileTest, PositionsAreSixtyFourBitAndLengthKeepsThem) {
    const std::string path = MakeFile("positions.bin", "0123456789");
    CFile file(path.c_str(), 0);
    EXPECT_EQ(3u, file.Seek(3, FILE_BEGIN));
    EXPECT_EQ(10u, file.GetLength());
    EXPECT_EQ(3u, file.GetPosition());

    EXPECT_TRUE(file.SetLength(4));
    EXPECT_EQ(4u, file.GetLength());
    EXPECT_EQ(3u, file.GetPosition());
    EXPECT_EQ(4u, file.SeekToEnd());

    const ULONGLONG beyond4GiB = 5ULL << 30;
    EXPECT_EQ(beyond4GiB, file.Seek(static_cast<LONGLONG>(beyond4GiB), FILE_BEGIN));
    EXPECT_EQ(beyond4GiB - 1, file.Seek(-1, FILE_CURRENT));
    EXPECT_EQ(static_cast<ULONGLONG>(-1), file.Seek(-1, FILE_BEGIN));
    EXPECT_EQ(beyond4GiB - 1, file.GetPosition());
}

TEST(FileName, PartsOfThePath) {
    CFile file;
    file.SetFilePath("C:\\笔记\\周报.2024.txt");
    EXPECT_EQ("周报.2024.txt", file.GetFileName().GetString());
    EXPECT_EQ("txt", file.GetFileNameExt().GetString());
    EXPECT_EQ("周报.2024", file.GetFileNameWOExt().GetString());

    // "乗" ends in the byte of a backslash.
    file.SetFilePath("C:\\乗乗");
    EXPECT_EQ("乗乗", file.GetFileName().GetString());
    EXPECT_EQ("", file.GetFileNameExt().GetString());
    EXPECT_EQ("乗乗", file.GetFileNameWOExt().GetString());

    file.SetFilePath("README");
    EXPECT_EQ("README", file.GetFileName().GetString());
    EXPECT_EQ("README", file.GetFilePath().GetString());
}

}  // namespace
