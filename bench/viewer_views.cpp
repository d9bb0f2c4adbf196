// One full redraw of each data view, drawn into an image as the windows draw into their
// off-screen picture: the G-sensor graph of a 3-minute recording (6,000 slots, so the window
// slides) at the small layout's width, the information strip, and one gauge frame.
// Run on an X server or with QT_QPA_PLATFORM=offscreen.
#include "skin/CResourceImage.h"
#include "views/GraphPainter.h"
#include "views/InfoPainter.h"
#include "views/ObdGaugePainter.h"
#include "views/ObdItems.h"
#include "views/ViewPictures.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

using namespace kestrel;

CResourceImage& Bank() {
    static CResourceImage bank = [] {
        CResourceImage b;
        b.Load(nullptr);
        return b;
    }();
    return bank;
}

void GraphRedraw(benchmark::State& state) {
    constexpr int n = 6000;
    GSensorSampleList samples(n);
    FrameIndexList frames;
    for (int i = 0; i < n; ++i) {
        GSensorSample& s = samples[static_cast<size_t>(i)];
        s.Index = i;
        s.X = 0.4 * std::sin(i / 40.0);
        s.Y = 0.3 * std::cos(i / 25.0);
        s.Z = 0.1 * std::sin(i / 7.0);
        s.WarningFlag = (i / 300) % 4 == 1 ? 8 : 0;
        s.Axis = i % 500 == 250 ? 1 + (i / 500) % 3 : 0;
        s.EventCode = i % 700 == 10 ? 5 : -1;
    }
    for (GSensorSample& s : samples)
        frames.push_back(&s);
    GraphSamples data{&samples, &frames};
    GraphEvents events;
    GraphPictures pictures;
    std::array<const QPixmap*, 4> scales{};
    for (size_t i = 0; i < 4; ++i)
        scales[i] = Bank().Picture(pictures::kScaleBackgrounds[i]);
    pictures.Set(scales, Bank().Picture(pictures::kStar));
    GraphState s;
    s.LeftMargin = 50;
    s.TileWidth = 750;
    s.TimelineRange = n;
    s.DataLoaded = 1;
    QImage image(656, 168, QImage::Format_RGB32);
    int position = 0;
    for (auto _ : state) {
        s.Position = position;
        position = (position + 7) % n;
        QPainter p(&image);
        GraphPainter::Draw(p, image.size(), s, events, &data, pictures);
    }
}
BENCHMARK(GraphRedraw)->Unit(benchmark::kMicrosecond);

void StripRedraw(benchmark::State& state) {
    Readouts r;
    r.DataValid = 1;
    r.StartTime = DateTime{2023, 5, 1, 1, 10, 0, 0, 0};
    r.FrameMs = 33.3667;
    r.GpsValid = 1;
    r.SpeedKmh = 57.0;
    r.Accel[0] = 0.12;
    r.Accel[1] = -0.3;
    r.Accel[2] = 1.01;
    r.AudioState = 'R';
    r.QualityIndex = 5;
    QImage image(656, 85, QImage::Format_RGB32);
    const QPixmap* background = Bank().Picture(pictures::kStripBackground);
    for (auto _ : state) {
        r.Slot = (r.Slot + 1) % 6000;
        QPainter p(&image);
        p.fillRect(image.rect(), Qt::black);
        p.drawPixmap(image.rect(), *background);
        InfoPainter::DrawReadouts(p, InfoPainter::Small, image.rect(), r, Bank());
    }
}
BENCHMARK(StripRedraw)->Unit(benchmark::kMicrosecond);

void GaugeFrame(benchmark::State& state) {
    GaugePictures pictures;
    pictures.Set(Bank());
    QImage canvas(ObdGaugePainter::kCanvasWidth, ObdGaugePainter::kCanvasHeight,
                  QImage::Format_RGB32);
    int value = 0;
    for (auto _ : state) {
        value = (value + 8) % 301;
        QPainter p(&canvas);
        ObdGaugePainter::Draw(p, ObdSpeed, value, pictures);
    }
}
BENCHMARK(GaugeFrame)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
