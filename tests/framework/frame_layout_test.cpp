// Where the frame puts its view between the bars, from a table.
#include <gtest/gtest.h>

#include "framework/frame_layout.h"

namespace {

struct Case {
    const char* what;
    RECT client;
    int top;
    int status;
    RECT expected;
};

TEST(FrameLayout, TheViewFillsTheRoomBetweenTheShownBars) {
    const Case cases[] = {
        {"no bars", {0, 0, 640, 480}, 0, 0, {0, 0, 640, 480}},
        {"both bars", {0, 0, 640, 480}, 26, 22, {0, 26, 640, 458}},
        {"status bar only", {0, 0, 640, 480}, 0, 22, {0, 0, 640, 458}},
        {"bars taller than the client area", {0, 0, 640, 30}, 26, 22, {0, 26, 640, 26}},
        {"no client area, as when minimised", {0, 0, 0, 0}, 26, 22, {0, 26, 0, 26}},
    };
    for (const Case& c : cases) {
        const RECT view = Casement::ViewRectBetweenBars(c.client, c.top, c.status);
        EXPECT_EQ(c.expected.left, view.left) << c.what;
        EXPECT_EQ(c.expected.top, view.top) << c.what;
        EXPECT_EQ(c.expected.right, view.right) << c.what;
        EXPECT_EQ(c.expected.bottom, view.bottom) << c.what;
        EXPECT_LE(view.top, view.bottom) << c.what;
    }
}

}  // namespace
