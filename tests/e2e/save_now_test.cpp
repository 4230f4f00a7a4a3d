// The save command (Ctrl+S) end to end: the note reaches the program file
// while the editor stays open, what it replaced is gone once the editor has
// ended, a failed save changes nothing, and the end of a Windows session
// saves or waits for the user's word.
#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

#include "image/file_instance.h"
#include "image/paths.h"
#include "tests/e2e/editor.h"
#include "tests/e2e/stress.h"
#include "ui/resource_ids.h"

namespace {

using driver::Editor;
using driver::EditorOnCopy;
using driver::kSaveQuestion;
using driver::OpenedImageText;
using driver::OpenedText;
using driver::ProgramCopy;

const char kPassword[] = "pw";
const std::wstring kWidePassword = L"pw";
constexpr DWORD kSaveMs = 30000;

// Files the saves made beside the program: staged copies and retired files.
int LeftBeside(const ProgramCopy& copy) { return driver::CountFiles(copy.Path() + "~*.tmp"); }

bool NothingLeftBeside(const ProgramCopy& copy) {
    return driver::WaitUntil([&] { return LeftBeside(copy) == 0; }, 5000);
}

std::string Unsealed(const ProgramCopy& copy) { return copy.NoteText(kPassword); }

const std::wstring kModernName = L"XChaCha20-Poly1305 (Argon2id)";
// Korean, an emoji and a Chinese password: none of it fits one code page
// but UTF-8, which the modern protection keeps them in.
const std::wstring kModernText = L"한국어 😀\r\n第二行 ✓";
const std::string kModernText8 = u8"한국어 😀\r\n第二行 ✓";
const std::wstring kChinesePassword = L"中文密码";
const std::string kChinesePassword8 = u8"中文密码";

// The salt of the program file's modern note: each new key has its own.
std::string ModernSalt(const ProgramCopy& copy) { return copy.Packet("NOTE").substr(24, 16); }

TEST(SaveNow, PutsTheNoteIntoTheRunningProgramsFileAndLeavesNothingBehind) {
    EditorOnCopy editor("save now", "old note", kPassword, "SM4");
    ASSERT_TRUE(editor.Opened());
    editor.Append(L" one");
    ASSERT_TRUE(editor.SaveNow());
    EXPECT_EQ("old note one", Unsealed(editor.Copy()));
    // A copy taken while the editor runs carries the saved note.
    EXPECT_EQ(L"old note one", OpenedImageText(editor.Copy().Path(), kWidePassword));

    editor.Append(L" two");
    ASSERT_TRUE(editor.SaveNow());
    EXPECT_EQ("old note one two", Unsealed(editor.Copy()));
    const std::string saved = editor.Copy().Bytes();

    // Nothing changed since: the command and the close write nothing.
    editor.Command(IDM_SAVE);
    Sleep(300);
    EXPECT_EQ(saved, editor.Copy().Bytes());
    // A second start of the same file still ends at once.
    driver::Process second;
    ASSERT_TRUE(editor.Copy().Start(second));
    DWORD code = 0;
    EXPECT_TRUE(second.WaitForExit(driver::kWindowTimeoutMs, &code));
    EXPECT_EQ(1u, code);

    EXPECT_EQ(0u, editor.CloseUnchanged());
    EXPECT_EQ(saved, editor.Copy().Bytes());
    EXPECT_TRUE(NothingLeftBeside(editor.Copy())) << LeftBeside(editor.Copy()) << " files left";
    EXPECT_EQ(L"old note one two", OpenedText(editor.Copy(), kWidePassword));
}

// After a Ctrl+S, closing with No keeps the saved note and closing with Yes
// takes the later edits as well.
TEST(SaveNow, TheCloseAfterASaveKeepsOrTakesTheLaterEdits) {
    const struct {
        int answer;
        const char* cipher;
        std::wstring later;
        std::string stored;
    } closes[] = {{IDNO, "AES", L" dropped", "old note saved"},
                  {IDYES, "SEED", L" and closed", "old note saved and closed"},
                  {IDYES, "XCHACHA20", L" and closed", "old note saved and closed"}};
    for (const auto& close : closes) {
        SCOPED_TRACE(close.cipher);
        EditorOnCopy editor("save then close", "old note", kPassword, close.cipher);
        ASSERT_TRUE(editor.Opened());
        editor.Append(L" saved");
        ASSERT_TRUE(editor.SaveNow());
        editor.Append(close.later);
        EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(close.answer));
        EXPECT_EQ(0u, editor.WaitForExit());
        EXPECT_TRUE(NothingLeftBeside(editor.Copy()));
        EXPECT_EQ(close.stored, Unsealed(editor.Copy()));
        EXPECT_EQ(std::wstring(close.stored.begin(), close.stored.end()), OpenedText(editor.Copy(), kWidePassword));
    }
}

