// The frame on real windows: layout, menu help, the lock-key indicators,
// keyboard use of the menu bar, the About box, tooltips and the settings kept
// in the registry. Keys and mouse moves are real input (SendInput) that the
// system routes to the focused window; each is sent once the one before it
// has been handled, from a thread timer, which the popup menus' and dialogs'
// own loops dispatch too.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "framework/frame.h"
#include "framework/richedit.h"
#include "framework/stdcontrols.h"
#include "tests/framework/app_environment.h"
#include "tests/framework/frame_test_ids.h"

namespace {

using Casement::CFrame;

void PumpPending() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        // Each frame ends the message loop when its window goes.
        if (msg.message == WM_QUIT)
            continue;
        if (!Casement::GetApp().FilterMessage(msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

// Presses the keys in order and releases them in reverse: {VK_MENU, 'V'} is Alt+V.
void Press(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto it = keys.end(); it != keys.begin();) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *--it;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void MoveMouseTo(POINT screen) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

void Click(POINT screen) {
    MoveMouseTo(screen);
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
}

POINT CentreOf(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

BOOL CALLBACK CollectDialog(HWND window, LPARAM list) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "#32770" && IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// The visible dialog boxes of this thread.
std::vector<HWND> ThreadDialogs() {
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

// One step of a script: an action, then once the system has handled what it
// caused (and ready() holds), a check.
struct Step {
    std::function<void()> act;
    std::function<void()> check;
    std::function<bool()> ready = [] { return true; };
};

class Script {
public:
    explicit Script(std::vector<Step> steps) : m_steps(std::move(steps)) {}

    // False when the steps did not finish within the time; a menu or dialog
    // still open then is closed.
    bool Run(DWORD timeoutMs = 20000) {
        s_current = this;
        m_start = GetTickCount();
        m_timeoutMs = timeoutMs;
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, Tick);
        while (!m_done) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            PumpPending();
            OnTick();
        }
        KillTimer(nullptr, timer);
        s_current = nullptr;
        return !m_timedOut;
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (s_current != nullptr)
            s_current->OnTick();
    }

    void OnTick() {
        if (m_done)
            return;
        if (GetTickCount() - m_start > m_timeoutMs) {
            m_timedOut = m_done = true;
            EndMenu();
            for (HWND dialog : ThreadDialogs())
                EndDialog(dialog, 0);
            return;
        }
        // Input still waiting, or messages it caused, belong to this step.
        if (HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE)) != 0)
            return;
        if (m_checkPending) {
            if (!m_steps[m_next - 1].ready())
                return;
            m_checkPending = false;
            m_steps[m_next - 1].check();
        }
        if (m_next == m_steps.size()) {
            m_done = true;
            return;
        }
        // The state moves on before acting: an action may open a modal loop
        // in which the next ticks arrive.
        m_checkPending = true;
        m_steps[m_next++].act();
    }

    static inline Script* s_current = nullptr;
    std::vector<Step> m_steps;
    size_t m_next = 0;
    bool m_checkPending = false;
    bool m_done = false;
    bool m_timedOut = false;
    DWORD m_start = 0;
    DWORD m_timeoutMs = 0;
};

class TestView : public Casement::CEdit {};

// A frame as the program derives one: a view set in the constructor and the
// commands of the test menu handled; it records what reaches it.
class TestFrame : public CFrame {
public:
    struct Options {
        LPCSTR keyName = nullptr;
        UINT maxMRU = 0;
        bool toolButtons = false;
    };

    TestFrame() : TestFrame(Options()) {}
    explicit TestFrame(const Options& options) : m_toolButtons(options.toolButtons) {
        SetView(view);
        if (options.keyName != nullptr)
            LoadRegistrySettings(options.keyName);
        if (options.maxMRU != 0)
            LoadRegistryMRUSettings(options.maxMRU);
    }

