// The common-controls library looked up at run time: its version and image
// lists.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "framework/controls.h"
#include "framework/gdi.h"
#include "framework/imagelist.h"
#include "tests/framework/app_environment.h"

namespace {

using Casement::CImageList;

TEST(CommonControls, VersionIsMajorTimesHundredPlusMinor) {
    // Every system the program runs on has version 5.80 or later, which the
    // frame needs for its rebar.
    EXPECT_GE(Casement::GetComCtlVersion(), 580);
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
