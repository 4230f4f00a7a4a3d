// The main frame in this process, on the program's own resources: menu
// states, the view's font and limits, plain-text paste and dropped files.
#include <gtest/gtest.h>

#include <windows.h>
#include <richedit.h>
#include <shlobj.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/textapp.h"
#include "framework/file.h"
#include "image/paths.h"
#include "tests/e2e/driver.h"
#include "ui/resource_ids.h"
#include "ui/uitext.h"

namespace {


class MainFrame : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app_.InitInstance());
        frame_ = app_.m_frame.GetHwnd();
        view_ = FindWindowExA(frame_, nullptr, "RichEdit20A", nullptr);
        ASSERT_NE(nullptr, view_);
        Pump();
    }

    static void Pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }

    UINT MenuState(UINT id) {
        HMENU menu = app_.m_frame.GetFrameMenu();
        app_.m_frame.RefreshMenuItem(id);
        return GetMenuState(menu, id, MF_BYCOMMAND);
    }

    // Runs action while another thread answers this process's next message
    // box; returns the box's text.
    std::wstring AnsweringMessageBox(const std::function<void()>& action) {
        std::wstring text;
        std::thread answerer([&] { text = driver::AnswerMessageBox(GetCurrentProcessId(), IDOK, 10000); });
        action();
        answerer.join();
        return text;
    }

    CTextApp app_;
    HWND frame_ = nullptr;
    HWND view_ = nullptr;
};

TEST_F(MainFrame, ChangePasswordIsOfferedOnlyForAStoredDocumentWithText) {
    EXPECT_EQ(1, app_.m_isNewDocument);
    SetWindowTextA(view_, "text");
    EXPECT_EQ(static_cast<UINT>(MF_DISABLED), MenuState(IDM_CHANGE_PASSWORD) & (MF_DISABLED | MF_GRAYED));

    app_.m_isNewDocument = 0;
    EXPECT_FALSE(MenuState(IDM_CHANGE_PASSWORD) & (MF_DISABLED | MF_GRAYED));
    EXPECT_TRUE(MenuState(IDM_HISTORY) & MF_GRAYED) << "this program file keeps no earlier versions";
    SetWindowTextA(view_, "");
    EXPECT_EQ(static_cast<UINT>(MF_DISABLED), MenuState(IDM_CHANGE_PASSWORD) & (MF_DISABLED | MF_GRAYED));
}

// The menu grays what the command handler refuses while the note is locked,
// and offers what it still runs.
TEST_F(MainFrame, ALockedNoteRefusesTheCommandsItsMenuGrays) {
    app_.m_key = DefaultNoteFormat().MakeKey("pw");
    app_.m_cipher = "AES";
    SetWindowTextA(view_, "text");
    SendMessageA(frame_, WM_COMMAND, IDM_LOCK, 0);
    ASSERT_EQ(0, GetWindowTextLengthA(view_)) << "the note did not lock";

    EXPECT_TRUE(MenuState(IDM_WORD_WRAP) & MF_GRAYED);
    SendMessageA(frame_, WM_COMMAND, IDM_WORD_WRAP, 0);
    EXPECT_FALSE(MenuState(IDM_WORD_WRAP) & MF_CHECKED) << "word wrap ran while locked";
    EXPECT_TRUE(MenuState(IDM_SELECT_ALL) & MF_GRAYED);
    EXPECT_TRUE(MenuState(IDM_CHANGE_PASSWORD) & (MF_DISABLED | MF_GRAYED));

    EXPECT_FALSE(MenuState(IDM_STATUS_BAR) & MF_GRAYED);
    const UINT statusBar = MenuState(IDM_STATUS_BAR) & MF_CHECKED;
    SendMessageA(frame_, WM_COMMAND, IDM_STATUS_BAR, 0);
    EXPECT_NE(statusBar, MenuState(IDM_STATUS_BAR) & MF_CHECKED) << "the status bar did not toggle";
    EXPECT_FALSE(MenuState(IDM_ABOUT) & MF_GRAYED);
    EXPECT_FALSE(MenuState(IDM_EXIT) & MF_GRAYED);
}