    TestView view;
    std::vector<UINT> commands;
    std::vector<UINT> refreshed;
    std::vector<HMENU> popupsOpened;
    bool systemMenuOpened = false;
    HMENU LastPopup() const { return popupsOpened.empty() ? nullptr : popupsOpened.back(); }
    // Lets the window be narrower than the system's minimum, as a user
    // could make it where the system allows.
    bool allowNarrow = false;
    std::vector<int> dropDowns;
    using CFrame::SetToolBarImages;

protected:
    BOOL HandleCommand(WPARAM wParam, LPARAM) override {
        const UINT id = LOWORD(wParam);
        commands.push_back(id);
        switch (id) {
        case ID_HELP_ABOUT:
            ShowAboutDialog();
            return TRUE;
        case ID_VIEW_TOOLBAR:
            ToggleToolBar();
            return TRUE;
        case ID_VIEW_STATUSBAR:
            ToggleStatusBar();
            return TRUE;
        default:
            return FALSE;
        }
    }
    void RefreshMenuItem(UINT id) override {
        refreshed.push_back(id);
        CFrame::RefreshMenuItem(id);
    }
    void OnInitMenuPopup(HMENU popup, BOOL isSystemMenu) override {
        popupsOpened.push_back(popup);
        systemMenuOpened = systemMenuOpened || isSystemMenu;
        CFrame::OnInitMenuPopup(popup, isSystemMenu);
    }
    void SetupToolBar() override {
        if (m_toolButtons) {
            AddToolBarButton(ID_TOOL_FIRST);
            AddToolBarButton(0);
            AddToolBarButton(ID_TOOL_SECOND);
        }
    }
    LRESULT OnToolBarDropDown(NMTOOLBARA& info) override {
        dropDowns.push_back(info.iItem);
        return TBDDRET_TREATPRESSED;
    }
    LRESULT WindowProcedure(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_GETMINMAXINFO && allowNarrow) {
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {10, 10};
            return 0;
        }
        return CFrame::WindowProcedure(msg, wParam, lParam);
    }

private:
    bool m_toolButtons;
};

// A window's rectangle in the frame's client coordinates.
RECT RectInFrame(HWND window, HWND frame) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class FrameWindow : public ::testing::Test {
protected:
    // Opens the frame at a known place, active, with the focus in its view
    // and the mouse pointer away from it.
    static void Open(TestFrame& frame) {
        ASSERT_NE(nullptr, frame.CreateDefault(nullptr));
        SetWindowPos(frame, nullptr, 100, 100, 640, 480, SWP_NOZORDER);
        SetForegroundWindow(frame);
        SetFocus(frame.view);
        MoveMouseTo({1200, 1000});
        PumpPending();
        // Real input goes to the window in front.
        ASSERT_EQ(frame.GetHwnd(), GetForegroundWindow());
    }
    void TearDown() override { PumpPending(); }
};

// The view must fill the gap between the bars exactly: below the rebar (or
// the top edge), above the status bar (or the bottom edge), full width.
void ExpectViewFillsGap(TestFrame& frame) {
    RECT client = {};
    GetClientRect(frame, &client);
    const auto visible = [](HWND window) { return IsWindowVisible(window) != FALSE; };
    // The tool bar lies in the rebar when there is one.
    LONG top = 0;
    if (visible(frame.GetReBar()))
        top = RectInFrame(frame.GetReBar(), frame).bottom;
    else if (visible(frame.GetToolBar()))
        top = RectInFrame(frame.GetToolBar(), frame).bottom;
    const LONG bottom =
        visible(frame.GetStatusBar()) ? RectInFrame(frame.GetStatusBar(), frame).top : client.bottom;
    const RECT view = RectInFrame(frame.view, frame);
    EXPECT_TRUE(visible(frame.view));
    EXPECT_EQ(0, view.left);
    EXPECT_EQ(client.right, view.right);
    EXPECT_EQ(top, view.top);
    EXPECT_EQ(bottom, view.bottom);
    // The bars in the rebar lie one row below the other, inside it.
    if (visible(frame.GetReBar()) && visible(frame.GetToolBar())) {
        const RECT menu = RectInFrame(frame.GetMenuBar(), frame);
        const RECT tools = RectInFrame(frame.GetToolBar(), frame);
        EXPECT_GE(tools.top, menu.bottom);
        EXPECT_LE(tools.bottom, top);
        EXPECT_LE(tools.right, client.right);
    }
    if (visible(frame.GetStatusBar())) {
        EXPECT_EQ(client.bottom, RectInFrame(frame.GetStatusBar(), frame).bottom);
    }
}

TEST_F(FrameWindow, ViewFillsTheGapBetweenTheVisibleBars) {
    TestFrame::Options options;
    options.toolButtons = true;
    TestFrame frame(options);
    Open(frame);
    ASSERT_TRUE(IsWindowVisible(frame.GetToolBar()));
    ASSERT_TRUE(IsWindowVisible(frame.GetStatusBar()));
    ExpectViewFillsGap(frame);
    const LONG topWithToolBar = RectInFrame(frame.view, frame).top;

    for (const BOOL showToolBar : {FALSE, TRUE}) {
        for (const BOOL showStatusBar : {FALSE, TRUE}) {
            SCOPED_TRACE(testing::Message()
                         << "tool bar " << showToolBar << ", status bar " << showStatusBar);
            frame.ShowToolBar(showToolBar);
            frame.ShowStatusBar(showStatusBar);
            EXPECT_EQ(showToolBar, IsWindowVisible(frame.GetToolBar()));
            EXPECT_EQ(showStatusBar, IsWindowVisible(frame.GetStatusBar()));
            ExpectViewFillsGap(frame);
        }
        // Hiding the tool bar gives its row to the view; the menu bar stays.
        if (!showToolBar) {
            EXPECT_LT(RectInFrame(frame.view, frame).top, topWithToolBar);
        }
    }

    SetWindowPos(frame, nullptr, 0, 0, 500, 300, SWP_NOMOVE | SWP_NOZORDER);
    ExpectViewFillsGap(frame);
    // The commands of the View menu toggle the bars the same way.
    SendMessageA(frame, WM_COMMAND, ID_VIEW_STATUSBAR, 0);
    EXPECT_FALSE(IsWindowVisible(frame.GetStatusBar()));
    SendMessageA(frame, WM_COMMAND, ID_VIEW_TOOLBAR, 0);
    EXPECT_FALSE(IsWindowVisible(frame.GetToolBar()));
    ExpectViewFillsGap(frame);
}

