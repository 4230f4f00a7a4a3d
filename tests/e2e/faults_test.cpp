// Saving and starting under faults: a write-back that finds the program
// started again, a program or folder that cannot be written, a write-back
// killed part-way, full disks, and damaged note resources.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <random>

#include "crypto/document.h"
#include "crypto/key_material.h"
#include "image/paths.h"
#include "image/resources.h"
#include "tests/e2e/editor.h"
#include "tests/e2e/stress.h"
#include "ui/resource_ids.h"

namespace {

using Casement::CHandle;
using driver::Editor;
using driver::kSaveQuestion;
using driver::Process;
using driver::ProgramCopy;

const char kPassword[] = "pw";
const wchar_t kWidePassword[] = L"pw";
const wchar_t kGaveUp[] = L"错误: 无法将文档写回程序文件。新的文档保存在：";
const DWORD kFailed = static_cast<DWORD>(-1);
// The write-back retries for about ten seconds before it gives up.
constexpr DWORD kWriteBackMs = 30000;

std::wstring Wide(const std::string& text) {
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, MAX_PATH);
    return wide;
}

// Temporary files in a folder: what a write-back stages beside the program.
int CountStagedImages(const std::string& folder) { return driver::CountFiles(folder + "\\*.tmp"); }

// The text a program image shows for the password, or a marker of why it
// shows none.
std::wstring NoteOf(const std::string& image) { return driver::OpenedImageText(image, kWidePassword); }

// The write-back process of a save. It is ended with the test whatever
// happens: after a failed check its message could stay unanswered, and the
// process would keep the test's output, which it inherited, open.
class WriteBack {
public:
    explicit WriteBack(DWORD processId)
        : m_id(processId),
          m_process(OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE,
                                processId)) {}
    WriteBack(const WriteBack&) = delete;
    WriteBack& operator=(const WriteBack&) = delete;
    ~WriteBack() {
        if (Runs())
            Kill();
    }

    bool Runs() const { return m_process.IsValid(); }
    DWORD Id() const { return m_id; }
    // The temporary image it was started from. A process found as soon as
    // it appears may not name its image yet.
    std::string ImagePath() const {
        std::string image;
        driver::WaitUntil(
            [&] {
                char path[MAX_PATH] = {};
                DWORD length = MAX_PATH;
                if (!QueryFullProcessImageNameA(m_process.GetHandle(), 0, path, &length))
                    return false;
                image.assign(path, length);
                return true;
            },
            5000, 20);
        return image;
    }
    bool WaitForEnd(DWORD timeoutMs) const {
        return WaitForSingleObject(m_process.GetHandle(), timeoutMs) == WAIT_OBJECT_0;
    }
    void Kill() const {
        TerminateProcess(m_process.GetHandle(), 0xDEAD);
        WaitForEnd(kWriteBackMs);
    }

private:
    DWORD m_id;
    CHandle m_process;
};

// Opens the copy, types "new " and answers the save question on closing;
// gives the write-back process that the save started, 0 if none or several.
DWORD StartSaving(Editor& editor) {
    // A note of some MiB keeps the view busy for seconds, more on a loaded machine.
    if (!editor.Open(kWidePassword, 120000))
        return 0;
    editor.Type(L"new ");
    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDYES));
    // The close seals and copies a note of megabytes before it starts the
    // write-back, which takes seconds on a loaded machine.
    const std::vector<DWORD> children = driver::WaitForWriteBackProcesses(editor.GetProcess().Id(), kWriteBackMs);
    return children.size() == 1 ? children[0] : 0;
}

// The same, returning once the editor has ended.
DWORD SaveEdited(Editor& editor) {
    const DWORD writeBack = StartSaving(editor);
    DWORD code = 0xBAD;
    EXPECT_TRUE(editor.GetProcess().WaitForExit(driver::kWindowTimeoutMs, &code));
    EXPECT_EQ(0u, code);
    return writeBack;
}

// Holds a file open for reading with read sharing only, as a reader that
// lets nobody write does: the program still starts from it, yet it can be
// neither replaced nor written.
class Reader {
public:
    explicit Reader(const std::string& path)
        : m_file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    bool Holds() const { return m_file.IsValid(); }
    void Release() { m_file.Close(); }

private:
    CHandle m_file;
};

