// Window objects: binding, routing of commands and notifications, reflection
// and the clean-up rules, on real windows and system controls.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/appcore.h"
#include "framework/cexception.h"
#include "framework/gdi.h"
#include "framework/stdcontrols.h"
#include "framework/wincore.h"

namespace {

using Casement::CWnd;

void PumpPending() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Records what reaches it.
class Probe : public CWnd {
public:
    std::vector<WPARAM> commands;
    std::vector<UINT_PTR> notifications;
    std::vector<UINT_PTR> reflectedNotifications;
    int afterCreated = 0;
    int destroyed = 0;
    BOOL handlesCommands = TRUE;
    LRESULT reflectedResult = 0;
    LRESULT notifyResult = 0;

protected:
    BOOL HandleCommand(WPARAM wParam, LPARAM) override {
        commands.push_back(LOWORD(wParam));
        return handlesCommands;
    }
    LRESULT HandleNotify(WPARAM, LPARAM lParam) override {
        notifications.push_back(reinterpret_cast<NMHDR*>(lParam)->idFrom);
        return notifyResult;
    }
    LRESULT HandleReflectedNotify(WPARAM, LPARAM lParam) override {
        reflectedNotifications.push_back(reinterpret_cast<NMHDR*>(lParam)->idFrom);
        return 0;
    }
    LRESULT HandleReflectedMessage(UINT, WPARAM, LPARAM) override { return reflectedResult; }
    void AfterCreated() override { ++afterCreated; }
    void HandleDestroy() override { ++destroyed; }
};

class ProbeEdit : public Casement::CEdit {
public:
    LRESULT reflectedResult = 0;
    UINT lastReflected = 0;

protected:
    LRESULT HandleReflectedMessage(UINT msg, WPARAM, LPARAM) override {
        lastReflected = msg;
        return reflectedResult;
    }
};

class WindowObjects : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(nullptr, parent_.CreateDefault(nullptr)); }

    Casement::CWinApp app_;
    Probe parent_;
};

TEST_F(WindowObjects, AfterCreatedRunsOnlyOnceTheCreatingCallHasReturned) {
    Probe child;
    child.CreateDefault(parent_);
    EXPECT_EQ(0, child.afterCreated);
    PumpPending();
    EXPECT_EQ(1, child.afterCreated);
    EXPECT_EQ(nullptr, child.GetPrevWindowProc());
}

TEST_F(WindowObjects, CommandGoesToTheControlObjectFirst) {
    Probe control;
    control.CreateDefault(parent_);
    const LPARAM from = reinterpret_cast<LPARAM>(control.GetHwnd());

    SendMessageA(parent_, WM_COMMAND, MAKEWPARAM(7, BN_CLICKED), from);
    EXPECT_EQ(std::vector<WPARAM>{7}, control.commands);
    EXPECT_TRUE(parent_.commands.empty());

    control.handlesCommands = FALSE;
    SendMessageA(parent_, WM_COMMAND, MAKEWPARAM(8, BN_CLICKED), from);
    EXPECT_EQ(std::vector<WPARAM>{8}, parent_.commands);
}

TEST_F(WindowObjects, NotificationsAreReflectedExceptAtARebar) {
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_COOL_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&init));
    Probe rebar;
    ASSERT_NE(nullptr, rebar.CreateWithClass(0, REBARCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 30,
                                             parent_, nullptr, nullptr));
    EXPECT_NE(nullptr, rebar.GetPrevWindowProc());
    // Handled at the rebar, so the rebar does not pass it on to its parent.
    rebar.notifyResult = 1;
    Probe band;
    band.CreateDefault(rebar);

    NMHDR header = {band.GetHwnd(), 55, NM_CLICK};
    SendMessageA(rebar, WM_NOTIFY, 55, reinterpret_cast<LPARAM>(&header));
    EXPECT_TRUE(band.reflectedNotifications.empty());
    EXPECT_EQ(std::vector<UINT_PTR>{55}, rebar.notifications);

    Probe sender;
    sender.CreateDefault(parent_);
    NMHDR other = {sender.GetHwnd(), 66, NM_CLICK};
    SendMessageA(parent_, WM_NOTIFY, 66, reinterpret_cast<LPARAM>(&other));
    EXPECT_EQ(std::vector<UINT_PTR>{66}, sender.reflectedNotifications);
    EXPECT_EQ(std::vector<UINT_PTR>{66}, parent_.notifications);
}

