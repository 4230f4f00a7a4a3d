#include "bench/e2e/probes.h"

#include <psapi.h>

namespace bench {

bool PollUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const Stopwatch waiting;
    while (!condition()) {
        if (waiting.ElapsedMs() > timeoutMs)
            return false;
        Sleep(kPollMs);
    }
    return true;
}

ProcessHandle OpenForCounters(DWORD processId) {
    ProcessHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId), &CloseHandle);
    Require(process != nullptr, "opening a process for its memory counters");
    return process;
}

SIZE_T PeakWorkingSetBytes(const ProcessHandle& process) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process.get(), &counters, sizeof counters))
        return 0;
    return counters.PeakWorkingSetSize;
}

bool HasView(HWND window) { return FindWindowExW(window, nullptr, L"RichEdit20A", nullptr) != nullptr; }

size_t LengthInView(const std::string& note) {
    return static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, note.data(), static_cast<int>(note.size()), nullptr, 0));
}

}  // namespace bench
