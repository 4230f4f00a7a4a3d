// The frame: the program's top-level window. It owns the menu bar, the rebar
// that holds the menu bar and the tool bar, the tool bar and the status bar,
// lays them out around one view window it does not own, shows menu help and
// the keyboard-lock indicators in the status bar, and can keep its placement
// and a recent-files list in the registry once a key name is set.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/cstring.h"
#include "framework/dialog.h"
#include "framework/frame_settings.h"
#include "framework/gdi.h"
#include "framework/imagelist.h"
#include "framework/menu.h"
#include "framework/menu_painter.h"
#include "framework/menubar.h"
#include "framework/rebar.h"
#include "framework/recent_files.h"
#include "framework/statusbar.h"
#include "framework/toolbar.h"
#include "framework/wincore.h"

namespace Casement {

class CFindReplaceDialog;

// The frame's resources: menu, accelerators, title string, tool-bar bitmap
// and icon all have this id.
constexpr UINT IDW_MAIN = 41;
constexpr UINT IDW_ABOUT = 42;          // About dialog template
constexpr UINT IDW_VIEWTOOLBAR = 43;    // tool-bar toggle command
constexpr UINT IDW_VIEWSTATUSBAR = 44;  // status-bar toggle command
constexpr UINT IDW_READY = 45;          // idle status text
constexpr UINT IDW_INDICATOR_CAPS = 46;
constexpr UINT IDW_INDICATOR_NUM = 47;
constexpr UINT IDW_INDICATOR_SCRL = 48;

// Private messages the frame understands besides those of every window.
constexpr UINT UWM_ACTIVATIONCHANGED = 0xBF01;  // posted after WM_ACTIVATE, same wParam
constexpr UINT UWM_SHOWBAR = 0xBF03;       // wParam: a bar's window; lParam: show (non-zero) or hide
constexpr UINT UWM_SETSTATUSTEXT = 0xBF04;  // lParam: the text for part 0 of the status bar
constexpr UINT UWM_WANTSACTIVATION = 0xBF06;  // asked of the view: non-zero to get UWM_ACTIVATIONCHANGED too
// Queries by which a bar or the view finds its neighbours.
constexpr UINT UWM_GETVIEWWINDOW = 0xBF0B;  // result: the view's window handle
constexpr UINT UWM_GETMENUBAR = 0xBF0C;     // result: the CMenuBar
constexpr UINT UWM_GETREBAR = 0xBF0D;       // result: the CReBar
constexpr UINT UWM_GETSTATUSBAR = 0xBF0E;   // result: the CStatusBar
constexpr UINT UWM_GETTOOLBAR = 0xBF0F;     // result: the CToolBar
// Notification code (WM_NOTIFY) by which a child says the space it needs
// changed; the frame lays out again.
constexpr UINT UWN_LAYOUTCHANGED = 0xBF29;

class CFrame : public virtual CWnd {
public:
    // The window settings kept in the registry.
    using InitValues = FrameInitValues;

    CFrame();
    ~CFrame() override;

    // The colour-scheme name of the active visual style, empty without one.
    virtual CString GetThemeName() const;
    // The client area less the visible bars, in client coordinates.
    virtual RECT GetViewRect() const;
    // Sizes the status bar's parts and shows which lock keys are on.
    virtual void SetStatusIndicators();
    virtual void RecalcLayout();
    // Places the view on the view rectangle.
    virtual void RecalcViewLayout();
    virtual CWnd& GetView() const;
    // The view is not owned; it must outlive the frame's window.
    virtual void SetView(CWnd& view);
    virtual CMenuBar& GetMenuBar() { return m_MenuBar; }
    virtual CReBar& GetReBar() { return m_ReBar; }
    virtual CStatusBar& GetStatusBar() { return m_StatusBar; }
    virtual CToolBar& GetToolBar() { return m_ToolBar; }

protected:
    // One button per non-zero id, showing the next image; 0 is a separator.
    virtual void SetToolBarButtons(const std::vector<UINT>& ids);
    virtual void AddMenuBarBand();
    virtual void AddToolBarBand(CToolBar& toolBar);
    virtual void CreateToolBar();

public:
    // Both are active only with a key name; FALSE when nothing was loaded.
    virtual BOOL LoadRegistrySettings(LPCSTR keyName);
    virtual BOOL LoadRegistryMRUSettings(UINT maxMRU);
    // Shows the About dialog modally unless it is open already.
    virtual void ShowAboutDialog();

protected:
    virtual LPCSTR GetTooltipText(int commandId);
    virtual BOOL SaveRegistryMRUSettings();
    virtual BOOL SaveRegistrySettings();
    virtual void ApplyToolBarImages();
    // Called once the tool bar exists: add buttons with AddToolBarButton.
    virtual void SetupToolBar() {}
    virtual void ChooseColours();
    // Images are square, as high as the bitmap; id 0 leaves a state without.
    virtual void SetToolBarImages(COLORREF mask, UINT bitmapId, UINT hotBitmapId, UINT disabledBitmapId);

public:
    virtual void ShowStatusBar(BOOL show);
    virtual void ShowToolBar(BOOL show);
    // Shows a hidden bar, hides a visible one (the tool bar only when used).
    virtual void ToggleStatusBar();
    virtual void ToggleToolBar();
    // Shows the recent files in the first popup of the menu, from its
    // IDW_FILE_MRU_FILE1 item on.
    virtual void UpdateMRUMenu();

