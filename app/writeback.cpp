#include "app/writeback.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "image/resources.h"

namespace {

constexpr int kAttempts = 101;
constexpr DWORD kIntervalMs = 100;

std::string FolderOf(const std::string& path) {
    const std::string::size_type slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// A full copy of this image beside the target, so that the target can be
// replaced by a rename, which never leaves it half written. Empty when the
// folder cannot take another file.
std::string StageBesideTarget(const std::string& self, const std::string& target) {
    char staged[MAX_PATH] = {};
    if (GetTempFileNameA(FolderOf(target).c_str(), "TEM", 0, staged) == 0)
        return std::string();
    if (!CopyFileA(self.c_str(), staged, FALSE)) {
        DeleteFileA(staged);
        return std::string();
    }
    return staged;
}

bool ReplaceTarget(const std::string& self, const std::string& staged, const std::string& target) {
    if (staged.empty())
        return CopyFileA(self.c_str(), target.c_str(), FALSE) != FALSE;
    return MoveFileExA(staged.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
           FALSE;
}

// A write-back that gives up must not hide the new note: say where it is.
void ReportFailure(const std::string& temporaryImage) {
    const std::string text = "无法将文档写回程序文件。新的文档保存在：" + temporaryImage;
    MessageBoxA(nullptr, text.c_str(), "错误", MB_SYSTEMMODAL | MB_ICONERROR);
}

void WriteBack(const std::string& target) {
    // The saving process may still hold its executable; retry until it ends.
    const std::string self = OwnImagePath();
    const std::string staged = StageBesideTarget(self, target);
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        if (ReplaceTarget(self, staged, target))
            return;
        Sleep(kIntervalMs);
    }
    if (!staged.empty())
        DeleteFileA(staged.c_str());
    ReportFailure(self);
}

}  // namespace

bool HandleWriteBack(int argc, char** argv) {
    if (argc > 2)
        return true;
    if (argc != 2 || std::strcmp(argv[1], "writeback") != 0)
        return false;
    WriteBack(argv[0]);
    return true;
}
