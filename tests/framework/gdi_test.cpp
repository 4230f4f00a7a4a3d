// Device contexts and GDI objects: shared records, the saved state, and who
// releases or deletes which handle, observed through the real GDI.
#include <gtest/gtest.h>

#include <windows.h>

#include "framework/appcore.h"
#include "framework/cexception.h"
#include "framework/gdi.h"
#include "tests/framework/app_environment.h"

namespace {

using Casement::CBitmap;
using Casement::CBrush;
using Casement::CClientDC;
using Casement::CDC;
using Casement::CMemDC;
using Casement::CPaintDC;
using Casement::CPen;
using Casement::GetApp;

// SaveDC returns the new depth of the state stack; the probe is undone.
int SavedDepth(HDC dc) {
    const int depth = SaveDC(dc) - 1;
    RestoreDC(dc, -1);
    return depth;
}

bool InDCMap(HDC dc) { return GetApp().DCMap().Find(dc) != nullptr; }

class PlainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        m_window = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, nullptr,
                                   nullptr);
        ASSERT_NE(nullptr, m_window);
    }
    void TearDown() override { DestroyWindow(m_window); }

    HWND m_window = nullptr;
};

TEST(DeviceContext, TwoWrappersOfOneMemoryContextRestoreAndDeleteItOnce) {
    HDC dc = nullptr;
    {
        CMemDC memory(nullptr);
        dc = memory.GetHDC();
        {
            CDC second(dc);
            EXPECT_EQ(1, SavedDepth(dc));  // one record, saved once
        }
        EXPECT_TRUE(InDCMap(dc));
        EXPECT_EQ(1, SavedDepth(dc));
        EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), GetObjectType(dc));
    }
    EXPECT_FALSE(InDCMap(dc));
    EXPECT_EQ(0u, GetObjectType(dc));
}

TEST_F(PlainWindow, ClientContextIsReleasedWhenTheLastWrapperGoes) {
    HDC dc = nullptr;
    {
        CClientDC client(m_window);
        dc = client.GetHDC();
        {
            CDC copy = client;
            CDC attached(dc);
        }
        EXPECT_TRUE(InDCMap(dc));
        EXPECT_EQ(1, SavedDepth(dc));
    }
    EXPECT_FALSE(InDCMap(dc));
    EXPECT_FALSE(ReleaseDC(m_window, dc));  // already given back
}

TEST(DeviceContext, AttachedContextIsRestoredButKept) {
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ originalPen = GetCurrentObject(dc, OBJ_PEN);
    {
        CDC attached(dc);
        ASSERT_TRUE(attached.SelectObject(CPen(PS_SOLID, 3, RGB(200, 0, 0))));
        EXPECT_NE(originalPen, GetCurrentObject(dc, OBJ_PEN));
    }
    EXPECT_EQ(originalPen, GetCurrentObject(dc, OBJ_PEN));
    EXPECT_EQ(0, SavedDepth(dc));
    EXPECT_TRUE(DeleteDC(dc));
}

TEST(DeviceContext, SelectedObjectsLiveUntilReplacedOrTheContextGoes) {
    HPEN first = nullptr;
    HPEN second = nullptr;
    {
        CMemDC memory(nullptr);
        {
            CPen pen(PS_SOLID, 1, RGB(1, 2, 3));
            first = pen;
            memory.SelectObject(pen);
        }
        // Wine only defers deleting a selected object, so the record shows
        // whether the context still holds the pen.
        EXPECT_NE(nullptr, GetApp().GDIMap().Find(first));
        EXPECT_EQ(static_cast<DWORD>(OBJ_PEN), GetObjectType(first));

        CPen replacement(PS_DASH, 1, RGB(4, 5, 6));
        second = replacement;
        memory.SelectObject(replacement);
        EXPECT_EQ(nullptr, GetApp().GDIMap().Find(first));
        EXPECT_EQ(0u, GetObjectType(first));
        replacement.Release();
        EXPECT_NE(nullptr, GetApp().GDIMap().Find(second));
    }
    EXPECT_EQ(nullptr, GetApp().GDIMap().Find(second));
    EXPECT_EQ(0u, GetObjectType(second));
}

// Paints through CPaintDC and records what it saw.
struct PaintProbe {
    HDC dc = nullptr;
    int depthInside = -1;
    int depthWithAttached = -1;
};

LRESULT CALLBACK PaintProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        auto* probe = reinterpret_cast<PaintProbe*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        CPaintDC paint(window);
        probe->dc = paint.GetHDC();
        probe->depthInside = SavedDepth(paint.GetHDC());
        CDC attached(paint.GetHDC());
        probe->depthWithAttached = SavedDepth(paint.GetHDC());
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

TEST(DeviceContext, PaintContextEndsPaintingAndIsReleasedOnce) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = PaintProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "CasementPaintProbe";
    ASSERT_NE(0, RegisterClassA(&wc));
    HWND window = CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, window);
    PaintProbe probe;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&probe));

    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    ASSERT_NE(nullptr, probe.dc);
    EXPECT_EQ(1, probe.depthInside);
    EXPECT_EQ(1, probe.depthWithAttached);
    EXPECT_FALSE(InDCMap(probe.dc));
    EXPECT_FALSE(ReleaseDC(window, probe.dc));  // EndPaint gave it back

    DestroyWindow(window);
    UnregisterClassA(wc.lpszClassName, wc.hInstance);
}

TEST(GDIObject, CopiesAndAttachmentsShareOneRecordAndTheLastDeletes) {
    CBrush created(RGB(10, 20, 30));
    const HBRUSH brush = created;
    {
        CBrush copy = created;
        CBrush attached(brush);
    }
    EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), GetObjectType(brush));
    created.Release();
    EXPECT_EQ(0u, GetObjectType(brush));
    EXPECT_EQ(nullptr, GetApp().GDIMap().Find(brush));
}

TEST(GDIObject, AttachedObjectIsNeverDeleted) {
    HBRUSH brush = CreateSolidBrush(RGB(1, 1, 1));
    { CBrush attached(brush); }
    EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), GetObjectType(brush));
    EXPECT_TRUE(DeleteObject(brush));
}

TEST(GDIObject, FailedCreationThrowsResourceException) {
    CBitmap bitmap;
    try {
        bitmap.CreateBitmap(0x7FFFFFFF, 0x7FFFFFFF, 1, 32, nullptr);
        FAIL() << "an impossible bitmap was created";
    } catch (const Casement::CResourceException& e) {
        EXPECT_STREQ("CreateBitmap failed", e.GetText());
    }
    EXPECT_EQ(nullptr, bitmap.GetHandle());
}

}  // namespace