TEST(PendingWriteBack, ProgramStartedAgainKeepsTheOldNoteAndTheTemporaryImageTheNew) {
    ProgramCopy copy("again");
    ASSERT_TRUE(copy.Seal("old note", kPassword, "AES"));
    const std::string before = copy.Bytes();
    // The reader keeps the write-back waiting until the second start holds
    // the program, which would otherwise be a race of about 100 ms.
    Reader reader(copy.Path());
    ASSERT_TRUE(reader.Holds());
    Editor saving(copy);
    const WriteBack writeBack(SaveEdited(saving));
    ASSERT_TRUE(writeBack.Runs());
    const std::string image = writeBack.ImagePath();

    Editor again(copy);
    ASSERT_NE(nullptr, driver::WaitForDialog(again.GetProcess().Id(), L"Scribecrypt", driver::kWindowTimeoutMs));
    reader.Release();
    ASSERT_TRUE(again.Open(kWidePassword));
    EXPECT_EQ(L"old note", again.Text());

    EXPECT_EQ(kGaveUp + Wide(image), driver::AnswerMessageBox(writeBack.Id(), IDOK, kWriteBackMs));
    EXPECT_TRUE(writeBack.WaitForEnd(kWriteBackMs));
    EXPECT_EQ(0u, again.CloseUnchanged());
    EXPECT_TRUE(before == copy.Bytes());
    EXPECT_EQ(0, CountStagedImages(copy.Folder()));

    // The image holds the newer note: starting the program leaves it alone.
    Editor third(copy);
    ASSERT_TRUE(third.Open(kWidePassword));
    EXPECT_EQ(0u, third.CloseUnchanged());
    EXPECT_EQ(L"new old note", NoteOf(image));
}

// Makes a file or folder read-only while it lives. Wine running as root
// ignores FILE_ATTRIBUTE_READONLY (CopyFileA and MoveFileExA replace such a
// file, and a folder does not even keep the attribute), so the file system's
// immutable flag is set too, which binds root as well and which Wine reports
// as access denied, the error Windows gives for a read-only target. Wine
// starts chattr as a Unix program but cannot wait for it, so the effect is
// waited for instead.
class ReadOnly {
public:
    explicit ReadOnly(std::string path) : m_path(std::move(path)) {
        SetFileAttributesA(m_path.c_str(), Attributes() | FILE_ATTRIBUTE_READONLY);
        SetImmutable("+i");
        m_holds = WaitUntilWritable(false);
    }
    ReadOnly(const ReadOnly&) = delete;
    ReadOnly& operator=(const ReadOnly&) = delete;
    ~ReadOnly() {
        SetImmutable("-i");
        SetFileAttributesA(m_path.c_str(), Attributes() & ~FILE_ATTRIBUTE_READONLY);
        WaitUntilWritable(true);
    }
    // True once writing is refused.
    bool Holds() const { return m_holds; }

private:
    DWORD Attributes() const { return GetFileAttributesA(m_path.c_str()) & ~FILE_ATTRIBUTE_DIRECTORY; }

