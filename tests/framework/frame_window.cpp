// Shows a frame with the test resources for a screenshot: menu bar, tool
// bar, view and status bar, with the File popup open when asked ("menu").
// Prints "ready" once the window is drawn and closes itself a few seconds
// later.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "framework/appcore.h"
#include "framework/frame.h"
#include "framework/stdcontrols.h"
#include "tests/framework/frame_test_ids.h"

namespace {

constexpr UINT_PTR kMenuTimer = 1;
constexpr UINT_PTR kReadyTimer = 2;
constexpr UINT_PTR kCloseTimer = 3;
// Without a window manager, Wine stacks a new top-level window above a
// popup menu opened before the window's first map has been handled: the
// menu opens a little later.
constexpr UINT kMenuAfterMs = 400;
constexpr UINT kReadyAfterMs = 1000;
constexpr UINT kCloseAfterMs = 4000;

class ShowcaseFrame : public Casement::CFrame {
public:
    explicit ShowcaseFrame(bool openMenu) : m_openMenu(openMenu) { SetView(m_view); }

protected:
    void SetupToolBar() override {
        AddToolBarButton(ID_TOOL_FIRST);
        AddToolBarButton(0);
        AddToolBarButton(ID_TOOL_SECOND);
    }
    void AfterCreated() override {
        SetWindowTextA(m_view, "The view fills the space between the bars.");
        SetFocus(m_view);
        SetTimer(*this, kReadyTimer, kReadyAfterMs, nullptr);
        SetTimer(*this, kCloseTimer, kCloseAfterMs, nullptr);
        if (m_openMenu)
            SetTimer(*this, kMenuTimer, kMenuAfterMs, nullptr);
    }
    LRESULT WindowProcedure(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_TIMER && wParam == kMenuTimer) {
            KillTimer(*this, kMenuTimer);
            PostMessageA(*this, WM_SYSCOMMAND, SC_KEYMENU, 'f');
            return 0;
        }
        if (msg == WM_TIMER && wParam == kReadyTimer) {
            KillTimer(*this, kReadyTimer);
            std::printf("ready\n");
            std::fflush(stdout);
            return 0;
        }
        if (msg == WM_TIMER && wParam == kCloseTimer) {
            KillTimer(*this, kCloseTimer);
            EndMenu();
            PostMessageA(*this, WM_CLOSE, 0, 0);
            return 0;
        }
        return CFrame::WindowProcedure(msg, wParam, lParam);
    }

private:
    Casement::CEdit m_view;
    bool m_openMenu;
};

}  // namespace

int main(int argc, char** argv) {
    const bool openMenu = argc > 1 && std::strcmp(argv[1], "menu") == 0;
    Casement::CWinApp app;
    ShowcaseFrame frame(openMenu);
    frame.CreateDefault(nullptr);
    SetWindowPos(frame, nullptr, 20, 20, 640, 480, SWP_NOZORDER);
    SetForegroundWindow(frame);
    return app.PumpMessages();
}