TEST_F(WindowObjects, SystemControlIsSubclassedAndKeepsItsOwnBehaviour) {
    ProbeEdit edit;
    ASSERT_NE(nullptr, edit.CreateDefault(parent_));
    EXPECT_NE(nullptr, edit.GetPrevWindowProc());
    EXPECT_EQ("Edit", edit.GetClassName());
    EXPECT_EQ(&edit, Casement::GetCWndPtr(edit));

    SetWindowTextA(edit, "typed text");
    char text[64] = {};
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ("typed text", text);

    // A colour message from the edit reaches the edit's own object.
    HDC dc = GetDC(edit);
    edit.reflectedResult = reinterpret_cast<LRESULT>(GetStockObject(GRAY_BRUSH));
    EXPECT_EQ(edit.reflectedResult, SendMessageA(parent_, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                                 reinterpret_cast<LPARAM>(edit.GetHwnd())));
    EXPECT_EQ(static_cast<UINT>(WM_CTLCOLOREDIT), edit.lastReflected);
    ReleaseDC(edit, dc);

    const HWND handle = edit.DetachHandle();
    EXPECT_EQ(nullptr, Casement::GetCWndPtr(handle));
    EXPECT_EQ(edit.GetPrevWindowProc(), nullptr);
    EXPECT_TRUE(IsWindow(handle));
    DestroyWindow(handle);
}

TEST_F(WindowObjects, CloseWithoutOverrideDestroysTheWindow) {
    Probe window;
    const HWND handle = window.CreateDefault(nullptr);
    SendMessageA(handle, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(nullptr, window.GetHwnd());
    EXPECT_EQ(1, window.destroyed);
}

TEST_F(WindowObjects, WindowDestroyedWithItsParentIsNotDestroyedAgainAndCanBeReused) {
    Probe owner;
    owner.CreateDefault(nullptr);
    Probe child;
    const HWND stale = child.CreateDefault(owner);
    owner.DestroyHandle();
    EXPECT_FALSE(IsWindow(stale));
    EXPECT_EQ(1, child.destroyed);
    EXPECT_EQ(&child, Casement::GetCWndPtr(stale));

    const HWND fresh = child.CreateDefault(parent_);
    ASSERT_NE(nullptr, fresh);
    EXPECT_EQ(nullptr, Casement::GetCWndPtr(stale));
    EXPECT_EQ(&child, Casement::GetCWndPtr(fresh));
    child.DestroyHandle();
    EXPECT_EQ(2, child.destroyed);
    EXPECT_EQ(nullptr, Casement::GetCWndPtr(fresh));
}

class Painter : public CWnd {
public:
    int painted = 0;
    int erased = 0;

protected:
    void DrawContent(Casement::CDC& dc) override {
        if (dc.GetHDC() != nullptr)
            ++painted;
    }
    BOOL EraseBackground(Casement::CDC& dc) override {
        if (dc.GetHDC() != nullptr)
            ++erased;
        return TRUE;
    }
};

TEST_F(WindowObjects, PaintAndEraseReachTheirHandlersWithADeviceContext) {
    Painter painter;
    painter.CreateWithClass(0, "", "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, parent_, nullptr, nullptr);
    UpdateWindow(parent_);
    const int paintedBefore = painter.painted;
    const int erasedBefore = painter.erased;
    InvalidateRect(painter, nullptr, TRUE);
    UpdateWindow(painter);
    EXPECT_EQ(paintedBefore + 1, painter.painted);
    EXPECT_EQ(erasedBefore + 1, painter.erased);
    RECT update = {};
    EXPECT_FALSE(GetUpdateRect(painter, &update, FALSE));  // validated by the paint
}

// Exchanges data with an edit field that it names, or fails when told to.
class ExchangingWindow : public CWnd {
public:
    HWND field = nullptr;
    bool fail = false;
    void ExchangeData(Casement::CDataExchange& exchange) override {
        if (fail)
            throw Casement::CUserException("value out of range", 7);
        exchange.focusControl = field;
    }
};

// Fails a message the system sends while creating the window; creation goes
// on all the same.
class FailingDuringCreation : public CWnd {
protected:
    LRESULT WindowProcedure(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_NCCALCSIZE)
            throw Casement::CUserException("sizing failed");
        return CWnd::WindowProcedure(msg, wParam, lParam);
    }
};

// Fails the first message of its creation; nothing of the window may follow.
class FailingFirstMessage : public CWnd {
public:
    bool created = false;

protected:
    LRESULT WindowProcedure(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_NCCREATE)
            throw Casement::CUserException("no frame");
        if (msg == WM_CREATE)
            created = true;
        return CWnd::WindowProcedure(msg, wParam, lParam);
    }
};

