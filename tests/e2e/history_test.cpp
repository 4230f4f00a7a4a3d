// Earlier versions of a modern note end to end: saves keep the texts they
// replace, each opening with an independent implementation of the format, up
// to the newest twenty; a kill during a save leaves one whole state; a new
// password seals them afresh; a copy carries them; removing the note or
// moving it to a legacy cipher asks before the versions go.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/e2e/editor.h"
#include "ui/resource_ids.h"

namespace {

using driver::Editor;
using driver::EditorOnCopy;
using driver::ProgramCopy;

constexpr DWORD kSaveMs = 30000;
const std::wstring kModernName = L"XChaCha20-Poly1305 (Argon2id)";

// An entry of the copy as the reference opens it with password.
struct ReferenceOpening {
    std::string outcome;  // "opened", "wrong password", "absent" or "failed"
    std::uint64_t saveTime = 0;
    std::string text;
};

ReferenceOpening OpenWithReference(const ProgramCopy& copy, const char* name, const std::string& password) {
    const std::string entry = copy.Packet(name);
    if (entry == "<absent>")
        return {"absent", 0, ""};
    const std::string entryFile = copy.Folder() + "\\entry.bin";
    const std::string openedFile = copy.Folder() + "\\opened.txt";
    if (!driver::WriteFileBytes(entryFile, entry))
        return {"failed", 0, ""};
    const DWORD status = driver::RunHostCommand(std::string("'") + MODERN_REFERENCE + "' open " +
                                                    driver::QuotedUnixPath(entryFile) + " '" + password + "' > " +
                                                    driver::QuotedUnixPath(openedFile),
                                                copy.Folder());
    if (status == 3)
        return {"wrong password", 0, ""};
    const std::string opened = driver::ReadFileBytes(openedFile);
    const std::string::size_type line = opened.find('\n');
    if (status != 0 || line == std::string::npos)
        return {"failed", 0, ""};
    return {"opened", std::stoull(opened.substr(0, line)), opened.substr(line + 1)};
}

TEST(History, SavesKeepEarlierTextsAndANewPasswordSealsThemAfresh) {
    EditorOnCopy editor("history", "first", "pw", "XCHACHA20");
    ASSERT_TRUE(editor.Opened());
    editor.Append(L" second");
    ASSERT_TRUE(editor.SaveNow());
    editor.Append(L" third");
    ASSERT_TRUE(editor.SaveNow());
    const ProgramCopy& copy = editor.Copy();

    const ReferenceOpening newest = OpenWithReference(copy, "NOTE1", "pw");
    const ReferenceOpening oldest = OpenWithReference(copy, "NOTE2", "pw");
    EXPECT_EQ("opened", newest.outcome);
    EXPECT_EQ("first second", newest.text);
    EXPECT_EQ("opened", oldest.outcome);
    EXPECT_EQ("first", oldest.text);
    EXPECT_LT(oldest.saveTime, newest.saveTime);
    EXPECT_EQ("absent", OpenWithReference(copy, "NOTE3", "pw").outcome);

    const std::string salt = copy.Packet("NOTE").substr(24, 16);
    ASSERT_TRUE(editor.ChangePassword(L"new", kModernName));
    EXPECT_EQ(driver::kPasswordOnClose, editor.Answer(IDOK));
    editor.Command(IDM_SAVE);
    ASSERT_TRUE(driver::WaitUntil([&] { return copy.Packet("NOTE").substr(24, 16) != salt; }, kSaveMs));
    for (const char* name : {"NOTE1", "NOTE2"})
        EXPECT_EQ("wrong password", OpenWithReference(copy, name, "pw").outcome) << name;
    const ReferenceOpening resealed = OpenWithReference(copy, "NOTE1", "new");
    EXPECT_EQ("first second", resealed.text);
    EXPECT_EQ(newest.saveTime, resealed.saveTime) << "a version keeps its own save time";
    EXPECT_EQ("first", OpenWithReference(copy, "NOTE2", "new").text);
    EXPECT_EQ("absent", OpenWithReference(copy, "NOTE3", "new").outcome) << "an unchanged text is not kept again";

    // Removing the note asks first, as its versions go with it.
    const std::string saved = copy.Bytes();
    editor.DeleteAll();
    editor.Command(IDM_SAVE);
    EXPECT_EQ(L"Scribecrypt: 删除笔记也将删除 2 个旧版本。是否继续?", editor.Answer(IDNO));
    EXPECT_EQ(L"", editor.UnsavedText());
    EXPECT_EQ(saved, copy.Bytes());
    editor.Command(IDM_SAVE);
    EXPECT_EQ(L"Scribecrypt: 删除笔记也将删除 2 个旧版本。是否继续?", editor.Answer(IDYES));
    ASSERT_TRUE(driver::WaitUntil([&] { return !editor.Modified(); }, kSaveMs));
    for (const char* name : {"NOTE", "NOTE1", "NOTE2"}) EXPECT_EQ("<absent>", copy.Packet(name)) << name;
    EXPECT_EQ(0u, editor.CloseUnchanged());
}

TEST(History, TwentyOneSavesKeepTheNewestTwentyVersions) {
    EditorOnCopy editor("history limit", "0", "pw", "XCHACHA20");
    ASSERT_TRUE(editor.Opened());
    // The text after save n: "0 1 2 ... n".
    std::vector<std::string> texts = {"0"};
    for (int save = 1; save <= 21; ++save) {
        editor.Append(L" " + std::to_wstring(save));
        ASSERT_TRUE(editor.SaveNow()) << "save " << save;
        texts.push_back(texts.back() + " " + std::to_string(save));
    }
    const ProgramCopy& copy = editor.Copy();
    EXPECT_EQ(texts[20], OpenWithReference(copy, "NOTE1", "pw").text);
    EXPECT_EQ(texts[1], OpenWithReference(copy, "NOTE20", "pw").text) << "the oldest goes first";
    EXPECT_EQ("<absent>", copy.Packet("NOTE21"));
    EXPECT_EQ(0u, editor.CloseUnchanged());
}

// Which whole state the copy's note and versions are in: "old" when every
// entry is as in oldImage, "new" when the note opens to newText with the old
// note's text as the newest version and the old versions moved after it
// byte for byte; otherwise what is mixed.
std::string NoteState(const ProgramCopy& copy, const ProgramCopy& oldCopy, int oldVersions, const std::string& oldText,
                      const std::string& newText) {
    const auto name = [](int number) { return number == 0 ? std::string("NOTE") : "NOTE" + std::to_string(number); };
    if (copy.Packet("NOTE") == oldCopy.Packet("NOTE")) {
        for (int number = 1; number <= oldVersions + 1; ++number)
            if (copy.Packet(name(number).c_str()) != oldCopy.Packet(name(number).c_str()))
                return "the old note with " + name(number) + " changed";
        return "old";
    }
    if (copy.NoteText("pw") != newText)
        return "a note that is neither";
    if (OpenWithReference(copy, "NOTE1", "pw").text != oldText)
        return "the new note without the old one as NOTE1";
    for (int number = 1; number <= oldVersions; ++number)
        if (copy.Packet(name(number + 1).c_str()) != oldCopy.Packet(name(number).c_str()))
            return "the new note with " + name(number + 1) + " not the old " + name(number);
    if (copy.Packet(name(oldVersions + 2).c_str()) != "<absent>")
        return "the new note with a surplus version";
    return "new";
}

// Kills the editor at moments spread over a Ctrl+S of a large note with two
// versions: while it stages its copy, and delays after the command that
// span the whole save.
TEST(History, AKillAtAnyMomentOfASaveLeavesTheOldOrTheNewNoteWithItsVersions) {
    std::string base;
    while (base.size() < (std::size_t{1} << 20)) base += "the quick brown fox jumps over the lazy dog\r\n";
    ProgramCopy oldCopy("history killed old");
    {
        EditorOnCopy editor("history killed", base, "pw", "XCHACHA20");
        ASSERT_TRUE(editor.Opened());
        for (const wchar_t* more : {L" a", L" b"}) {
            editor.Append(more);
            ASSERT_TRUE(editor.SaveNow());
        }
        ASSERT_EQ(0u, editor.CloseUnchanged());
        ASSERT_TRUE(driver::CopyInto(editor.Copy().Path(), oldCopy.Path()));
    }
    const std::string oldImage = oldCopy.Bytes();
    const std::string oldText = base + " a b";
    ProgramCopy copy("history killed");
    const int moments[] = {driver::kWhileStaging, 0, 100, 300, 600, 1200, 2500};
    int kept = 0;
    int replaced = 0;
    for (const int moment : moments) {
        SCOPED_TRACE("killed after " + std::to_string(moment) + " ms");
        ASSERT_TRUE(driver::WriteFileBytes(copy.Path(), oldImage));
        ASSERT_TRUE(driver::KillDuringSave(copy, L"pw", L" new", moment));
        const std::string state = NoteState(copy, oldCopy, 2, oldText, oldText + " new");
        kept += state == "old";
        replaced += state == "new";
        EXPECT_TRUE(state == "old" || state == "new") << state;
    }
    // The moments fell both before and after the program file was replaced.
    EXPECT_GT(kept, 0);
    EXPECT_GT(replaced, 0);
}

TEST(History, ACopyCarriesTheVersionsAndMovingToALegacyCipherAsksAndDropsThem) {
    EditorOnCopy editor("history legacy", "first", "pw", "XCHACHA20");
    ASSERT_TRUE(editor.Opened());
    editor.Append(L" second");
    ASSERT_TRUE(editor.SaveNow());
    const ProgramCopy& copy = editor.Copy();
    ASSERT_NE("<absent>", copy.Packet("NOTE1"));

    // A copy made with Save As carries the versions, the text it replaced the newest.
    editor.Append(L" third");
    const std::string saved = copy.Folder() + "\\saved.exe";
    editor.SaveAs(std::wstring(saved.begin(), saved.end()));
    const ProgramCopy carried("history carried");
    ASSERT_TRUE(driver::CopyInto(saved, carried.Path()));
    EXPECT_EQ("first second", OpenWithReference(carried, "NOTE1", "pw").text);
    EXPECT_EQ("first", OpenWithReference(carried, "NOTE2", "pw").text);

    editor.Command(IDM_CHANGE_PASSWORD);
    const HWND dialog = driver::WaitForDialog(editor.GetProcess().Id(), L"Scribecrypt", driver::kWindowTimeoutMs);
    ASSERT_NE(nullptr, dialog);
    driver::SetControlText(dialog, IDC_NEW_PASSWORD, L"legacy");
    driver::SetControlText(dialog, IDC_REPEAT_PASSWORD, L"legacy");
    SendMessageW(GetDlgItem(dialog, IDC_CIPHER), CB_SELECTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(L"AES-256-CBC"));
    driver::PressButton(dialog, IDOK);
    EXPECT_EQ(L"Scribecrypt: 旧版本将被删除。是否继续?", editor.Answer(IDNO));
    EXPECT_TRUE(IsWindow(dialog)) << "否 keeps the dialog";
    driver::PressButton(dialog, IDOK);
    EXPECT_EQ(L"Scribecrypt: 旧版本将被删除。是否继续?", editor.Answer(IDYES));
    EXPECT_TRUE(driver::WaitForWindowToGo(dialog));
    EXPECT_EQ(driver::kPasswordOnClose, editor.Answer(IDOK));

    editor.Command(IDM_SAVE);
    ASSERT_TRUE(driver::WaitUntil([&] { return copy.NoteChoiceName() == "AES"; }, kSaveMs));
    EXPECT_EQ("first second third", copy.NoteText("legacy"));
    for (const char* name : {"NOTE", "NOTE1"}) EXPECT_EQ("<absent>", copy.Packet(name)) << name;
    EXPECT_EQ(0u, editor.CloseUnchanged());
}

}  // namespace
