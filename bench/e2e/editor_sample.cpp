#include "bench/e2e/editor_sample.h"

#include <dlgs.h>

#include <algorithm>
#include <utility>

#include "bench/e2e/note_key.h"
#include "bench/e2e/probes.h"
#include "tests/e2e/editor.h"
#include "ui/resource_ids.h"

namespace bench {

namespace {

// After the open, large notes keep the editor busy for minutes under Wine;
// a wait that runs out means the editor hangs.
constexpr DWORD kEditorTimeoutMs = 60 * 60 * 1000;
// How long one question to the view may wait for a busy editor before the
// wait checks its own time-out.

// What changes when the executable is replaced. Reading it leaves the file
// free, so the write-back can replace it; the resources are read only once
// it has changed.
struct FileStamp {
    FILETIME lastWrite = {};
    DWORD sizeLow = 0;
    DWORD sizeHigh = 0;
};

FileStamp StampOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA attributes = {};
    FileStamp stamp;
    if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &attributes)) {
        stamp.lastWrite = attributes.ftLastWriteTime;
        stamp.sizeLow = attributes.nFileSizeLow;
        stamp.sizeHigh = attributes.nFileSizeHigh;
    }
    return stamp;
}

bool SameStamp(const FileStamp& a, const FileStamp& b) {
    return CompareFileTime(&a.lastWrite, &b.lastWrite) == 0 && a.sizeLow == b.sizeLow && a.sizeHigh == b.sizeHigh;
}

// Closes the edited note answering Yes and times until the executable on
// disk holds savedText under cipher. The peak working set is read as long
// as the editor runs; its save ends with the process.
void TimeSave(driver::Editor& editor, const driver::ProgramCopy& copy, const std::string& savedText,
              const std::string& cipher, const ProcessHandle& counters, EditorSample& sample) {
    const DWORD processId = editor.GetProcess().Id();
    const FileStamp before = StampOf(copy.Path());
    editor.Close();
    Require(driver::WaitForWindow(processId, L"#32770", kEditorTimeoutMs, kPollMs) != nullptr,
            "the question on closing");

    const Stopwatch saving;
    Require(driver::AnswerMessageBox(processId, IDYES) == L"RiziDuru: 保存文档的更改?", "the question on closing");
    Require(PollUntil(
                [&] {
                    sample.peakWorkingSetBytes = std::max(sample.peakWorkingSetBytes, PeakWorkingSetBytes(counters));
                    if (SameStamp(StampOf(copy.Path()), before))
                        return false;
                    // Checking a modern note derives its key, which the
                    // save's time must not include.
                    const double savedMs = saving.ElapsedMs();
                    if (!HoldsNote(copy, savedText, cipher))
                        return false;
                    sample.saveMs = savedMs;
                    return true;
                },
                kEditorTimeoutMs),
            "the new note in the executable");
    Require(editor.WaitForExit() == 0, "the editor's end");
}

// Waits for the editor's frame: its only top-level window with the view as
// a child. Other windows the program may show do not count.
bool WaitForFrame(DWORD processId) {
    return driver::WaitForWindow(processId, nullptr, HasView, driver::kWindowTimeoutMs, kPollMs) != nullptr;
}

}  // namespace

StartSteps MeasureNewNoteStart(const driver::ProgramCopy& copy) {
    StartSteps steps;
    const Stopwatch starting;
    driver::Editor editor(copy, {"TMP=" + copy.Folder(), "TEMP=" + copy.Folder()});
    Require(WaitForFrame(editor.GetProcess().Id()), "the new note's frame");
    steps.frameMs = starting.ElapsedMs();
    const Stopwatch filling;
    Require(editor.Unlock(L"", kPollMs) && editor.WaitForWholeNote(0, driver::kWindowTimeoutMs, kPollMs),
            "the new note's view");
    steps.viewMs = filling.ElapsedMs();
    Require(editor.CloseUnchanged() == 0, "the new note's end");
    return steps;
}

