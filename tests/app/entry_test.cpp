// Process entry of the real executable under Wine: the instance check, the
// argument rules and write-back mode.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/e2e/driver.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kStartTimeoutMs = 20000;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class Entry : public ::testing::Test {
protected:
    // A private copy of the executable, since the instance mutex and the
    // write-back target are per path.
    std::string CopyProgram(const std::string& folderHint, const std::string& name = "scribecrypt.exe") {
        const std::string folder = driver::MakeTempFolder(folderHint);
        const std::string path = folder + "\\" + name;
        EXPECT_TRUE(driver::CopyInto(driver::PathFromEnvironment("SCRIBECRYPT_EXE"), path));
        return path;
    }

    static std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

    static void CloseAndExpectExit(driver::Process& process, HWND window, DWORD expected) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        DWORD code = 0;
        ASSERT_TRUE(process.WaitForExit(10000, &code));
        EXPECT_EQ(expected, code);
    }
};

TEST_F(Entry, SecondStartOfSamePathEndsSilentlyWhileCopyElsewhereRuns) {
    const std::string first = CopyProgram("instance-a");
    const std::string other = CopyProgram("instance-b");

    driver::Process running;
    ASSERT_TRUE(running.Start(first, Quoted(first)));
    HWND window = driver::WaitForWindow(running.Id(), nullptr, kStartTimeoutMs);
    ASSERT_NE(nullptr, window);

    driver::Process second;
    ASSERT_TRUE(second.Start(first, Quoted(first)));
    DWORD code = 0;
    ASSERT_TRUE(second.WaitForExit(10000, &code));
    EXPECT_EQ(1u, code);
    EXPECT_TRUE(driver::TopLevelWindows(second.Id()).empty());

    driver::Process beside;
    ASSERT_TRUE(beside.Start(other, Quoted(other)));
    HWND besideWindow = driver::WaitForWindow(beside.Id(), nullptr, kStartTimeoutMs);
    ASSERT_NE(nullptr, besideWindow);

    CloseAndExpectExit(beside, besideWindow, 0);
    CloseAndExpectExit(running, window, 0);
}

TEST_F(Entry, OneFileRunsOnceUnderAnySpellingAndTwoFilesSideBySide) {
    const std::string folder = driver::MakeTempFolder("spellings");
    ASSERT_TRUE(CreateDirectoryA((folder + "\\ab").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((folder + "\\a").c_str(), nullptr));
    const std::string first = folder + "\\ab\\c.exe";
    const std::string joinedAlike = folder + "\\a\\bc.exe";  // the same once backslashes are dropped
    ASSERT_TRUE(driver::CopyInto(driver::PathFromEnvironment("SCRIBECRYPT_EXE"), first));
    ASSERT_TRUE(driver::CopyInto(driver::PathFromEnvironment("SCRIBECRYPT_EXE"), joinedAlike));

    driver::Process running;
    ASSERT_TRUE(running.Start(first, Quoted(first)));
    HWND window = driver::WaitForWindow(running.Id(), nullptr, kStartTimeoutMs);
    ASSERT_NE(nullptr, window);

    std::string respelled = folder + "\\AB\\.\\C.EXE";
    respelled[0] = static_cast<char>(respelled[0] == 'C' ? 'c' : 'C');
    driver::Process second;
    ASSERT_TRUE(second.Start(respelled, Quoted(respelled)));
    DWORD code = 0;
    ASSERT_TRUE(second.WaitForExit(10000, &code));
    EXPECT_EQ(1u, code);

    driver::Process other;
    ASSERT_TRUE(other.Start(joinedAlike, Quoted(joinedAlike)));
    HWND otherWindow = driver::WaitForWindow(other.Id(), nullptr, kStartTimeoutMs);
    ASSERT_NE(nullptr, otherWindow);

    CloseAndExpectExit(other, otherWindow, 0);
    CloseAndExpectExit(running, window, 0);
}

// Without the rich edit library there is no view to hold a note: the start
// fails with the entry's box and exit code -1 instead of a window with a
// dead view.
// Wine takes the library away from one program by its name, so the copy has
// a name of its own (an environment given to CreateProcess does not reach
// Wine's loader).
TEST_F(Entry, AStartWithoutTheRichEditLibraryEndsWithItsError) {
    const std::string program = CopyProgram("no rich edit", "norichedit.exe");
    const char* overrides = "Software\\Wine\\AppDefaults\\norichedit.exe\\DllOverrides";
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, overrides, "riched20", REG_SZ, "", 1));
    driver::Process process;
    ASSERT_TRUE(process.Start(program, Quoted(program)));
    const std::wstring box = driver::AnswerMessageBox(process.Id(), IDOK, kStartTimeoutMs);
    DWORD code = 0;
    const bool ended = process.WaitForExit(10000, &code);
    RegDeleteKeyA(HKEY_CURRENT_USER, overrides);
    EXPECT_EQ(L"Casement::CNotSupportedException: Failed to load RICHED32.DLL", box);
    ASSERT_TRUE(ended);
    EXPECT_EQ(static_cast<DWORD>(-1), code);
}

