// Handle wrappers that outlive the application object, whose handle maps are
// gone with it: the last reference still frees what it owns.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "framework/appcore.h"
#include "framework/gdi.h"
#include "framework/imagelist.h"
#include "framework/menu.h"

namespace {

TEST(HandleRecords, WrappersReleasedAfterTheApplicationFreeWhatTheyOwn) {
    std::unique_ptr<Casement::CMemDC> dc;
    auto pen = std::make_unique<Casement::CPen>();
    auto menu = std::make_unique<Casement::CMenu>();
    auto images = std::make_unique<Casement::CImageList>();
    {
        Casement::CWinApp app;
        dc = std::make_unique<Casement::CMemDC>(nullptr);
        pen->CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
        ASSERT_TRUE(menu->CreatePopupMenu());
        ASSERT_TRUE(images->Create(16, 16, ILC_COLOR24, 0, 1));
    }
    const HDC dcHandle = dc->GetHDC();
    const HGDIOBJ penHandle = pen->GetHandle();
    const HMENU menuHandle = menu->GetHandle();
    const Casement::CPen sharedPen = *pen;

    pen.reset();
    EXPECT_EQ(static_cast<DWORD>(OBJ_PEN), GetObjectType(penHandle)) << "a copy still refers to it";
    dc.reset();
    menu.reset();
    images.reset();
    EXPECT_EQ(0u, GetObjectType(dcHandle));
    EXPECT_FALSE(IsMenu(menuHandle));
}

}  // namespace
