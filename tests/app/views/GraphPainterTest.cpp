#include "views/GraphPainter.h"

#include "views/EventKind.h"
#include "views/ViewArtwork.h"
#include "views/ViewPictures.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace kestrel {
namespace {

constexpr int kW = 656; // the small layout's graph
constexpr int kH = 168;
constexpr int kPlotW = kW - 50 - 1;

struct Recording {
    explicit Recording(int n) : samples(static_cast<size_t>(n)) {
        for (int i = 0; i < n; ++i) {
            samples[static_cast<size_t>(i)].Index = i;
            frames.push_back(&samples[static_cast<size_t>(i)]);
        }
    }
    GSensorSample& operator[](int i) { return samples[static_cast<size_t>(i)]; }
    GSensorSampleList samples;
    FrameIndexList frames;
    GraphSamples data{&samples, &frames};
};

GraphPictures Pictures() {
    GraphPictures pictures;
    std::array<QPixmap, 4> scales;
    std::array<const QPixmap*, 4> pointers{};
    for (size_t i = 0; i < 4; ++i) {
        scales[i] = ViewArtwork::Make(pictures::kScaleBackgrounds[i], 1.0);
        pointers[i] = &scales[i];
    }
    const QPixmap star = ViewArtwork::Make(pictures::kStar, 1.0);
    pictures.Set(pointers, &star);
    return pictures;
}

QImage Draw(const GraphState& state, Recording* rec, const GraphEvents& events = {}) {
    QImage image(kW, kH, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QPainter p(&image);
    GraphPainter::Draw(p, image.size(), state, events, rec ? &rec->data : nullptr, Pictures());
    return image;
}

GraphState Loaded(int position, int range, int scale = 1) {
    GraphState s;
    s.LeftMargin = 50;
    s.TileWidth = 750;
    s.Position = position;
    s.TimelineRange = range;
    s.ScaleMode = scale;
    s.DataLoaded = 1;
    return s;
}

bool HasBits(QRgb pixel, const QColor& pen) {
    return (pixel & pen.rgb() & 0xffffff) == (pen.rgb() & 0xffffff);
}

TEST(GraphPainterTest, NothingWithoutTileWidthAndCursorWithoutData) {
    QImage image(kW, kH, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QPainter p(&image);
    EXPECT_FALSE(GraphPainter::Draw(p, image.size(), GraphState{}, {}, nullptr, Pictures()));
    p.end();
    EXPECT_EQ(image.pixel(300, 100), QColor(Qt::gray).rgb());

    GraphState state = Loaded(100, 200);
    state.DataLoaded = 0;
    const QImage drawn = Draw(state, nullptr);
    const int cursor = static_cast<int>(100 * (static_cast<float>(kW - 50) / 200.0f)) + 50;
    EXPECT_EQ(drawn.pixel(cursor, 160), qRgb(255, 255, 255));
    EXPECT_EQ(drawn.pixel(cursor + 1, 160), qRgb(0, 0, 0)); // below the scale picture: black
    state.TimelineRange = 0;
    EXPECT_EQ(Draw(state, nullptr).pixel(cursor, 160), qRgb(0, 0, 0));
}

TEST(GraphPainterTest, CurvesStopAtTheClampRowsOnTheHalfGScale) {
    Recording rec(kPlotW);
    for (int i = 0; i < kPlotW; ++i) {
        rec[i].X = i < kPlotW / 2 ? 3.0 : -3.0;
        rec[i].Y = rec[i].Z = 0.0;
    }
    GraphEvents events;
    events.Entries[1].ShowOnGraph = events.Entries[2].ShowOnGraph = 0;
    const QImage image = Draw(Loaded(0, kPlotW, 0), &rec, events);
    const QColor green(0, 255, 0);
    EXPECT_TRUE(HasBits(image.pixel(150, 75 - 70), green)); // baseline - (baseline - 5)
    EXPECT_FALSE(HasBits(image.pixel(150, 75 - 71), green));
    EXPECT_TRUE(HasBits(image.pixel(500, 75 + 70), green));
    EXPECT_FALSE(HasBits(image.pixel(500, 75 + 71), green));
}

TEST(GraphPainterTest, SpeedingGivesOneMarkAndAContinuousBand) {
    // 100 slots over 605 pixels: six pixels per slot, so the gaps are filled too.
    Recording rec(100);
    for (int i = 10; i <= 20; ++i)
        rec[i].WarningFlag = 8;
    rec[60].Axis = 2; // a braking G event
    const QImage image = Draw(Loaded(0, 100), &rec);
    const double pps = GraphPainter::PixelsPerSlot(kW, 50, &rec.data);
    const int first = 50 + static_cast<int>(10 * pps);
    const int last = 50 + static_cast<int>(20 * pps);
    // The band's tint: RGB(170, 0, 0) at half strength over black, once or, where the
    // neighbours overlap, twice; 21 rows high. The run's first column holds its mark.
    for (int x = first + 1; x <= last + 1; ++x) {
        const QRgb band = image.pixel(x, kH - 2);
        EXPECT_GE(qRed(band), 84) << x;
        EXPECT_LE(qRed(band), 129) << x;
        EXPECT_EQ(qGreen(band), 0) << x;
    }
    EXPECT_NE(qRed(image.pixel(first + 1, kH - 21)), 0);
    EXPECT_LT(qRed(image.pixel(first + 1, kH - 22)), 40); // the scale picture, untinted
    EXPECT_EQ(qRed(image.pixel(last + 4, kH - 2)), 0);
    EXPECT_EQ(qRed(image.pixel(first - 2, kH - 2)), 0);
    // One speeding mark, white, at the run's first column; the G mark red at its column.
    EXPECT_EQ(image.pixel(first, 2) & 0xffffff, 0xffffffu);
    EXPECT_NE(image.pixel(first + static_cast<int>(pps), 2) & 0xffffff, 0xffffffu);
    const int brake = 50 + static_cast<int>(60 * pps);
    EXPECT_TRUE(HasBits(image.pixel(brake, 2), StyleOf(KindGYBrake).Pen));
}

TEST(GraphPainterTest, LongRecordingsSlideOneSlotPerPixel) {
    const int n = 3 * kPlotW;
    Recording rec(n);
    // One G mark near the end; it shows only once the window has slid there.
    rec[n - 10].Axis = 1;
    const QColor green(0, 255, 0);
    const QImage start = Draw(Loaded(0, n), &rec);
    const QImage end = Draw(Loaded(n - 1, n), &rec);
    const double startSlot = (1.0 - GraphPainter::PixelsPerSlot(kW, 50, &rec.data)) * (n - 1);
    const int column = 50 + (n - 10) - static_cast<int>(startSlot);
    EXPECT_TRUE(HasBits(end.pixel(column, 2), green));
    EXPECT_FALSE(HasBits(start.pixel(column, 2), green));
    // At a position past the last slot only the background and the cursor remain.
    const QImage beyond = Draw(Loaded(n, n), &rec);
    EXPECT_FALSE(HasBits(beyond.pixel(column, 2), green));
}

} // namespace
} // namespace kestrel
