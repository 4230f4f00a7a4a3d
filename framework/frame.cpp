#include "framework/frame.h"

#include <commctrl.h>

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <initializer_list>

#include "framework/commondlg.h"
#include "framework/controls.h"
#include "framework/cstring.h"
#include "framework/frame_support.h"
#include "framework/frame_layout.h"

namespace Casement {

namespace {

const char kFrameClassName[] = "Casement Frame";

constexpr COLORREF kToolBarMask = RGB(192, 192, 192);
static_assert(kToolBarMask == 0xC0C0C0, "tool-bar mask colour");

// NONCLIENTMETRICSA without the field Vista added: every version takes it.
constexpr UINT kNonClientMetricsSize = 340;
static_assert(offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth) == kNonClientMetricsSize, "metrics size");

// The uxtheme functions exist only with wide strings.
void SwitchOffVisualStyle(HWND window) {
    const HMODULE uxtheme = LoadLibraryA("uxtheme.dll");
    if (uxtheme == nullptr)
        return;
    using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    if (const auto setWindowTheme = LookUpProc<SetWindowThemeFn>(uxtheme, "SetWindowTheme"))
        setWindowTheme(window, L" ", L" ");
    FreeLibrary(uxtheme);
}

// A strip of square images as high as the bitmap; no bitmap, no list.
void LoadImageStrip(CImageList& images, UINT bitmapId, COLORREF mask) {
    images.Release();
    CBitmap strip;
    if (bitmapId == 0 || !strip.LoadFromResource(bitmapId))
        return;
    const BITMAP info = strip.GetBitmapInfo();
    const int size = info.bmHeight;
    if (size > 0 && images.Create(size, size, ILC_COLOR24 | ILC_MASK, info.bmWidth / size, 0))
        images.AddMasked(strip, mask);
}

// True unless both lists exist and their images differ in size.
bool ImageSizesAgree(const CImageList& first, const CImageList& second) {
    int firstWidth = 0, firstHeight = 0, secondWidth = 0, secondHeight = 0;
    if (first.GetHandle() == nullptr || second.GetHandle() == nullptr || !first.GetIconSize(firstWidth, firstHeight) ||
        !second.GetIconSize(secondWidth, secondHeight))
        return true;
    return firstWidth == secondWidth && firstHeight == secondHeight;
}

}  // namespace

CFrame::CFrame() : m_bUseReBar(GetComCtlVersion() > 470) {
    CreateFonts();
    m_strStatusText.LoadResourceString(IDW_READY);
    m_strCurrentStatus = m_strStatusText;
}

CFrame::~CFrame() {
    if (m_hKeyboardHook != nullptr)
        UnhookWindowsHookEx(m_hKeyboardHook);
    // The base part destroys a window still open, after m_Menu is gone: it
    // must not take the menu with it a second time.
    if (IsWindow())
        ::SetMenu(*this, nullptr);
}

void CFrame::CreateFonts() {
    // On failure the metrics stay zero, which gives the system's default font.
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = kNonClientMetricsSize;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0);
    m_fntMenuBar.CreateFontIndirect(metrics.lfMenuFont);
    m_fntStatusBar.CreateFontIndirect(metrics.lfStatusFont);
    m_MenuPainter.SetFont(m_fntMenuBar);
}

CString CFrame::GetThemeName() const {
    CString name;
    const HMODULE uxtheme = LoadLibraryA("UXTHEME.DLL");
    if (uxtheme == nullptr)
        return name;
    using GetCurrentThemeNameFn = HRESULT(WINAPI*)(LPWSTR, int, LPWSTR, int, LPWSTR, int);
    WCHAR file[MAX_PATH] = {};
    WCHAR colour[MAX_PATH] = {};
    WCHAR size[MAX_PATH] = {};
    const auto getCurrentThemeName = LookUpProc<GetCurrentThemeNameFn>(uxtheme, "GetCurrentThemeName");
    if (getCurrentThemeName != nullptr &&
        SUCCEEDED(getCurrentThemeName(file, MAX_PATH, colour, MAX_PATH, size, MAX_PATH))) {
        char narrow[MAX_PATH] = {};
        WideCharToMultiByte(kWindowCodePage, 0, colour, -1, narrow, MAX_PATH, nullptr, nullptr);
        name = narrow;
    }
    FreeLibrary(uxtheme);
    return name;
}

