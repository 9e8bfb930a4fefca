// What one repaint draws: the eight frame pieces, the gradient and the caption's place.
#include <gtest/gtest.h>

#include <array>

#include "controls/command_button.h"
#include "controls/twips.h"
#include "fake_surface.h"

namespace {

struct PixelRect {
    int32_t left, top, width, height;
    bool operator==(const PixelRect& o) const {
        return left == o.left && top == o.top && width == o.width && height == o.height;
    }
};

PixelRect atStandardDpi(const TwipsRect& r) {
    return {twipsToPixels(r.left, kStandardDpi), twipsToPixels(r.top, kStandardDpi),
            twipsToPixels(r.width, kStandardDpi), twipsToPixels(r.height, kStandardDpi)};
}

TEST(CommandPaint, PiecesOfTheDialogsButtonInPixels) {
    // 1155 x 375 twips is 77 x 25 pixels: 4-pixel corners, edges stretched between them.
    const PaintGeometry geometry = computePaintGeometry(1155, 375);
    const PixelRect expected[8][2] = {
        {{0, 0, 4, 4}, {0, 0, 4, 4}},     {{4, 0, 69, 4}, {4, 0, 56, 4}},
        {{73, 0, 4, 4}, {60, 0, 4, 4}},   {{73, 4, 4, 17}, {60, 4, 4, 17}},
        {{73, 21, 4, 4}, {60, 21, 4, 4}}, {{4, 21, 69, 4}, {4, 21, 56, 4}},
        {{0, 21, 4, 4}, {0, 21, 4, 4}},   {{0, 4, 4, 17}, {0, 4, 4, 17}},
    };
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(atStandardDpi(geometry.pieces[i].destination), expected[i][0]) << "piece " << i;
        EXPECT_EQ(atStandardDpi(geometry.pieces[i].source), expected[i][1]) << "piece " << i;
    }
}

TEST(CommandPaint, PiecesInTwipsFollowTheSize) {
    const PaintGeometry geometry = computePaintGeometry(1755, 420);
    const TwipsRect& topEdge = geometry.pieces[1].destination;
    const TwipsRect& rightEdge = geometry.pieces[3].destination;
    const TwipsRect& bottomRight = geometry.pieces[4].destination;
    EXPECT_EQ(topEdge.width, 1635);
    EXPECT_EQ(rightEdge.left, 1695);
    EXPECT_EQ(rightEdge.height, 300);
    EXPECT_EQ(bottomRight.top, 360);
}

TEST(CommandPaint, CaptionSitsTenTwipsAboveTheMiddle) {
    const TwipsRect design = captionArea(1755, 420);
    EXPECT_EQ(design.top, 102);
    EXPECT_EQ(design.left, 0);
    EXPECT_EQ(design.width, 1755);
    EXPECT_EQ(design.height, 195);
    EXPECT_EQ(captionArea(1155, 375).top, 80);
}

TEST(CommandPaint, RepaintClearsFillsCopiesEightPiecesAndRefreshes) {
    FakeSurface surface;
    Command button(surface);
    surface.forget();
    button.PaintState(Skin::Selected);
    const std::vector<std::string> expected = {"clear",          "gradient",       "refresh",
                                               "piece Selected", "piece Selected", "piece Selected",
                                               "piece Selected", "piece Selected", "piece Selected",
                                               "piece Selected", "piece Selected", "refresh"};
    EXPECT_EQ(surface.calls, expected);
    EXPECT_EQ(surface.captionPlace.top, 80);
}

TEST(CommandPaint, FailedGradientStillDrawsThePieces) {
    FakeSurface surface;
    surface.gradientSucceeds = false;
    Command button(surface);
    surface.forget();
    button.PaintState(Skin::Normal);
    EXPECT_EQ(surface.pieces.size(), 8u);
    EXPECT_EQ(surface.refreshes, 1);
    EXPECT_EQ(surface.paints.size(), 1u);
}

TEST(CommandPaint, PlainGradientRunsFromWhiteDownToLavenderGrey) {
    const GradientRequest plain = computeGradient(false, PixelSize{77, 25});
    const GradientVertex& top = plain.vertices[0];
    const GradientVertex& bottom = plain.vertices[1];
    EXPECT_EQ(top.x, 0);
    EXPECT_EQ(top.y, 0);
    EXPECT_EQ(bottom.x, 76);
    EXPECT_EQ(bottom.y, 24);
    EXPECT_EQ((std::array<int, 4>{top.red, top.green, top.blue, top.alpha}),
              (std::array<int, 4>{0xFF00, 0xFF00, 0xFF00, 0}));
    EXPECT_EQ((std::array<int, 4>{bottom.red, bottom.green, bottom.blue, bottom.alpha}),
              (std::array<int, 4>{198 * 256, 197 * 256, 215 * 256, 0}));
    EXPECT_EQ(plain.upperLeft, 1u);
    EXPECT_EQ(plain.lowerRight, 0u);

    const GradientRequest hover = computeGradient(true, PixelSize{77, 25});
    EXPECT_EQ(hover.vertices[0].red, 198 * 256);
    EXPECT_EQ(hover.vertices[1].red, 0xFF00);
    EXPECT_EQ(hover.vertices[1].x, 76);
}

TEST(CommandPaint, GradientColourTextIsReadAsRedGreenBlue) {
    GradientVertex vertex;
    ASSERT_TRUE(gradientColourFromText("&HC6C5D7", vertex));
    EXPECT_EQ(vertex.red, 0xC600);
    EXPECT_EQ(vertex.green, 0xC500);
    EXPECT_EQ(vertex.blue, 0xD700);
    ASSERT_TRUE(gradientColourFromText("&HFF", vertex));  // six digits with leading zeros
    EXPECT_EQ(vertex.red, 0);
    EXPECT_EQ(vertex.blue, 0xFF00);
    for (const char* bad : {"", "C6C5D7", "&H", "&HC6C5D7FF", "&HXYZ"}) {
        EXPECT_FALSE(gradientColourFromText(bad, vertex)) << bad;
    }
}

TEST(CommandPaint, GradientOrderFollowsTheStateAndStaysInTheFocusedHoverState) {
    FakeSurface surface;
    Command button(surface);
    MemoryPropertyBag design;
    button.readProperties(design, defaultButtonFont());
    button.Initialize();
    button.mouseMove(0, 0, 1, 1);
    EXPECT_TRUE(button.hoverGradient());
    button.gotFocus();  // state 4 keeps the order it found
    EXPECT_TRUE(button.hoverGradient());
    surface.pointerOver = false;
    button.timerTick();  // state 3 clears it
    EXPECT_FALSE(button.hoverGradient());
}

TEST(Twips, FifteenTwipsAPixelAtStandardDpi) {
    EXPECT_EQ(twipsToPixels(15, 96), 1);
    EXPECT_EQ(twipsToPixels(1, 96), 0);
    EXPECT_EQ(twipsToPixels(7440, 96), 496);
    EXPECT_EQ(twipsToPixels(1440, 120), 120);
    EXPECT_EQ(twipsToPixels(-60, 96), -4);
    EXPECT_EQ(pixelsToTwips(77, 96), 1155);
    EXPECT_EQ(pixelsToTwips(5, 120), 60);
}

}  // namespace
