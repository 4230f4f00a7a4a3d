// The references for the editor's start-up and its large notes: the editor's
// frame (menu, status bar, the same view with its font and text limit) with
// no note and no start-up work. Given a way and a text file in code page 936,
// it fills the view with the whole file in one message of that way while the
// frame is created, before it shows, where the editor fills it too:
//   bare_editor.exe [WM_SETTEXT|EM_SETTEXTEX|EM_STREAMIN|EM_STREAMIN-UTF-16 FILE]
// Its title becomes the editor's once the view holds the text.
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "app/run.h"
#include "bench/e2e/bare_editor.h"
#include "framework/appcore.h"
#include "framework/frame.h"
#include "ui/resource_ids.h"
#include "ui/richview.h"
#include "ui/view_fill.h"

namespace {

std::string ReadWholeFile(const char* path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Hands the control as much of the rest as it asks for, ending each piece on
// a whole character and never between the two halves of a line break.
DWORD CALLBACK StreamPiece(DWORD_PTR cookie, LPBYTE buffer, LONG bytes, LONG* done) {
    std::string_view& rest = *reinterpret_cast<std::string_view*>(cookie);
    const std::string_view piece = NextPiece(rest, static_cast<std::size_t>(bytes), TextEncoding::LegacyCodePage);
    if (piece.size() > static_cast<std::size_t>(bytes))
        return 1;
    std::memcpy(buffer, piece.data(), piece.size());
    rest.remove_prefix(piece.size());
    *done = static_cast<LONG>(piece.size());
    return 0;
}

// The same for a text in UTF-16, where every character of code page 936 is
// one unit: a piece never ends between the two halves of a line break.
DWORD CALLBACK StreamUnicodePiece(DWORD_PTR cookie, LPBYTE buffer, LONG bytes, LONG* done) {
    std::wstring_view& rest = *reinterpret_cast<std::wstring_view*>(cookie);
    std::size_t units = std::min(rest.size(), static_cast<std::size_t>(bytes) / sizeof(wchar_t));
    if (units > 1 && units < rest.size() && rest[units - 1] == L'\r' && rest[units] == L'\n')
        --units;
    std::memcpy(buffer, rest.data(), units * sizeof(wchar_t));
    rest.remove_prefix(units);
    *done = static_cast<LONG>(units * sizeof(wchar_t));
    return 0;
}

std::wstring InUnicode(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                                             &wide[0], static_cast<int>(wide.size()))));
    return wide;
}

void StreamIn(HWND view, int format, EDITSTREAMCALLBACK callback, void* rest) {
    EDITSTREAM stream = {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(rest);
    stream.pfnCallback = callback;
    SendMessageA(view, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&stream));
}

// The text goes to the view as it is, in the process's code page, which the
// control converts itself, or converted to UTF-16 beforehand for the
// stream that takes it so.
void FillAtOnce(HWND view, const std::string& way, const std::string& text) {
    if (way == kSetText) {
        SendMessageA(view, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    } else if (way == kSetTextEx) {
        SETTEXTEX how = {ST_DEFAULT, CP_ACP};
        SendMessageA(view, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(text.c_str()));
    } else if (way == kStreamIn) {
        std::string_view rest = text;
        StreamIn(view, SF_TEXT, StreamPiece, &rest);
    } else if (way == kStreamInUnicode) {
        const std::wstring wide = InUnicode(text);
        std::wstring_view rest = wide;
        StreamIn(view, SF_TEXT | SF_UNICODE, StreamUnicodePiece, &rest);
    } else {
        std::exit(2);
    }
}

class CBareFrame : public Casement::CFrame {
public:
    CBareFrame() { SetView(m_view); }
    ~CBareFrame() override = default;

protected:
    void AdjustCreateParams(CREATESTRUCTA& cs) override {
        CFrame::AdjustCreateParams(cs);
        cs.cx = 600;
        cs.cy = 460;
    }
    void AfterCreated() override {
        ToggleToolBar();
        if (__argc == 3)
            FillAtOnce(m_view, __argv[1], ReadWholeFile(__argv[2]));
        SetFocus(m_view);
        SetWindowTextA(*this, SCRIBECRYPT_TITLE);
    }

private:
    CRichView m_view;
};

class CBareApp : public Casement::CWinApp {
public:
    ~CBareApp() override = default;
    BOOL InitInstance() override { return m_frame.CreateDefault(nullptr) != nullptr; }

private:
    CBareFrame m_frame;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return RunApplication<CBareApp>(); }
