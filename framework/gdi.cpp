#include "framework/gdi.h"

#include <cassert>

#include "framework/cexception.h"

namespace Casement {

CGDIObject::CGDIObject(const CGDIObject& other) : m_pData(other.m_pData) {
    if (m_pData != nullptr)
        InterlockedIncrement(&m_pData->count);
}

CGDIObject& CGDIObject::operator=(const CGDIObject& other) {
    if (other.m_pData != m_pData) {
        if (other.m_pData != nullptr)
            InterlockedIncrement(&other.m_pData->count);
        Release();
        m_pData = other.m_pData;
    }
    return *this;
}

CGDIObject::~CGDIObject() { Release(); }

void CGDIObject::Attach(HGDIOBJ hObject) { Share(hObject, false); }

void CGDIObject::Share(HGDIOBJ hObject, bool owned) {
    assert(hObject);
    Release();
    CHandleMap<HGDIOBJ, GDIData>& map = GetApp().GDIMap();
    // The look-up and the count change must not be split, or another thread
    // could free the record in between.
    CThreadLock guard(map.GetLock());
    GDIData* data = map.Find(hObject);
    if (data != nullptr) {
        InterlockedIncrement(&data->count);
    } else {
        data = new GDIData;
        data->hGDIObject = hObject;
        map.Add(hObject, data);
    }
    if (owned)
        data->isOwned = true;
    m_pData = data;
}

void CGDIObject::Release() {
    GDIData* data = m_pData;
    if (data == nullptr)
        return;
    m_pData = nullptr;
    {
        CHandleMap<HGDIOBJ, GDIData>& map = GetApp().GDIMap();
        CThreadLock guard(map.GetLock());
        if (InterlockedDecrement(&data->count) > 0)
            return;
        map.Remove(data->hGDIObject);
    }
    if (data->isOwned)
        ::DeleteObject(data->hGDIObject);
    delete data;
}

int CGDIObject::GetObject(int size, LPVOID buffer) const {
    return GetHandle() != nullptr ? ::GetObjectA(GetHandle(), size, buffer) : 0;
}

void CGDIObject::TakeOver(HGDIOBJ created, LPCSTR failureText) {
    if (created == nullptr)
        throw CResourceException(failureText);
    Share(created, true);
}

void CBitmap::CreateBitmap(int cx, int cy, UINT planes, UINT bitsPerPixel, const void* bits) {
    TakeOver(::CreateBitmap(cx, cy, planes, bitsPerPixel, bits), "CreateBitmap failed");
}

void CBitmap::CreateCompatibleBitmap(HDC hDC, int cx, int cy) {
    TakeOver(::CreateCompatibleBitmap(hDC, cx, cy), "CreateCompatibleBitmap");
}

BOOL CBitmap::LoadFromResource(UINT id) {
    HBITMAP bitmap = ::LoadBitmapA(GetApp().GetResourceHandle(), MAKEINTRESOURCEA(id));
    if (bitmap == nullptr)
        return FALSE;
    Share(bitmap, true);
    return TRUE;
}

BITMAP CBitmap::GetBitmapInfo() const {
    BITMAP info = {};
    GetObject(sizeof info, &info);
    return info;
}

void CBrush::CreateSolidBrush(COLORREF color) { TakeOver(::CreateSolidBrush(color), "CreateSolidBrush failed"); }

void CFont::CreateFontIndirect(const LOGFONTA& logFont) {
    TakeOver(::CreateFontIndirectA(&logFont), "CreateFontIndirect");
}

void CFont::CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                       DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                       DWORD quality, DWORD pitchAndFamily, LPCSTR faceName) {
    TakeOver(::CreateFontA(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                           outPrecision, clipPrecision, quality, pitchAndFamily, faceName),
             "CreateFont failed");
}

LOGFONTA CFont::GetLogFont() const {
    LOGFONTA logFont = {};
    GetObject(sizeof logFont, &logFont);
    return logFont;
}

void CPalette::CreatePalette(const LOGPALETTE& logPalette) {
    TakeOver(::CreatePalette(&logPalette), "CreatePalette failed");
}

void CPen::CreatePen(int style, int width, COLORREF color) {
    TakeOver(::CreatePen(style, width, color), "CreatePen failed");
}

void CRgn::CreateRectRgn(int left, int top, int right, int bottom) {
    TakeOver(::CreateRectRgn(left, top, right, bottom), "CreateRectRgn failed");
}

void CRgn::CreateRectRgnIndirect(const RECT& rect) {
    TakeOver(::CreateRectRgnIndirect(&rect), "CreateRectRgn failed");
}

int CRgn::CombineRgn(const CRgn& first, const CRgn& second, int mode) {
    // The system writes into an existing region.
    if (GetHandle() == nullptr)
        CreateRectRgn(0, 0, 0, 0);
    return ::CombineRgn(*this, first, second, mode);
}