RECT CFrame::GetViewRect() const {
    RECT client = {};
    GetClientRect(*this, &client);
    const int top = IsShown(m_ReBar) ? WindowHeight(m_ReBar) : IsShown(m_ToolBar) ? WindowHeight(m_ToolBar) : 0;
    return ViewRectBetweenBars(client, top, IsShown(m_StatusBar) ? WindowHeight(m_StatusBar) : 0);
}

void CFrame::RecalcLayout() {
    if (IsShown(m_StatusBar)) {
        SetWindowPos(m_StatusBar, nullptr, 0, 0, 0, 0,
                     SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        // The control moves itself to the bottom edge, as wide as the frame.
        SendMessageA(m_StatusBar, WM_SIZE, 0, 0);
        if (m_bShowMenuStatus)
            m_StatusBar.SetPartText(0, m_strCurrentStatus);
        SetStatusIndicators();
    }
    if (m_ReBar.IsWindow())
        SendMessageA(m_ReBar, WM_SIZE, 0, 0);
    else if (IsShown(m_ToolBar))
        m_ToolBar.AutoSize();
    RecalcViewLayout();
    if (m_ReBar.IsWindow()) {
        if (m_ToolBar.IsWindow())
            FitBand(m_ToolBar);
        if (m_MenuBar.IsWindow())
            FitBand(m_MenuBar);
    }
}

void CFrame::RecalcViewLayout() {
    // The rebar reports height changes from its creation on, before the view exists.
    if (m_pView == nullptr || !m_pView->IsWindow())
        return;
    const RECT rect = GetViewRect();
    SetWindowPos(*m_pView, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_SHOWWINDOW | SWP_NOZORDER | SWP_NOACTIVATE);
}

CWnd& CFrame::GetView() const {
    assert(m_pView);
    return *m_pView;
}

void CFrame::SetView(CWnd& view) {
    m_pView = &view;
}

void CFrame::FitBand(const CToolBar& bar) const {
    const int band = m_ReBar.GetBandOf(bar);
    if (band < 0)
        return;
    REBARBANDINFOA wanted = CReBar::EmptyBandInfo();
    wanted.fMask = RBBIM_CHILDSIZE | RBBIM_IDEALSIZE;
    wanted.cyMinChild = static_cast<UINT>(bar.GetButtonSize().cy);
    wanted.cxIdeal = static_cast<UINT>(bar.GetIdealSize().cx);
    // Every change makes the rebar lay itself out again.
    REBARBANDINFOA current = CReBar::EmptyBandInfo();
    current.fMask = wanted.fMask;
    if (m_ReBar.GetBandInfo(band, current) && current.cyMinChild == wanted.cyMinChild &&
        current.cxIdeal == wanted.cxIdeal)
        return;
    m_ReBar.SetBandInfo(band, wanted);
}

void CFrame::SetToolBarButtons(const std::vector<UINT>& ids) {
    m_ToolBar.DeleteAllButtons();
    int image = 0;
    for (UINT id : ids) {
        if (id == 0)
            m_ToolBar.AddSeparator();
        else
            m_ToolBar.AddButton(id, image++);
    }
}

void CFrame::AddMenuBarBand() {
    REBARBANDINFOA band = CReBar::EmptyBandInfo();
    band.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE;
    band.fStyle = RBBS_BREAK | RBBS_NOGRIPPER;
    band.hwndChild = m_MenuBar;
    m_ReBar.InsertBand(band);
}

void CFrame::AddToolBarBand(CToolBar& toolBar) {
    // A tool bar moves and sizes itself along the top of its parent unless
    // told not to; in a band the rebar places it.
    const LONG style = GetWindowLongA(toolBar, GWL_STYLE);
    SetWindowLongA(toolBar, GWL_STYLE, style | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER);
    REBARBANDINFOA band = CReBar::EmptyBandInfo();
    band.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE;
    band.fStyle = RBBS_BREAK | RBBS_GRIPPERALWAYS;
    band.hwndChild = toolBar;
    m_ReBar.InsertBand(band);
}

void CFrame::CreateToolBar() {
    if (m_bUseReBar) {
        m_ToolBar.CreateDefault(m_ReBar);
        AddToolBarBand(m_ToolBar);
    } else {
        m_ToolBar.CreateDefault(*this);
    }
    SetupToolBar();
    if (m_ToolBarData.empty())
        OutputDebugStringA("Warning ... No resource IDs assigned to the toolbar\n");
    else
        SetToolBarButtons(m_ToolBarData);
}

void CFrame::ShowAboutDialog() {
    if (m_AboutDialog.IsWindow())
        return;
    const HWND focus = GetFocus();
    m_AboutDialog.DoModal(*this);
    if (::IsWindow(focus))
        SetFocus(focus);
}

LPCSTR CFrame::GetTooltipText(int commandId) {
    m_strTooltip = commandId > 0 ? LoadText(static_cast<UINT>(commandId)) : CString();
    return m_strTooltip;
}

void CFrame::ApplyToolBarImages() {
    if (!m_ToolBarData.empty())
        SetToolBarImages(kToolBarMask, IDW_MAIN, 0, 0);
}

void CFrame::ChooseColours() {
    m_MenuPainter.SetColours(ColoursOfTheme(m_bUseThemes ? GetThemeName() : CString()));
    if (m_ReBar.IsWindow())
        m_ReBar.SetBackgroundColour(m_MenuPainter.GetColours().barBackground);
}

void CFrame::SetToolBarImages(COLORREF mask, UINT bitmapId, UINT hotBitmapId, UINT disabledBitmapId) {
    if (!m_ToolBar.IsWindow())
        return;
    CImageList images;
    LoadImageStrip(images, bitmapId, mask);
    // The buttons are sized for the images they show; others would be cut
    // or leave gaps, so the old ones stay.
    if (!ImageSizesAgree(images, m_imlToolBar)) {
        OutputDebugStringA("Unable to add icons. The new icons are a different size to the old ones\n");
        return;
    }
    m_imlToolBar = images;
    LoadImageStrip(m_imlToolBarHot, hotBitmapId, mask);
    LoadImageStrip(m_imlToolBarDis, disabledBitmapId, mask);
    m_ToolBar.SetImageLists(m_imlToolBar, m_imlToolBarHot, m_imlToolBarDis);
    if (m_ReBar.IsWindow())
        FitBand(m_ToolBar);
    else
        m_ToolBar.AutoSize();
}

void CFrame::RedrawFrame() {
    RedrawWindow(*this, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_ERASE | RDW_INVALIDATE);
}

void CFrame::ShowStatusBar(BOOL show) {
    if (!m_StatusBar.IsWindow())
        return;
    ShowWindow(m_StatusBar, show ? SW_SHOW : SW_HIDE);
    RecalcLayout();
    RedrawFrame();
}

void CFrame::ShowToolBar(BOOL show) {
    if (!m_ToolBar.IsWindow())
        return;
    if (m_ReBar.IsWindow())
        m_ReBar.ShowBand(m_ReBar.GetBandOf(m_ToolBar), show);
    else
        ShowWindow(m_ToolBar, show ? SW_SHOW : SW_HIDE);
    RecalcLayout();
    RedrawFrame();
}

void CFrame::ToggleStatusBar() {
    ShowStatusBar(!IsShown(m_StatusBar));
}

void CFrame::ToggleToolBar() {
    ShowToolBar(m_bUseToolBar && !IsShown(m_ToolBar));
}

void CFrame::SetStatusText(LPCSTR text) {
    m_strCurrentStatus = text;
    if (m_StatusBar.IsWindow())
        m_StatusBar.SetPartText(0, m_strCurrentStatus);
}

void CFrame::RefreshMenuItem(UINT id) {
    switch (id) {
    case IDW_VIEWTOOLBAR:
        m_Menu.EnableMenuItem(id, MF_BYCOMMAND | (m_bUseToolBar ? MF_ENABLED : MF_GRAYED));
        m_Menu.CheckMenuItem(id, MF_BYCOMMAND | (IsShown(m_ToolBar) ? MF_CHECKED : MF_UNCHECKED));
        break;
    case IDW_VIEWSTATUSBAR:
        m_Menu.CheckMenuItem(id, MF_BYCOMMAND | (IsShown(m_StatusBar) ? MF_CHECKED : MF_UNCHECKED));
        break;
    default:
        break;
    }
}

void CFrame::LoadFrameAccelerators() {
    m_hAccel = LoadAcceleratorsA(GetApp().GetResourceHandle(), MAKEINTRESOURCEA(IDW_MAIN));
    if (m_hAccel != nullptr)
        GetApp().SetAccelerators(m_hAccel, *this);
}

void CFrame::CreateMenuBar() {
    m_ReBar.CreateDefault(*this);
    m_MenuBar.CreateDefault(m_ReBar);
    AddMenuBarBand();
    SwitchOffVisualStyle(m_MenuBar);
}

void CFrame::LoadFrameMenu() {
    m_Menu.LoadFromResource(IDW_MAIN);
    const HMENU hMenu = m_Menu.GetHandle();
    assert(hMenu);
    if (m_MenuBar.IsWindow())
        m_MenuBar.SetMenu(hMenu);
    else
        ::SetMenu(*this, hMenu);
}

void CFrame::CreateStatusBar() {
    m_StatusBar.CreateDefault(*this);
    SendMessageA(m_StatusBar, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_fntStatusBar)),
                 FALSE);
    ShowStatusBar(m_InitValues.ShowStatusBar);
}

