// One open and one save of a note by the real editor, timed through the
// driver.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/program.h"

namespace bench {

// The start of the editor step by step, each from the end of the one before.
struct StartSteps {
    double dialogMs = 0;   // process start to the password dialog
    double checkMs = 0;    // the password confirmed to the dialog gone: the key derived and checked
    double frameMs = 0;    // to the frame visible with its view
    double viewMs = 0;     // to the note in the view
};

struct EditorSample {
    bool opened = false;  // the note reached the view within the limit
    StartSteps steps;
    double openMs = 0;    // process start to the note in the view, password entered
    double unlockMs = 0;  // the password dialog confirmed to the note in the view
    double saveMs = 0;    // close answered Yes to the executable carrying the new note
    SIZE_T peakWorkingSetBytes = 0;
};

// Seals note (bytes without a zero byte, lines ending in CR LF) into copy
// under the choice cipher names, opens it, types one character, closes it answering Yes and waits until
// the executable on disk carries the new note. When the note is not in the
// view within openLimitMs, the editor is ended there and then: the sample
// has the peak working set until then and no save.
// The editor's temporary folder is the copy's own unless one is given.
EditorSample MeasureEditor(const driver::ProgramCopy& copy, const std::string& note, const std::string& cipher,
                           DWORD openLimitMs, const std::string& temporaryFolder = std::string());

// Starts the editor on copy, which holds no note, and closes it once its
// empty view is ready: only the frame's and the view's steps are measured.
StartSteps MeasureNewNoteStart(const driver::ProgramCopy& copy);

// Find next in a note whose search term comes only at its very end.
struct FindSample {
    std::vector<double> findMs;    // from the start of the note to the term selected and shown
    std::vector<double> selectMs;  // selecting and showing the same text directly, the reference
};

// Opens note with a last line "needle", gives the find dialog that term
// once, closes the dialog and then, each round, puts the caret at the start
// and times the find next command and, beside it, the same selection made
// directly in the view.
FindSample MeasureFindNext(const std::string& note, int rounds);

}  // namespace bench