TEST(SaveNow, AKilledEditorLosesNothingSavedAndTheNextStartClearsUp) {
    EditorOnCopy editor("save then kill", "old note", kPassword, "CAMELLIA");
    ASSERT_TRUE(editor.Opened());
    editor.Append(L" saved");
    ASSERT_TRUE(editor.SaveNow());
    editor.Append(L" unsaved");
    // The retired file, the image the editor runs from, stays until it ends.
    EXPECT_EQ(1, LeftBeside(editor.Copy()));
    editor.GetProcess().Kill();
    DWORD code = 0;
    ASSERT_TRUE(editor.GetProcess().WaitForExit(driver::kWindowTimeoutMs, &code));
    EXPECT_EQ(L"old note saved", OpenedText(editor.Copy(), kWidePassword));
    EXPECT_EQ(0, LeftBeside(editor.Copy()));
}

TEST(SaveNow, ANewNoteGetsItsPasswordFirstAndIsThenStored) {
    ProgramCopy copy("save new");
    Editor editor(copy);
    ASSERT_TRUE(editor.Open());
    editor.Type(L"brand new");
    editor.Command(IDM_SAVE);
    ASSERT_TRUE(editor.AnswerNewPassword(L"typed", L"typed", L"", IDCANCEL));
    Sleep(300);
    EXPECT_EQ(L"brand new", editor.UnsavedText());
    EXPECT_EQ("<absent>", copy.Packet("DATA"));

    editor.Command(IDM_SAVE);
    ASSERT_TRUE(editor.AnswerNewPassword(L"s3cret", L"s3cret", L"SEED-128-CBC"));
    ASSERT_TRUE(driver::WaitUntil([&] { return !editor.Modified(); }, kSaveMs));
    EXPECT_EQ("SEED", copy.Packet("TYPE"));
    // Stored now: further edits are sealed with that password, unasked.
    editor.Append(L" more");
    ASSERT_TRUE(editor.SaveNow());
    EXPECT_EQ(0u, editor.CloseUnchanged());
    EXPECT_EQ(L"brand new more", OpenedText(copy, L"s3cret"));
}

// A new note given the modern protection keeps every character, and its
// saves reuse the key made for its password: no new salt, no new derivation.
TEST(SaveNow, ANewModernNoteKeepsEveryCharacterUnderOneKey) {
    ProgramCopy copy("save modern");
    Editor editor(copy);
    ASSERT_TRUE(editor.Open());
    ASSERT_TRUE(editor.PasteOverAll(kModernText));
    editor.Command(IDM_SAVE);
    ASSERT_TRUE(editor.AnswerNewPassword(kChinesePassword, kChinesePassword, kModernName));
    ASSERT_TRUE(driver::WaitUntil([&] { return !editor.Modified(); }, kSaveMs)) << "no save, or a question came";
    EXPECT_EQ("XCHACHA20", copy.NoteChoiceName());
    EXPECT_EQ("<absent>", copy.Packet("HMAC"));
    EXPECT_TRUE(kModernText8 == copy.NoteText(kChinesePassword8));
    const std::string salt = ModernSalt(copy);

    editor.Append(L"!");
    ASSERT_TRUE(editor.SaveNow());
    EXPECT_TRUE(kModernText8 + "!" == copy.NoteText(kChinesePassword8));
    EXPECT_EQ(salt, ModernSalt(copy));
    EXPECT_EQ(0u, editor.CloseUnchanged());
    EXPECT_EQ(kModernText + L"!", driver::OpenedExactText(copy, kChinesePassword));
}

