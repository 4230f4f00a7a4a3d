// The command-line companion and the program read each other's notes: a
// note the companion locks opens in the program, its entries equal to the
// program's own sealing; what the program then saves the companion exports
// and re-keys, and the program opens that again; none of them changes the
// program's identity. A running program is never rewritten.
#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>

#include <string>

#include "note/program_identity.h"
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

std::string IdentityOf(const ProgramCopy& copy) {
    const std::string bytes = copy.Bytes();
    return ProgramIdentity(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

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

// A path as the native companion is given it: its Unix form, quoted for a
// shell.
std::string Native(const std::string& path) { return driver::QuotedUnixPath(path); }

// Runs the native companion, a Linux program, with these arguments (paths
// given by Native), as RunHostCommand runs it.
DWORD RunNativeCli(const std::string& arguments, const std::string& folder) {
    return driver::RunHostCommand("'" + std::string(std::getenv("SCRIBECRYPT_NATIVE_CLI")) + "' " + arguments, folder);
}

// "안녕하세요 🙂" and "둘째 줄" (hello, second line), which code page 936
// cannot hold, and the password "비밀 🔑" (secret), in UTF-8.
const std::string kModernText = "\xEC\x95\x88\xEB\x85\x95\xED\x95\x98\xEC\x84\xB8\xEC\x9A\x94 \xF0\x9F\x99\x82\r\n"
                                "\xEB\x91\x98\xEC\xA7\xB8 \xEC\xA4\x84";
const std::string kModernPassword = "\xEB\xB9\x84\xEB\xB0\x80 \xF0\x9F\x94\x91";

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
    const std::string identity = IdentityOf(m_locked);
    ASSERT_EQ(0u, RunCli("lock " + Quoted(m_locked.Path()) + " --text " + Quoted(m_text) + " --cipher CAMELLIA" +
                         PasswordFile()));
    ProgramCopy sealed("cli-sealed");
    ASSERT_TRUE(sealed.Seal(kNote936, kPassword936, "CAMELLIA"));
    for (const char* name : {"HMAC", "DATA", "TYPE"}) EXPECT_EQ(sealed.Packet(name), m_locked.Packet(name)) << name;
    EXPECT_EQ(identity, IdentityOf(m_locked)) << "locked by the companion";
    EXPECT_EQ(identity, IdentityOf(sealed)) << "sealed through the system's resource update";
    // A note large enough that the update lays the section out anew and
    // moves what follows it.
    ProgramCopy large("cli-large");
    ASSERT_TRUE(large.Seal(std::string(300000, 'a'), kPassword936, "CAMELLIA"));
    EXPECT_EQ(identity, IdentityOf(large)) << "a large note sealed through the system's resource update";

    {
        Editor editor(m_locked);
        ASSERT_TRUE(editor.Open(kWidePassword));
        EXPECT_EQ(driver::FromCodePage936(kNote936), editor.Text());
        editor.Type(kEdit);
        EXPECT_EQ(driver::kSaveQuestion, editor.CloseAnswering(IDYES));
        ASSERT_EQ(0u, editor.WaitForExit());
    }
    EXPECT_EQ(identity, IdentityOf(m_locked)) << "saved by the program";
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

// A note the Windows companion locks opens with the native one and the
// other way round, for either protection, and each moves a note between
// them: both write the bytes the other reads.
TEST_F(CliInterop, TheNativeAndTheWindowsCompanionReadEachOthersNotes) {
    if (!RunsUnderWine()) GTEST_SKIP() << "the native companion is a Linux program";
    ASSERT_TRUE(driver::WriteFileBytes(m_text, kModernText));
    ASSERT_TRUE(driver::WriteFileBytes(m_passwords, kModernPassword + "\r\n" + kModernPassword + "\r\n"));
    ASSERT_EQ(0u, RunCli("lock " + Quoted(m_locked.Path()) + " --text " + Quoted(m_text) + " --cipher XCHACHA20" +
                         PasswordFile()));
    EXPECT_EQ(64 + 8 + kModernText.size() + 16, m_locked.Packet("NOTE").size());
    EXPECT_EQ("<absent>", m_locked.Packet("HMAC"));
    const std::string nativeExport = m_locked.Folder() + "\\native.txt";
    ASSERT_EQ(0u, RunNativeCli("export " + Native(m_locked.Path()) + " -o " + Native(nativeExport) +
                               " --password-file " + Native(m_passwords), m_locked.Folder()));
    EXPECT_EQ(kModernText, driver::ReadFileBytes(nativeExport));

    // Re-keyed natively at a raised cost, it opens here, the cost in its header.
    ASSERT_TRUE(driver::WriteFileBytes(m_passwords, kModernPassword + "\nnew key\nnew key\n"));
    ASSERT_EQ(0u, RunNativeCli("passwd " + Native(m_locked.Path()) + " --kdf-passes 4 --kdf-memory 16 --password-file " +
                               Native(m_passwords), m_locked.Folder()));
    EXPECT_EQ(std::string("\x04\0\0\0\0\x40\0\0", 8), m_locked.Packet("NOTE").substr(12, 8));
    ASSERT_TRUE(driver::WriteFileBytes(m_passwords, "new key\n" + kPasswordUtf8 + "\n" + kPasswordUtf8 + "\n"));
    const std::string exported = m_locked.Folder() + "\\exported.txt";
    ASSERT_EQ(0u, RunCli("export " + Quoted(m_locked.Path()) + " -o " + Quoted(exported) + PasswordFile()));
    EXPECT_EQ(kModernText, driver::ReadFileBytes(exported));
    EXPECT_EQ(3u, RunCli("passwd " + Quoted(m_locked.Path()) + " --cipher SEED" + PasswordFile()))
        << "a text code page 936 cannot hold stays modern";

    // A legacy note moved to the modern protection natively and back here
    // is the legacy note the program itself seals.
    ASSERT_TRUE(driver::WriteFileBytes(m_text, kNoteUtf8));
    ASSERT_TRUE(driver::WriteFileBytes(m_passwords, kPasswordUtf8 + "\n" + kPasswordUtf8 + "\n"));
    ProgramCopy moved("cli-moved");
    ASSERT_EQ(0u, RunCli("lock " + Quoted(moved.Path()) + " --text " + Quoted(m_text) + " --cipher AES" + PasswordFile()));
    ASSERT_TRUE(driver::WriteFileBytes(m_passwords, kPasswordUtf8 + "\n" + kModernPassword + "\n" + kModernPassword + "\n"));
    ASSERT_EQ(0u, RunNativeCli("passwd " + Native(moved.Path()) + " --cipher XCHACHA20 --password-file " +
                               Native(m_passwords), m_locked.Folder()));
    EXPECT_EQ("<absent>", moved.Packet("DATA"));
    ASSERT_TRUE(driver::WriteFileBytes(m_passwords, kModernPassword + "\n" + kPasswordUtf8 + "\n" + kPasswordUtf8 + "\n"));
    ASSERT_EQ(0u, RunCli("passwd " + Quoted(moved.Path()) + " --cipher AES" + PasswordFile()));
    ProgramCopy sealed("cli-sealed");
    ASSERT_TRUE(sealed.Seal(kNote936, kPassword936, "AES"));
    for (const char* name : {"HMAC", "DATA", "TYPE"}) EXPECT_EQ(sealed.Packet(name), moved.Packet(name)) << name;
    EXPECT_EQ("<absent>", moved.Packet("NOTE"));
}

// What the Windows companion refuses in a modern note: a header it does
// not know, and a file holding both kinds unless told which to read.
TEST_F(CliInterop, AnUnknownHeaderAndBothKindsAreRefusedUntouched) {
    ASSERT_TRUE(driver::WriteFileBytes(m_text, kModernText));
    ProgramCopy modern("cli-modern");
    ASSERT_EQ(0u, RunCli("lock " + Quoted(modern.Path()) + " --text " + Quoted(m_text) +
                         " --cipher XCHACHA20 --kdf-passes 1 --kdf-memory 1" + PasswordFile()));
    const std::string note = modern.Packet("NOTE");
    const std::string exported = m_locked.Folder() + "\\exported.txt";
    const std::string exportCommand = "export " + Quoted(m_locked.Path()) + " -o " + Quoted(exported) + PasswordFile();

    ProgramCopy unknown("cli-unknown");
    std::string changed = note;
    changed[6] = 2;  // a format version this program does not know
    ASSERT_TRUE(unknown.AddPacket("NOTE", changed));
    const std::string before = unknown.Bytes();
    EXPECT_EQ(3u, RunCli("export " + Quoted(unknown.Path()) + " -o " + Quoted(exported) + PasswordFile()));
    EXPECT_EQ(3u, RunCli("clear " + Quoted(unknown.Path()) + PasswordFile()));
    EXPECT_EQ(before, unknown.Bytes());

    ASSERT_TRUE(driver::WriteFileBytes(m_text, kNoteUtf8));
    ASSERT_EQ(0u, RunCli("lock " + Quoted(m_locked.Path()) + " --text " + Quoted(m_text) + " --cipher SM4" +
                         PasswordFile()));
    ASSERT_TRUE(m_locked.AddPacket("NOTE", note));
    const std::string both = m_locked.Bytes();
    EXPECT_EQ(3u, RunCli(exportCommand));
    EXPECT_EQ(both, m_locked.Bytes());
    ASSERT_EQ(0u, RunCli(exportCommand + " --format modern"));
    EXPECT_EQ(kModernText, driver::ReadFileBytes(exported));
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
