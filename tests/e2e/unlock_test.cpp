// Starting the real program: with no document, with a document and the
// password typed right, wrong or not at all, and with damaged resources.
#include <gtest/gtest.h>

#include "crypto/key_material.h"
#include "crypto/modern_format.h"
#include "tests/e2e/program.h"
#include "ui/resource_ids.h"

namespace {

using driver::Process;
using driver::ProgramCopy;

constexpr DWORD kExitTimeoutMs = 15000;
const DWORD kFailed = static_cast<DWORD>(-1);

class Unlock : public ::testing::Test {
protected:
    // Waits for the enter-password dialog and answers it.
    static HWND Dialog(const Process& process) {
        return driver::WaitForDialog(process.Id(), L"Scribecrypt", driver::kWindowTimeoutMs);
    }
    static void Enter(const Process& process, const std::wstring& password, int button = IDOK) {
        HWND dialog = Dialog(process);
        ASSERT_NE(nullptr, dialog);
        driver::SetControlText(dialog, IDC_PASSWORD, password);
        if (button == 0)
            PostMessageW(dialog, WM_CLOSE, 0, 0);
        else
            driver::PressButton(dialog, button);
    }
    static HWND WaitForEditor(const Process& process) { return driver::WaitForMainWindow(process.Id()); }
    static DWORD ExitCode(Process& process) {
        DWORD code = 0xBAD;
        EXPECT_TRUE(process.WaitForExit(kExitTimeoutMs, &code));
        return code;
    }
    static void CloseEditor(Process& process, HWND editor) {
        PostMessageW(editor, WM_CLOSE, 0, 0);
        EXPECT_EQ(0u, ExitCode(process));
    }
};

TEST_F(Unlock, WithoutACompleteDocumentTheEditorOpensAtOnce) {
    ProgramCopy fresh("fresh");
    ProgramCopy partial("partial");
    ASSERT_TRUE(partial.AddPacket("HMAC", std::string(64, 'h')));
    ASSERT_TRUE(partial.AddPacket("DATA", std::string(16, 'd')));
    for (const ProgramCopy* copy : {&fresh, &partial}) {
        Process process;
        ASSERT_TRUE(copy->Start(process));
        HWND editor = WaitForEditor(process);
        ASSERT_NE(nullptr, editor);
        EXPECT_TRUE(driver::TopLevelWindows(process.Id(), L"#32770").empty());
        CloseEditor(process, editor);
    }
}

TEST_F(Unlock, RightPasswordOpensTheEditorByOkOrByClosingTheDialog) {
    ProgramCopy copy("right");
    ASSERT_TRUE(copy.Seal("note", "secret", "SM4"));
    for (int button : {IDOK, 0}) {
        Process process;
        ASSERT_TRUE(copy.Start(process));
        Enter(process, L"secret", button);
        HWND editor = WaitForEditor(process);
        ASSERT_NE(nullptr, editor) << button;
        CloseEditor(process, editor);
    }
}

TEST_F(Unlock, CancelOrAnEmptyPasswordEndsSilently) {
    ProgramCopy copy("cancel");
    ASSERT_TRUE(copy.Seal("note", "secret", "AES"));
    for (int button : {IDCANCEL, IDOK}) {
        Process process;
        ASSERT_TRUE(copy.Start(process));
        Enter(process, button == IDCANCEL ? L"secret" : L"", button);
        EXPECT_EQ(kFailed, ExitCode(process)) << button;
    }
}

TEST_F(Unlock, WrongPasswordIsRejectedOnceAndEndsTheProgram) {
    ProgramCopy copy("wrong");
    ASSERT_TRUE(copy.Seal("note", "secret", "SEED"));
    Process process;
    ASSERT_TRUE(copy.Start(process));
    Enter(process, L"Secret");
    EXPECT_EQ(L"错误: 您提供的密码无效。", driver::AnswerMessageBox(process.Id(), IDOK));
    EXPECT_EQ(kFailed, ExitCode(process));
}

TEST_F(Unlock, VerifierIsComparedOverItsStoredLengthButNeverBeyondTheDigest) {
    unsigned char digest[kVerifierBytes];
    DeriveVerifier("secret", digest);
    const std::string full(reinterpret_cast<const char*>(digest), kVerifierBytes);

    ProgramCopy shortVerifier("short-hmac");
    ASSERT_TRUE(shortVerifier.WriteRaw(full.substr(0, 10), std::string(16, 'd'), "AES"));
    {
        Process process;
        ASSERT_TRUE(shortVerifier.Start(process));
        Enter(process, L"secret");
        HWND editor = WaitForEditor(process);
        ASSERT_NE(nullptr, editor);
        CloseEditor(process, editor);
    }

    ProgramCopy longVerifier("long-hmac");
    ASSERT_TRUE(longVerifier.WriteRaw(full + std::string(36, '\0'), std::string(16, 'd'), "AES"));
    Process process;
    ASSERT_TRUE(longVerifier.Start(process));
    Enter(process, L"secret");
    EXPECT_EQ(L"错误: 您提供的密码无效。", driver::AnswerMessageBox(process.Id(), IDOK));
    EXPECT_EQ(kFailed, ExitCode(process));
}

// A modern note the program cannot read whole is refused before any
// password is asked for: a header it does not know (a hostile cost among
// them, refused before anything is allocated), or notes of both kinds in
// one file. A wrong password is refused as for a legacy note. The file is
// left as it was.
TEST_F(Unlock, AModernNoteItCannotReadIsRefusedAndLeftAsItWas) {
    ProgramCopy sealed("modern");
    const std::string text = u8"한국어";
    ASSERT_TRUE(sealed.Seal(text, u8"密码", "XCHACHA20"));
    const std::string entry = sealed.Packet("NOTE");
    // The version, a reserved byte, and a memory cost of about 2 TiB.
    const struct {
        std::size_t offset;
        char value;
    } changes[] = {{6, 2}, {10, 1}, {19, '\x80'}};
    for (const auto& change : changes) {
        ProgramCopy copy("modern header");
        std::string changed = entry;
        changed[change.offset] = change.value;
        ASSERT_TRUE(copy.AddPacket("NOTE", changed));
        const std::string before = copy.Bytes();
        Process process;
        ASSERT_TRUE(copy.Start(process));
        EXPECT_EQ(L"错误: 此程序文件中笔记的格式不是本程序所知的格式，无法打开。",
                  driver::AnswerMessageBox(process.Id(), IDOK))
            << "byte " << change.offset;
        EXPECT_EQ(kFailed, ExitCode(process));
        EXPECT_TRUE(before == copy.Bytes());
    }

    ProgramCopy both("both kinds");
    ASSERT_TRUE(both.Seal("note", "secret", "AES"));
    ASSERT_TRUE(both.AddPacket("NOTE", entry));
    const std::string bothBefore = both.Bytes();
    Process bothProcess;
    ASSERT_TRUE(both.Start(bothProcess));
    EXPECT_EQ(L"错误: 此程序文件中同时保存有两种格式的笔记，无法打开。", driver::AnswerMessageBox(bothProcess.Id(), IDOK));
    EXPECT_EQ(kFailed, ExitCode(bothProcess));
    EXPECT_TRUE(bothBefore == both.Bytes());

    const std::string sealedBefore = sealed.Bytes();
    Process wrong;
    ASSERT_TRUE(sealed.Start(wrong));
    Enter(wrong, L"密");
    EXPECT_EQ(L"错误: 您提供的密码无效。", driver::AnswerMessageBox(wrong.Id(), IDOK));
    EXPECT_EQ(kFailed, ExitCode(wrong));
    EXPECT_TRUE(sealedBefore == sealed.Bytes());
}

// A costly derivation keeps the dialog up, saying that it works and taking
// no second entry, until the note opens.
TEST_F(Unlock, WhileAModernKeyIsDerivedTheDialogSaysItIsWorking) {
    ProgramCopy copy("costly");
    const std::optional<ModernKey> key = MakeModernKey("pw", Argon2idCost{12, 262144, 1});
    ASSERT_TRUE(key.has_value());
    const std::vector<unsigned char> entry = SealModernEntry(*key, CurrentFileTime(), "costly");
    ASSERT_TRUE(copy.AddPacket(kModernNoteEntry, std::string(entry.begin(), entry.end())));
    Process process;
    ASSERT_TRUE(copy.Start(process));
    const HWND dialog = Dialog(process);
    ASSERT_NE(nullptr, dialog);
    Enter(process, L"pw");
    // The dialog's thread is busy: its texts are read without asking it.
    const auto prompt = [&] {
        wchar_t text[64] = {};
        InternalGetWindowText(GetDlgItem(dialog, IDC_PASSWORD_PROMPT), text, 64);
        return std::wstring(text);
    };
    EXPECT_TRUE(driver::WaitUntil([&] { return prompt() == L"正在验证密码，请稍候…"; }, 10000)) << "shown: " << prompt();
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_PASSWORD)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
    HWND editor = WaitForEditor(process);
    ASSERT_NE(nullptr, editor);
    CloseEditor(process, editor);
}

}  // namespace