    // Puts a path first in the recent-files list (at most the limit long).
    void AddMRUEntry(LPCSTR path);
    const std::vector<CString>& GetMRUEntries() const { return m_RecentFiles.GetEntries(); }
    // Part 0 of the status bar, kept for the next layout.
    void SetStatusText(LPCSTR text);
    // What part 0 shows while no menu item is selected, from now on.
    void SetIdleStatusText(LPCSTR text) { m_strStatusText = text; }
    const InitValues& GetInitValues() const { return m_InitValues; }
    CMenu& GetFrameMenu() { return m_Menu; }

    void RefreshMenuItem(UINT id) override;
    // Alt with a character reaches the frame from every child window.
    BOOL FilterMessage(MSG& msg) override;

protected:
    int HandleCreate(CREATESTRUCTA& cs) override;
    void HandleClose() override;
    void HandleDestroy() override;
    LRESULT HandleNotify(WPARAM wParam, LPARAM lParam) override;
    void AdjustCreateParams(CREATESTRUCTA& cs) override;
    void AdjustWindowClass(WNDCLASSA& wc) override;
    LRESULT DefaultProcedure(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // The frame's message handlers.
    virtual LRESULT OnActivate(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual void OnSysColorChange();
    virtual BOOL OnDrawItem(const DRAWITEMSTRUCT& draw);
    virtual BOOL OnMeasureItem(MEASUREITEMSTRUCT& measure);
    virtual void OnHelp();
    virtual LRESULT OnSysCommand(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual void OnInitMenuPopup(HMENU popup, BOOL isSystemMenu);
    virtual void OnUninitMenuPopup(HMENU popup);
    virtual void OnMenuSelect(UINT id, UINT flags, HMENU menu);
    virtual LRESULT OnMenuChar(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnCustomDraw(NMHDR& header);
    virtual LRESULT OnReBarMinMax();
    virtual LRESULT OnTooltipText(NMTTDISPINFOA& info);
    // A drop-down button's arrow was pressed; the result is a TBDDRET_ code.
    virtual LRESULT OnToolBarDropDown(NMTOOLBARA& info);
    virtual LRESULT OnLayoutChanged(NMHDR& header);
    virtual LRESULT OnShowBar(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnSetStatusText(WPARAM wParam, LPARAM lParam);
    // A request of a find or replace dialog this frame owns: find, replace,
    // replace all, or the dialog closing.
    virtual void OnFindReplace(CFindReplaceDialog& /*dialog*/) {}

    // For SetupToolBar: a button with this command id, or 0 for a separator.
    void AddToolBarButton(UINT id) { m_ToolBarData.push_back(id); }

private:
    static LRESULT CALLBACK StaticKeyboardProc(int code, WPARAM wParam, LPARAM lParam);

    // Creation steps.
    void InstallKeyboardHook();
    void LoadFrameAccelerators();
    void CreateMenuBar();
    void LoadFrameMenu();
    void CreateStatusBar();

    void CreateFonts();
    void RememberFocus();
    void RedrawFrame();
    void FitBand(const CToolBar& bar) const;
    // The placement and the bars shown, as closing stores them.
    FrameState CurrentState() const;

    std::vector<UINT> m_ToolBarData;
    InitValues m_InitValues;
    CDialog m_AboutDialog{IDW_ABOUT};
    CMenuBar m_MenuBar;
    CReBar m_ReBar;
    CStatusBar m_StatusBar;
    CToolBar m_ToolBar;
    CFont m_fntMenuBar;
    CFont m_fntStatusBar;
    CImageList m_imlToolBar;
    CImageList m_imlToolBarHot;
    CImageList m_imlToolBarDis;
    CFrameSettings m_Settings;
    CString m_strStatusText;  // the idle text
    CString m_strTooltip;
    CString m_strCurrentStatus;  // what part 0 shows now
    CMenu m_Menu;
    HACCEL m_hAccel = nullptr;  // loaded from resources: the system frees it
    BOOL m_bShowIndicatorStatus = TRUE;
    BOOL m_bShowMenuStatus = TRUE;
    BOOL m_bUseToolBar = TRUE;
    BOOL m_bUseThemes = TRUE;  // colours follow the visual style
    BOOL m_bUseReBar;
    CRecentFiles m_RecentFiles;
    CWnd* m_pView = nullptr;

    CMenuPainter m_MenuPainter;
    HHOOK m_hKeyboardHook = nullptr;
    HWND m_hOldFocus = nullptr;
};

}  // namespace Casement
