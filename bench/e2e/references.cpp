#include "bench/e2e/references.h"

#include <cstdio>

#include "bench/e2e/note_key.h"
#include "bench/e2e/probes.h"
#include "bench/e2e/trivial_window.h"
#include "tests/e2e/program.h"

namespace bench {

TrivialStart MeasureTrivialStart(const std::string& path) {
    TrivialStart sample;
    driver::Process process;
    const Stopwatch starting;
    Require(process.Start(path, "\"" + path + "\""), "starting the trivial program");
    HWND window = driver::WaitForWindow(process.Id(), kTrivialWindowClass, driver::kWindowTimeoutMs, kPollMs);
    Require(window != nullptr, "the trivial program's window");
    sample.startMs = starting.ElapsedMs();
    sample.peakWorkingSetBytes = PeakWorkingSetBytes(OpenForCounters(process.Id()));
    Require(sample.peakWorkingSetBytes > 0, "the trivial program's peak working set");
    PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD code = 0;
    Require(process.WaitForExit(driver::kWindowTimeoutMs, &code) && code == 0, "the trivial program's end");
    return sample;
}

double MeasureCopyMs(const std::string& path) {
    const std::string copy = path + ".copy";
    const Stopwatch copying;
    Require(CopyFileA(path.c_str(), copy.c_str(), FALSE) != FALSE, "copying the executable");
    const double copyMs = copying.ElapsedMs();
    DeleteFileA(copy.c_str());
    return copyMs;
}

SaveReference MeasureSaveReference(const std::string& referenceProgram, const std::string& programPath,
                                   const std::string& text, const std::string& cipher) {
    // Far longer than the largest note takes; a wait that runs out means it hangs.
    constexpr DWORD kReferenceTimeoutMs = 5 * 60 * 1000;
    const std::string textPath = programPath + ".reference-text";
    const std::string timesPath = programPath + ".reference-times";
    Require(driver::WriteFileBytes(textPath, text), "the save reference's text");
    const auto quoted = [](const std::string& argument) { return "\"" + argument + "\""; };
    driver::Process process;
    Require(process.Start(referenceProgram, quoted(referenceProgram) + " " + quoted(programPath) + " " +
                                                quoted(textPath) + " " + quoted(kPassword) + " " + cipher + " " +
                                                quoted(timesPath)),
            "starting the save reference");
    DWORD code = 0;
    Require(process.WaitForExit(kReferenceTimeoutMs, &code) && code == 0, "the save reference's end");
    SaveReference sample;
    Require(std::sscanf(driver::ReadFileBytes(timesPath).c_str(), "%lf %lf", &sample.saveMs, &sample.sealMs) == 2,
            "the save reference's times");
    DeleteFileA(textPath.c_str());
    DeleteFileA(timesPath.c_str());
    return sample;
}

}  // namespace bench
