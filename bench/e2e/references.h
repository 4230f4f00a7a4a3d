// The references the editor is measured against, taken in the same run.
#pragma once

#include <windows.h>

#include <string>

namespace bench {

// A reference program's start, read when its window is ready.
struct WindowStart {
    double startMs = 0;  // process start to its window visible and ready
    SIZE_T peakWorkingSetBytes = 0;
};

// Starts the trivial program at path, waits for its window, reads its peak
// working set and closes it.
WindowStart MeasureTrivialStart(const std::string& path);
// The same for the bare editor window at path: with way null it shows no
// text, else it fills its view that way with the note in the file at
// notePath, and is ready once its view holds note, waiting at most
// timeoutMs for that.
WindowStart MeasureBareEditor(const std::string& path, const char* way, const std::string& notePath,
                              const std::string& note, DWORD timeoutMs);
// A plain CopyFile of the file at path beside it; the copy is deleted.
double MeasureCopyMs(const std::string& path);

// The save reference's own times for one text (see save_reference.cpp).
struct SaveReference {
    double saveMs = 0;  // reading the view, sealing, copying, writing the entries and reading them back
    double sealMs = 0;  // the sealing alone
    double readMs = 0;  // the view's read, with the conversion to the stored encoding
};

// Runs the save reference at referenceProgram on the program file at
// programPath: it puts text, sealed under the benchmark's password with the
// choice cipher names, into a copy beside that file and deletes the copy
// again.
SaveReference MeasureSaveReference(const std::string& referenceProgram, const std::string& programPath,
                                   const std::string& text, const std::string& cipher);

}  // namespace bench
