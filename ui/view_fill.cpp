#include "ui/view_fill.h"

#include <richedit.h>

#include <climits>
#include <cstdint>
#include <exception>

#include "ui/note_encoding.h"
#include "crypto/wipe.h"

namespace {

// The note being streamed and what has been given to the view so far.
struct Feed {
    std::string_view rest;
    TextEncoding encoding;
    std::size_t total = 0;
    const FillProgress& progress;
    std::size_t characters = 0;  // UTF-16 units handed over
    std::exception_ptr failure;  // what the progress report threw
};

// Converts one piece to UTF-16 in out and turns every line break into a
// single "\r", the view's own paragraph mark, so that the view's length can
// be known exactly. Returns the number of units written.
std::size_t ConvertPiece(std::string_view piece, UINT codePage, wchar_t* out, std::size_t capacity) {
    const int converted =
        MultiByteToWideChar(codePage, 0, piece.data(), static_cast<int>(piece.size()), out,
                            static_cast<int>(capacity));
    std::size_t written = 0;
    for (int i = 0; i < converted; ++i) {
        if (out[i] == L'\n' && i > 0 && out[i - 1] == L'\r')
            continue;
        out[written++] = out[i] == L'\n' ? L'\r' : out[i];
    }
    return written;
}

DWORD CALLBACK StreamPiece(DWORD_PTR cookie, LPBYTE buffer, LONG bytes, LONG* done) {
    Feed& feed = *reinterpret_cast<Feed*>(cookie);
    // The call after the last piece: the control has taken in what it was
    // given, and its buffer (on its stack, in Wine) would keep the end of the
    // note long after, until something happened to overwrite it.
    if (feed.rest.empty()) {
        mbedtls_platform_zeroize(buffer, static_cast<std::size_t>(bytes));
        *done = 0;
        return 0;
    }
    const std::size_t units = static_cast<std::size_t>(bytes) / sizeof(wchar_t);
    const std::string_view piece = NextPiece(feed.rest, units, feed.encoding);
    // A piece never converts to more units than it has bytes.
    if (piece.size() > units) {
        *done = 0;
        return 1;
    }
    const std::size_t written =
        ConvertPiece(piece, CodePageOf(feed.encoding), reinterpret_cast<wchar_t*>(buffer), units);
    feed.rest.remove_prefix(piece.size());
    feed.characters += written;
    *done = static_cast<LONG>(written * sizeof(wchar_t));
    // An exception must not cross the control's code: it ends the stream
    // and is thrown again once the control has returned.
    try {
        if (feed.progress)
            feed.progress(feed.total - feed.rest.size(), feed.total);
    } catch (...) {
        feed.failure = std::current_exception();
        return 1;
    }
    return 0;
}

}  // namespace

namespace {

// The bytes of the character at offset: a code page 936 lead byte and its
// trail, or a UTF-8 lead byte and the continuation bytes that follow it.
std::size_t CharacterBytes(std::string_view text, std::size_t offset, TextEncoding encoding) {
    const BYTE first = static_cast<BYTE>(text[offset]);
    if (encoding == TextEncoding::LegacyCodePage)
        return IsDBCSLeadByteEx(CodePageOf(encoding), first) && offset + 1 < text.size() ? 2 : 1;
    const std::size_t expected = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
    std::size_t bytes = 1;
    while (bytes < expected && offset + bytes < text.size() && (static_cast<BYTE>(text[offset + bytes]) & 0xC0) == 0x80)
        ++bytes;
    return bytes;
}

}  // namespace

std::string_view NextPiece(std::string_view text, std::size_t maxBytes, TextEncoding encoding) {
    std::size_t end = 0;
    while (end < text.size()) {
        std::size_t next = end + CharacterBytes(text, end, encoding);
        // "\r\n" is one line break and must reach the view in one piece.
        if (text[end] == '\r' && next < text.size() && text[next] == '\n')
            ++next;
        if (next > maxBytes && end > 0)
            break;
        end = next;
    }
    return text.substr(0, end);
}

std::size_t ViewCharacters(std::string_view text, TextEncoding encoding) {
    if (text.size() > static_cast<std::size_t>(INT_MAX))
        return SIZE_MAX;
    std::size_t characters =
        static_cast<std::size_t>(MultiByteToWideChar(CodePageOf(encoding), 0, text.data(),
                                                     static_cast<int>(text.size()), nullptr, 0));
    for (std::size_t at = text.find("\r\n"); at != std::string_view::npos; at = text.find("\r\n", at + 2))
        --characters;
    return characters;
}

bool FillView(HWND view, std::string_view text, TextEncoding encoding, const FillProgress& progress) {
    const LRESULT limit = SendMessageA(view, EM_GETLIMITTEXT, 0, 0);
    if (limit >= 0 && ViewCharacters(text, encoding) > static_cast<std::size_t>(limit))
        return false;
    SendMessageA(view, WM_SETREDRAW, FALSE, 0);
    Feed feed{text, encoding, text.size(), progress, 0, nullptr};
    EDITSTREAM stream = {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&feed);
    stream.pfnCallback = StreamPiece;
    SendMessageA(view, EM_STREAMIN, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&stream));
    SendMessageA(view, EM_EMPTYUNDOBUFFER, 0, 0);
    SendMessageA(view, EM_SETSEL, 0, 0);
    SendMessageA(view, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(view, nullptr, TRUE);
    if (feed.failure)
        std::rethrow_exception(feed.failure);

    GETTEXTLENGTHEX length = {GTL_NUMCHARS | GTL_PRECISE, 1200};
    const LRESULT held = SendMessageA(view, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
    return feed.rest.empty() && stream.dwError == 0 && held >= 0 &&
           static_cast<std::size_t>(held) == feed.characters;
}
