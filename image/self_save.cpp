#include "image/self_save.h"

#include <windows.h>

#include "crypto/document.h"
#include "image/resources.h"

namespace {

// A new empty file "TEM*.tmp" in the temporary folder; empty on failure.
std::string CreateTemporaryImage() {
    char folder[MAX_PATH] = {};
    char image[MAX_PATH] = {};
    const DWORD length = GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH || GetTempFileNameA(folder, "TEM", 0, image) == 0)
        return std::string();
    return image;
}

bool WriteDocument(const std::string& image, const std::string& text, const std::string& password,
                   const std::string& cipher) {
    if (text.empty())
        return DeletePackets(image);
    std::optional<SealedDocument> sealed = SealDocument(text, password, cipher);
    if (!sealed)
        return false;
    return WritePackets(image, PacketSet{sealed->hmac, sealed->data, sealed->type});
}

bool StartWriteBack(const std::string& image, const std::string& executable) {
    std::string commandLine = WriteBackCommandLine(executable);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(image.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace

std::string WriteBackCommandLine(const std::string& executablePath) {
    return "\"" + executablePath + "\" writeback";
}

bool SaveThroughTemporaryImage(const std::string& text, const std::string& password, const std::string& cipher) {
    const std::string executable = OwnImagePath();
    const std::string image = CreateTemporaryImage();
    if (image.empty())
        return false;
    if (CopyFileA(executable.c_str(), image.c_str(), FALSE) && WriteDocument(image, text, password, cipher) &&
        StartWriteBack(image, executable))
        return true;
    DeleteFileA(image.c_str());
    return false;
}