// Minimised, the frame has no client area: its layout stays as it was, and
// restoring it fills the gap again.
TEST_F(FrameWindow, MinimisingKeepsTheLayoutAndRestoringRenewsIt) {
    TestFrame frame;
    Open(frame);
    const RECT before = RectInFrame(frame.view, frame);
    ShowWindow(frame, SW_MINIMIZE);
    PumpPending();
    ASSERT_TRUE(IsIconic(frame));
    RECT view = {};
    GetWindowRect(frame.view, &view);
    EXPECT_EQ(before.right - before.left, view.right - view.left);
    EXPECT_EQ(before.bottom - before.top, view.bottom - view.top);
    ShowWindow(frame, SW_RESTORE);
    PumpPending();
    ExpectViewFillsGap(frame);
}

// What a bar or the view asks of the frame by message.
TEST_F(FrameWindow, BarsAndTheViewReachTheFrameThroughItsPrivateMessages) {
    TestFrame::Options options;
    options.toolButtons = true;
    TestFrame frame(options);
    Open(frame);
    const auto ask = [&frame](UINT msg) { return SendMessageA(frame, msg, 0, 0); };
    EXPECT_EQ(reinterpret_cast<LRESULT>(frame.view.GetHwnd()), ask(Casement::UWM_GETVIEWWINDOW));
    EXPECT_EQ(reinterpret_cast<LRESULT>(&frame.GetMenuBar()), ask(Casement::UWM_GETMENUBAR));
    EXPECT_EQ(reinterpret_cast<LRESULT>(&frame.GetReBar()), ask(Casement::UWM_GETREBAR));
    EXPECT_EQ(reinterpret_cast<LRESULT>(&frame.GetStatusBar()), ask(Casement::UWM_GETSTATUSBAR));
    EXPECT_EQ(reinterpret_cast<LRESULT>(&frame.GetToolBar()), ask(Casement::UWM_GETTOOLBAR));

    SendMessageA(frame, Casement::UWM_SETSTATUSTEXT, 0, reinterpret_cast<LPARAM>("Saving 40%"));
    EXPECT_STREQ("Saving 40%", frame.GetStatusBar().GetPartText(0));

    const HWND status = frame.GetStatusBar();
    SendMessageA(frame, Casement::UWM_SHOWBAR, reinterpret_cast<WPARAM>(status), FALSE);
    SendMessageA(frame, Casement::UWM_SHOWBAR, reinterpret_cast<WPARAM>(frame.GetToolBar().GetHwnd()), FALSE);
    EXPECT_FALSE(IsWindowVisible(status));
    EXPECT_FALSE(IsWindowVisible(frame.GetToolBar()));
    ExpectViewFillsGap(frame);

    // A bar shown behind the frame's back overlaps the view until it says
    // that the space it needs changed.
    ShowWindow(status, SW_SHOW);
    ASSERT_GT(RectInFrame(frame.view, frame).bottom, RectInFrame(status, frame).top);
    NMHDR changed = {status, 0, Casement::UWN_LAYOUTCHANGED};
    SendMessageA(frame, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&changed));
    ExpectViewFillsGap(frame);

    NMTOOLBARA dropDown = {};
    dropDown.hdr = {frame.GetToolBar(), 0, static_cast<UINT>(TBN_DROPDOWN)};
    dropDown.iItem = ID_TOOL_SECOND;
    EXPECT_EQ(TBDDRET_TREATPRESSED, SendMessageA(frame, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&dropDown)));
    EXPECT_EQ(std::vector<int>{ID_TOOL_SECOND}, frame.dropDowns);
}