int CFrame::HandleCreate(CREATESTRUCTA& /*cs*/) {
    InstallKeyboardHook();
    SetIconLarge(IDW_MAIN);
    SetIconSmall(IDW_MAIN);
    LoadFrameAccelerators();
    SetWindowTextA(*this, LoadText(IDW_MAIN));
    ChooseColours();
    if (m_bUseReBar)
        CreateMenuBar();
    LoadFrameMenu();
    if (m_RecentFiles.GetMaxEntries() != 0)
        UpdateMRUMenu();
    if (m_bUseToolBar) {
        CreateToolBar();
        ShowToolBar(m_InitValues.ShowToolBar);
    } else {
        m_Menu.EnableMenuItem(IDW_VIEWTOOLBAR, MF_BYCOMMAND | MF_GRAYED);
    }
    ApplyToolBarImages();
    CreateStatusBar();
    if (m_bShowIndicatorStatus)
        SetStatusIndicators();
    CWnd& view = GetView();
    if (!view.IsWindow())
        view.CreateDefault(*this);
    SendMessageA(*this, WM_SYSCOLORCHANGE, 0, 0);
    RecalcLayout();
    return 0;
}

void CFrame::HandleClose() {
    SaveRegistrySettings();
    ShowWindow(*this, SW_HIDE);
    CWnd::HandleClose();
}

