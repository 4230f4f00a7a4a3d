#include "bench/e2e/save_now_sample.h"

#include "bench/e2e/note_key.h"
#include "bench/e2e/probes.h"
#include "bench/e2e/references.h"
#include "tests/e2e/editor.h"
#include "ui/resource_ids.h"

namespace bench {

namespace {

// Far longer than a save of the largest note takes; a wait that runs out
// means the save failed and the editor shows why.
constexpr DWORD kSaveTimeoutMs = 5 * 60 * 1000;
// The first save moves the running image aside; the program file removes
// it a moment after the editor has ended.
constexpr DWORD kRetiredFileTimeoutMs = 20 * 1000;

// Files saves made beside the program file: staged copies, retired files.
int FilesBeside(const driver::ProgramCopy& copy) { return driver::CountFiles(copy.Path() + "~*.tmp"); }

}  // namespace

SaveNowSample MeasureSaveNow(const driver::ProgramCopy& copy, const std::string& referenceProgram,
                             const std::string& note, int rounds, DWORD openLimitMs) {
    Require(copy.Seal(note, kPassword, kCipher), "sealing the note into the executable");
    driver::Editor editor(copy);
    Require(editor.Open(kPasswordWide, openLimitMs), "the note to save");

    SaveNowSample sample;
    std::string text = note;
    for (int round = 0; round < rounds; ++round) {
        SendMessageW(editor.View(), EM_SETSEL, static_cast<WPARAM>(-1), -1);
        editor.Type(L"x");
        text += 'x';
        const SaveReference reference = MeasureSaveReference(referenceProgram, copy.Path(), text);
        sample.referenceMs.push_back(reference.saveMs);
        sample.referenceSealMs.push_back(reference.sealMs);

        const std::string data = SealedData(text);
        // The typed character has marked the view modified, and a question
        // sent to the view is answered before the posted command is taken,
        // so only the save's end makes it unmodified.
        const Stopwatch saving;
        editor.Command(IDM_SAVE);
        Require(PollUntil([&] { return !editor.Modified(); }, kSaveTimeoutMs), "the view unmodified by the save");
        sample.saveMs.push_back(saving.ElapsedMs());
        // The view is marked unmodified only once the program file has been
        // replaced, so the clock stops before the file is read.
        Require(copy.Packet("DATA") == data, "the new note in the program file");
    }
    Require(editor.CloseUnchanged() == 0, "the editor's end after saving");
    PollUntil([&] { return FilesBeside(copy) == 0; }, kRetiredFileTimeoutMs);
    return sample;
}

}  // namespace bench