// New tool-bar images replace the old ones only when they have their size.
TEST_F(FrameWindow, ToolBarImagesOfAnotherSizeLeaveTheOldOnes) {
    TestFrame::Options options;
    options.toolButtons = true;
    TestFrame frame(options);
    Open(frame);
    const auto images = [&frame] {
        return reinterpret_cast<HIMAGELIST>(SendMessageA(frame.GetToolBar(), TB_GETIMAGELIST, 0, 0));
    };
    const auto imageSize = [&images] {
        int width = 0, height = 0;
        Casement::CImageList(images()).GetIconSize(width, height);
        return std::make_pair(width, height);
    };
    ASSERT_EQ(std::make_pair(16, 16), imageSize());

    const HIMAGELIST before = images();
    frame.SetToolBarImages(RGB(192, 192, 192), ID_BITMAP_LARGE, 0, 0);
    EXPECT_EQ(before, images());
    EXPECT_EQ(std::make_pair(16, 16), imageSize());

    frame.SetToolBarImages(RGB(192, 192, 192), 41, 0, 0);
    EXPECT_NE(before, images());
    EXPECT_EQ(std::make_pair(16, 16), imageSize());
}

TEST_F(FrameWindow, MenuHelpShowsTheSelectedCommandsStringAndReadyOtherwise) {
    TestFrame frame;
    Open(frame);
    const Casement::CStatusBar& status = frame.GetStatusBar();
    const auto part0 = [&status] { return std::string(status.GetPartText(0)); };
    const HMENU file = GetSubMenu(frame.GetFrameMenu(), 0);
    const auto itemCentre = [file](int position) {
        RECT rect = {};
        GetMenuItemRect(nullptr, file, static_cast<UINT>(position), &rect);
        return CentreOf(rect);
    };
    EXPECT_EQ("Ready", part0());

    Script script({
        // Opened from the keyboard, the popup selects its first item.
        {[] {
             Press({VK_MENU, 'F'});
         },
         [&] { EXPECT_EQ("Create a document", part0()); }},
        {[] { Press({VK_DOWN}); }, [&] { EXPECT_EQ("Open a recent file", part0()); }},
        {[&] { MoveMouseTo(itemCentre(1)); }, [&] { EXPECT_EQ("Ready", part0()); }},  // a separator
        {[&] { MoveMouseTo(itemCentre(4)); }, [&] { EXPECT_EQ("Quit the program", part0()); }},
        {[] { Press({VK_ESCAPE}); }, [&] { EXPECT_EQ("Ready", part0()); }},  // closed
        {[] { Press({VK_ESCAPE}); }, [] {}},
    });
    EXPECT_TRUE(script.Run());
    EXPECT_EQ(file, frame.LastPopup());
}

TEST_F(FrameWindow, KeyboardNavigationOfTheMenuBar) {
    TestFrame frame;
    Open(frame);
    const Casement::CMenuBar& bar = frame.GetMenuBar();
    const HWND view = frame.view;
    const HMENU menu = frame.GetFrameMenu();
    ASSERT_EQ(4, bar.GetButtonCount());

    const auto keyboardMode = [&](int hot) {
        return [&, hot] {
            EXPECT_TRUE(bar.IsInKeyboardMode());
            EXPECT_EQ(bar.GetHwnd(), GetFocus());
            EXPECT_EQ(hot, bar.GetHotItem());
            EXPECT_EQ(nullptr, bar.GetTrackedPopup());
        };
    };
    const auto popupOpen = [&](int index) {
        return [&, index] {
            EXPECT_EQ(GetSubMenu(menu, index), bar.GetTrackedPopup());
            EXPECT_EQ(GetSubMenu(menu, index), frame.LastPopup());
        };
    };
    const auto backInView = [&] {
        EXPECT_FALSE(bar.IsInKeyboardMode());
        EXPECT_EQ(nullptr, bar.GetTrackedPopup());
        EXPECT_EQ(view, GetFocus());
    };
    const HMENU more = GetSubMenu(GetSubMenu(menu, 1), 1);
    size_t popupsBefore = 0;

    Script script({
        {[] { Press({VK_MENU}); }, keyboardMode(0)},
        {[] { Press({VK_RIGHT}); }, keyboardMode(1)},
        {[] { Press({VK_LEFT}); }, keyboardMode(0)},
        {[] { Press({VK_LEFT}); }, keyboardMode(3)},  // wraps at both ends
        {[] { Press({VK_RIGHT}); }, keyboardMode(0)},
        {[] { Press({VK_DOWN}); }, popupOpen(0)},
        {[] { Press({VK_LEFT}); }, popupOpen(3)},
        {[] { Press({VK_RIGHT}); }, popupOpen(0)},
        {[] { Press({VK_RIGHT}); }, popupOpen(1)},
        // On an item with a submenu, Right opens the submenu; inside it, Left
        // and Right are the system's.
        {[] { Press({VK_DOWN}); }, [] {}},
        {[] { Press({VK_RIGHT}); }, [&] { EXPECT_EQ(more, frame.LastPopup()); }},
        {[] { Press({VK_RIGHT}); }, [&] { EXPECT_EQ(GetSubMenu(menu, 1), bar.GetTrackedPopup()); }},
        {[] { Press({VK_LEFT}); }, [&] { EXPECT_EQ(GetSubMenu(menu, 1), bar.GetTrackedPopup()); }},
        {[] { Press({VK_ESCAPE}); }, keyboardMode(1)},
        {[] { Press({VK_ESCAPE}); }, backInView},
        // Alt with a mnemonic opens that popup without moving the focus.
        {[] {
             Press({VK_MENU, 'V'});
         },
         [&] {
             popupOpen(2)();
             EXPECT_EQ(view, GetFocus());
         }},
        {[] { Press({VK_ESCAPE}); }, keyboardMode(2)},
        {[] { Press({VK_ESCAPE}); }, backInView},
        {[] { Press({VK_F10}); }, keyboardMode(0)},
        {[] { Press({'H'}); }, popupOpen(3)},
        {[] { Press({VK_ESCAPE}); }, keyboardMode(3)},
        {[] { Press({VK_ESCAPE}); }, backInView},
        // An unknown mnemonic opens nothing.
        {[&] {
             popupsBefore = frame.popupsOpened.size();
             Press({VK_MENU, 'Q'});
         },
         [&] {
             EXPECT_EQ(popupsBefore, frame.popupsOpened.size());
             backInView();
         }},
        // Space leaves keyboard mode for the system menu.
        {[] { Press({VK_MENU}); }, keyboardMode(0)},
        {[] { Press({VK_SPACE}); }, [&] { EXPECT_TRUE(frame.systemMenuOpened); }},
        {[] { Press({VK_ESCAPE}); }, [] {}},
        {[] { Press({VK_ESCAPE}); }, backInView},
    });
    EXPECT_TRUE(script.Run());
}

