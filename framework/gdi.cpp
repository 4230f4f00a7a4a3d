#include "framework/gdi.h"

#include <cassert>

#include "framework/cexception.h"
#include "framework/sharedhandle.h"

namespace Casement {

namespace {

// The last reference deletes an object a wrapper created.
void DeleteGDIObject(GDIData& data) {
    if (data.isOwned)
        ::DeleteObject(data.hGDIObject);
}

using SharedGDIObject =
    CSharedHandle<HGDIOBJ, GDIData, &GDIData::hGDIObject, &CWinApp::GDIMap, DeleteGDIObject>;

// The state is saved when the record is made, so the last reference can put
// it back.
void PrepareDC(DCData& data) {
    data.hWnd = WindowFromDC(data.hDC);
    data.savedState = SaveDC(data.hDC);
}

// The last reference restores the saved state and gives back an owned
// context.
void ReleaseDCRecord(DCData& data) {
    // Restoring puts the context's original objects back, so the objects
    // selected through the wrappers are free to be deleted with the record.
    // A context the caller keeps is restored too: it gets it back as it was.
    if (data.savedState != 0)
        RestoreDC(data.hDC, data.savedState);
    if (data.isOwned) {
        if (data.hWnd != nullptr)
            ReleaseDC(data.hWnd, data.hDC);
        else if (!DeleteDC(data.hDC))
            ReleaseDC(nullptr, data.hDC);
    }
}

using SharedDC = CSharedHandle<HDC, DCData, &DCData::hDC, &CWinApp::DCMap, ReleaseDCRecord, PrepareDC>;

// Selects object into the record's context through select and keeps its
// record in slot, so that the object lives while it is selected; FALSE when
// the system refuses it.
template <typename Object, typename Select>
BOOL SelectAndKeep(DCData* data, Object DCData::*slot, const Object& object, Select select) {
    assert(data);
    if (!select(data->hDC, object))
        return FALSE;
    data->*slot = object;
    return TRUE;
}

bool SelectIntoDC(HDC hDC, HGDIOBJ object) { return ::SelectObject(hDC, object) != nullptr; }

}  // namespace

CGDIObject::CGDIObject(const CGDIObject& other) : m_pData(SharedGDIObject::Copy(other.m_pData)) {}

CGDIObject& CGDIObject::operator=(const CGDIObject& other) {
    SharedGDIObject::Assign(m_pData, other.m_pData);
    return *this;
}

CGDIObject::~CGDIObject() { Release(); }

void CGDIObject::Attach(HGDIOBJ hObject) { Share(hObject, false); }

void CGDIObject::Share(HGDIOBJ hObject, bool owned) { SharedGDIObject::Share(m_pData, hObject, owned); }

void CGDIObject::Release() { SharedGDIObject::Release(m_pData); }

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

CDC::CDC(const CDC& other) : m_pData(SharedDC::Copy(other.m_pData)) {}

CDC& CDC::operator=(const CDC& other) {
    SharedDC::Assign(m_pData, other.m_pData);
    return *this;
}

CDC::~CDC() { Release(); }

void CDC::Share(HDC hDC, bool owned) { SharedDC::Share(m_pData, hDC, owned); }

void CDC::Release() { SharedDC::Release(m_pData); }

BOOL CDC::SelectObject(const CBitmap& bitmap) {
    return SelectAndKeep(m_pData, &DCData::bitmap, bitmap, SelectIntoDC);
}

BOOL CDC::SelectObject(const CBrush& brush) {
    return SelectAndKeep(m_pData, &DCData::brush, brush, SelectIntoDC);
}

BOOL CDC::SelectObject(const CFont& font) {
    return SelectAndKeep(m_pData, &DCData::font, font, SelectIntoDC);
}

BOOL CDC::SelectObject(const CPen& pen) {
    return SelectAndKeep(m_pData, &DCData::pen, pen, SelectIntoDC);
}

BOOL CDC::SelectPalette(const CPalette& palette, BOOL forceBackground) {
    return SelectAndKeep(m_pData, &DCData::palette, palette, [forceBackground](HDC hDC, HPALETTE selected) {
        return ::SelectPalette(hDC, selected, forceBackground) != nullptr;
    });
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