void CFrame::HandleDestroy() {
    ::SetMenu(*this, nullptr);
    m_MenuBar.DestroyHandle();
    m_ToolBar.DestroyHandle();
    m_ReBar.DestroyHandle();
    m_StatusBar.DestroyHandle();
    if (m_pView != nullptr)
        m_pView->DestroyHandle();
    m_MenuPainter.ForgetItems();

    // Neither the keyboard hook nor the accelerators may reach a window
    // that is gone.
    TLSData* pTLSData = GetApp().GetThreadRecord();
    if (pTLSData->hMainWnd == GetHwnd())
        pTLSData->hMainWnd = nullptr;
    if (GetApp().GetAcceleratorWindow() == GetHwnd())
        GetApp().SetAccelerators(nullptr, nullptr);
    PostQuitMessage(0);
}

LRESULT CFrame::HandleNotify(WPARAM /*wParam*/, LPARAM lParam) {
    NMHDR& header = *reinterpret_cast<NMHDR*>(lParam);
    switch (header.code) {
    case NM_CUSTOMDRAW:
        return OnCustomDraw(header);
    case RBN_HEIGHTCHANGE:
    case RBN_LAYOUTCHANGED:
        RecalcViewLayout();
        return 0;
    case RBN_MINMAX:
        return OnReBarMinMax();
    case TTN_GETDISPINFOA:
        return OnTooltipText(reinterpret_cast<NMTTDISPINFOA&>(header));
    case TBN_DROPDOWN:
        return OnToolBarDropDown(reinterpret_cast<NMTOOLBARA&>(header));
    case UWN_LAYOUTCHANGED:
        return OnLayoutChanged(header);
    default:
        return 0;
    }
}