TEST_F(MainFrame, WordWrapCheckMarkFollowsTheWrapState) {
    EXPECT_FALSE(MenuState(IDM_WORD_WRAP) & MF_CHECKED);  // the resource starts it checked
    SendMessageA(frame_, WM_COMMAND, IDM_WORD_WRAP, 0);
    EXPECT_TRUE(MenuState(IDM_WORD_WRAP) & MF_CHECKED);
    SendMessageA(frame_, WM_COMMAND, IDM_WORD_WRAP, 0);
    EXPECT_FALSE(MenuState(IDM_WORD_WRAP) & MF_CHECKED);
}

TEST_F(MainFrame, ViewUsesCourierNew16AndTakesLongTexts) {
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    SendMessageA(view_, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    EXPECT_STREQ("Courier New", format.szFaceName);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(MulDiv(16, 1440, GetDeviceCaps(screen, LOGPIXELSY)), std::abs(format.yHeight));  // 16 pixels in twips
    ReleaseDC(nullptr, screen);
    EXPECT_FALSE(format.dwEffects & CFE_BOLD);
    EXPECT_EQ(0, SendMessageA(view_, EM_GETLANGOPTIONS, 0, 0) & IMF_AUTOFONT);

    // Typed text, which the control's own default limit would stop at 32,767.
    SetWindowTextA(view_, std::string(40000, 'a').c_str());
    SendMessageA(view_, EM_SETSEL, 40000, 40000);
    SendMessageA(view_, WM_CHAR, 'b', 1);
    EXPECT_EQ(40001, GetWindowTextLengthA(view_));
}

TEST_F(MainFrame, RedoRestoresWhatUndoTookBack) {
    SendMessageA(view_, WM_CHAR, 'a', 1);
    SendMessageA(frame_, WM_COMMAND, 130, 0);
    EXPECT_EQ(0, GetWindowTextLengthA(view_));
    // Ctrl+Shift+Y, through the accelerator table.
    SendMessageA(frame_, WM_COMMAND, MAKEWPARAM(131, 1), 0);
    EXPECT_EQ(1, GetWindowTextLengthA(view_));
}

TEST_F(MainFrame, PasteInsertsOnlyThePlainTextOfRichClipboardContent) {
    const UINT rtf = RegisterClipboardFormatA("Rich Text Format");
    const std::string rich = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs48\\b bold\\b0}";
    ASSERT_TRUE(OpenClipboard(frame_));
    EmptyClipboard();
    for (const auto& [format, bytes] : {std::pair<UINT, std::string>{rtf, rich}, {CF_TEXT, "bold"}}) {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1);
        memcpy(GlobalLock(memory), bytes.c_str(), bytes.size() + 1);
        GlobalUnlock(memory);
        SetClipboardData(format, memory);
    }
    CloseClipboard();

    SendMessageA(frame_, WM_COMMAND, 134, 0);
    char text[32] = {};
    GetWindowTextA(view_, text, sizeof text);
    EXPECT_STREQ("bold", text);
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    SendMessageA(view_, EM_SETSEL, 0, 4);
    SendMessageA(view_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    EXPECT_FALSE(format.dwEffects & CFE_BOLD);
    EXPECT_STREQ("Courier New", format.szFaceName);
}

