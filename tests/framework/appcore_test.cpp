// The application object and the message loop of the user-interface thread.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "framework/appcore.h"
#include "framework/cexception.h"
#include "framework/wincore.h"

namespace {

using Casement::CWinApp;
using Casement::CWnd;

TEST(PumpMessages, ReturnsTheLow16BitsOfTheQuitCode) {
    CWinApp app;
    PostQuitMessage(7);
    EXPECT_EQ(7, app.PumpMessages());
    PostQuitMessage(0x12345);
    EXPECT_EQ(0x2345, app.PumpMessages());
}

// Records the order of retrieved messages and idle calls (marked 0).
class RecordingApp : public CWinApp {
public:
    BOOL IdleWork(LONG) override {
        log.push_back(0);
        return FALSE;
    }
    BOOL FilterMessage(MSG& msg) override {
        log.push_back(msg.message);
        return CWinApp::FilterMessage(msg);
    }
    std::vector<UINT> log;
};

TEST(PumpMessages, NoIdleWorkAfterTimerMouseMoveOrSetCursor) {
    RecordingApp app;
    const DWORD loopThread = GetCurrentThreadId();
    const std::vector<UINT> script = {WM_USER + 1, WM_TIMER, WM_MOUSEMOVE, WM_SETCURSOR, WM_USER + 2, WM_QUIT};
    // Spaced posts leave the queue empty between messages, so every gap is
    // an opportunity for idle work.
    std::thread poster([&] {
        for (UINT message : script) {
            Sleep(150);
            PostThreadMessageA(loopThread, message, 0, 0);
        }
    });
    app.PumpMessages();
    poster.join();

    const std::vector<UINT> expected = {0,           WM_USER + 1, 0,           WM_TIMER, WM_MOUSEMOVE,
                                        WM_SETCURSOR, WM_USER + 2, 0, WM_QUIT};
    EXPECT_EQ(expected, app.log);
}

class CommandWindow : public CWnd {
public:
    BOOL FilterMessage(MSG& msg) override {
        filtered.push_back(msg.message);
        return consumeKeys && msg.message == WM_KEYDOWN;
    }
    std::vector<UINT> filtered;
    std::vector<WPARAM> commands;
    bool consumeKeys = false;

protected:
    BOOL HandleCommand(WPARAM wParam, LPARAM) override {
        commands.push_back(LOWORD(wParam));
        return TRUE;
    }
};

TEST(Application, SecondObjectIsRefusedAndTheFirstStaysUsable) {
    CWinApp first;
    try {
        CWinApp second;
        FAIL() << "a second application object was constructed";
    } catch (const Casement::CNotSupportedException& e) {
        EXPECT_STREQ("Only one instance of CWinApp is permitted", e.GetText());
    }
    EXPECT_EQ(&first, &Casement::GetApp());

    CommandWindow window;
    const HWND handle = window.CreateDefault(nullptr);
    ASSERT_NE(nullptr, handle);
    EXPECT_EQ(&window, Casement::GetCWndPtr(handle));
    EXPECT_EQ(&window, reinterpret_cast<CWnd*>(SendMessageA(handle, Casement::UWM_GETCWND, 0, 0)));
}

TEST(Application, InstanceHandleIsTheModuleOfTheProgram) {
    CWinApp app;
    EXPECT_EQ(GetModuleHandleA(nullptr), app.GetInstanceHandle());
    EXPECT_EQ(app.GetInstanceHandle(), app.GetResourceHandle());
}

TEST(Application, FrameworkWindowProcedureIsWhatTheSystemReportsForAFrameworkClass) {
    CWinApp app;
    CommandWindow window;
    ASSERT_NE(nullptr, window.CreateDefault(nullptr));
    char className[256] = {};
    GetClassNameA(window, className, sizeof className);
    WNDCLASSA registered = {};
    ASSERT_TRUE(GetClassInfoA(app.GetInstanceHandle(), className, &registered));
    EXPECT_EQ(registered.lpfnWndProc, app.GetFrameworkWindowProc());
    // A framework window is bound when created, not by subclassing.
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(registered.lpfnWndProc), GetWindowLongPtrA(window, GWLP_WNDPROC));
}

TEST(Application, DestroysWindowsStillOpenWhenItEnds) {
    CommandWindow outliving;  // destroyed after the application object
    HWND handle = nullptr;
    {
        CWinApp app;
        handle = outliving.CreateDefault(nullptr);
        ASSERT_TRUE(IsWindow(handle));
    }
    EXPECT_FALSE(IsWindow(handle));
}

TEST(FilterMessage, AcceleratorsComeFirst) {
    CWinApp app;
    CommandWindow window;
    window.consumeKeys = true;
    window.CreateDefault(nullptr);
    ACCEL accel = {FVIRTKEY, VK_F5, 4321};
    HACCEL table = CreateAcceleratorTableA(&accel, 1);
    app.SetAccelerators(table, window);

    MSG msg = {window, WM_KEYDOWN, VK_F5, 0, 0, {0, 0}};
    EXPECT_TRUE(app.FilterMessage(msg));
    EXPECT_EQ(std::vector<WPARAM>{4321}, window.commands);
    EXPECT_TRUE(window.filtered.empty());
    DestroyAcceleratorTable(table);
}

TEST(FilterMessage, WalksPastWindowsWithoutObjectsToAnAncestorThatConsumes) {
    CWinApp app;
    CommandWindow grandparent;
    grandparent.consumeKeys = true;
    grandparent.CreateDefault(nullptr);
    const HWND parent = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, grandparent,
                                        nullptr, nullptr, nullptr);
    const HWND child = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, parent, nullptr,
                                       nullptr, nullptr);
    ASSERT_NE(nullptr, child);

    MSG key = {child, WM_KEYDOWN, 'A', 0, 0, {0, 0}};
    EXPECT_TRUE(app.FilterMessage(key));
    EXPECT_EQ(std::vector<UINT>{WM_KEYDOWN}, grandparent.filtered);

    // Neither keyboard nor mouse: nobody is asked.
    MSG other = {child, WM_USER, 0, 0, 0, {0, 0}};
    EXPECT_FALSE(app.FilterMessage(other));
    EXPECT_EQ(1u, grandparent.filtered.size());
}

}  // namespace
