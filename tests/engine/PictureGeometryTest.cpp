// Picture placement as plain geometry: zoom around the anchor, offsets, the letter box,
// the black bars and the overlay's corner.
#include "engine/PictureGeometry.h"

#include <gtest/gtest.h>

namespace kestrel {
namespace {

TEST(PictureGeometry, ZoomGrowsTheClientRectangleAroundTheAnchor) {
    const struct {
        int AnchorX, AnchorY;
        float Zoom;
        Rect Expected;
    } cases[] = {
        {328, 186, 1.0f, {0, 0, 656, 372}},       // no zoom: the client rectangle
        {328, 186, 2.0f, {-328, -186, 984, 558}}, // second step, anchored in the middle
        {164, 93, 3.0f, {-328, -186, 1640, 930}}, // third step, a quarter in
        {0, 0, 2.0f, {0, 0, 1312, 744}},          // anchored at the corner
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Zoom);
        Rect r;
        ASSERT_TRUE(ZoomedRect(656, 372, c.AnchorX, c.AnchorY, c.Zoom, r));
        EXPECT_EQ(c.Expected, r);
    }
    Rect r;
    EXPECT_FALSE(ZoomedRect(656, 372, 328, 186, 0.0f, r));  // no zoom factor yet
    EXPECT_FALSE(ZoomedRect(656, 372, 328, 186, -1.0f, r)); // turned inside out
}

TEST(PictureGeometry, LetterBoxFollowsTheClientShapeAndAddsTwoPixels) {
    const struct {
        int ClientWidth, ClientHeight;
        Rect Start, Expected;
    } cases[] = {
        // A client a little taller than 16:9: full width, centred vertically.
        {656, 372, {0, 0, 656, 372}, {0, 1, 658, 372}},
        // A wider client: full height, centred horizontally.
        {800, 372, {0, 0, 800, 372}, {69, 0, 732, 374}},
        // A zoomed rectangle keeps its centre.
        {656, 372, {-328, -186, 984, 558}, {-328, -183, 986, 557}},
    };
    for (const auto& c : cases) {
        Rect r = c.Start;
        ASSERT_TRUE(LetterBox(r, 320, 180, c.ClientWidth, c.ClientHeight));
        EXPECT_EQ(c.Expected, r);
    }
    Rect r{0, 0, 656, 372};
    EXPECT_FALSE(LetterBox(r, 0, 0, 656, 372)); // the picture's size is not known yet
}

TEST(PictureGeometry, BlackBarsCoverWhatThePictureLeavesOfTheClient) {
    const auto bars = BlackBars(Rect{69, 0, 732, 374}, 800, 372);
    EXPECT_EQ((Rect{0, 0, 69, 372}), bars[0]);
    EXPECT_TRUE(bars[1].IsEmpty());
    EXPECT_EQ((Rect{732, 0, 800, 372}), bars[2]);
    EXPECT_TRUE(bars[3].IsEmpty());
    for (const Rect& bar : BlackBars(Rect{-328, -186, 984, 558}, 656, 372)) {
        EXPECT_TRUE(bar.IsEmpty()); // a zoomed picture covers the whole client
    }
}

TEST(PictureGeometry, OverlayCoversTheLowerRightCornerScaledWithThePicture) {
    const OverlayPlacement keep = PlaceOverlay(640, 360, 320, 180, 1);
    EXPECT_FLOAT_EQ(1.0f - 600.0f / 640.0f, keep.Left);
    EXPECT_FLOAT_EQ(1.0f - 240.0f / 360.0f, keep.Top);
    EXPECT_FLOAT_EQ(1.0f, keep.Right);
    EXPECT_FLOAT_EQ(1.0f, keep.Bottom);
    // Mode 0 scales both ways by the smaller factor.
    const OverlayPlacement fill = PlaceOverlay(800, 360, 320, 180, 0);
    EXPECT_FLOAT_EQ(1.0f - 600.0f / 800.0f, fill.Left);
    EXPECT_FLOAT_EQ(1.0f - 240.0f / 360.0f, fill.Top);
}

} // namespace
} // namespace kestrel