// A drop of the given files, as the shell hands it over.
HDROP MakeDrop(const std::vector<std::string>& paths) {
    std::string names;
    for (const std::string& path : paths)
        names += path + '\0';
    names += '\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// The first file is larger than the pieces the view reads, and one byte
// before its Chinese text puts characters across every piece boundary.
TEST_F(MainFrame, DroppedFilesLoadTheFirstOnly) {
    const std::string folder = driver::MakeTempFolder("drop");
    const std::string first = folder + "\\first.txt";
    const std::string second = folder + "\\second.txt";
    std::string firstText = "a";
    for (int i = 0; i < 6000; ++i)
        firstText += "\xC4\xFA";
    firstText += " first";
    ASSERT_TRUE(driver::WriteFileBytes(first, firstText));
    ASSERT_TRUE(driver::WriteFileBytes(second, "second"));
    SetWindowTextA(frame_, "changed");
    SendMessageA(view_, EM_SETMODIFY, FALSE, 0);

    HDROP drop = MakeDrop({first, second});
    EXPECT_TRUE(app_.m_frame.HandleDropFiles(drop));
    GlobalFree(drop);
    std::string text(2 * firstText.size(), '\0');
    text.resize(GetWindowTextA(view_, &text[0], static_cast<int>(text.size())));
    EXPECT_TRUE(firstText == text) << "the view holds " << text.size() << " bytes of the file's " << firstText.size();
    EXPECT_NE(0, SendMessageA(view_, EM_GETMODIFY, 0, 0)) << "the dropped text is an unsaved edit";
    char title[64] = {};
    GetWindowTextA(frame_, title, sizeof title);
    EXPECT_STREQ(SCRIBECRYPT_TITLE, title);
}

// The shell hands a drop over in UTF-16: a file in a folder whose name code
// page 936 cannot spell loads all the same. A file that starts with UTF-8's
// byte order mark (as Save As writes a modern note) is read as UTF-8.
TEST_F(MainFrame, ADroppedFileInAFolderCodePage936CannotSpellLoads) {
    const std::wstring folder = FromAnsi(driver::MakeTempFolder("drop-wide")) + L"\\메모";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring path = folder + L"\\note.txt";
    {
        Casement::CFile file(path.c_str(), Casement::CFile::createAlways);
        const std::string text = u8"\uFEFFfrom a Korean folder 한국어";
        file.Write(text.data(), static_cast<UINT>(text.size()));
    }
    const std::wstring names = path + L'\0' + L'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    EXPECT_TRUE(app_.m_frame.HandleDropFiles(static_cast<HDROP>(memory)));
    GlobalFree(memory);
    const WipedWideString expected = L"from a Korean folder 한국어";
    EXPECT_TRUE(expected == WideViewText(view_));
}

// A view that runs out of room for a large text, as a 32-bit program's can:
// whatever it is given beyond 10,000 characters, it loses the end of.
WNDPROC g_viewProcedure = nullptr;

LRESULT CALLBACK ViewWithLittleRoom(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallWindowProcA(g_viewProcedure, window, message, wParam, lParam);
    const LRESULT length = GetWindowTextLengthA(window);
    if (message == EM_STREAMIN && length > 10000) {
        CallWindowProcA(g_viewProcedure, window, EM_SETSEL, length - 3, length);
        CallWindowProcA(g_viewProcedure, window, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
    }
    return result;
}

// The note holds what code page 936 cannot, and comes back exactly.
TEST_F(MainFrame, ADroppedFileTheViewCannotHoldWholeLeavesTheNoteAsItWas) {
    const std::string path = driver::MakeTempFolder("drop-large") + "\\large.txt";
    ASSERT_TRUE(driver::WriteFileBytes(path, std::string(50000, 'x')));
    const WipedWideString note = L"my note 한국어 \U0001F600";
    ASSERT_TRUE(RestoreViewText(view_, note));
    SendMessageA(view_, EM_SETMODIFY, FALSE, 0);
    g_viewProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(view_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ViewWithLittleRoom)));

    HDROP drop = MakeDrop({path});
    const std::wstring text = AnsweringMessageBox([&] { app_.m_frame.HandleDropFiles(drop); });
    GlobalFree(drop);
    SetWindowLongPtrA(view_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_viewProcedure));
    EXPECT_EQ(0u, text.find(L"错误: 文档太大，无法完整显示。")) << text;
    EXPECT_NE(std::wstring::npos, text.find(L"50000 字节")) << text;
    EXPECT_TRUE(note == WideViewText(view_));
    EXPECT_FALSE(SendMessageA(view_, EM_GETMODIFY, 0, 0));
    EXPECT_TRUE(IsWindow(frame_));
}

// (A read-only file is refused the same way on Windows; Wine running as root
// opens it for writing regardless, so only a locked and a missing file are
// tried here.)
TEST_F(MainFrame, ADroppedFileThatCannotBeOpenedIsReportedAndChangesNothing) {
    const std::string folder = driver::MakeTempFolder("drop-locked");
    const std::string locked = folder + "\\locked.txt";
    const std::string missing = folder + "\\missing.txt";
    ASSERT_TRUE(driver::WriteFileBytes(locked, "locked"));
    HANDLE holder = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetWindowTextA(view_, "unchanged");

    for (const std::string& path : {locked, missing}) {
        HDROP drop = MakeDrop({path});
        const std::wstring text = AnsweringMessageBox([&] { app_.m_frame.HandleDropFiles(drop); });
        GlobalFree(drop);
        wchar_t widePath[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH);
        EXPECT_EQ(std::wstring(L"Casement::CFileException: 无法加载:  ") + widePath, text);
        char content[32] = {};
        GetWindowTextA(view_, content, sizeof content);
        EXPECT_STREQ("unchanged", content);
    }
    CloseHandle(holder);
}

}  // namespace
