// The command-line companion and the program read each other's notes: a
// note the companion locks opens in the program, its entries equal to the
// program's own sealing; what the program then saves the companion exports
// and re-keys, and the program opens that again. A running program is never
// rewritten.
#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>

#include <string>

#include "tests/e2e/editor.h"
#include "tests/e2e/stress.h"

namespace {

using driver::Editor;
using driver::ProgramCopy;

// "命令行锁上的笔记" (a note locked on the command line) in UTF-8 and code page 936.
const std::string kNoteUtf8 =
    "\xE5\x91\xBD\xE4\xBB\xA4\xE8\xA1\x8C\xE9\x94\x81\xE4\xB8\x8A\xE7\x9A\x84\xE7\xAC\x94\xE8\xAE\xB0";
const std::string kNote936 = "\xC3\xFC\xC1\xEE\xD0\xD0\xCB\xF8\xC9\xCF\xB5\xC4\xB1\xCA\xBC\xC7";
// "口令 cli" (password cli).
const std::string kPasswordUtf8 = "\xE5\x8F\xA3\xE4\xBB\xA4 cli";
const std::string kPassword936 = "\xBF\xDA\xC1\xEE cli";
const std::wstring kWidePassword = L"口令 cli";
const std::wstring kEdit = L"saved by the program: ";

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// Runs the companion with these arguments and gives its exit code.
DWORD RunCli(const std::string& arguments) {
    const std::string image = driver::PathFromEnvironment("SCRIBECRYPT_CLI");
    driver::Process cli;
    DWORD code = 0xBAD;
    if (cli.Start(image, Quoted(image) + " " + arguments) && !cli.WaitForExit(60000, &code)) cli.Kill();
    return code;
}

// The file's access list is protected from its folder's and lets exactly one
// account at it: the user running the test.
bool OnlyTheUserMayOpen(const std::string& path) {
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              &acl, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    bool onlyUser = acl != nullptr && acl->AceCount == 1 && (control & SE_DACL_PROTECTED) != 0;
    void* ace = nullptr;
    if (onlyUser && GetAce(acl, 0, &ace)) {
        const auto allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        HANDLE token = nullptr;
        OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
        unsigned char user[256];
        DWORD size = 0;
        onlyUser = allowed->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
                   GetTokenInformation(token, TokenUser, user, sizeof user, &size) &&
                   EqualSid(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &allowed->SidStart);
        CloseHandle(token);
    }
    LocalFree(descriptor);
    return onlyUser;
}

bool RunsUnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

class CliInterop : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(driver::WriteFileBytes(m_text, kNoteUtf8));
        ASSERT_TRUE(driver::WriteFileBytes(m_passwords, kPasswordUtf8 + "\r\n" + kPasswordUtf8 + "\r\n"));
    }
    std::string PasswordFile() const { return " --password-file " + Quoted(m_passwords); }

    ProgramCopy m_locked{"cli-locked"};
    const std::string m_text = m_locked.Folder() + "\\note.txt";
    const std::string m_passwords = m_locked.Folder() + "\\passwords.txt";
};

