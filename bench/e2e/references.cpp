#include "bench/e2e/references.h"

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

}  // namespace bench