// 更改密码 and a save move a note from each choice to the next, to the modern
// protection and back; the file then holds the entries of the one kind only,
// and it is still the program as built.
TEST(SaveNow, APasswordChangeMovesANoteBetweenEveryChoiceAndKeepsTheProgram) {
    EditorOnCopy editor("save move", "old note", kPassword, "AES");
    ASSERT_TRUE(editor.Opened());
    const std::string built = driver::ProgramIdentityOf(driver::PathFromEnvironment("SCRIBECRYPT_EXE"));
    ASSERT_EQ(built, driver::ProgramIdentityOf(editor.Copy().Path()));
    const struct {
        std::wstring password;
        std::wstring cipherName;
        const char* cipher;
        const char* absent;
    } moves[] = {{L"pw1", L"Camellia-256-CBC", "CAMELLIA", "NOTE"},
                 {kChinesePassword, kModernName, "XCHACHA20", "HMAC"},
                 {L"pw3", L"SEED-128-CBC", "SEED", "NOTE"},
                 {L"pw2", L"SM4-128-CBC", "SM4", "NOTE"}};
    for (const auto& move : moves) {
        SCOPED_TRACE(move.cipher);
        ASSERT_TRUE(editor.ChangePassword(move.password, move.cipherName));
        EXPECT_EQ(driver::kPasswordOnClose, editor.Answer(IDOK));
        editor.Command(IDM_SAVE);
        ASSERT_TRUE(driver::WaitUntil([&] { return editor.Copy().NoteChoiceName() == move.cipher; }, kSaveMs));
        EXPECT_EQ("<absent>", editor.Copy().Packet(move.absent));
        EXPECT_EQ(built, driver::ProgramIdentityOf(editor.Copy().Path()));
    }
    EXPECT_EQ("old note", editor.Copy().NoteText("pw2"));
    EXPECT_EQ(0u, editor.CloseUnchanged());
    EXPECT_EQ(L"old note", OpenedText(editor.Copy(), L"pw2"));
}

TEST(SaveNow, AnEmptiedNoteIsRemovedAndAWaitingPasswordApplied) {
    EditorOnCopy emptied("save emptied", "old note", kPassword, "AES");
    ASSERT_TRUE(emptied.Opened());
    emptied.DeleteAll();
    ASSERT_TRUE(emptied.SaveNow());
    EXPECT_EQ("<absent>", emptied.Copy().Packet("DATA"));
    EXPECT_EQ(0u, emptied.CloseUnchanged());
    EXPECT_EQ(L"", OpenedText(emptied.Copy()));

    EditorOnCopy changed("save password", "old note", kPassword, "AES");
    ASSERT_TRUE(changed.Opened());
    ASSERT_TRUE(changed.ChangePassword(L"new pw", L"SM4-128-CBC"));
    EXPECT_EQ(driver::kPasswordOnClose, changed.Answer(IDOK));
    changed.Command(IDM_SAVE);
    ASSERT_TRUE(driver::WaitUntil([&] { return changed.Copy().Packet("TYPE") == "SM4"; }, kSaveMs));
    EXPECT_EQ(0u, changed.CloseUnchanged());
    EXPECT_EQ(L"old note", OpenedText(changed.Copy(), L"new pw"));
}

