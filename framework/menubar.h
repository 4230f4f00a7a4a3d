// The menu bar: a tool bar whose buttons are the top-level items of the
// frame's menu. It opens their popups under the buttons, moves between them
// with the keyboard and the mouse as the system's own menu bar does, and
// passes the popups' messages on to the frame.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/toolbar.h"

namespace Casement {

class CMenuBar : public CToolBar {
public:
    CMenuBar() = default;

    // One button per top-level item of menu, which stays the caller's.
    void SetMenu(HMENU menu);

    // SC_KEYMENU passed on by the frame: key 0 (Alt or F10 alone) enters
    // keyboard mode with the first item hot; a character opens the popup
    // whose mnemonic it is, or beeps.
    void HandleKeyMenu(char key);

    bool IsInKeyboardMode() const { return m_keyboardMode; }
    // The window that had the focus when keyboard mode began; it gets the
    // focus back when the mode ends.
    HWND GetPrevFocus() const { return m_hPrevFocus; }
    // The popup shown under a button, null while none is open.
    HMENU GetTrackedPopup() const { return m_hPopup; }

protected:
    void AdjustCreateParams(CREATESTRUCTA& cs) override;
    LRESULT DefaultProcedure(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // Keyboard mode.
    void EnterKeyboardMode(int index);
    void LeaveKeyboardMode(bool restoreFocus);
    void OnKeyboardModeKey(UINT key);
    void OpenByMnemonic(char ch);
    LRESULT OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam);

    // Popup tracking: one popup after another while the user moves between
    // buttons, then back to keyboard mode or out of menu mode.
    void TrackPopups(int index, bool selectFirst);
    void TrackPopup(int index, bool selectFirst);
    void SwitchPopup(int index, bool selectFirst);
    void InstallMessageHook();
    void RemoveMessageHook();
    static LRESULT CALLBACK StaticMessageHook(int code, WPARAM wParam, LPARAM lParam);
    // A message of the open popup's loop; true when it was consumed.
    bool OnMenuInput(const MSG& msg);
    bool OnMenuKey(UINT key);
    bool OnMenuMouseMove(POINT screenPoint);
    void OnPopupOpened(HMENU menu);
    void OnPopupClosed(HMENU menu);

    // The popups' messages go to the frame.
    LRESULT PassToFrame(UINT msg, WPARAM wParam, LPARAM lParam) const;
    HWND GetFrame() const;
    int Wrap(int index) const;

    HMENU m_hTopMenu = nullptr;
    HMENU m_hPopup = nullptr;
    int m_trackIndex = -1;
    // The popup and its open submenus, innermost last.
    std::vector<HMENU> m_openMenus;
    // The menu of the selected item and the item's flags, as WM_MENUSELECT
    // last reported them.
    HMENU m_hSelectedMenu = nullptr;
    UINT m_selectedFlags = 0;
    // Set by the popup's keys and mouse moves to say what follows it.
    int m_nextPopup = -1;
    bool m_nextSelectFirst = false;
    bool m_returnToKeyboardMode = false;
    bool m_keyboardMode = false;
    HWND m_hPrevFocus = nullptr;
};

}  // namespace Casement
