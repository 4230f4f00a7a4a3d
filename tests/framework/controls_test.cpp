// The common-controls library looked up at run time: its version and image
// lists.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shlwapi.h>

#include "framework/controls.h"
#include "framework/gdi.h"
#include "framework/imagelist.h"
#include "framework/wincore.h"
#include "tests/framework/app_environment.h"

namespace {

using Casement::CImageList;

TEST(CommonControls, VersionIsMajorTimesHundredPlusMinor) {
    HMODULE library = LoadLibraryA("comctl32.dll");
    ASSERT_NE(nullptr, library);
    auto getVersion = Casement::LookUpProc<DLLGETVERSIONPROC>(library, "DllGetVersion");
    ASSERT_NE(nullptr, getVersion);
    DLLVERSIONINFO info = {};
    info.cbSize = sizeof info;
    ASSERT_TRUE(SUCCEEDED(getVersion(&info)));
    FreeLibrary(library);
    // Every system the program runs on has 5.80 or later (the rebar needs it).
    ASSERT_GE(info.dwMajorVersion * 100 + info.dwMinorVersion, 580u);
    EXPECT_EQ(static_cast<int>(info.dwMajorVersion * 100 + info.dwMinorVersion), Casement::GetComCtlVersion());
}

TEST(ImageList, ImagesAreAddedThroughTheLibrary) {
    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 0, 4));
    int cx = 0;
    int cy = 0;
    ASSERT_TRUE(images.GetIconSize(cx, cy));
    EXPECT_EQ(16, cx);
    EXPECT_EQ(16, cy);

    // A strip of three 16 x 16 images.
    Casement::CBitmap strip;
    strip.CreateCompatibleBitmap(Casement::CClientDC(nullptr), 48, 16);
    EXPECT_EQ(0, images.AddMasked(strip, RGB(192, 192, 192)));
    EXPECT_EQ(3, images.GetImageCount());

    CImageList shared(images.GetHandle());
    EXPECT_TRUE(shared.Remove(0));
    EXPECT_EQ(2, images.GetImageCount());
}

}  // namespace
