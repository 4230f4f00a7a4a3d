// What the benchmark reads off the clock and off the processes it drives.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace bench {

// How often the benchmark looks for what it waits for: short, so that the
// looking adds little to the times it takes.
constexpr DWORD kPollMs = 2;

class Stopwatch {
public:
    double ElapsedMs() const {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_start).count();
    }

private:
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

// Checks condition every kPollMs until it holds; false on time-out.
bool PollUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// A handle to a process through which its memory counters can be read.
using ProcessHandle = std::unique_ptr<void, decltype(&CloseHandle)>;
ProcessHandle OpenForCounters(DWORD processId);
// The largest working set the process has had so far, in bytes; 0 once it
// has ended.
SIZE_T PeakWorkingSetBytes(const ProcessHandle& process);

// The view's length, as WM_GETTEXTLENGTH gives it, once it holds note (in
// the process's code page; a line break counts as two).
size_t LengthInView(const std::string& note);

// Whether window is a frame with the editor's view as its child.
bool HasView(HWND window);

// A benchmark step that did not happen ends the run with what it was.
inline void Require(bool happened, const std::string& step) {
    if (!happened)
        throw std::runtime_error(step);
}

}  // namespace bench