void CFrame::AdjustCreateParams(CREATESTRUCTA& cs) {
    cs.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    if (m_InitValues.ShowCmd == SW_MAXIMIZE)
        cs.style |= WS_MAXIMIZE;
    const RECT& rect = m_InitValues.rcPos;
    if (rect.right - rect.left > 0 && CWindowDC(GetDesktopWindow()).RectVisible(rect)) {
        cs.x = rect.left;
        cs.y = rect.top;
        cs.cx = rect.right - rect.left;
        cs.cy = rect.bottom - rect.top;
    }
}

void CFrame::AdjustWindowClass(WNDCLASSA& wc) {
    wc.lpszClassName = kFrameClassName;
    // The border and the gaps between the bars show the class cursor.
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
}

LRESULT CFrame::DefaultProcedure(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == GetRegisteredMessages().findReplace) {
        if (CFindReplaceDialog* dialog = CFindReplaceDialog::FromRequest(lParam))
            OnFindReplace(*dialog);
        return 0;
    }
    switch (msg) {
    case WM_SIZE:
        // A minimised frame has no client area to lay out.
        if (wParam != SIZE_MINIMIZED)
            RecalcLayout();
        return 0;
    case WM_ACTIVATE:
        return OnActivate(msg, wParam, lParam);
    case WM_SETFOCUS:
        SetStatusIndicators();
        return 0;
    case WM_ERASEBKGND:
        // The view and the bars cover the client area.
        return 0;
    case WM_SYSCOLORCHANGE:
        OnSysColorChange();
        return 0;
    case WM_DRAWITEM:
        if (OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)))
            return TRUE;
        break;
    case WM_MEASUREITEM:
        if (OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)))
            return TRUE;
        break;
    case WM_WINDOWPOSCHANGED:
        return CallPreviousProc(msg, wParam, lParam);
    case WM_HELP:
        OnHelp();
        return TRUE;
    case WM_SYSCOMMAND:
        return OnSysCommand(msg, wParam, lParam);
    case WM_INITMENUPOPUP:
        OnInitMenuPopup(reinterpret_cast<HMENU>(wParam), HIWORD(lParam));
        return 0;
    case WM_UNINITMENUPOPUP:
        OnUninitMenuPopup(reinterpret_cast<HMENU>(wParam));
        return 0;
    case WM_MENUSELECT:
        OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
        return 0;
    case WM_MENUCHAR:
        return OnMenuChar(msg, wParam, lParam);
    case UWM_GETCFRAME:
        return reinterpret_cast<LRESULT>(this);
    case UWM_SHOWBAR:
        return OnShowBar(wParam, lParam);
    case UWM_SETSTATUSTEXT:
        return OnSetStatusText(wParam, lParam);
    case UWM_GETVIEWWINDOW:
        return reinterpret_cast<LRESULT>(m_pView != nullptr ? m_pView->GetHwnd() : nullptr);
    case UWM_GETMENUBAR:
        return reinterpret_cast<LRESULT>(&GetMenuBar());
    case UWM_GETREBAR:
        return reinterpret_cast<LRESULT>(&GetReBar());
    case UWM_GETSTATUSBAR:
        return reinterpret_cast<LRESULT>(&GetStatusBar());
    case UWM_GETTOOLBAR:
        return reinterpret_cast<LRESULT>(&GetToolBar());
    case UWM_ACTIVATIONCHANGED:
        // Lock keys pressed in another program reach no hook of this thread.
        if (LOWORD(wParam) != WA_INACTIVE)
            SetStatusIndicators();
        return 0;
    default:
        break;
    }
    return CWnd::DefaultProcedure(msg, wParam, lParam);
}