// Kills the editor at moments spread over a save of a large note: while it
// stages its copy, and delays after the command that span the whole save.
TEST(SaveNow, AKillAtAnyMomentLeavesTheOldOrTheNewNoteAndTheNextStartClearsUp) {
    const std::string oldNote = driver::LargeNote(std::size_t{2} << 20);
    ProgramCopy copy("save killed");
    ASSERT_TRUE(copy.Seal(oldNote, kPassword, "SM4"));
    const std::string oldImage = copy.Bytes();
    const int moments[] = {driver::kWhileStaging, 0, 20, 50, 100, 150, 200, 300, 400, 600, 800, 1200, 2000};
    int kept = 0;
    int replaced = 0;
    for (const int moment : moments) {
        SCOPED_TRACE("killed after " + std::to_string(moment) + " ms");
        ASSERT_TRUE(driver::WriteFileBytes(copy.Path(), oldImage));
        ASSERT_TRUE(driver::KillDuringSave(copy, kWidePassword, L" new", moment));
        const std::string note = Unsealed(copy);
        kept += note == oldNote;
        replaced += note == oldNote + " new";
        EXPECT_TRUE(note == oldNote || note == oldNote + " new") << "neither note survived";
        // The next start asks for the password and has cleared up by then.
        Editor next(copy);
        const HWND dialog = driver::WaitForDialog(next.GetProcess().Id(), L"Scribecrypt", driver::kWindowTimeoutMs);
        ASSERT_NE(nullptr, dialog) << "the program did not start";
        EXPECT_EQ(0, LeftBeside(copy));
        driver::PressButton(dialog, IDCANCEL);
        next.WaitForExit();
    }
    // The moments fell both before and after the program file was replaced.
    EXPECT_GT(kept, 0);
    EXPECT_GT(replaced, 0);
}