TEST_F(CliInterop, ALockedNoteOpensInTheProgramAndWhatItSavesExports) {
    ASSERT_EQ(0u, RunCli("lock " + Quoted(m_locked.Path()) + " --text " + Quoted(m_text) + " --cipher CAMELLIA" +
                         PasswordFile()));
    ProgramCopy sealed("cli-sealed");
    ASSERT_TRUE(sealed.Seal(kNote936, kPassword936, "CAMELLIA"));
    for (const char* name : {"HMAC", "DATA", "TYPE"}) EXPECT_EQ(sealed.Packet(name), m_locked.Packet(name)) << name;

    {
        Editor editor(m_locked);
        ASSERT_TRUE(editor.Open(kWidePassword));
        EXPECT_EQ(driver::FromCodePage936(kNote936), editor.Text());
        editor.Type(kEdit);
        EXPECT_EQ(driver::kSaveQuestion, editor.CloseAnswering(IDYES));
        ASSERT_EQ(0u, editor.WaitForExit());
    }
    const std::string exported = m_locked.Folder() + "\\exported.txt";
    ASSERT_EQ(0u, RunCli("export " + Quoted(m_locked.Path()) + " -o " + Quoted(exported) + PasswordFile()));
    EXPECT_EQ("saved by the program: " + kNoteUtf8, driver::ReadFileBytes(exported));
    // Wine 8 keeps no access list on a file: it turns the one asked for into
    // Unix mode bits (0775 here, whatever the list says) and reads back a
    // list made from those, so only Windows can show what the companion set.
    if (!RunsUnderWine()) {
        EXPECT_TRUE(OnlyTheUserMayOpen(exported)) << "an exported text is private, as 0600 makes it natively";
        EXPECT_FALSE(OnlyTheUserMayOpen(m_locked.Path())) << "a rewritten program keeps its folder's access";
    }

    // Re-keyed by the companion, the program's own save opens again.
    ASSERT_TRUE(driver::WriteFileBytes(m_passwords, kPasswordUtf8 + "\nnew key\nnew key\n"));
    ASSERT_EQ(0u, RunCli("passwd " + Quoted(m_locked.Path()) + " --cipher SEED" + PasswordFile()));
    EXPECT_EQ("SEED", m_locked.Packet("TYPE"));
    Editor editor(m_locked);
    ASSERT_TRUE(editor.Open(L"new key"));
    EXPECT_EQ(kEdit + driver::FromCodePage936(kNote936), editor.Text());
    EXPECT_EQ(0u, editor.CloseUnchanged());
}

TEST_F(CliInterop, ARunningProgramIsNotRewritten) {
    Editor editor(m_locked);
    ASSERT_TRUE(editor.Open());
    const std::string before = m_locked.Bytes();
    EXPECT_EQ(4u, RunCli("lock " + Quoted(m_locked.Path()) + " --text " + Quoted(m_text) + PasswordFile()));
    EXPECT_EQ(0u, editor.CloseUnchanged());
    EXPECT_EQ(before, m_locked.Bytes());
    EXPECT_EQ(0, driver::CountFiles(m_locked.Folder() + "\\TEM*.tmp")) << "no staged copy left behind";
}

// What the companion replaces on Windows as natively: through a symbolic
// link the file it names; never a file with other hard links, a read-only
// file or a folder, which stay as they were.
TEST_F(CliInterop, OnlyAPlainFileIsReplaced) {
    const std::string lock = " --text " + Quoted(m_text) + PasswordFile();
    const std::string before = m_locked.Bytes();
    const std::string twin = m_locked.Folder() + "\\twin.exe";
    ASSERT_TRUE(CreateHardLinkA(twin.c_str(), m_locked.Path().c_str(), nullptr));
    EXPECT_EQ(4u, RunCli("lock " + Quoted(twin) + lock)) << "another name would keep the old note";
    EXPECT_EQ(before, m_locked.Bytes());
    ASSERT_TRUE(DeleteFileA(twin.c_str()));

    const std::string readOnly = m_locked.Folder() + "\\read-only.exe";
    ASSERT_TRUE(driver::WriteFileBytes(readOnly, "old"));
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(4u, RunCli("lock " + Quoted(m_locked.Path()) + " -o " + Quoted(readOnly) + lock));
    EXPECT_EQ("old", driver::ReadFileBytes(readOnly));
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_EQ(4u, RunCli("lock " + Quoted(m_locked.Path()) + " -o " + Quoted(m_locked.Folder()) + lock));
    EXPECT_EQ(0, driver::CountFiles(m_locked.Folder() + "\\TEM*.tmp"));

    // Wine 8 says it made a symbolic link and makes none; Windows makes one
    // for an administrator or in developer mode.
    const std::string link = m_locked.Folder() + "\\link.exe";
    if (CreateSymbolicLinkA(link.c_str(), m_locked.Path().c_str(), 0) &&
        GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES) {
        ASSERT_EQ(0u, RunCli("lock " + Quoted(link) + lock));
        EXPECT_NE(before, m_locked.Bytes()) << "the file the link names has the note";
        EXPECT_NE(0u, GetFileAttributesA(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) << "the link stays a link";
    }
}

}  // namespace
