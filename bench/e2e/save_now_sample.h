// The save command (Ctrl+S) of the real editor, timed through the driver
// round by round beside the save reference.
#pragma once

#include <string>
#include <vector>

#include "tests/e2e/program.h"

namespace bench {

struct SaveNowSample {
    std::vector<double> saveMs;           // posting the command to the view unmodified, the note in the program file
    std::vector<double> referenceMs;      // the save reference's own time for the same text
    std::vector<double> referenceSealMs;  // the part of that spent sealing
};

// Seals note into copy and opens it in the editor, at most openLimitMs for
// the note to reach the view. Then, each round, types one character at the
// end of the note, has the save reference put that text into a copy of the
// program file, and times the save command putting it into the program file
// itself. Closes the editor unchanged afterwards.
SaveNowSample MeasureSaveNow(const driver::ProgramCopy& copy, const std::string& referenceProgram,
                             const std::string& note, int rounds, DWORD openLimitMs);

}  // namespace bench
