// The zoom effect's rectangles: from the point to the window and back.
#include <gtest/gtest.h>

#include "zoom.h"

namespace velmora {
namespace {

bool same(const ZoomRect& a, const ZoomRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(Zoom, OpenGrowsFromThePointAndCloseShrinksIntoIt) {
    const ZoomRect window{100, 50, 600, 300};
    const ZoomAnimation open = zoomOpenRects(ZoomPoint{20, 30}, window);
    EXPECT_TRUE(same(open.from, ZoomRect{20, 30, 20, 30}));
    EXPECT_TRUE(same(open.to, window));
    const ZoomAnimation close = zoomCloseRects(ZoomPoint{-5, 7}, window);
    EXPECT_TRUE(same(close.from, window));
    EXPECT_TRUE(same(close.to, ZoomRect{-5, 7, -5, 7}));
}

TEST(Zoom, NoMousePositionUsesTheTopLeftCorner) {
    const ZoomAnimation open = zoomOpenRects(ZoomPoint{}, ZoomRect{1, 2, 3, 4});
    EXPECT_TRUE(same(open.from, ZoomRect{0, 0, 0, 0}));
}

}  // namespace
}  // namespace velmora
