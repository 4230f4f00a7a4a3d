// The tool bar: the system's tool-bar control, a row of buttons that send
// their command ids to the parent. Buttons are addressed by index unless a
// name says command id.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "framework/imagelist.h"
#include "framework/wincore.h"

namespace Casement {

class CToolBar : public CWnd {
public:
    CToolBar();

    // A button showing image number image of the image list.
    BOOL AddButton(UINT commandId, int image) const;
    BOOL AddSeparator() const;
    // A button showing text and no image; an "&" marks its mnemonic.
    BOOL AddTextButton(UINT commandId, LPCSTR text) const;
    void DeleteAllButtons() const;

    int GetButtonCount() const;
    // The command id of the button at index, 0 for a separator or no button.
    UINT GetCommandId(int index) const;
    // The index of the button with that command id, -1 if there is none.
    int CommandToIndex(UINT commandId) const;
    // In client coordinates of the bar.
    RECT GetItemRect(int index) const;
    // The button under a point in client coordinates, or -1.
    int HitTest(POINT point) const;
    // The command id of the button whose mnemonic is ch.
    BOOL MapAccelerator(char ch, UINT& commandId) const;

    // The hot (highlighted) button, -1 for none.
    int GetHotItem() const;
    void SetHotItem(int index) const;
    void PressButton(UINT commandId, BOOL press) const;

    // Null lists leave that state without images.
    void SetImageLists(const CImageList& normal, const CImageList& hot, const CImageList& disabled) const;
    void SetBitmapSize(int cx, int cy) const;
    // The size of one button (all have the height).
    SIZE GetButtonSize() const;
    // The size the bar needs to show all its buttons in one row.
    SIZE GetIdealSize() const;
    void AutoSize() const;

protected:
    void AdjustWindowClass(WNDCLASSA& wc) override;
    void AdjustCreateParams(CREATESTRUCTA& cs) override;
    // The control must know the button record size before any button.
    void AfterAttach() override;

private:
    BOOL AddButtons(const TBBUTTON& button) const;
};

}  // namespace Casement