EditorSample MeasureEditor(const driver::ProgramCopy& copy, const std::string& note, const std::string& cipher,
                           DWORD openLimitMs, const std::string& temporaryFolder) {
    SealInto(copy, note, cipher);
    EditorSample sample;

    // By default the temporary image goes into the copy's folder, which the
    // run removes.
    const std::string temp = temporaryFolder.empty() ? copy.Folder() : temporaryFolder;
    const Stopwatch opening;
    driver::Editor editor(copy, {"TMP=" + temp, "TEMP=" + temp});
    const DWORD processId = editor.GetProcess().Id();
    const HWND dialog = driver::WaitForDialog(processId, L"Scribecrypt", driver::kWindowTimeoutMs, kPollMs);
    Require(dialog != nullptr, "the password dialog");
    sample.steps.dialogMs = opening.ElapsedMs();
    driver::SetControlText(dialog, IDC_PASSWORD, kPasswordWide);
    // What Enter in the dialog does.
    const Stopwatch unlocking;
    driver::PressButton(dialog, IDOK);
    // The dialog checks the password before it closes.
    Require(driver::WaitUntil([&] { return !IsWindow(dialog); }, driver::kWindowTimeoutMs, kPollMs),
            "the password dialog closing");
    sample.steps.checkMs = unlocking.ElapsedMs();
    const Stopwatch framing;
    Require(WaitForFrame(processId), "the editor's frame");
    sample.steps.frameMs = framing.ElapsedMs();
    const Stopwatch filling;
    Require(editor.Unlock(L"", kPollMs), "the editor's main window");
    const ProcessHandle counters = OpenForCounters(processId);
    sample.opened = editor.WaitForWholeNote(LengthInView(note), openLimitMs, kPollMs);
    sample.steps.viewMs = filling.ElapsedMs();
    sample.unlockMs = unlocking.ElapsedMs();
    sample.openMs = opening.ElapsedMs();
    sample.peakWorkingSetBytes = PeakWorkingSetBytes(counters);
    Require(sample.peakWorkingSetBytes > 0, "the editor's peak working set");
    if (sample.opened) {
        SendMessageW(editor.View(), EM_SETSEL, 0, 0);
        editor.Type(L"x");
        TimeSave(editor, copy, "x" + note, cipher, counters, sample);
    }
    // An editor still opening its note ends here with the driver's process.
    return sample;
}

namespace {

// Puts the caret at the start of the view and scrolls there.
void ReturnToStart(HWND view) {
    SendMessageW(view, EM_SETSEL, 0, 0);
    SendMessageW(view, EM_SCROLLCARET, 0, 0);
}

// The view's selection; EM_GETSEL's two positions reach another process.
std::pair<DWORD, DWORD> SelectionOf(HWND view) {
    DWORD start = 0, end = 0;
    SendMessageW(view, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

}  // namespace

FindSample MeasureFindNext(const std::string& note, int rounds) {
    driver::EditorOnCopy editor("bench-find", note + "\r\nneedle", kPassword, kLegacyCipher);
    Require(editor.Opened(), "the note to search");
    const HWND view = editor.View();

    editor.Command(IDM_FIND);
    const HWND dialog = driver::WaitForWindow(
        editor.GetProcess().Id(), L"#32770", [](HWND window) { return GetDlgItem(window, edt1) != nullptr; },
        kEditorTimeoutMs);
    Require(dialog != nullptr, "the find dialog");
    driver::SetControlText(dialog, edt1, L"needle");
    driver::PressButton(dialog, IDOK);
    Require(PollUntil([&] { return SelectionOf(view).first != 0; }, kEditorTimeoutMs), "the term found");
    const std::pair<DWORD, DWORD> found = SelectionOf(view);
    driver::PressButton(dialog, IDCANCEL);
    Require(driver::WaitForWindowToGo(dialog), "the find dialog closing");

    // Both are sent, so each time ends when the editor has done the work.
    FindSample sample;
    for (int round = 0; round < rounds; ++round) {
        ReturnToStart(view);
        const Stopwatch finding;
        SendMessageW(editor.Main(), WM_COMMAND, IDM_FIND_NEXT, 0);
        sample.findMs.push_back(finding.ElapsedMs());
        Require(SelectionOf(view) == found, "find next selecting the term");

        ReturnToStart(view);
        const Stopwatch selecting;
        SendMessageW(view, EM_SETSEL, found.first, found.second);
        SendMessageW(view, EM_SCROLLCARET, 0, 0);
        sample.selectMs.push_back(selecting.ElapsedMs());
    }
    Require(editor.CloseUnchanged() == 0, "the editor's end after searching");
    return sample;
}

}  // namespace bench