// Alt with a control key is the view's own: in the rich edit control
// Alt+Backspace undoes. Mnemonics still open popups.
TEST_F(FrameWindow, AltWithAControlKeyIsTheViewsAndMnemonicsStillOpenPopups) {
    Casement::CRichEdit richView;
    TestFrame frame;
    frame.SetView(richView);
    Open(frame);
    SetFocus(richView);
    const auto text = [&richView] {
        char buffer[16] = {};
        GetWindowTextA(richView, buffer, sizeof buffer);
        return std::string(buffer);
    };

    Script script({
        {[] { Press({'A'}); Press({'B'}); }, [&] { EXPECT_EQ("ab", text()); }},
        {[] { Press({VK_MENU, VK_BACK}); }, [&] {
             EXPECT_EQ("", text());
             EXPECT_EQ(richView.GetHwnd(), GetFocus());
             EXPECT_EQ(nullptr, frame.GetMenuBar().GetTrackedPopup());
         }},
        {[] { Press({VK_MENU, 'F'}); },
         [&] { EXPECT_EQ(GetSubMenu(frame.GetFrameMenu(), 0), frame.GetMenuBar().GetTrackedPopup()); }},
        {[] { Press({VK_ESCAPE}); }, [] {}},
        {[] { Press({VK_ESCAPE}); }, [&] { EXPECT_EQ(richView.GetHwnd(), GetFocus()); }},
    });
    EXPECT_TRUE(script.Run());
}

TEST_F(FrameWindow, TheMouseOpensPopupsAndMovesBetweenThem) {
    TestFrame frame;
    Open(frame);
    const Casement::CMenuBar& bar = frame.GetMenuBar();
    const HMENU menu = frame.GetFrameMenu();
    const auto buttonCentre = [&bar](int index) {
        RECT rect = bar.GetItemRect(index);
        MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&rect), 2);
        return CentreOf(rect);
    };

    Script script({
        {[&] { Click(buttonCentre(1)); }, [&] { EXPECT_EQ(GetSubMenu(menu, 1), bar.GetTrackedPopup()); }},
        {[&] { MoveMouseTo(buttonCentre(2)); }, [&] { EXPECT_EQ(GetSubMenu(menu, 2), bar.GetTrackedPopup()); }},
        {[&] { MoveMouseTo(buttonCentre(0)); }, [&] { EXPECT_EQ(GetSubMenu(menu, 0), bar.GetTrackedPopup()); }},
        {[] { Press({VK_ESCAPE}); }, [&] {
             EXPECT_TRUE(bar.IsInKeyboardMode());
             EXPECT_EQ(0, bar.GetHotItem());
         }},
        {[] { Press({VK_ESCAPE}); }, [&] { EXPECT_EQ(frame.view.GetHwnd(), GetFocus()); }},
    });
    EXPECT_TRUE(script.Run());
    MoveMouseTo({1200, 1000});
}

