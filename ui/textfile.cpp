#include "ui/textfile.h"

#include <limits>
#include <new>

#include "framework/cexception.h"
#include "framework/file.h"
#include "image/checked_replace.h"
#include "image/paths.h"
#include "ui/uitext.h"

namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

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

}  // namespace

std::optional<SecretString> ReadTextFile(const std::wstring& path) {
    try {
        Casement::CFile file(path.c_str(), Casement::CFile::openExisting);
        const ULONGLONG length = file.GetLength();
        if (length >= std::numeric_limits<UINT>::max())
            throw std::bad_alloc();
        // A text file dropped on the editor becomes the note: it is wiped
        // like one once the view has it.
        SecretString text = SecretString::OfLength(static_cast<std::size_t>(length));
        std::size_t have = 0;
        while (have < text.size()) {
            const UINT read = file.Read(text.data() + have, static_cast<UINT>(text.size() - have));
            if (read == 0)
                break;
            have += read;
        }
        text.Truncate(have);
        return text;
    } catch (const Casement::CFileException& e) {
        ShowWarning(FromAnsi("无法加载:  ") + FirstCharacters(path, 253), e.what());
    } catch (const std::bad_alloc&) {
        ShowWarning(FromAnsi("无法加载:  ") + FirstCharacters(path, 253), "文件太大");
    }
    return std::nullopt;
}

TextEncoding DropEncodingMark(SecretString& text) {
    const std::string_view mark(kUtf8Mark, sizeof kUtf8Mark - 1);
    if (text.View().substr(0, mark.size()) != mark)
        return kTextFileEncoding;
    text = SecretString(text.View().substr(mark.size()));
    return TextEncoding::Utf8;
}

BOOL WriteTextFile(const SecretString& text, TextEncoding encoding, const std::wstring& path) {
    const bool marked = encoding == TextEncoding::Utf8;
    // The text goes to a new file beside the target, which replaces it only
    // once it is whole: a failed write leaves an existing file as it was.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    const auto writeText = [&](const std::wstring& staged) {
        try {
            Casement::CFile file(staged.c_str(), Casement::CFile::createAlways);
            if (marked)
                file.Write(kUtf8Mark, sizeof kUtf8Mark - 1);
            file.Write(text.c_str(), static_cast<UINT>(text.size()));
            return FlushFileBuffers(file.GetHandle()) != FALSE;
        } catch (const Casement::CFileException&) {
            return false;
        }
    };
    if (!readOnly && ReplaceWithCheckedFile(path, writeText) == Replacement::Replaced)
        return TRUE;
    ShowWarning(L"Failed to write:  " + path, "Warning");
    return FALSE;
}