CDC::CDC(const CDC& other) : m_pData(other.m_pData) {
    if (m_pData != nullptr)
        InterlockedIncrement(&m_pData->count);
}

CDC& CDC::operator=(const CDC& other) {
    if (other.m_pData != m_pData) {
        if (other.m_pData != nullptr)
            InterlockedIncrement(&other.m_pData->count);
        Release();
        m_pData = other.m_pData;
    }
    return *this;
}

CDC::~CDC() { Release(); }

void CDC::Share(HDC hDC, bool owned) {
    assert(hDC);
    Release();
    CHandleMap<HDC, DCData>& map = GetApp().DCMap();
    CThreadLock guard(map.GetLock());
    DCData* data = map.Find(hDC);
    if (data != nullptr) {
        InterlockedIncrement(&data->count);
    } else {
        data = new DCData;
        data->hDC = hDC;
        data->hWnd = WindowFromDC(hDC);
        data->savedState = SaveDC(hDC);
        map.Add(hDC, data);
    }
    if (owned)
        data->isOwned = true;
    m_pData = data;
}

void CDC::Release() {
    DCData* data = m_pData;
    if (data == nullptr)
        return;
    m_pData = nullptr;
    {
        CHandleMap<HDC, DCData>& map = GetApp().DCMap();
        CThreadLock guard(map.GetLock());
        if (InterlockedDecrement(&data->count) > 0)
            return;
        map.Remove(data->hDC);
    }
    // Restoring puts the context's original objects back, so the objects
    // selected through the wrappers are free to be deleted below. A context
    // the caller keeps is restored too: it gets it back as it was.
    if (data->savedState != 0)
        RestoreDC(data->hDC, data->savedState);
    if (data->isOwned) {
        if (data->hWnd != nullptr)
            ReleaseDC(data->hWnd, data->hDC);
        else if (!DeleteDC(data->hDC))
            ReleaseDC(nullptr, data->hDC);
    }
    delete data;
}

BOOL CDC::SelectObject(const CBitmap& bitmap) {
    assert(m_pData);
    if (::SelectObject(GetHDC(), bitmap) == nullptr)
        return FALSE;
    m_pData->bitmap = bitmap;
    return TRUE;
}

BOOL CDC::SelectObject(const CBrush& brush) {
    assert(m_pData);
    if (::SelectObject(GetHDC(), brush) == nullptr)
        return FALSE;
    m_pData->brush = brush;
    return TRUE;
}

BOOL CDC::SelectObject(const CFont& font) {
    assert(m_pData);
    if (::SelectObject(GetHDC(), font) == nullptr)
        return FALSE;
    m_pData->font = font;
    return TRUE;
}

BOOL CDC::SelectObject(const CPen& pen) {
    assert(m_pData);
    if (::SelectObject(GetHDC(), pen) == nullptr)
        return FALSE;
    m_pData->pen = pen;
    return TRUE;
}

BOOL CDC::SelectPalette(const CPalette& palette, BOOL forceBackground) {
    assert(m_pData);
    if (::SelectPalette(GetHDC(), palette, forceBackground) == nullptr)
        return FALSE;
    m_pData->palette = palette;
    return TRUE;
}

SIZE CDC::GetTextExtentPoint32(LPCSTR text, int length) const {
    SIZE size = {};
    ::GetTextExtentPoint32A(GetHDC(), text, length, &size);
    return size;
}

BOOL CDC::SolidFill(COLORREF color, const RECT& rect) const {
    const COLORREF previous = ::SetBkColor(GetHDC(), color);
    const BOOL done = ::ExtTextOutA(GetHDC(), 0, 0, ETO_OPAQUE, &rect, "", 0, nullptr);
    ::SetBkColor(GetHDC(), previous);
    return done;
}

CClientDC::CClientDC(HWND hWnd) {
    HDC hDC = ::GetDC(hWnd);
    if (hDC == nullptr)
        throw CResourceException("GetDC failed");
    Share(hDC, true);
}

CWindowDC::CWindowDC(HWND hWnd) {
    HDC hDC = ::GetWindowDC(hWnd);
    if (hDC == nullptr)
        throw CResourceException("GetWindowDC failed");
    Share(hDC, true);
}

CPaintDC::CPaintDC(HWND hWnd) : m_hWndPaint(hWnd) {
    HDC hDC = ::BeginPaint(hWnd, &m_ps);
    if (hDC == nullptr)
        throw CResourceException("BeginPaint failed");
    // EndPaint gives the context back, so the record must not release it.
    Share(hDC, false);
}

CPaintDC::~CPaintDC() {
    // The state is restored while the context is still valid.
    Release();
    ::EndPaint(m_hWndPaint, &m_ps);
}

CMemDC::CMemDC(HDC hDC) {
    HDC memory = ::CreateCompatibleDC(hDC);
    if (memory == nullptr)
        throw CResourceException("CreateCompatibleDC failed");
    Share(memory, true);
}

}  // namespace Casement