TEST_F(FrameWindow, PopupItemsAreRefreshedAndDrawnByTheFrameWhileOpen) {
    TestFrame frame;
    Open(frame);
    const HMENU file = GetSubMenu(frame.GetFrameMenu(), 0);
    const HMENU view = GetSubMenu(frame.GetFrameMenu(), 2);
    const auto type = [](HMENU menu, UINT position) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        GetMenuItemInfoA(menu, position, TRUE, &info);
        return info.fType;
    };
    const auto checked = [&frame](UINT id) {
        return (GetMenuState(frame.GetFrameMenu(), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
    };

    Script script({
        {[] {
             Press({VK_MENU, 'V'});
         },
         [&] {
             EXPECT_EQ((std::vector<UINT>{ID_VIEW_TOOLBAR, ID_VIEW_STATUSBAR}), frame.refreshed);
             EXPECT_TRUE(checked(ID_VIEW_TOOLBAR));
             EXPECT_TRUE(checked(ID_VIEW_STATUSBAR));
         }},
        // "&Status bar" chosen by its mnemonic hides the bar.
        {[] { Press({'S'}); }, [&] { EXPECT_FALSE(IsWindowVisible(frame.GetStatusBar())); }},
        {[] {
             Press({VK_MENU, 'V'});
         },
         [&] { EXPECT_FALSE(checked(ID_VIEW_STATUSBAR)); }},
        {[] { Press({VK_ESCAPE}); }, [] {}},
        {[] { Press({VK_ESCAPE}); }, [] {}},
        {[] {
             Press({VK_MENU, 'F'});
         },
         [&] {
             EXPECT_NE(0u, type(file, 0) & MFT_OWNERDRAW);
             EXPECT_NE(0u, type(file, 1) & MFT_OWNERDRAW);
         }},
        {[] { Press({'X'}); }, [&] { EXPECT_EQ(ID_FILE_EXIT, frame.commands.back()); }},
    });
    EXPECT_TRUE(script.Run());

    // Closed again, the items are what the resource made them.
    EXPECT_EQ(0u, type(file, 0) & MFT_OWNERDRAW);
    EXPECT_EQ(UINT{MFT_SEPARATOR}, type(file, 1));
    char text[64] = {};
    GetMenuStringA(file, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ("&New\tCtrl+N", text);
    EXPECT_EQ(0u, type(view, 1) & MFT_OWNERDRAW);
}

TEST_F(FrameWindow, IndicatorsFollowTheLockKeys) {
    TestFrame frame;
    Open(frame);
    const Casement::CStatusBar& status = frame.GetStatusBar();
    ASSERT_EQ(4, status.GetPartCount());

    struct LockKey {
        WORD key;
        int part;
        const char* text;
    };
    std::vector<Step> steps;
    for (const LockKey lock :
         {LockKey{VK_CAPITAL, 1, "CAP"}, LockKey{VK_NUMLOCK, 2, "NUM"}, LockKey{VK_SCROLL, 3, "SCRL"}}) {
        // Each key is pressed twice, so it ends as it was; each press must
        // really switch it, or the comparison below would prove nothing.
        const bool onBefore = (GetKeyState(lock.key) & 1) != 0;
        for (const bool on : {!onBefore, onBefore}) {
            steps.push_back({[lock] { Press({lock.key}); },
                             [&status, lock, on] {
                                 EXPECT_EQ(on, (GetKeyState(lock.key) & 1) != 0) << lock.text;
                                 EXPECT_EQ(on ? lock.text : "", std::string(status.GetPartText(lock.part)));
                             }});
        }
    }
    EXPECT_TRUE(Script(steps).Run());
}

TEST_F(FrameWindow, AboutBoxOpensOnceForHelpAndTheCommand) {
    TestFrame frame;
    Open(frame);
    HWND about = nullptr;
    const auto aboutOpen = [&about] {
        const std::vector<HWND> dialogs = ThreadDialogs();
        ASSERT_EQ(1u, dialogs.size());
        char title[32] = {};
        GetWindowTextA(dialogs[0], title, sizeof title);
        EXPECT_STREQ("About", title);
        about = dialogs[0];
    };
    const auto closedWithFocusBack = [&frame] {
        EXPECT_TRUE(ThreadDialogs().empty());
        EXPECT_EQ(frame.view.GetHwnd(), GetFocus());
    };

    Script script({
        {[] { Press({VK_F1}); }, aboutOpen},
        // Help asked for again while it is open shows no second box.
        {[&frame] {
             HELPINFO help = {};
             help.cbSize = sizeof help;
             EXPECT_EQ(TRUE, SendMessageA(frame, WM_HELP, 0, reinterpret_cast<LPARAM>(&help)));
         },
         [&] {
             aboutOpen();
             EXPECT_EQ(about, ThreadDialogs().at(0));
         }},
        {[] { Press({VK_ESCAPE}); }, closedWithFocusBack},
        {[&frame] { PostMessageA(frame, WM_COMMAND, ID_HELP_ABOUT, 0); }, aboutOpen},
        {[] { Press({VK_RETURN}); }, closedWithFocusBack},
    });
    EXPECT_TRUE(script.Run());
}

TEST_F(FrameWindow, ToolTipsShowTheButtonsStrings) {
    TestFrame::Options options;
    options.toolButtons = true;
    TestFrame frame(options);
    Open(frame);
    const Casement::CToolBar& tools = frame.GetToolBar();
    ASSERT_EQ(3, tools.GetButtonCount());
    const HWND tips = reinterpret_cast<HWND>(SendMessageA(tools, TB_GETTOOLTIPS, 0, 0));
    ASSERT_NE(nullptr, tips);
    const auto buttonCentre = [&tools](int index) {
        RECT rect = tools.GetItemRect(index);
        MapWindowPoints(tools, nullptr, reinterpret_cast<POINT*>(&rect), 2);
        return CentreOf(rect);
    };
    const auto tipText = [tips] {
        char text[64] = {};
        GetWindowTextA(tips, text, sizeof text);
        return std::string(text);
    };

    Step first{[&] { MoveMouseTo(buttonCentre(0)); }, [&] { EXPECT_EQ("First tool", tipText()); }};
    first.ready = [&] { return IsWindowVisible(tips) && !tipText().empty(); };
    Step second{[&] { MoveMouseTo(buttonCentre(2)); }, [&] { EXPECT_EQ("Second tool", tipText()); }};
    second.ready = [&] { return IsWindowVisible(tips) && tipText() == "Second tool"; };
    EXPECT_TRUE(Script({first, second}).Run(10000));
    MoveMouseTo({1200, 1000});
}

// Registry keys under HKEY_CURRENT_USER\Software of one test, removed after it.
class FrameSettings : public FrameWindow {
protected:
    void SetUp() override {
        m_keyName = "Scribecrypt frame test " + std::to_string(GetCurrentProcessId()) + " " +
                    testing::UnitTest::GetInstance()->current_test_info()->name();
        RegDeleteTreeA(HKEY_CURRENT_USER, SoftwarePath().c_str());
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, SoftwarePath().c_str());
        FrameWindow::TearDown();
    }

    std::string SoftwarePath() const { return "Software\\" + m_keyName; }
    std::string SettingsPath() const { return SoftwarePath() + "\\Frame Settings"; }
    LPCSTR KeyName() const { return m_keyName.c_str(); }

    void StoreSettings(std::initializer_list<std::pair<const char*, DWORD>> values) const {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, SettingsPath().c_str(), 0, nullptr, 0,
                                                 KEY_SET_VALUE, nullptr, &key, nullptr));
        for (const auto& [name, value] : values)
            RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(key);
    }
    // The stored value, or -1 when there is none.
    long StoredValue(const char* name) const {
        DWORD value = 0;
        DWORD size = sizeof value;
        if (RegGetValueA(HKEY_CURRENT_USER, SettingsPath().c_str(), name, RRF_RT_REG_DWORD, nullptr, &value,
                         &size) != ERROR_SUCCESS)
            return -1;
        return static_cast<long>(value);
    }
    bool SettingsExist() const {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, SettingsPath().c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    TestFrame::Options WithKeyName() const {
        TestFrame::Options options;
        options.keyName = KeyName();
        return options;
    }

private:
    std::string m_keyName;
};

