// The map's costs on this machine: from making the map window to the page reporting ready,
// drawing a 20,000-point track (whole source and shown recording), and what one playback tick
// costs the user-interface thread (position and the periodic step; the page's once-a-second
// update message separately). Off-line: no server is asked.
//   build/bin/viewer_map
#include "engine/EngineContext.h"
#include "map/CGoogleMapDlg2.h"
#include "map/CGoogleMapDlgWrap.h"
#include "map/WebEngineRuntime.h"
#include "views/ShownRecording.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>

using namespace kestrel;

namespace {

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

bool EvalTrue(QWebEnginePage* page, const QString& script) {
    std::optional<bool> result;
    page->runJavaScript(script, [&](const QVariant& v) { result = v.toBool(); });
    PumpUntil([&] { return result.has_value(); }, 10000);
    return result.value_or(false);
}

GpsSampleList Track(int points) {
    GpsSampleList list(static_cast<size_t>(points));
    for (int i = 0; i < points; ++i) {
        GpsSample& s = list[static_cast<size_t>(i)];
        s.Time = i * 3;
        s.Valid = 1;
        s.Latitude = 35.0 + 0.0002 * i * std::cos(i / 500.0);
        s.Longitude = 139.0 + 0.0002 * i * std::sin(i / 500.0) * 0.5;
    }
    return list;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("KESTREL_TILE_URL", "http://127.0.0.1:9/{z}/{x}/{y}.png");
    WebEngineRuntime::PrepareProcess();
    QApplication app(argc, argv);
    QTemporaryDir settings;
    QDir::setCurrent(settings.path());

    EngineContext engine;
    engine.Ready = 1;
    platform::RecursiveNamedMutex cpSet("hMutexCpSet");
    QWidget window;
    window.resize(452, 392);

    QElapsedTimer clock;
    clock.start();
    auto* dialog = new CGoogleMapDlg2(&window);
    dialog->setGeometry(0, 0, 452, 392);
    CGoogleMapDlgWrap bridge(dialog, engine, cpSet, &window);
    window.show();
    dialog->show();
    if (!PumpUntil([&] { return bridge.PageReady == 1; }, 20000)) {
        std::fprintf(stderr, "the page never became ready\n");
        return 1;
    }
    const qint64 readyMs = clock.elapsed();
    QWebEnginePage* page = dialog->Browser.View()->page();

    constexpr int kPoints = 20000;
    ShownTracks tracks;
    tracks.AllFiles = ShownRecording::PointsWithFix(Track(kPoints));
    tracks.Recording = tracks.AllFiles;
    bridge.SetTracks(&tracks);
    bridge.CurrentFrame = kPoints * 3 / 2;
    double drawMs[3] = {};
    for (double& ms : drawMs) {
        EvalTrue(page, QStringLiteral("window.__drawn = false; true"));
        clock.restart();
        bridge.CreateMapTrack(0);
        page->runJavaScript(QStringLiteral("serial(() => { window.__drawn = true; })"));
        PumpUntil([&] { return EvalTrue(page, QStringLiteral("window.__drawn === true")); }, 20000);
        ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    }
    const bool lines = EvalTrue(
        page,
        QStringLiteral("orbitgrplist.grpline.length > 0 && orbitgrplist.histline.length > 0"));

    // One tick: the shown position and the periodic step, the track already drawn.
    bridge.TrackDrawn = true;
    constexpr int kTicks = 20000;
    clock.restart();
    for (int i = 0; i < kTicks; ++i) {
        bridge.SetMapPosition(i, true, 35.0 + i * 1e-6, 139.0);
        bridge.PeriodicStep(0);
    }
    const double tickUs = static_cast<double>(clock.nsecsElapsed()) / 1e3 / kTicks;
    constexpr int kSends = 2000;
    clock.restart();
    for (int i = 0; i < kSends; ++i)
        bridge.SetSend();
    const double sendUs = static_cast<double>(clock.nsecsElapsed()) / 1e3 / kSends;

    std::printf("page ready after %lld ms (goal 2000 ms)\n", static_cast<long long>(readyMs));
    std::printf("%d-point track drawn in %.1f / %.1f / %.1f ms (goal 300 ms)%s\n", kPoints,
                drawMs[0], drawMs[1], drawMs[2], lines ? "" : " -- NO LINES DRAWN");
    std::printf("per tick on the UI thread: %.3f us (goal 1000 us); update message: %.1f us\n",
                tickUs, sendUs);
    return 0;
}