// New files made beside the program may get the identity of a file a save
// made and removed again. A program started from any of them must run, so
// none may meet an instance an editor took for a removed file. How many do.
int NewFilesMeetingAnInstance(const ProgramCopy& copy) {
    constexpr int kFiles = 16;
    std::vector<std::string> made;
    int met = 0;
    for (int i = 0; i < kFiles; ++i) {
        made.push_back(copy.Path() + ".new" + std::to_string(i));
        CloseHandle(CreateFileA(made.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        const std::wstring path = FromAnsi(made.back());
        if (HoldFileInstance(path))
            ReleaseFileInstance(path);
        else
            ++met;
    }
    for (const std::string& path : made)
        DeleteFileA(path.c_str());
    return met;
}

// A save that cannot be made says why and changes nothing.
struct Obstacle {
    const char* name;
    std::function<Casement::CHandle(const ProgramCopy&)> make;  // kept until the end of the case
    const wchar_t* reason;
};

const Obstacle kObstacles[] = {
    {"ReadOnlyFile",
     [](const ProgramCopy& copy) {
         SetFileAttributesA(copy.Path().c_str(), FILE_ATTRIBUTE_READONLY);
         return Casement::CHandle();
     },
     L"程序文件是只读的。"},
    {"FileHeldByAnotherProgram",
     [](const ProgramCopy& copy) {
         return Casement::CHandle(CreateFileA(copy.Path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
     },
     L"另一个程序正在使用程序文件。"},
};

class FailedSaveNow : public testing::TestWithParam<Obstacle> {};

TEST_P(FailedSaveNow, SaysWhyAndKeepsFileWindowAndText) {
    EditorOnCopy editor(std::string("save fails ") + GetParam().name, "old note", kPassword, "AES");
    ASSERT_TRUE(editor.Opened());
    editor.Append(L" edited");
    const std::string before = editor.Copy().Bytes();
    {
        const Casement::CHandle hold = GetParam().make(editor.Copy());
        editor.Command(IDM_SAVE);
        const std::wstring said = editor.Answer(IDOK, kSaveMs);
        EXPECT_NE(std::wstring::npos, said.find(L"无法保存文档。")) << said;
        EXPECT_NE(std::wstring::npos, said.find(GetParam().reason)) << said;
        EXPECT_EQ(before, editor.Copy().Bytes());
        EXPECT_EQ(0, LeftBeside(editor.Copy()));
        EXPECT_EQ(L"old note edited", editor.UnsavedText());
    }
    SetFileAttributesA(editor.Copy().Path().c_str(), FILE_ATTRIBUTE_NORMAL);
    // Once the obstacle is gone the same save goes through, and so does the
    // next one, which removes the file the first one made.
    ASSERT_TRUE(editor.SaveNow());
    editor.Append(L" again");
    ASSERT_TRUE(editor.SaveNow());
    EXPECT_EQ(0, NewFilesMeetingAnInstance(editor.Copy()));
    EXPECT_EQ(0u, editor.CloseUnchanged());
    EXPECT_EQ(L"old note edited again", OpenedText(editor.Copy(), kWidePassword));
}

INSTANTIATE_TEST_SUITE_P(SaveNow, FailedSaveNow, testing::ValuesIn(kObstacles),
                         [](const testing::TestParamInfo<Obstacle>& info) { return std::string(info.param.name); });

// Neither Ctrl+S nor the close saves into a file with a second name, which
// would keep the old note and the old password: each says so, and the
// window, the edit and the new password stay for a Save As.
TEST(SaveNow, NothingIsSavedIntoAFileWithASecondName) {
    EditorOnCopy editor("second name", "old note", kPassword, "AES");
    ASSERT_TRUE(editor.Opened());
    const std::string second = editor.Copy().Folder() + "\\second name.exe";
    ASSERT_TRUE(CreateHardLinkA(second.c_str(), editor.Copy().Path().c_str(), nullptr));
    editor.Append(L" edited");
    ASSERT_TRUE(editor.ChangePassword(L"new pw", L""));
    EXPECT_EQ(driver::kPasswordOnClose, editor.Answer(IDOK));

    editor.Command(IDM_SAVE);
    std::wstring said = editor.Answer(IDOK, kSaveMs);
    EXPECT_NE(std::wstring::npos, said.find(L"此文件还有其他名称(硬链接)")) << said;
    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDYES));
    said = editor.Answer(IDOK, kSaveMs);
    EXPECT_NE(std::wstring::npos, said.find(L"此文件还有其他名称(硬链接)")) << said;
    EXPECT_EQ(L"old note edited", editor.UnsavedText());
    EXPECT_TRUE(editor.ProgramUnchanged());
    EXPECT_EQ(0, LeftBeside(editor.Copy()));

    const ProgramCopy saved("second name saved as");
    editor.SaveAs(FromAnsi(saved.Path()), IDYES);
    EXPECT_TRUE(driver::WaitUntil([&] { return saved.Unsealed("new pw", saved.Packet("TYPE")) == "old note edited"; },
                                  kSaveMs));
    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDNO));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_TRUE(editor.ProgramUnchanged());
    EXPECT_EQ(editor.Original(), driver::ReadFileBytes(second));
}