TEST_F(FrameSettings, StoredPlacementOpensNormalUnlessMaximised) {
    StoreSettings({{"Top", 50},
                   {"Left", 60},
                   {"Width", 400},
                   {"Height", 300},
                   {"ShowCmd", SW_SHOWMINIMIZED},
                   {"StatusBar", 0},
                   {"ToolBar", 1}});
    {
        TestFrame frame(WithKeyName());
        EXPECT_EQ(SW_SHOW, frame.GetInitValues().ShowCmd);
        ASSERT_NE(nullptr, frame.CreateDefault(nullptr));
        PumpPending();
        EXPECT_FALSE(IsIconic(frame));
        EXPECT_FALSE(IsZoomed(frame));
        RECT rect = {};
        GetWindowRect(frame, &rect);
        EXPECT_EQ(60, rect.left);
        EXPECT_EQ(50, rect.top);
        EXPECT_EQ(460, rect.right);
        EXPECT_EQ(350, rect.bottom);
        EXPECT_FALSE(IsWindowVisible(frame.GetStatusBar()));
        EXPECT_TRUE(IsWindowVisible(frame.GetToolBar()));
    }
    StoreSettings({{"ShowCmd", SW_MAXIMIZE}, {"StatusBar", 1}});
    TestFrame frame(WithKeyName());
    ASSERT_NE(nullptr, frame.CreateDefault(nullptr));
    PumpPending();
    EXPECT_TRUE(IsZoomed(frame));
    EXPECT_TRUE(IsWindowVisible(frame.GetStatusBar()));
}

