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

}  // namespace bench
