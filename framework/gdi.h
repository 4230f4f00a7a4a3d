// Device contexts and GDI objects. Every wrapper points to one shared record
// per handle, registered in the application's maps, so wrapping a handle
// twice shares one record; the last reference releases what the wrappers own.
#pragma once

#include <windows.h>

#include "framework/appcore.h"

namespace Casement {

// The shared record of the wrappers of one GDI object.
struct GDIData {
    HGDIOBJ hGDIObject = nullptr;
    LONG count = 1;
    bool isOwned = false;  // a wrapper created the object, so the last one deletes it
};

class CGDIObject {
public:
    CGDIObject() = default;
    CGDIObject(const CGDIObject& other);
    CGDIObject& operator=(const CGDIObject& other);
    virtual ~CGDIObject();

    // Wraps an object without taking it over; it is never deleted through
    // this wrapper unless another wrapper of it created it.
    void Attach(HGDIOBJ hObject);
    // Drops this wrapper's reference; the last reference deletes an object a
    // wrapper created.
    void Release();
    HGDIOBJ GetHandle() const { return m_pData != nullptr ? m_pData->hGDIObject : nullptr; }
    // GetObjectA on the handle: the bytes written to buffer, 0 on failure.
    int GetObject(int size, LPVOID buffer) const;

protected:
    // Takes over a newly created object; a null one throws
    // CResourceException with failureText.
    void TakeOver(HGDIOBJ created, LPCSTR failureText);
    // Wraps hObject, sharing the record of other wrappers of it; owned makes
    // the last reference delete it.
    void Share(HGDIOBJ hObject, bool owned);

private:

    GDIData* m_pData = nullptr;
};

class CBitmap : public CGDIObject {
public:
    CBitmap() = default;
    explicit CBitmap(HBITMAP hBitmap) { Attach(hBitmap); }
    operator HBITMAP() const { return static_cast<HBITMAP>(GetHandle()); }

    // Throw CResourceException "CreateBitmap failed" / "CreateCompatibleBitmap".
    void CreateBitmap(int cx, int cy, UINT planes, UINT bitsPerPixel, const void* bits);
    void CreateCompatibleBitmap(HDC hDC, int cx, int cy);
    // Bitmap resource id from the application's resource handle; FALSE if absent.
    BOOL LoadFromResource(UINT id);
    BITMAP GetBitmapInfo() const;
};

class CBrush : public CGDIObject {
public:
    CBrush() = default;
    explicit CBrush(HBRUSH hBrush) { Attach(hBrush); }
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    operator HBRUSH() const { return static_cast<HBRUSH>(GetHandle()); }

    // Throws CResourceException "CreateSolidBrush failed".
    void CreateSolidBrush(COLORREF color);
};

class CFont : public CGDIObject {
public:
    CFont() = default;
    explicit CFont(HFONT hFont) { Attach(hFont); }
    operator HFONT() const { return static_cast<HFONT>(GetHandle()); }

    // Throws CResourceException "CreateFontIndirect".
    void CreateFontIndirect(const LOGFONTA& logFont);
    // CreateFontA's arguments; throws CResourceException "CreateFont failed".
    void CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                    DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                    DWORD quality, DWORD pitchAndFamily, LPCSTR faceName);
    LOGFONTA GetLogFont() const;
};

class CPalette : public CGDIObject {
public:
    CPalette() = default;
    explicit CPalette(HPALETTE hPalette) { Attach(hPalette); }
    operator HPALETTE() const { return static_cast<HPALETTE>(GetHandle()); }

    // Throws CResourceException "CreatePalette failed".
    void CreatePalette(const LOGPALETTE& logPalette);
};

class CPen : public CGDIObject {
public:
    CPen() = default;
    explicit CPen(HPEN hPen) { Attach(hPen); }
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
    operator HPEN() const { return static_cast<HPEN>(GetHandle()); }

    // Throws CResourceException "CreatePen failed".
    void CreatePen(int style, int width, COLORREF color);
};

class CRgn : public CGDIObject {
public:
    CRgn() = default;
    explicit CRgn(HRGN hRgn) { Attach(hRgn); }
    operator HRGN() const { return static_cast<HRGN>(GetHandle()); }

    // Throw CResourceException "CreateRectRgn failed".
    void CreateRectRgn(int left, int top, int right, int bottom);
    void CreateRectRgnIndirect(const RECT& rect);
    // Makes this region the combination of two others (RGN_AND, RGN_OR, ...);
    // returns the region's complexity, ERROR on failure.
    int CombineRgn(const CRgn& first, const CRgn& second, int mode);
};

