#include "ui/textfile.h"

#include "framework/cexception.h"
#include "framework/file.h"
#include "ui/uitext.h"

namespace {

void ShowWarning(const std::string& text, LPCSTR caption) {
    MessageBoxA(MessageOwner(), text.c_str(), caption, MB_OK | MB_ICONWARNING | MB_SYSTEMMODAL);
}

// The rich edit control calls these until they report no bytes moved.
DWORD CALLBACK StreamInCallback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    if (count == 0)
        return 1;
    *done = 0;
    DWORD read = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(cookie), buffer, static_cast<DWORD>(count), &read, nullptr))
        MessageBoxA(MessageOwner(), "ReadFile Failed", "", MB_OK | MB_SYSTEMMODAL);
    *done = static_cast<LONG>(read);
    return 0;
}

DWORD CALLBACK StreamOutCallback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    if (count == 0)
        return 1;
    *done = 0;
    DWORD written = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(cookie), buffer, static_cast<DWORD>(count), &written, nullptr))
        MessageBoxA(MessageOwner(), "WriteFile Failed", "", MB_OK | MB_SYSTEMMODAL);
    *done = static_cast<LONG>(written);
    return 0;
}

EDITSTREAM StreamFor(const Casement::CFile& file, EDITSTREAMCALLBACK callback) {
    EDITSTREAM stream = {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(file.GetHandle());
    stream.pfnCallback = callback;
    return stream;
}

}  // namespace

BOOL LoadTextFile(Casement::CRichEdit& view, const std::string& path) {
    try {
        Casement::CFile file(path.c_str(), Casement::CFile::openExisting);
        EDITSTREAM stream = StreamFor(file, StreamInCallback);
        view.StreamIn(stream);
        return TRUE;
    } catch (const Casement::CFileException& e) {
        ShowWarning(std::string("无法加载:  ") + std::string(e.GetFileName()).substr(0, 253), e.what());
        return FALSE;
    }
}

BOOL WriteTextFile(Casement::CRichEdit& view, const std::string& path) {
    try {
        Casement::CFile file(path.c_str(), Casement::CFile::createAlways);
        EDITSTREAM stream = StreamFor(file, StreamOutCallback);
        view.StreamOut(stream);
        return TRUE;
    } catch (const Casement::CFileException&) {
        ShowWarning("Failed to write:  " + path, "Warning");
        return FALSE;
    }
}
