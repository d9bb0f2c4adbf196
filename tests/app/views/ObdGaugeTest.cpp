#include "views/ObdGauge.h"

#include "views/ObdGaugePainter.h"
#include "views/ObdItems.h"
#include "views/ObdNeedleAngles.h"
#include "views/ViewArtwork.h"
#include "views/ViewPictures.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace kestrel {
namespace {

// Ticks until the needle rests; the number of ticks that moved it.
int Settle(ObdGauge& gauge, int value) {
    int moves = 0;
    for (int i = 0; i < 1000; ++i) {
        const bool wasMoving = gauge.Moving;
        gauge.Tick(value);
        if (gauge.Moving)
            ++moves;
        if (wasMoving && !gauge.Moving)
            break;
    }
    return moves;
}

TEST(ObdGaugeTest, NeedlesStopAtTheRangeAndMoveInSteps) {
    const struct {
        int Item;
        int Value;
        int Rests;
        int Steps;
    } cases[] = {
        {ObdSpeed, 350, 300, 39},         {ObdEngineSpeed, 100, 100, 50}, {ObdCoolant, -10, 0, 0},
        {ObdManifoldPressure, 90, 90, 0}, {ObdThrottle, 50, 50, 25},
    };
    for (const auto& c : cases) {
        ObdGauge gauge;
        gauge.Choose(c.Item);
        EXPECT_EQ(Settle(gauge, c.Value), c.Steps) << c.Item;
        EXPECT_EQ(gauge.DrawnValue(), c.Rests) << c.Item;
    }
    // A new item drops the movement and starts again from the item's resting value.
    ObdGauge gauge;
    gauge.Choose(ObdEngineSpeed);
    gauge.Tick(80);
    gauge.Tick(80);
    ASSERT_TRUE(gauge.Moving);
    gauge.Choose(ObdSpeed);
    EXPECT_FALSE(gauge.Moving);
    EXPECT_EQ(gauge.DrawnValue(), 0);
    gauge.Tick(40);
    EXPECT_EQ(gauge.Shown, 8);
}

TEST(ObdGaugeTest, AngleTablesPassTheDialMarksAndRise) {
    const struct {
        int Item, Value;
        double Angle;
    } rows[] = {{0, 0, 261.5},   {0, 10, 282.0}, {0, 49, 358.0},  {0, 50, 0.0},    {0, 51, 1.0},
                {0, 90, 78.0},   {0, 100, 99.0}, {1, 15, 292.0},  {1, 60, 19.0},   {2, 0, 251.5},
                {2, 70, 321.0},  {2, 71, 323.5}, {2, 90, 340.5},  {2, 109, 359.0}, {2, 110, 0.0},
                {2, 220, 108.0}, {3, 1, 263.5},  {3, 104, 106.0}, {3, 105, 108.0}, {4, 149, 359.0},
                {4, 150, 0.0},   {4, 300, 99.0}};
    for (const auto& r : rows)
        EXPECT_DOUBLE_EQ(ObdNeedleAngles::Angle(r.Item, r.Value), r.Angle)
            << r.Item << " " << r.Value;
    for (int item = 0; item < kObdItemCount; ++item) {
        for (int v = 1; v <= InfoOf(item).Maximum; ++v)
            ASSERT_GT(ObdNeedleAngles::Unwrapped(item, v), ObdNeedleAngles::Unwrapped(item, v - 1));
    }
}

TEST(ObdGaugeTest, HalfThrottlePointsStraightUp) {
    GaugePictures pictures;
    const QPixmap needle = ViewArtwork::Make(pictures::kNeedle, 1.0);
    QImage cut = needle.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    {
        QPainter p(&cut);
        p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        p.drawPixmap(0, 0, ViewArtwork::Make(pictures::kNeedleMask, 1.0));
    }
    pictures.Needle = QPixmap::fromImage(cut);
    QImage canvas(ObdGaugePainter::kCanvasWidth, ObdGaugePainter::kCanvasHeight,
                  QImage::Format_RGB32);
    QPainter p(&canvas);
    ObdGaugePainter::Draw(p, ObdThrottle, 50, pictures); // a throttle word of 505
    p.end();
    const QColor tip = canvas.pixelColor(105, 50);
    EXPECT_GT(tip.red(), 200);
    EXPECT_EQ(canvas.pixelColor(80, 50), QColor(Qt::black));
    EXPECT_EQ(canvas.pixelColor(130, 50), QColor(Qt::black));
}

} // namespace
} // namespace kestrel