class RefusingWindow : public CWnd {
protected:
    int HandleCreate(CREATESTRUCTA&) override { throw Casement::CUserException("refused"); }
};

TEST_F(WindowObjects, CreationFailuresThrowAndLeaveTheObjectUnbound) {
    Probe orphan;
    try {
        orphan.CreateWithClass(0, "", "", WS_CHILD, 0, 0, 10, 10, nullptr, nullptr, nullptr);
        FAIL() << "a child window without a parent was created";
    } catch (const Casement::CWinException& e) {
        EXPECT_STREQ("CreateWindowEx failed", e.GetText());
    }
    EXPECT_EQ(nullptr, orphan.GetHwnd());
    EXPECT_EQ(nullptr, Casement::GetApp().GetThreadRecord()->pWnd);

    // An exception inside the window procedure reaches the creating caller.
    RefusingWindow refusing;
    try {
        refusing.CreateDefault(nullptr);
        FAIL() << "the refusing window was created";
    } catch (const Casement::CUserException& e) {
        EXPECT_STREQ("refused", e.GetText());
    }
    EXPECT_EQ(nullptr, refusing.GetHwnd());

    // A failed WM_NCCREATE ends the creation there.
    FailingFirstMessage first;
    EXPECT_THROW(first.CreateWithClass(0, "", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr),
                 Casement::CUserException);
    EXPECT_FALSE(first.created) << "the window was created after WM_NCCREATE failed";
    EXPECT_EQ(nullptr, first.GetHwnd());

    // So does one raised during a creation that succeeds, at once rather
    // than with some later message.
    FailingDuringCreation failing;
    EXPECT_THROW(failing.CreateWithClass(0, "", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr),
                 Casement::CUserException);
    PumpPending();
}

TEST_F(WindowObjects, DataExchangeFocusesTheNamedControlOrKeepsTheFailure) {
    ExchangingWindow window;
    ASSERT_NE(nullptr, window.CreateDefault(nullptr));
    window.field = CreateWindowExA(0, "Edit", "some text", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, window, nullptr,
                                   nullptr, nullptr);
    Casement::CDataExchange exchange;
    EXPECT_TRUE(window.ApplyDataExchange(exchange, TRUE));
    EXPECT_EQ(TRUE, exchange.retrieve);
    EXPECT_EQ(window.GetHwnd(), exchange.window);
    EXPECT_FALSE(exchange.failure);
    EXPECT_EQ(window.field, GetFocus());
    DWORD start = 1;
    DWORD end = 0;
    SendMessageA(window.field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(0u, start);
    EXPECT_EQ(9u, end);

    // A failure is kept in the record and moves no focus.
    SetFocus(window);
    window.fail = true;
    EXPECT_FALSE(window.ApplyDataExchange(exchange, FALSE));
    ASSERT_TRUE(exchange.failure);
    EXPECT_STREQ("value out of range", exchange.failure->GetText());
    EXPECT_EQ(7, exchange.failure->GetExtra());
    EXPECT_EQ(window.GetHwnd(), GetFocus());
}

}  // namespace
