// The references for the editor's start-up and its large notes: the editor's
// frame (menu, status bar, the same view with its font and text limit) with
// no note and no start-up work. Given a way and a text file in code page 936,
// it fills the view with the whole file in one message of that way while the
// frame is created, before it shows, where the editor fills it too:
//   bare_editor.exe [WM_SETTEXT|EM_SETTEXTEX|EM_STREAMIN FILE]
// Its title becomes the editor's once the view holds the text.
#include <windows.h>
#include <richedit.h>

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

// The text goes to the view as it is, in the process's code page, which the
// control converts itself: nothing is done to it beforehand.
void FillAtOnce(HWND view, const std::string& way, const std::string& text) {
    if (way == kSetText) {
        SendMessageA(view, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    } else if (way == kSetTextEx) {
        SETTEXTEX how = {ST_DEFAULT, CP_ACP};
        SendMessageA(view, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(text.c_str()));
    } else if (way == kStreamIn) {
        std::string_view rest = text;
        EDITSTREAM stream = {};
        stream.dwCookie = reinterpret_cast<DWORD_PTR>(&rest);
        stream.pfnCallback = StreamPiece;
        SendMessageA(view, EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
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