    // A file is writable when it opens for writing, a folder when a new
    // file can be made in it.
    bool Writable() const {
        const bool folder = (GetFileAttributesA(m_path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const CHandle file(folder ? CreateFileA((m_path + "\\probe").c_str(), GENERIC_WRITE, 0, nullptr,
                                                CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr)
                                  : CreateFileA(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                nullptr, OPEN_EXISTING, 0, nullptr));
        return file.IsValid();
    }

    bool WaitUntilWritable(bool writable) const {
        return driver::WaitUntil([&] { return Writable() == writable; }, 5000, 20);
    }

    void SetImmutable(const char* change) const {
        using UnixFileName = char*(CDECL*)(LPCWSTR);
        const auto unixFileName = reinterpret_cast<UnixFileName>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
        char* unixPath = unixFileName != nullptr ? unixFileName(Wide(m_path).c_str()) : nullptr;
        if (unixPath == nullptr)
            return;
        const std::string commandLine = std::string("/usr/bin/chattr ") + change + " \"" + unixPath + "\"";
        HeapFree(GetProcessHeap(), 0, unixPath);
        driver::StartProcess(std::string(), commandLine);
    }

    std::string m_path;
    bool m_holds = false;
};

// What stands in the write-back's way, and whether it must give up.
struct Obstacle {
    const char* name;
    bool readOnlyProgram;
    bool readOnlyFolder;
    bool reader;
    bool givesUp;
};

void PrintTo(const Obstacle& obstacle, std::ostream* out) { *out << obstacle.name; }

class BlockedWriteBack : public ::testing::TestWithParam<Obstacle> {};

TEST_P(BlockedWriteBack, SavingProcessClosesAndNothingIsLost) {
    const Obstacle& obstacle = GetParam();
    ProgramCopy copy(obstacle.name);
    ASSERT_TRUE(copy.Seal("old note", kPassword, "SM4"));
    const std::string before = copy.Bytes();
    std::optional<ReadOnly> program, folder;
    if (obstacle.readOnlyProgram) {
        program.emplace(copy.Path());
        ASSERT_TRUE(program->Holds()) << "the program stayed writable";
    }
    if (obstacle.readOnlyFolder) {
        folder.emplace(copy.Folder());
        ASSERT_TRUE(folder->Holds()) << "the folder stayed writable";
    }
    std::optional<Reader> reader;
    if (obstacle.reader) {
        reader.emplace(copy.Path());
        ASSERT_TRUE(reader->Holds());
    }

    Editor saving(copy);
    const WriteBack writeBack(SaveEdited(saving));
    ASSERT_TRUE(writeBack.Runs());
    const std::string image = writeBack.ImagePath();
    if (obstacle.givesUp) {
        EXPECT_EQ(kGaveUp + Wide(image), driver::AnswerMessageBox(writeBack.Id(), IDOK, kWriteBackMs));
        EXPECT_TRUE(writeBack.WaitForEnd(kWriteBackMs));
        EXPECT_TRUE(before == copy.Bytes());
        EXPECT_EQ(L"new old note", NoteOf(image));
    } else {
        EXPECT_TRUE(writeBack.WaitForEnd(kWriteBackMs));
        EXPECT_EQ(L"new old note", NoteOf(copy.Path()));
    }
    EXPECT_EQ(0, CountStagedImages(copy.Folder()));
}

std::string ObstacleName(const ::testing::TestParamInfo<Obstacle>& info) { return info.param.name; }

// A folder that takes no new file leaves no room to stage the new image: the
// write-back then copies it over the program in place.
INSTANTIATE_TEST_SUITE_P(Faults, BlockedWriteBack,
                         ::testing::Values(Obstacle{"ReadOnlyProgram", true, false, false, true},
                                           Obstacle{"ReadOnlyFolder", false, true, false, false},
                                           Obstacle{"ReadOnlyFolderAndProgram", true, true, false, true},
                                           Obstacle{"ProgramHeldOpenByAReader", false, false, true, true}),
                         ObstacleName);

// The file's size and time of last writing, which any change of it moves.
std::pair<ULONGLONG, ULONGLONG> Stamp(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return {(ULONGLONG{data.nFileSizeHigh} << 32) | data.nFileSizeLow,
            (ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime};
}

// When to kill the write-back: while it stages its copy beside the program
// (the saving process still runs), as soon as the program file is seen to
// change, or a delay after the saving process has ended. The write-back
// retries every 100 ms, so the delays span a whole retry and what follows.
struct KillMoment {
    enum Kind { WhileStaging, OnFirstChange, AfterExit } kind;
    DWORD delayMs;

    std::string Name() const {
        static const char* const kKinds[] = {"while staging", "on the first change", "after the exit"};
        return std::string("killed ") + kKinds[kind] + " and " + std::to_string(delayMs) + " ms";
    }
};

const KillMoment kKillMoments[] = {
    {KillMoment::WhileStaging, 0},   {KillMoment::OnFirstChange, 0}, {KillMoment::AfterExit, 0},
    {KillMoment::AfterExit, 5},      {KillMoment::AfterExit, 10},    {KillMoment::AfterExit, 20},
    {KillMoment::AfterExit, 30},     {KillMoment::AfterExit, 45},    {KillMoment::AfterExit, 60},
    {KillMoment::AfterExit, 80},     {KillMoment::AfterExit, 100},   {KillMoment::AfterExit, 130},
    {KillMoment::AfterExit, 170},
};

void KillAt(const KillMoment& moment, const ProgramCopy& copy, Process& saving, const WriteBack& writeBack) {
    const auto before = Stamp(copy.Path());
    DWORD code = 0;
    if (moment.kind == KillMoment::WhileStaging) {
        EXPECT_TRUE(driver::WaitUntil([&] { return CountStagedImages(copy.Folder()) > 0; }, kWriteBackMs, 1));
    } else {
        EXPECT_TRUE(saving.WaitForExit(driver::kWindowTimeoutMs, &code));
    }
    if (moment.kind == KillMoment::OnFirstChange) {
        EXPECT_TRUE(driver::WaitUntil([&] { return Stamp(copy.Path()) != before; }, kWriteBackMs, 1));
    }
    Sleep(moment.delayMs);
    writeBack.Kill();
    EXPECT_TRUE(writeBack.WaitForEnd(0));
    EXPECT_TRUE(saving.WaitForExit(driver::kWindowTimeoutMs, &code));
}

TEST(KilledWriteBack, LeavesTheOldOrTheNewNoteNeverNeither) {
    // A note of some MiB makes the program a large file to replace.
    const std::string oldNote = driver::LargeNote(std::size_t{2} << 20);
    const std::string newNote = "new " + oldNote;
    ProgramCopy copy("killed");
    ASSERT_TRUE(copy.Seal(oldNote, kPassword, "CAMELLIA"));
    const std::string oldImage = copy.Bytes();
    int kept = 0;
    int replaced = 0;
    for (const KillMoment& moment : kKillMoments) {
        SCOPED_TRACE(moment.Name());
        ASSERT_TRUE(driver::WriteFileBytes(copy.Path(), oldImage));
        Editor saving(copy);
        const WriteBack writeBack(StartSaving(saving));
        ASSERT_TRUE(writeBack.Runs());
        KillAt(moment, copy, saving.GetProcess(), writeBack);

        const std::string data = copy.Packet("DATA");
        const std::string note = UnsealDocumentData(reinterpret_cast<const unsigned char*>(data.data()), data.size(),
                                              kPassword, copy.Packet("TYPE"));
        kept += note == oldNote;
        replaced += note == newNote;
        EXPECT_TRUE(note == oldNote || note == newNote) << "neither note survived: " << data.size() << " bytes";
        // A whole program starts from it and asks for the note's password.
        // Right after the kill the system may still be letting go of the
        // killed process's hold on the file, so the start is tried again.
        Process started;
        DWORD startError = 0;
        ASSERT_TRUE(driver::WaitUntil(
            [&] {
                const bool ok = copy.Start(started);
                startError = GetLastError();
                return ok;
            },
            5000))
            << "the program did not start: error " << startError;
        HWND dialog = driver::WaitForDialog(started.Id(), L"Scribecrypt", driver::kWindowTimeoutMs);
        ASSERT_NE(nullptr, dialog);
        // By then it has removed what the killed write-back staged beside it.
        EXPECT_EQ(0, CountStagedImages(copy.Folder()));
        driver::PressButton(dialog, IDCANCEL);
        DWORD code = 0;
        EXPECT_TRUE(started.WaitForExit(driver::kWindowTimeoutMs, &code));
        EXPECT_EQ(kFailed, code);
    }
    // The moments fell both before and after the replacement.
    EXPECT_GT(kept, 0);
    EXPECT_GT(replaced, 0);
}

// Resources that no save writes, and how the program must take them.
struct Damage {
    const char* name;
    std::string hmac;
    std::string data;
    std::string type;
    bool refused;                       // the password is reported invalid
    std::optional<std::string> shows;   // the view's text; any when absent
};

std::string Random(std::size_t bytes) {
    static std::mt19937 generator(20240607);  // fixed: the same bytes every run
    std::string random(bytes, '\0');
    for (char& c : random)
        c = static_cast<char>(generator());
    return random;
}

std::string Verifier(const char* password) {
    unsigned char digest[kVerifierBytes];
    DeriveVerifier(password, digest);
    return std::string(reinterpret_cast<const char*>(digest), kVerifierBytes);
}

std::string SealedData(const std::string& text, const char* cipher) {
    const std::optional<SealedDocument> sealed = SealDocument(text, kPassword, cipher);
    return sealed ? std::string(sealed->data.begin(), sealed->data.end()) : std::string();
}

// An "HMAC" of 0 bytes cannot be made: Wine refuses to write an empty resource.
std::vector<Damage> Damages() {
    const std::string verifier = Verifier(kPassword);
    const std::string blocks = "0123456789abcdef0123456789ABCDEF0123456789abcdef0123456789ABCDEF";
    return {
        {"RandomDataAes", verifier, Random(4096), "AES", false, std::nullopt},
        {"RandomDataCamellia", verifier, Random(4096), "CAMELLIA", false, std::nullopt},
        {"RandomDataSm4", verifier, Random(4096), "SM4", false, std::nullopt},
        {"RandomDataSeed", verifier, Random(4096), "SEED", false, std::nullopt},
        {"DataCutAtABlock", verifier, SealedData(blocks, "SEED").substr(0, 32), "SEED", false, blocks.substr(0, 32)},
        {"DataCutWithinABlock", verifier, SealedData(blocks, "SM4").substr(0, 40), "SM4", false, ""},
        {"DataOfTwentyBytes", verifier, Random(20), "AES", false, ""},
        {"ShortVerifierOfAnotherPassword", Verifier("other").substr(0, 10), SealedData(blocks, "AES"), "AES", true,
         std::nullopt},
        {"VerifierLongerThanTheDigest", verifier + std::string(36, '\0'), SealedData(blocks, "AES"), "AES", true,
         std::nullopt},
        {"GarbageType", verifier, SealedData(blocks, "CAMELLIA"), Random(16), false, ""},
    };
}

void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.name; }

class DamagedNote : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedNote, NeitherCrashesNorHangsTheProgram) {
    const Damage& damage = GetParam();
    ProgramCopy copy(damage.name);
    ASSERT_TRUE(copy.WriteRaw(damage.hmac, damage.data, damage.type));
    const std::string before = copy.Bytes();
    Editor editor(copy);
    if (damage.refused) {
        HWND dialog = driver::WaitForDialog(editor.GetProcess().Id(), L"Scribecrypt", driver::kWindowTimeoutMs);
        ASSERT_NE(nullptr, dialog);
        driver::SetControlText(dialog, IDC_PASSWORD, kWidePassword);
        driver::PressButton(dialog, IDOK);
        EXPECT_EQ(L"错误: 您提供的密码无效。", editor.Answer(IDOK));
        EXPECT_EQ(kFailed, editor.WaitForExit());
    } else {
        // The damaged note reaches the view and the editor still answers.
        ASSERT_TRUE(editor.Open(kWidePassword, 5000));
        if (damage.shows) {
            EXPECT_EQ(driver::FromCodePage936(*damage.shows), editor.Text());
        }
        EXPECT_EQ(0u, editor.CloseUnchanged());
    }
    EXPECT_TRUE(before == copy.Bytes());
}

std::string DamageName(const ::testing::TestParamInfo<Damage>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Faults, DamagedNote, ::testing::ValuesIn(Damages()), DamageName);

// The two small file systems mounted for this test, each with room for the
// program and one MiB more. The program's folder takes no new file either:
// the write-back can only overwrite the program in place.
struct SmallDisks {
    SmallDisks() {
        const std::string root = driver::PathFromEnvironment("SCRIBECRYPT_SMALL_DISKS");
        temp = root + "\\temp";
        program = root + "\\program";
        mounted = !root.empty() && GetFileAttributesA((temp + "\\mounted").c_str()) != INVALID_FILE_ATTRIBUTES;
        reason = root.empty() ? "no small disks were set up" : driver::ReadFileBytes(root + "\\reason");
    }
    std::string temp;
    std::string program;
    bool mounted = false;
    std::string reason;
};

// Pastes a text of 3 MiB over the note, more than either disk has room for
// (the program, itself over 1 MiB for the 32-bit build, and one MiB more);
// true once the view holds it.
bool PasteThreeMiB(const Editor& editor) {
    std::string text;
    while (text.size() < (3u << 20))
        text += "a line of text that makes the note larger than the free space\r\n";
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    if (!OpenClipboard(nullptr))
        return false;
    EmptyClipboard();
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
    SendMessageW(editor.View(), EM_SETSEL, 0, -1);
    editor.Command(IDM_PASTE);
    return driver::WaitUntil(
        [&] {
            return editor.Modified() &&
                   SendMessageW(editor.View(), WM_GETTEXTLENGTH, 0, 0) >= static_cast<LRESULT>(text.size());
        },
        60000, 100);
}

// The text file is written in pieces; the first that does not fit ends the
// writing, and the user is told once, not once a piece.
TEST(DiskFull, SaveAsTextWithoutRoomSaysSoOnceAndKeepsTheOldFile) {
    const SmallDisks disks;
    if (!disks.mounted)
        GTEST_SKIP() << disks.reason;
    ProgramCopy copy("full text file");
    ASSERT_TRUE(copy.Seal("x", kPassword, "AES"));
    Editor editor(copy);
    ASSERT_TRUE(editor.Open(kWidePassword));
    ASSERT_TRUE(PasteThreeMiB(editor));
    const std::string target = disks.temp + "\\note.txt";
    ASSERT_TRUE(driver::WriteFileBytes(target, "the text file's old contents"));
    editor.SaveAs(Wide(target), IDYES);
    EXPECT_EQ(L"Warning: Failed to write:  " + Wide(target), editor.Answer(IDOK));
    EXPECT_EQ(nullptr, driver::WaitForMessageBox(editor.GetProcess().Id(), 2000)) << "told more than once";
    EXPECT_EQ("the text file's old contents", driver::ReadFileBytes(target));
    EXPECT_EQ(0, driver::CountFiles(target + "~*.tmp")) << "a staged copy was left";
    DeleteFileA(target.c_str());
    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDNO));
    EXPECT_EQ(0u, editor.WaitForExit());
}

