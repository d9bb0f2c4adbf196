// The zoom steps of single clicks: where the picture goes, and back to the whole picture.
#include "video/VideoZoom.h"
#include "engine/PictureGeometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestrel {
namespace {

// The rectangle the engine places the picture in for `z` on a surface of w x h.
Rect Placed(const ZoomState& z, int w, int h) {
    Rect r;
    EXPECT_TRUE(ZoomedRect(w, h, z.AnchorX, z.AnchorY, z.Scale, r));
    r.Left += z.OffsetX;
    r.Right += z.OffsetX;
    r.Top += z.OffsetY;
    r.Bottom += z.OffsetY;
    return r;
}

// The point of the picture (in picture pixels of a w x h picture) under the surface point p.
double PictureX(const Rect& r, int p, int w) {
    return static_cast<double>(p - r.Left) * w / r.Width();
}
double PictureY(const Rect& r, int p, int h) {
    return static_cast<double>(p - r.Top) * h / r.Height();
}

TEST(VideoZoom, EachClickGrowsThePictureAroundThePointClickedAndTheThirdShowsItWhole) {
    struct Case {
        int Size;
        QRect Client;
        QPoint Clicks[3];
    } cases[] = {
        {SizeSmall, {0, 0, 656, 373}, {{100, 80}, {500, 300}, {328, 186}}},
        {SizeMedium, {0, 0, 868, 493}, {{867, 0}, {0, 492}, {10, 10}}},
        {SizeLarge, {0, 0, 1108, 628}, {{554, 314}, {554, 314}, {1, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Size);
        const int w = c.Client.width();
        const int h = c.Client.height();
        ZoomState z = ZoomState::ResetFor(c.Size);
        for (int click = 0; click < 3; ++click) {
            const QPoint p = c.Clicks[click];
            const Rect before = Placed(z, w, h);
            const std::optional<ZoomState> next = VideoZoom::Step(z, c.Client, p, before, c.Size);
            ASSERT_TRUE(next.has_value());
            if (click == 2) {
                EXPECT_EQ(*next, ZoomState::ResetFor(c.Size)) << "1 -> 2 -> 3 -> 1";
                break;
            }
            EXPECT_EQ(next->Scale, z.Scale + 1.0f);
            const Rect after = Placed(*next, w, h);
            EXPECT_NEAR(after.Width(), static_cast<double>(next->Scale) * w, 1.0)
                << "each side is cut to a pixel";
            // What was under the pointer stays under it, to a pixel of rounding.
            EXPECT_NEAR(PictureX(after, p.x(), w), PictureX(before, p.x(), w), 1.0) << click;
            EXPECT_NEAR(PictureY(after, p.y(), h), PictureY(before, p.y(), h), 1.0) << click;
            z = *next;
        }
    }
}

TEST(VideoZoom, TheFirstStepAnchorsAtTheClickWithoutOffset) {
    const ZoomState z = ZoomState::ResetFor(SizeSmall);
    const std::optional<ZoomState> next =
        VideoZoom::Step(z, QRect(0, 0, 656, 373), QPoint(100, 80), Rect{0, 0, 656, 373}, SizeSmall);
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(*next, (ZoomState{100, 80, 0, 0, 2.0f}));
}

TEST(VideoZoom, ASurfaceWithoutAreaIsNotZoomed) {
    EXPECT_FALSE(VideoZoom::Step(ZoomState::ResetFor(SizeSmall), QRect(), QPoint(1, 1),
                                 Rect{0, 0, 656, 373}, SizeSmall)
                     .has_value());
}

} // namespace
} // namespace kestrel