// The shared record of the wrappers of one device context.
struct DCData {
    // The objects selected through the wrappers: kept alive while selected,
    // released after the original objects are back in the context. A clip
    // region needs no slot, the context keeps a copy of it.
    CBitmap bitmap;
    CBrush brush;
    CFont font;
    CPalette palette;
    CPen pen;
    HDC hDC = nullptr;
    LONG count = 1;
    bool isOwned = false;  // the last reference releases or deletes the handle
    HWND hWnd = nullptr;   // the window of the context (WindowFromDC), or null
    int savedState = 0;    // SaveDC level taken when the record was made
};

class CDC {
public:
    CDC() = default;
    // Wraps a context the caller keeps: the last reference restores the state
    // it had when first wrapped, and never releases it.
    explicit CDC(HDC hDC) { Share(hDC, false); }
    CDC(const CDC& other);
    CDC& operator=(const CDC& other);
    virtual ~CDC();

    void Attach(HDC hDC) { Share(hDC, false); }
    HDC GetHDC() const { return m_pData != nullptr ? m_pData->hDC : nullptr; }
    operator HDC() const { return GetHDC(); }

    // Selection keeps the object's record until another object of its kind
    // is selected or the context goes; FALSE when the system refuses it.
    BOOL SelectObject(const CBitmap& bitmap);
    BOOL SelectObject(const CBrush& brush);
    BOOL SelectObject(const CFont& font);
    BOOL SelectObject(const CPen& pen);
    BOOL SelectPalette(const CPalette& palette, BOOL forceBackground);
    // The context copies the region; the wrapper may go at once.
    int SelectClipRgn(const CRgn& rgn) const { return ::SelectClipRgn(GetHDC(), rgn); }

    COLORREF SetBkColor(COLORREF color) const { return ::SetBkColor(GetHDC(), color); }
    int SetBkMode(int mode) const { return ::SetBkMode(GetHDC(), mode); }
    COLORREF SetTextColor(COLORREF color) const { return ::SetTextColor(GetHDC(), color); }
    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(GetHDC(), index); }
    BOOL RectVisible(const RECT& rect) const { return ::RectVisible(GetHDC(), &rect); }

    BOOL TextOut(int x, int y, LPCSTR text, int length) const { return ::TextOutA(GetHDC(), x, y, text, length); }
    int DrawText(LPCSTR text, int length, RECT& rect, UINT format) const {
        return ::DrawTextA(GetHDC(), text, length, &rect, format);
    }
    SIZE GetTextExtentPoint32(LPCSTR text, int length) const;
    BOOL GetTextMetrics(TEXTMETRICA& metrics) const { return ::GetTextMetricsA(GetHDC(), &metrics); }

    BOOL FillRect(const RECT& rect, HBRUSH brush) const { return ::FillRect(GetHDC(), &rect, brush) != 0; }
    // Fills with a colour without a brush object (an opaque empty text).
    BOOL SolidFill(COLORREF color, const RECT& rect) const;
    BOOL DrawEdge(RECT& rect, UINT edge, UINT flags) const { return ::DrawEdge(GetHDC(), &rect, edge, flags); }
    BOOL DrawFocusRect(const RECT& rect) const { return ::DrawFocusRect(GetHDC(), &rect); }
    BOOL Rectangle(int left, int top, int right, int bottom) const {
        return ::Rectangle(GetHDC(), left, top, right, bottom);
    }
    BOOL MoveTo(int x, int y) const { return ::MoveToEx(GetHDC(), x, y, nullptr); }
    BOOL LineTo(int x, int y) const { return ::LineTo(GetHDC(), x, y); }
    BOOL BitBlt(int x, int y, int cx, int cy, HDC source, int xSource, int ySource, DWORD rop) const {
        return ::BitBlt(GetHDC(), x, y, cx, cy, source, xSource, ySource, rop);
    }

protected:
    // Wraps hDC, sharing the record of other wrappers of it; owned makes the
    // last reference release or delete the handle.
    void Share(HDC hDC, bool owned);
    // Drops this wrapper's reference; the last one restores the saved state,
    // releases an owned handle and then the selected objects.
    void Release();

private:
    DCData* m_pData = nullptr;
};

// The client area of a window (null: the screen); throws CResourceException
// "GetDC failed".
class CClientDC : public CDC {
public:
    explicit CClientDC(HWND hWnd);
};

// The whole window, frame included (null: the screen); throws
// CResourceException "GetWindowDC failed".
class CWindowDC : public CDC {
public:
    explicit CWindowDC(HWND hWnd);
};

// Painting between BeginPaint and EndPaint; throws CResourceException
// "BeginPaint failed". Not copyable: EndPaint belongs to this object.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(HWND hWnd);
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    ~CPaintDC() override;

    const PAINTSTRUCT& GetPaintStruct() const { return m_ps; }

private:
    HWND m_hWndPaint;
    PAINTSTRUCT m_ps = {};
};

// A memory context compatible with hDC (null: the screen); throws
// CResourceException "CreateCompatibleDC failed".
class CMemDC : public CDC {
public:
    explicit CMemDC(HDC hDC);
};

}  // namespace Casement
