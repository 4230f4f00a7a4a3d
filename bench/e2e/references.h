// The references the editor is measured against, taken in the same run.
#pragma once

#include <windows.h>

#include <string>

namespace bench {

struct TrivialStart {
    double startMs = 0;  // process start to its window visible
    SIZE_T peakWorkingSetBytes = 0;
};

// Starts the trivial program at path, waits for its window, reads its peak
// working set and closes it.
TrivialStart MeasureTrivialStart(const std::string& path);
// A plain CopyFile of the file at path beside it; the copy is deleted.
double MeasureCopyMs(const std::string& path);

// The save reference's own times for one text (see save_reference.cpp).
struct SaveReference {
    double saveMs = 0;  // sealing, copying, writing the entries and reading them back
    double sealMs = 0;  // the sealing alone
};

// Runs the save reference at referenceProgram on the program file at
// programPath: it puts text, sealed under the benchmark's password with the
// choice cipher names, into a copy beside that file and deletes the copy
// again.
SaveReference MeasureSaveReference(const std::string& referenceProgram, const std::string& programPath,
                                   const std::string& text, const std::string& cipher);

}  // namespace bench