TEST_F(Entry, ArgumentRules) {
    const std::string program = CopyProgram("arguments");

    driver::Process tooMany;
    ASSERT_TRUE(tooMany.Start(program, Quoted(program) + " writeback extra"));
    DWORD code = 0;
    ASSERT_TRUE(tooMany.WaitForExit(10000, &code));
    EXPECT_EQ(1u, code);
    EXPECT_TRUE(driver::TopLevelWindows(tooMany.Id()).empty());

    // A single argument that is not exactly "writeback" is ignored.
    for (const char* ignored : {"WriteBack", "--help"}) {
        driver::Process normal;
        ASSERT_TRUE(normal.Start(program, Quoted(program) + " " + ignored));
        HWND window = driver::WaitForWindow(normal.Id(), nullptr, kStartTimeoutMs);
        ASSERT_NE(nullptr, window) << ignored;
        CloseAndExpectExit(normal, window, 0);
    }
}

class WriteBack : public Entry {
protected:
    void SetUp() override {
        folder_ = driver::MakeTempFolder("write back");  // a path with blanks
        target_ = folder_ + "\\target program.exe";
        ASSERT_TRUE(driver::WriteFileBytes(target_, "the old image"));
        image_ = CopyProgram("temporary image", "TEM1.tmp");
    }

    // Holds the target open without sharing, as a running executable is.
    HANDLE LockTarget() const {
        return CreateFileA(target_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    }

    bool StartWriteBack(driver::Process& process) const {
        return process.Start(image_, Quoted(target_) + " writeback");
    }

    // Files in the target's folder other than the target itself.
    std::vector<std::string> StrayFiles() const {
        std::vector<std::string> stray;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder_ + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return stray;
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != ".." && name != "target program.exe")
                stray.push_back(name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return stray;
    }

    std::string folder_, target_, image_;
};

TEST_F(WriteBack, GivesUpAfterItsLastAttemptAndSaysWhereTheNoteIs) {
    HANDLE lock = LockTarget();
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);

    const auto start = Clock::now();
    driver::Process process;
    ASSERT_TRUE(StartWriteBack(process));
    HWND box = driver::WaitForWindow(process.Id(), L"#32770", 30000);
    const double elapsed = SecondsSince(start);
    ASSERT_NE(nullptr, box);
    // 101 attempts, each failure followed by 100 ms of sleep.
    EXPECT_GE(elapsed, 10.0);
    EXPECT_LT(elapsed, 16.0);

    EXPECT_EQ(L"错误", driver::WindowText(box));
    wchar_t imagePath[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, image_.c_str(), -1, imagePath, MAX_PATH);
    EXPECT_EQ(std::wstring(L"无法将文档写回程序文件。新的文档保存在：") + imagePath, driver::MessageBoxText(box));
    EXPECT_TRUE(GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(nullptr, GetWindow(box, GW_OWNER));

    PostMessageW(box, WM_COMMAND, IDOK, 0);
    DWORD code = 0;
    ASSERT_TRUE(process.WaitForExit(10000, &code));
    EXPECT_EQ(1u, code);
    CloseHandle(lock);
    EXPECT_EQ("the old image", driver::ReadFileBytes(target_));
    EXPECT_TRUE(StrayFiles().empty());
    EXPECT_EQ(driver::ReadFileBytes(driver::PathFromEnvironment("SCRIBECRYPT_EXE")), driver::ReadFileBytes(image_));
}

TEST_F(WriteBack, CopiesOnTheNextAttemptAfterTheTargetIsReleased) {
    HANDLE lock = LockTarget();
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);

    driver::Process process;
    ASSERT_TRUE(StartWriteBack(process));
    Sleep(2000);
    const auto released = Clock::now();
    CloseHandle(lock);

    DWORD code = 0;
    ASSERT_TRUE(process.WaitForExit(10000, &code));
    EXPECT_LT(SecondsSince(released), 1.5);
    EXPECT_EQ(1u, code);
    EXPECT_TRUE(driver::TopLevelWindows(process.Id()).empty());
    EXPECT_EQ(driver::ReadFileBytes(image_), driver::ReadFileBytes(target_));
    EXPECT_TRUE(StrayFiles().empty());
}

}  // namespace