TEST(DiskFull, ATemporaryFolderWithoutRoomFailsTheSaveAndKeepsEverything) {
    const SmallDisks disks;
    if (!disks.mounted)
        GTEST_SKIP() << disks.reason;
    ProgramCopy copy("full temp");
    ASSERT_TRUE(copy.Seal("x", kPassword, "AES"));
    const std::string before = copy.Bytes();
    Editor editor(copy, {"TMP=" + disks.temp, "TEMP=" + disks.temp});
    ASSERT_TRUE(editor.Open(kWidePassword));
    ASSERT_TRUE(PasteThreeMiB(editor));
    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDYES));
    EXPECT_EQ(L"错误: 无法保存文档。", editor.Answer(IDOK));
    ASSERT_TRUE(IsWindow(editor.Main()));
    EXPECT_TRUE(editor.Modified());
    EXPECT_LT(3u << 20, editor.Text().size());
    EXPECT_EQ(0, CountStagedImages(disks.temp));
    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDNO));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_TRUE(before == copy.Bytes());
}

TEST(DiskFull, TheSaveCommandWithoutRoomBesideTheProgramSaysSoAndKeepsEverything) {
    const SmallDisks disks;
    if (!disks.mounted)
        GTEST_SKIP() << disks.reason;
    const ProgramCopy copy(ProgramCopy::InFolder{disks.program});
    ASSERT_TRUE(copy.Seal("x", kPassword, "AES"));
    const std::string before = copy.Bytes();
    Editor editor(copy);
    ASSERT_TRUE(editor.Open(kWidePassword));
    ASSERT_TRUE(PasteThreeMiB(editor));
    editor.Command(IDM_SAVE);
    const std::wstring said = editor.Answer(IDOK);
    EXPECT_EQ(0u, said.find(L"错误: 无法保存文档。磁盘空间不足。")) << said;
    EXPECT_TRUE(before == copy.Bytes());
    EXPECT_EQ(0, CountStagedImages(disks.program));
    EXPECT_TRUE(editor.Modified());
    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDNO));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_TRUE(before == copy.Bytes());
}

