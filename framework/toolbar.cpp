#include "framework/toolbar.h"

#include <cassert>
#include <string>

#include "framework/controls.h"

namespace Casement {

namespace {

// Child, visible, clip siblings and children, tooltips, flat buttons.
constexpr DWORD kToolBarStyle =
    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT;
static_assert(kToolBarStyle == 0x56000900, "tool bar style");

}  // namespace

CToolBar::CToolBar() {
    LoadCommonControls();
}

void CToolBar::AdjustWindowClass(WNDCLASSA& wc) {
    wc.lpszClassName = TOOLBARCLASSNAMEA;
}

void CToolBar::AdjustCreateParams(CREATESTRUCTA& cs) {
    cs.style = kToolBarStyle;
}

void CToolBar::AfterAttach() {
    SendMessageA(*this, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
}

BOOL CToolBar::AddButtons(const TBBUTTON& button) const {
    assert(IsWindow());
    return SendMessageA(*this, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button)) != 0;
}

BOOL CToolBar::AddButton(UINT commandId, int image) const {
    TBBUTTON button = {};
    button.iBitmap = image;
    button.idCommand = static_cast<int>(commandId);
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_BUTTON;
    button.iString = -1;
    return AddButtons(button);
}

BOOL CToolBar::AddSeparator() const {
    TBBUTTON button = {};
    button.fsStyle = BTNS_SEP;
    button.iString = -1;
    return AddButtons(button);
}

BOOL CToolBar::AddTextButton(UINT commandId, LPCSTR text) const {
    assert(IsWindow() && text);
    // The control's string list takes strings that end with two zeros.
    std::string strings(text);
    strings.push_back('\0');
    const LRESULT stringIndex =
        SendMessageA(*this, TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>(strings.c_str()));
    if (stringIndex < 0)
        return FALSE;
    TBBUTTON button = {};
    button.iBitmap = I_IMAGENONE;
    button.idCommand = static_cast<int>(commandId);
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE;
    button.iString = stringIndex;
    return AddButtons(button);
}

void CToolBar::DeleteAllButtons() const {
    for (int index = GetButtonCount() - 1; index >= 0; --index)
        SendMessageA(*this, TB_DELETEBUTTON, static_cast<WPARAM>(index), 0);
}

int CToolBar::GetButtonCount() const {
    assert(IsWindow());
    return static_cast<int>(SendMessageA(*this, TB_BUTTONCOUNT, 0, 0));
}

UINT CToolBar::GetCommandId(int index) const {
    assert(IsWindow());
    TBBUTTON button = {};
    if (!SendMessageA(*this, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button)))
        return 0;
    return static_cast<UINT>(button.idCommand);
}

int CToolBar::CommandToIndex(UINT commandId) const {
    assert(IsWindow());
    return static_cast<int>(SendMessageA(*this, TB_COMMANDTOINDEX, commandId, 0));
}

RECT CToolBar::GetItemRect(int index) const {
    assert(IsWindow());
    RECT rect = {};
    SendMessageA(*this, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

int CToolBar::HitTest(POINT point) const {
    assert(IsWindow());
    // A negative result is a point beside the buttons, or on a separator.
    const int hit = static_cast<int>(SendMessageA(*this, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&point)));
    return hit >= 0 && hit < GetButtonCount() ? hit : -1;
}

BOOL CToolBar::MapAccelerator(char ch, UINT& commandId) const {
    assert(IsWindow());
    return SendMessageA(*this, TB_MAPACCELERATORA, static_cast<BYTE>(ch),
                        reinterpret_cast<LPARAM>(&commandId)) != 0;
}

int CToolBar::GetHotItem() const {
    assert(IsWindow());
    return static_cast<int>(SendMessageA(*this, TB_GETHOTITEM, 0, 0));
}

void CToolBar::SetHotItem(int index) const {
    assert(IsWindow());
    SendMessageA(*this, TB_SETHOTITEM, static_cast<WPARAM>(index), 0);
}

void CToolBar::PressButton(UINT commandId, BOOL press) const {
    assert(IsWindow());
    SendMessageA(*this, TB_PRESSBUTTON, commandId, MAKELPARAM(press, 0));
}

void CToolBar::SetImageLists(const CImageList& normal, const CImageList& hot,
                             const CImageList& disabled) const {
    assert(IsWindow());
    SendMessageA(*this, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(normal.GetHandle()));
    SendMessageA(*this, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(hot.GetHandle()));
    SendMessageA(*this, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(disabled.GetHandle()));
}

void CToolBar::SetBitmapSize(int cx, int cy) const {
    assert(IsWindow());
    SendMessageA(*this, TB_SETBITMAPSIZE, 0, MAKELPARAM(cx, cy));
}

SIZE CToolBar::GetButtonSize() const {
    assert(IsWindow());
    const DWORD size = static_cast<DWORD>(SendMessageA(*this, TB_GETBUTTONSIZE, 0, 0));
    return SIZE{LOWORD(size), HIWORD(size)};
}

SIZE CToolBar::GetIdealSize() const {
    assert(IsWindow());
    SIZE size = {};
    SendMessageA(*this, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    return size;
}

void CToolBar::AutoSize() const {
    assert(IsWindow());
    SendMessageA(*this, TB_AUTOSIZE, 0, 0);
}

}  // namespace Casement