// A write-back still waiting for the program file when a new start of it
// saves with Ctrl+S gives up and says where its note is: it never puts its
// older note over the newer one.
TEST(SaveNow, AWaitingWriteBackNeverReplacesANewerSave) {
    ProgramCopy copy("waiting write-back");
    ASSERT_TRUE(copy.Seal("old note", kPassword, "SM4"));
    // Held open without sharing deletion, the file makes the write-back wait.
    Casement::CHandle hold(
        CreateFileA(copy.Path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(hold.IsValid());
    std::vector<DWORD> writeBacks;
    {
        Editor closing(copy);
        ASSERT_TRUE(closing.Open(kWidePassword));
        closing.Append(L" closed");
        EXPECT_EQ(kSaveQuestion, closing.CloseAnswering(IDYES));
        writeBacks = driver::WaitForWriteBackProcesses(closing.GetProcess().Id(), kSaveMs);
        ASSERT_EQ(1u, writeBacks.size());
        DWORD code = 0;
        ASSERT_TRUE(closing.GetProcess().WaitForExit(kSaveMs, &code));
    }
    Editor newer(copy);
    ASSERT_TRUE(newer.Open(kWidePassword));
    hold = Casement::CHandle();
    newer.Append(L" newer");
    ASSERT_TRUE(newer.SaveNow());
    Sleep(1000);
    EXPECT_EQ("old note newer", Unsealed(copy));

    const std::wstring said = driver::AnswerMessageBox(writeBacks[0], IDOK, kSaveMs);
    const std::wstring::size_type named = said.find(L"：");
    ASSERT_NE(std::wstring::npos, named) << said;
    const std::wstring image = said.substr(named + 1);
    EXPECT_EQ(L"old note closed", OpenedImageText(std::string(image.begin(), image.end()), kWidePassword));
    DeleteFileW(image.c_str());
    EXPECT_TRUE(driver::WaitForProcesses(writeBacks, kSaveMs));
    EXPECT_EQ(0u, newer.CloseUnchanged());
    EXPECT_EQ("old note newer", Unsealed(copy));
}

// Windows asks the window whether the session may end, and waits for the answer.
std::future<LRESULT> AskToEndSession(HWND main) {
    return std::async(std::launch::async, [main] {
        DWORD_PTR answer = 0xBAD;
        SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 60000, &answer);
        return static_cast<LRESULT>(answer);
    });
}

TEST(SessionEnd, AsksAboutUnsavedChangesAndSavesBeforeItLetsTheSessionEnd) {
    EditorOnCopy editor("session end", "old note", kPassword, "SEED");
    ASSERT_TRUE(editor.Opened());
    EXPECT_EQ(TRUE, AskToEndSession(editor.Main()).get()) << "nothing to save";

    editor.Append(L" kept");
    std::future<LRESULT> yes = AskToEndSession(editor.Main());
    EXPECT_EQ(kSaveQuestion, editor.Answer(IDYES));
    EXPECT_EQ(TRUE, yes.get());
    EXPECT_EQ("old note kept", Unsealed(editor.Copy()));

    editor.Append(L" not kept");
    std::future<LRESULT> no = AskToEndSession(editor.Main());
    EXPECT_EQ(kSaveQuestion, editor.Answer(IDNO));
    EXPECT_EQ(TRUE, no.get());
    EXPECT_EQ("old note kept", Unsealed(editor.Copy()));

    // A save that fails keeps the session from ending.
    {
        const Casement::CHandle hold(CreateFileA(editor.Copy().Path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                 OPEN_EXISTING, 0, nullptr));
        std::future<LRESULT> failing = AskToEndSession(editor.Main());
        EXPECT_EQ(kSaveQuestion, editor.Answer(IDYES));
        EXPECT_NE(std::wstring::npos, editor.Answer(IDOK, kSaveMs).find(L"无法保存文档。"));
        EXPECT_EQ(FALSE, failing.get());
    }
    EXPECT_EQ(L"old note kept not kept", editor.UnsavedText());
    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDNO));
    EXPECT_EQ(0u, editor.WaitForExit());
}

TEST(SessionEnd, ANewNoteGetsItsPasswordBeforeTheSessionEnds) {
    ProgramCopy copy("session end new");
    Editor editor(copy);
    ASSERT_TRUE(editor.Open());
    editor.Type(L"new note");
    std::future<LRESULT> cancelled = AskToEndSession(editor.Main());
    EXPECT_EQ(kSaveQuestion, editor.Answer(IDYES));
    ASSERT_TRUE(editor.AnswerNewPassword(L"pw", L"pw", L"", IDCANCEL));
    EXPECT_EQ(FALSE, cancelled.get());

    std::future<LRESULT> accepted = AskToEndSession(editor.Main());
    EXPECT_EQ(kSaveQuestion, editor.Answer(IDYES));
    ASSERT_TRUE(editor.AnswerNewPassword(L"pw", L"pw", L"AES-256-CBC"));
    EXPECT_EQ(TRUE, accepted.get());
    EXPECT_EQ("new note", Unsealed(copy));
    EXPECT_EQ(0u, editor.CloseUnchanged());
}

}  // namespace
