#include "ui/textfile.h"

#include <limits>
#include <new>

#include "framework/cexception.h"
#include "framework/file.h"
#include "image/paths.h"
#include "ui/uitext.h"

namespace {

// The first characters of a path, never cutting a surrogate pair in two.
std::wstring FirstCharacters(const std::wstring& path, std::size_t count) {
    if (path.size() <= count)
        return path;
    return path.substr(0, IS_HIGH_SURROGATE(path[count - 1]) ? count - 1 : count);
}

// The path may hold what the ANSI code page cannot spell, so the warning is
// shown in UTF-16.
void ShowWarning(const std::wstring& text, LPCSTR caption) {
    MessageBoxW(MessageOwner(), text.c_str(), FromAnsi(caption).c_str(), MB_OK | MB_ICONWARNING | MB_SYSTEMMODAL);
}

// The rich edit control calls this until it reports no bytes moved.
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

std::optional<std::string> ReadTextFile(const std::wstring& path) {
    try {
        Casement::CFile file(path.c_str(), Casement::CFile::openExisting);
        const ULONGLONG length = file.GetLength();
        if (length >= std::numeric_limits<UINT>::max())
            throw std::bad_alloc();
        std::string text(static_cast<std::size_t>(length), '\0');
        std::size_t have = 0;
        while (have < text.size()) {
            const UINT read = file.Read(&text[have], static_cast<UINT>(text.size() - have));
            if (read == 0)
                break;
            have += read;
        }
        text.resize(have);
        return text;
    } catch (const Casement::CFileException& e) {
        ShowWarning(FromAnsi("无法加载:  ") + FirstCharacters(path, 253), e.what());
    } catch (const std::bad_alloc&) {
        ShowWarning(FromAnsi("无法加载:  ") + FirstCharacters(path, 253), "文件太大");
    }
    return std::nullopt;
}

BOOL WriteTextFile(Casement::CRichEdit& view, const std::wstring& path) {
    try {
        Casement::CFile file(path.c_str(), Casement::CFile::createAlways);
        EDITSTREAM stream = StreamFor(file, StreamOutCallback);
        view.StreamOut(stream);
        return TRUE;
    } catch (const Casement::CFileException&) {
        ShowWarning(L"Failed to write:  " + path, "Warning");
        return FALSE;
    }
}
