// Image lists. Every wrapper points to one shared record per image-list
// handle, registered in the application's image-list map; a list that a
// wrapper created is destroyed when the last reference goes. The functions
// are looked up in COMCTL32.DLL at run time, and each record holds a
// reference to that library for as long as it lives.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "framework/appcore.h"
#include "framework/sharedhandle.h"
#include "framework/wincore.h"

namespace Casement {

// The shared record of the wrappers of one image list.
struct ImageListData {
    HIMAGELIST hImageList = nullptr;
    LONG count = 1;
    bool isOwned = false;        // a wrapper created it, so the last one destroys it
    HMODULE hComCtl32 = nullptr;  // the library's reference held by this record
};

class CImageList {
public:
    CImageList() = default;
    // Wraps an image list without taking it over.
    explicit CImageList(HIMAGELIST hImageList) { Attach(hImageList); }
    CImageList(const CImageList& other) : m_pData(Shared::Copy(other.m_pData)) {}
    CImageList& operator=(const CImageList& other) {
        Shared::Assign(m_pData, other.m_pData);
        return *this;
    }
    virtual ~CImageList() { Release(); }

    void Attach(HIMAGELIST hImageList) { Share(hImageList, false); }
    // Drops this wrapper's reference; the last reference destroys a list a
    // wrapper created and gives back the library reference.
    void Release() { Shared::Release(m_pData); }
    HIMAGELIST GetHandle() const { return m_pData != nullptr ? m_pData->hImageList : nullptr; }
    operator HIMAGELIST() const { return GetHandle(); }

    // ImageList_Create; FALSE when the library or the list cannot be made.
    BOOL Create(int cx, int cy, UINT flags, int initial, int grow) {
        Release();
        HMODULE library = LoadLibraryA("COMCTL32.DLL");
        if (library == nullptr)
            return FALSE;
        auto create = LookUpProc<HIMAGELIST(WINAPI*)(int, int, UINT, int, int)>(library, "ImageList_Create");
        HIMAGELIST created = create != nullptr ? create(cx, cy, flags, initial, grow) : nullptr;
        // The record takes its own library reference before this one goes, so
        // the library stays loaded under the new list.
        if (created != nullptr)
            Share(created, true);
        FreeLibrary(library);
        return created != nullptr;
    }

    // Each returns the index of the first new image, -1 on failure.
    int Add(HBITMAP image, HBITMAP mask) {
        auto add = Proc<int(WINAPI*)(HIMAGELIST, HBITMAP, HBITMAP)>("ImageList_Add");
        return add != nullptr ? add(GetHandle(), image, mask) : -1;
    }
    int AddMasked(HBITMAP image, COLORREF mask) {
        auto add = Proc<int(WINAPI*)(HIMAGELIST, HBITMAP, COLORREF)>("ImageList_AddMasked");
        return add != nullptr ? add(GetHandle(), image, mask) : -1;
    }
    int AddIcon(HICON icon) {
        auto replace = Proc<int(WINAPI*)(HIMAGELIST, int, HICON)>("ImageList_ReplaceIcon");
        return replace != nullptr ? replace(GetHandle(), -1, icon) : -1;
    }
    // index -1 removes every image.
    BOOL Remove(int index) {
        auto remove = Proc<BOOL(WINAPI*)(HIMAGELIST, int)>("ImageList_Remove");
        return remove != nullptr && remove(GetHandle(), index);
    }
    BOOL Draw(HDC hDC, int index, int x, int y, UINT style) const {
        auto draw = Proc<BOOL(WINAPI*)(HIMAGELIST, int, HDC, int, int, UINT)>("ImageList_Draw");
        return draw != nullptr && draw(GetHandle(), index, hDC, x, y, style);
    }
    int GetImageCount() const {
        auto count = Proc<int(WINAPI*)(HIMAGELIST)>("ImageList_GetImageCount");
        return count != nullptr ? count(GetHandle()) : 0;
    }
    BOOL GetIconSize(int& cx, int& cy) const {
        auto size = Proc<BOOL(WINAPI*)(HIMAGELIST, int*, int*)>("ImageList_GetIconSize");
        return size != nullptr && size(GetHandle(), &cx, &cy);
    }

private:
    // A new record takes its own library reference; the last reference
    // destroys a created list, then gives that reference back.
    static void LoadLibraryFor(ImageListData& data) { data.hComCtl32 = LoadLibraryA("COMCTL32.DLL"); }
    static void DestroyOwned(ImageListData& data) {
        if (data.isOwned && data.hComCtl32 != nullptr) {
            if (auto destroy = LookUpProc<BOOL(WINAPI*)(HIMAGELIST)>(data.hComCtl32, "ImageList_Destroy"))
                destroy(data.hImageList);
        }
        if (data.hComCtl32 != nullptr)
            FreeLibrary(data.hComCtl32);
    }
    using Shared = CSharedHandle<HIMAGELIST, ImageListData, &ImageListData::hImageList,
                                 &CWinApp::ImageListMap, DestroyOwned, LoadLibraryFor>;

    void Share(HIMAGELIST hImageList, bool owned) { Shared::Share(m_pData, hImageList, owned); }
    // A function of the record's library; null without a list or library.
    template <typename Fn>
    Fn Proc(LPCSTR name) const {
        return m_pData != nullptr && m_pData->hComCtl32 != nullptr ? LookUpProc<Fn>(m_pData->hComCtl32, name) : nullptr;
    }

    ImageListData* m_pData = nullptr;
};

}  // namespace Casement