TEST_F(FrameSettings, ClosingSavesAPlacementThatCanBeFoundAgain) {
    TestFrame frame(WithKeyName());
    frame.allowNarrow = true;
    Open(frame);
    frame.ShowToolBar(FALSE);
    SetWindowPos(frame, nullptr, -50, 70, 80, 30, SWP_NOZORDER);
    RECT rect = {};
    GetWindowRect(frame, &rect);
    ASSERT_EQ(80, rect.right - rect.left);
    SendMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_FALSE(frame.IsWindow());

    EXPECT_EQ(0, StoredValue("Left"));
    EXPECT_EQ(70, StoredValue("Top"));
    EXPECT_EQ(100, StoredValue("Width"));
    EXPECT_EQ(50, StoredValue("Height"));
    EXPECT_EQ(SW_SHOWNORMAL, StoredValue("ShowCmd"));
    EXPECT_EQ(1, StoredValue("StatusBar"));
    EXPECT_EQ(0, StoredValue("ToolBar"));
}

TEST_F(FrameSettings, AnUnreadableValueFallsBackToDefaultsAndDeletesTheSettings) {
    StoreSettings({{"Top", 50},
                   {"Left", 60},
                   {"Width", 400},
                   {"ShowCmd", SW_MAXIMIZE},
                   {"StatusBar", 0},
                   {"ToolBar", 0}});
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, SettingsPath().c_str(), 0, KEY_SET_VALUE, &key));
    RegSetValueExA(key, "Height", 0, REG_SZ, reinterpret_cast<const BYTE*>("300"), 4);
    RegCloseKey(key);

    TestFrame frame(WithKeyName());
    const CFrame::InitValues& values = frame.GetInitValues();
    EXPECT_EQ(SW_SHOW, values.ShowCmd);
    EXPECT_EQ(0, values.rcPos.right - values.rcPos.left);
    EXPECT_TRUE(values.ShowStatusBar);
    EXPECT_TRUE(values.ShowToolBar);
    EXPECT_FALSE(SettingsExist());
    HKEY parent = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, SoftwarePath().c_str(), 0, KEY_READ, &parent));
    RegCloseKey(parent);
}

TEST_F(FrameSettings, RecentFilesAreLoadedShownAndSaved) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, (SoftwarePath() + "\\Recent Files").c_str(),
                                             0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
    RegSetValueExA(key, "File 1", 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\a.txt"), 9);
    RegSetValueExA(key, "File 2", 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\b.txt"), 9);
    RegCloseKey(key);

    TestFrame::Options options = WithKeyName();
    options.maxMRU = 3;
    TestFrame frame(options);
    Open(frame);
    const auto itemText = [&frame](UINT id) {
        char text[64] = {};
        GetMenuStringA(frame.GetFrameMenu(), id, text, sizeof text, MF_BYCOMMAND);
        return std::string(text);
    };
    EXPECT_EQ("1 C:\\a.txt", itemText(ID_FILE_MRU));
    EXPECT_EQ("2 C:\\b.txt", itemText(ID_FILE_MRU + 1));

    frame.AddMRUEntry("C:\\c.txt");
    frame.AddMRUEntry("c:\\A.TXT");  // the same file again moves to the front
    EXPECT_EQ("1 c:\\A.TXT", itemText(ID_FILE_MRU));
    EXPECT_EQ("2 C:\\c.txt", itemText(ID_FILE_MRU + 1));
    EXPECT_EQ("3 C:\\b.txt", itemText(ID_FILE_MRU + 2));
    frame.AddMRUEntry("C:\\d.txt");  // the limit drops the oldest
    EXPECT_EQ(3u, frame.GetMRUEntries().size());
    SendMessageA(frame, WM_CLOSE, 0, 0);

    char stored[64] = {};
    DWORD size = sizeof stored;
    const std::string recent = SoftwarePath() + "\\Recent Files";
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, recent.c_str(), "File 1", RRF_RT_REG_SZ, nullptr,
                                          stored, &size));
    EXPECT_STREQ("C:\\d.txt", stored);
    size = sizeof stored;
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, recent.c_str(), "File 3", RRF_RT_REG_SZ, nullptr,
                                          stored, &size));
    EXPECT_STREQ("C:\\c.txt", stored);
}

// The names of the subkeys of HKEY_CURRENT_USER\Software.
std::vector<std::string> SoftwareSubkeys() {
    std::vector<std::string> names;
    HKEY software = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &software) != ERROR_SUCCESS)
        return names;
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(software, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    RegCloseKey(software);
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(FrameWindow, WithoutAKeyNameClosingTouchesNoRegistryKey) {
    const std::vector<std::string> before = SoftwareSubkeys();
    ASSERT_FALSE(before.empty());
    {
        TestFrame::Options options;
        options.maxMRU = 4;
        TestFrame frame(options);
        Open(frame);
        frame.AddMRUEntry("C:\\a.txt");
        frame.ShowStatusBar(FALSE);
        SendMessageA(frame, WM_CLOSE, 0, 0);
        EXPECT_FALSE(frame.IsWindow());
    }
    EXPECT_EQ(before, SoftwareSubkeys());
}

}  // namespace