void CFrame::RememberFocus() {
    HWND focus = GetFocus();
    if (m_MenuBar.IsWindow() && focus == m_MenuBar.GetHwnd())
        focus = m_MenuBar.GetPrevFocus();
    if (focus != nullptr && IsChild(*this, focus))
        m_hOldFocus = focus;
}

LRESULT CFrame::OnActivate(UINT msg, WPARAM wParam, LPARAM lParam) {
    CallPreviousProc(msg, wParam, lParam);
    if (LOWORD(wParam) == WA_INACTIVE) {
        if (HIWORD(wParam) == 0)
            RememberFocus();
    } else if (::IsWindow(m_hOldFocus) && IsChild(*this, m_hOldFocus)) {
        SetFocus(m_hOldFocus);
    }
    PostMessageA(*this, UWM_ACTIVATIONCHANGED, wParam, lParam);
    if (m_pView != nullptr && m_pView->IsWindow() && SendMessageA(*m_pView, UWM_WANTSACTIVATION, 0, 0) != 0)
        PostMessageA(*m_pView, UWM_ACTIVATIONCHANGED, wParam, lParam);
    return 0;
}

void CFrame::OnSysColorChange() {
    // The bars keep using the old fonts until they have the new ones.
    const CFont oldMenuFont = m_fntMenuBar;
    const CFont oldStatusFont = m_fntStatusBar;
    CreateFonts();
    if (m_MenuBar.IsWindow())
        SendMessageA(m_MenuBar, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_fntMenuBar)), TRUE);
    if (m_StatusBar.IsWindow())
        SendMessageA(m_StatusBar, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_fntStatusBar)),
                     TRUE);
    ChooseColours();
    // The common controls learn of colour changes only from their parent.
    for (const CWnd* bar : {static_cast<const CWnd*>(&m_MenuBar), static_cast<const CWnd*>(&m_ToolBar),
                            static_cast<const CWnd*>(&m_ReBar), static_cast<const CWnd*>(&m_StatusBar)}) {
        if (bar->IsWindow())
            SendMessageA(*bar, WM_SYSCOLORCHANGE, 0, 0);
    }
}

LRESULT CFrame::OnCustomDraw(NMHDR& header) {
    if (m_MenuBar.IsWindow() && header.hwndFrom == m_MenuBar.GetHwnd())
        return m_MenuPainter.DrawMenuBarItem(reinterpret_cast<NMTBCUSTOMDRAW&>(header), m_MenuBar, m_Menu);
    return CDRF_DODEFAULT;
}

LRESULT CFrame::OnToolBarDropDown(NMTOOLBARA& /*info*/) {
    // The frame's own buttons have no drop-down part.
    return TBDDRET_DEFAULT;
}

LRESULT CFrame::OnLayoutChanged(NMHDR& /*header*/) {
    RecalcLayout();
    return 0;
}

LRESULT CFrame::OnShowBar(WPARAM wParam, LPARAM lParam) {
    const HWND bar = reinterpret_cast<HWND>(wParam);
    if (bar != nullptr && bar == m_StatusBar.GetHwnd())
        ShowStatusBar(lParam != 0);
    else if (bar != nullptr && bar == m_ToolBar.GetHwnd())
        ShowToolBar(lParam != 0);
    return 0;
}

LRESULT CFrame::OnSetStatusText(WPARAM /*wParam*/, LPARAM lParam) {
    SetStatusText(lParam != 0 ? reinterpret_cast<LPCSTR>(lParam) : "");
    return 0;
}

LRESULT CFrame::OnReBarMinMax() {
    // The bands stay as the frame arranged them: the menu bar never folds away.
    return 1;
}

LRESULT CFrame::OnTooltipText(NMTTDISPINFOA& info) {
    if (!m_ToolBar.IsWindow() ||
        info.hdr.hwndFrom != reinterpret_cast<HWND>(SendMessageA(m_ToolBar, TB_GETTOOLTIPS, 0, 0)))
        return 0;
    info.lpszText = const_cast<LPSTR>(GetTooltipText(static_cast<int>(info.hdr.idFrom)));
    return 0;
}

}  // namespace Casement
