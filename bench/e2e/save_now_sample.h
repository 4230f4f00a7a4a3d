// The save command (Ctrl+S) of the real editor, timed through the driver
// round by round beside the save reference.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tests/e2e/program.h"

namespace bench {

struct SaveNowSample {
    std::vector<double> saveMs;           // posting the command to the view unmodified, the note in the program file
    std::vector<double> referenceMs;      // the save reference's own time for the same text
    std::vector<double> referenceSealMs;  // the part of that spent sealing
    std::vector<double> referenceReadMs;  // and the part spent reading the view
};

// One note under one protection, saved by the editor.
struct SaveNowNote {
    const driver::ProgramCopy* copy;
    std::string cipher;               // the choice's identifier
    std::size_t earlierVersions = 0;  // kept beside the note before the first save
};

// Seals note into each copy under its cipher and opens each in an editor
// of its own, at most openLimitMs for the note to reach the view. Then, each
// round, for each note in turn: types one character at the end of the note,
// has the save reference put that text into a copy of the program file, and
// times the save command putting it into the program file itself. Taking
// the notes in turn exposes them to the same load on the machine. Closes
// the editors unchanged afterwards. One sample per note, in their order.
std::vector<SaveNowSample> MeasureSaveNow(const std::vector<SaveNowNote>& notes, const std::string& referenceProgram,
                                          const std::string& note, int rounds, DWORD openLimitMs);

}  // namespace bench
