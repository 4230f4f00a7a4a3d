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

// The file the view's text goes to, and whether a write fell short.
struct Output {
    HANDLE file;
    bool failed = false;
};

// The rich edit control calls this until it reports no bytes moved. A
// write that fails or falls short ends the stream; the caller reports it
// once, after the control has let go.
DWORD CALLBACK StreamOutCallback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    auto& output = *reinterpret_cast<Output*>(cookie);
    *done = 0;
    if (count == 0)
        return 1;
    DWORD written = 0;
    if (!WriteFile(output.file, buffer, static_cast<DWORD>(count), &written, nullptr) ||
        written != static_cast<DWORD>(count)) {
        output.failed = true;
        return 1;
    }
    *done = static_cast<LONG>(written);
    return 0;
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
    // The text goes to a new file beside the target, which replaces it only
    // once it is whole: a failed write leaves an existing file as it was.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    const std::wstring staged = readOnly ? std::wstring() : NewFileToReplace(path);
    bool written = false;
    if (!staged.empty()) {
        try {
            Casement::CFile file(staged.c_str(), Casement::CFile::createAlways);
            Output output{file.GetHandle()};
            EDITSTREAM stream = {};
            stream.dwCookie = reinterpret_cast<DWORD_PTR>(&output);
            stream.pfnCallback = StreamOutCallback;
            view.StreamOut(stream);
            written = !output.failed && FlushFileBuffers(file.GetHandle());
        } catch (const Casement::CFileException&) {
        }
        written = written && MoveFileExW(staged.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        if (!written)
            DeleteFileW(staged.c_str());
    }
    if (written)
        return TRUE;
    ShowWarning(L"Failed to write:  " + path, "Warning");
    return FALSE;
}
