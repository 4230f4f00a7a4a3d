#include "bench/e2e/references.h"

#include <cstdio>
#include <functional>

#include "bench/e2e/note_key.h"
#include "bench/e2e/probes.h"
#include "bench/e2e/trivial_window.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/program.h"
#include "ui/resource_ids.h"

namespace bench {

namespace {

// Starts the program at path with arguments and times it until one of its
// visible top-level windows of className (any, when null) is ready; then
// reads its peak working set and closes it. name says which program it is.
WindowStart MeasureWindowStart(const std::string& path, const std::string& arguments, const wchar_t* className,
                               const std::function<bool(HWND)>& ready, DWORD timeoutMs, const std::string& name) {
    WindowStart sample;
    driver::Process process;
    const Stopwatch starting;
    Require(process.Start(path, "\"" + path + "\"" + arguments), "starting " + name);
    HWND window = driver::WaitForWindow(process.Id(), className, ready, timeoutMs, kPollMs);
    Require(window != nullptr, name + "'s window");
    sample.startMs = starting.ElapsedMs();
    sample.peakWorkingSetBytes = PeakWorkingSetBytes(OpenForCounters(process.Id()));
    Require(sample.peakWorkingSetBytes > 0, name + "'s peak working set");
    PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD code = 0;
    Require(process.WaitForExit(driver::kWindowTimeoutMs, &code) && code == 0, name + "'s end");
    return sample;
}

}  // namespace

WindowStart MeasureTrivialStart(const std::string& path) {
    return MeasureWindowStart(
        path, "", kTrivialWindowClass, [](HWND) { return true; }, driver::kWindowTimeoutMs, "the trivial program");
}

WindowStart MeasureBareEditor(const std::string& path, const char* way, const std::string& notePath,
                              const std::string& note, DWORD timeoutMs) {
    const std::string arguments = way == nullptr ? "" : std::string(" ") + way + " \"" + notePath + "\"";
    const size_t units = way == nullptr ? 0 : LengthInView(note);
    const std::wstring title = L"" SCRIBECRYPT_TITLE;
    // Only the frame has the view as its child; its title comes once the
    // view is filled.
    const auto ready = [&](HWND window) {
        const HWND view = FindWindowExW(window, nullptr, L"RichEdit20A", nullptr);
        DWORD_PTR length = 0;
        return view != nullptr && driver::WindowText(window) == title &&
               SendMessageTimeoutW(view, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, timeoutMs, &length) != 0 &&
               length == units;
    };
    return MeasureWindowStart(path, arguments, nullptr, ready, timeoutMs, "the bare editor window");
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
    Require(std::sscanf(driver::ReadFileBytes(timesPath).c_str(), "%lf %lf %lf", &sample.saveMs, &sample.sealMs,
                        &sample.readMs) == 3,
            "the save reference's times");
    DeleteFileA(textPath.c_str());
    DeleteFileA(timesPath.c_str());
    return sample;
}

}  // namespace bench
