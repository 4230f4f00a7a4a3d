#include "app/instance.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr int kWriteBackAttempts = 101;
constexpr DWORD kWriteBackIntervalMs = 100;

std::string OwnExecutablePath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

// A write-back that gives up must not hide the new note: say where it is.
void ReportWriteBackFailure(const std::string& temporaryImage) {
    const std::string text = "无法将文档写回程序文件。新的文档保存在：" + temporaryImage;
    MessageBoxA(nullptr, text.c_str(), "错误", MB_SYSTEMMODAL | MB_ICONERROR);
}

}  // namespace

bool IsSecondInstance() {
    std::string name = OwnExecutablePath();
    name.erase(std::remove(name.begin(), name.end(), '\\'), name.end());
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return true;
    }
    return false;
}

bool HandleWriteBack(int argc, char** argv) {
    if (argc > 2)
        return true;
    if (argc != 2 || std::strcmp(argv[1], "writeback") != 0)
        return false;

    // The saving process may still hold its executable; retry until it ends.
    const std::string self = OwnExecutablePath();
    for (int attempt = 1; attempt <= kWriteBackAttempts; ++attempt) {
        if (CopyFileA(self.c_str(), argv[0], FALSE))
            return true;
        Sleep(kWriteBackIntervalMs);
    }
    ReportWriteBackFailure(self);
    return true;
}