TEST(DiskFull, AProgramFolderWithoutRoomKeepsTheProgramAndSaysWhereTheNoteIs) {
    const SmallDisks disks;
    if (!disks.mounted)
        GTEST_SKIP() << disks.reason;
    const ProgramCopy copy(ProgramCopy::InFolder{disks.program});
    ASSERT_TRUE(copy.Seal("x", kPassword, "AES"));
    const std::string before = copy.Bytes();
    Editor editor(copy);
    ASSERT_TRUE(editor.Open(kWidePassword));
    ASSERT_TRUE(PasteThreeMiB(editor));
    const std::wstring text = editor.Text();
    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDYES));
    const std::vector<DWORD> children = driver::WaitForWriteBackProcesses(editor.GetProcess().Id(), kWriteBackMs);
    ASSERT_EQ(1u, children.size());
    const WriteBack writeBack(children[0]);
    const std::string image = writeBack.ImagePath();
    EXPECT_EQ(kGaveUp + Wide(image), driver::AnswerMessageBox(writeBack.Id(), IDOK, kWriteBackMs));
    EXPECT_TRUE(writeBack.WaitForEnd(kWriteBackMs));
    EXPECT_TRUE(before == copy.Bytes());
    EXPECT_EQ(0, CountStagedImages(disks.program));

    const std::optional<NoteImage> stored = ReadNoteImage(FromAnsi(image));
    ASSERT_TRUE(stored && stored->HasNote());
    std::string narrow(text.size() * 2, '\0');
    narrow.resize(static_cast<size_t>(WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                                          &narrow[0], static_cast<int>(narrow.size()), nullptr,
                                                          nullptr)));
    EXPECT_TRUE(narrow == stored->Unseal(kPassword).View());
    DeleteFileA(image.c_str());
}

}  // namespace
