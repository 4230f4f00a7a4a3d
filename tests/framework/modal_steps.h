// Driving modal dialogs from inside their own loops: steps run on the test's
// thread from thread timers, which every modal loop of the system dispatches,
// and real key strokes go through SendInput to the focused window.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace modal_steps {

inline std::map<UINT_PTR, std::function<void()>>& Pending() {
    static std::map<UINT_PTR, std::function<void()>> steps;
    return steps;
}

inline void CALLBACK RunStep(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    std::function<void()> step = std::move(Pending()[id]);
    Pending().erase(id);
    step();
}

inline void RunLater(std::function<void()> step, UINT delayMs = 100) {
    Pending()[SetTimer(nullptr, 0, delayMs, RunStep)] = std::move(step);
}

inline void Type(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

inline BOOL CALLBACK KeepVisibleDialog(HWND window, LPARAM found) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) != "#32770" || !IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The visible top-level dialog box of this thread (the system's common
// dialogs have no object a test could ask).
inline HWND FindThreadDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), KeepVisibleDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Runs act once this thread's dialog box is up: a modal loop shows its
// dialog only when its queue first runs empty, and keys reach it only once
// it is the foreground window.
inline void WhenDialogShows(std::function<void(HWND)> act, UINT pollMs = 50) {
    RunLater(
        [act = std::move(act), pollMs]() mutable {
            const HWND dialog = FindThreadDialog();
            if (dialog != nullptr && GetForegroundWindow() == dialog)
                act(dialog);
            else
                WhenDialogShows(std::move(act), pollMs);
        },
        pollMs);
}

}  // namespace modal_steps
