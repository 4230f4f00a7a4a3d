// Large notes through the real view: sealed into the program, shown, edited,
// saved on closing and shown again, byte for byte.
#include <gtest/gtest.h>

#include <optional>

#include "crypto/document.h"
#include "framework/unique_handle.h"
#include "tests/e2e/editor.h"
#include "tests/e2e/stress.h"
#include "ui/richview.h"

namespace {

using driver::Editor;
using driver::ProgramCopy;

constexpr std::size_t kMebibyte = std::size_t{1} << 20;
const char kPassword[] = "large note";
const wchar_t kWidePassword[] = L"large note";
const std::string kEdit = "edited ";

// Under Wine the view needs about 1.5 s to take 1 MiB and a minute or more for
// 16 MiB (its time grows faster than the size); saving takes seconds.
DWORD LoadTimeoutMs(std::size_t bytes) { return static_cast<DWORD>(30000 + 20000 * (bytes / kMebibyte)); }

// Compares texts of megabytes without printing them.
::testing::AssertionResult SameText(const std::wstring& expected, const std::wstring& actual) {
    if (expected == actual)
        return ::testing::AssertionSuccess();
    std::size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    return ::testing::AssertionFailure() << "expected " << expected.size() << " characters, got " << actual.size()
                                         << ", first difference at " << at;
}

// What a process that did not end shows: its visible top-level windows, a
// message box with its text.
std::wstring VisibleWindows(DWORD processId) {
    std::wstring shown;
    for (HWND window : driver::TopLevelWindows(processId)) {
        if (!IsWindowVisible(window))
            continue;
        wchar_t className[64] = {};
        GetClassNameW(window, className, 64);
        const bool isBox = std::wstring(className) == L"#32770";
        shown += L"[" + std::wstring(className) + L"] " +
                 (isBox ? driver::MessageBoxText(window) : driver::WindowText(window)) + L"\n";
    }
    return shown.empty() ? L"no visible window" : shown;
}

// After a save on closing: the editor ends with exit code 0, its write-back
// puts data into the program file and then ends as well. Otherwise says
// which step did not come and what the process shows. The write-back is
// found while the editor's id still names the editor.
::testing::AssertionResult SavesThroughItsWriteBack(driver::Process& editor, const ProgramCopy& copy,
                                                    const std::string& data, DWORD timeoutMs) {
    constexpr DWORD kWriteBackMs = 60000;
    const std::vector<DWORD> writeBacks = driver::WaitForWriteBackProcesses(editor.Id(), timeoutMs);
    if (writeBacks.size() != 1)
        return ::testing::AssertionFailure() << writeBacks.size() << " write-backs were started";
    const Casement::CHandle writeBack(OpenProcess(SYNCHRONIZE, FALSE, writeBacks[0]));
    DWORD code = 0xBAD;
    if (!editor.WaitForExit(timeoutMs, &code))
        return ::testing::AssertionFailure() << "the editor did not end; it shows " << VisibleWindows(editor.Id());
    if (code != 0)
        return ::testing::AssertionFailure() << "the editor ended with exit code " << code;
    if (!driver::WaitUntil([&] { return copy.Packet("DATA") == data; }, kWriteBackMs, 100))
        return ::testing::AssertionFailure() << "the program file did not get the new note; the write-back shows "
                                             << VisibleWindows(writeBacks[0]);
    if (WaitForSingleObject(writeBack.GetHandle(), kWriteBackMs) != WAIT_OBJECT_0)
        return ::testing::AssertionFailure() << "the write-back did not end; it shows " << VisibleWindows(writeBacks[0]);
    return ::testing::AssertionSuccess();
}

// Unlocks the note and waits until the view holds all of it. The view takes
// a long note for seconds without answering, but the frame keeps its bars
// painted while the note streams in: the bars, made to need painting again
// and again from here, are painted before the note is whole. Only the
// largest notes stream for long; for smaller ones, and in Wine's 64-bit
// control, most of an open is the layout after the last piece, when
// nothing can be painted, so there the bars are not asked about.
::testing::AssertionResult OpensWholeWithBarsPainted(Editor& editor, const std::string& note) {
    if (!editor.Unlock(kWidePassword))
        return ::testing::AssertionFailure() << "no main window";
    const HWND bars = FindWindowExW(editor.Main(), nullptr, L"ReBarWindow32", nullptr);
    const std::size_t units = driver::FromCodePage936(note).size();
    const DWORD start = GetTickCount();
    int paintedWhileOpening = 0;
    InvalidateRect(bars, nullptr, TRUE);
    const bool whole = driver::WaitUntil(
        [&] {
            if (editor.ViewLength() == units)
                return true;
            if (!GetUpdateRect(bars, nullptr, FALSE)) {
                ++paintedWhileOpening;
                InvalidateRect(bars, nullptr, TRUE);
            }
            return false;
        },
        LoadTimeoutMs(note.size()), 200);
    if (!whole)
        return ::testing::AssertionFailure() << "the view did not take the note";
    constexpr std::size_t kLongStream = 16 * kMebibyte;
    constexpr DWORD kLongOpenMs = 3000;
    if (note.size() >= kLongStream && GetTickCount() - start > kLongOpenMs && paintedWhileOpening == 0)
        return ::testing::AssertionFailure() << "the bars were not painted while the note went in";
    return ::testing::AssertionSuccess();
}

std::string Bytes(const std::vector<unsigned char>& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Opens the copy, checks that the view shows note, types the edit in front
// of it and saves on closing. Sealing is deterministic, so the saved note
// must be the sealing of the edited text byte for byte.
void ShowEditAndSave(const ProgramCopy& copy, const std::string& note, const char* cipher) {
    const std::optional<SealedDocument> expected = SealDocument(kEdit + note, kPassword, cipher);
    ASSERT_TRUE(expected);
    Editor editor(copy);
    ASSERT_TRUE(OpensWholeWithBarsPainted(editor, note));
    EXPECT_TRUE(SameText(driver::FromCodePage936(note), editor.Text()));
    SendMessageW(editor.View(), EM_SETSEL, 0, 0);
    editor.Type(driver::FromCodePage936(kEdit));
    EXPECT_EQ(driver::kSaveQuestion, editor.CloseAnswering(IDYES));
    EXPECT_TRUE(
        SavesThroughItsWriteBack(editor.GetProcess(), copy, Bytes(expected->data), LoadTimeoutMs(note.size())))
        << "the saved note differs from the edited text";
    EXPECT_EQ(Bytes(expected->hmac), copy.Packet("HMAC"));
    EXPECT_EQ(cipher, copy.Packet("TYPE"));
}

struct NoteCase {
    const char* name;
    std::size_t bytes;
    const char* cipher;
    // Whether the saved note is opened once more. A saved note that equals
    // the sealing of the edited text byte for byte opens as that text, so
    // the largest notes, where each opening costs Wine's view minutes, are
    // only opened once.
    bool reopened;
};

void PrintTo(const NoteCase& note, std::ostream* out) { *out << note.name << ", " << note.bytes << " bytes"; }

std::string CaseName(const ::testing::TestParamInfo<NoteCase>& info) { return info.param.name; }

class LargeNote : public ::testing::TestWithParam<NoteCase> {};

TEST_P(LargeNote, IsShownSavedAndShownAgainByteForByte) {
    const NoteCase& note = GetParam();
    const std::string text = driver::LargeNote(note.bytes);
    ProgramCopy copy(note.name);
    ASSERT_TRUE(copy.Seal(text, kPassword, note.cipher));
    ShowEditAndSave(copy, text, note.cipher);
    if (!note.reopened)
        return;

    Editor reopened(copy);
    ASSERT_TRUE(OpensWholeWithBarsPainted(reopened, kEdit + text));
    EXPECT_TRUE(SameText(driver::FromCodePage936(kEdit + text), reopened.Text()));
    // Nothing changed, so the editor ends at once and starts no write-back.
    reopened.Close();
    DWORD code = 0xBAD;
    ASSERT_TRUE(reopened.GetProcess().WaitForExit(LoadTimeoutMs(note.bytes), &code))
        << "the reopened editor did not end; it shows " << VisibleWindows(reopened.GetProcess().Id());
    EXPECT_EQ(0u, code);
}

// A note beyond what the view takes is not shown in part: the program says
// so and ends, and the program file stays as it was. Only the 32-bit view's
// limit is within what a test can seal.
TEST(BeyondTheView, TheNoteIsRefusedAndTheProgramKeptAsItWas) {
    if (kViewCharacterLimit > 64u << 20)
        GTEST_SKIP() << "the view takes " << kViewCharacterLimit << " characters";
    const std::string note(kViewCharacterLimit + std::size_t{1}, 'x');
    ProgramCopy copy("beyond the view");
    ASSERT_TRUE(copy.Seal(note, kPassword, "SM4"));
    const std::string before = copy.Bytes();
    Editor editor(copy);
    ASSERT_TRUE(editor.Unlock(kWidePassword));
    EXPECT_EQ(L"错误: 文档太大，无法完整显示。\n文档大小：" + std::to_wstring(note.size()) +
                  L" 字节。\n请用 64 位版本的程序打开它。\n程序将关闭，不保存任何内容。",
              editor.Answer(IDOK));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_TRUE(before == copy.Bytes());
}

INSTANTIATE_TEST_SUITE_P(OneMebibyte, LargeNote,
                         ::testing::Values(NoteCase{"Aes", kMebibyte, "AES", true},
                                           NoteCase{"Camellia", kMebibyte, "CAMELLIA", true},
                                           NoteCase{"Sm4", kMebibyte, "SM4", true},
                                           NoteCase{"Seed", kMebibyte, "SEED", true}),
                         CaseName);

// The largest note each build is tried with. Wine's 32-bit view needs about a
// minute and over 2 GiB of memory (some 130 bytes per character) to show
// 16 MiB, so the 32-bit program needs its whole address space for it. Wine's
// 64-bit view is far slower with large texts, and its time grows much faster
// than the size: about 40 s for 4 MiB, over three minutes for 8 MiB.
#ifdef _WIN64
constexpr std::size_t kLargestNote = 4 * kMebibyte;
#else
constexpr std::size_t kLargestNote = 16 * kMebibyte;
#endif

// The view is the same whatever the cipher, and each case takes minutes on
// the 32-bit build: one cipher of the library and one of our own cover the largest
// note, every cipher the note of 1 MiB.
INSTANTIATE_TEST_SUITE_P(Largest, LargeNote,
                         ::testing::Values(NoteCase{"Aes", kLargestNote, "AES", false},
                                           NoteCase{"Seed", kLargestNote, "SEED", false}),
                         CaseName);

}  // namespace
