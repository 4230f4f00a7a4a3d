#include "bench/e2e/save_now_sample.h"

#include <memory>

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

void MeasureOneSave(const SaveNowNote& note, driver::Editor& editor, const std::string& referenceProgram,
                    std::string& text, SaveNowSample& sample) {
    SendMessageW(editor.View(), EM_SETSEL, static_cast<WPARAM>(-1), -1);
    editor.Type(L"x");
    text += 'x';
    const SaveReference reference = MeasureSaveReference(referenceProgram, note.copy->Path(), text, note.cipher);
    sample.referenceMs.push_back(reference.saveMs);
    sample.referenceSealMs.push_back(reference.sealMs);
    sample.referenceReadMs.push_back(reference.readMs);

    // The typed character has marked the view modified, and a question
    // sent to the view is answered before the posted command is taken,
    // so only the save's end makes it unmodified.
    const Stopwatch saving;
    editor.Command(IDM_SAVE);
    Require(PollUntil([&] { return !editor.Modified(); }, kSaveTimeoutMs), "the view unmodified by the save");
    sample.saveMs.push_back(saving.ElapsedMs());
    // The view is marked unmodified only once the program file has been
    // replaced, so the clock stops before the file is read.
    Require(HoldsNote(*note.copy, text, note.cipher), "the new note in the program file");
}

}  // namespace

std::vector<SaveNowSample> MeasureSaveNow(const std::vector<SaveNowNote>& notes, const std::string& referenceProgram,
                                          const std::string& note, int rounds, DWORD openLimitMs) {
    std::vector<std::unique_ptr<driver::Editor>> editors;
    for (const SaveNowNote& each : notes) {
        SealInto(*each.copy, note, each.cipher, each.earlierVersions);
        editors.push_back(std::make_unique<driver::Editor>(*each.copy));
        Require(editors.back()->Open(kPasswordWide, openLimitMs), "the note to save");
    }

    std::vector<SaveNowSample> samples(notes.size());
    std::vector<std::string> texts(notes.size(), note);
    for (int round = 0; round < rounds; ++round)
        for (size_t i = 0; i < notes.size(); ++i)
            MeasureOneSave(notes[i], *editors[i], referenceProgram, texts[i], samples[i]);
    for (size_t i = 0; i < notes.size(); ++i) {
        Require(editors[i]->CloseUnchanged() == 0, "the editor's end after saving");
        PollUntil([&] { return FilesBeside(*notes[i].copy) == 0; }, kRetiredFileTimeoutMs);
    }
    return samples;
}

}  // namespace bench
