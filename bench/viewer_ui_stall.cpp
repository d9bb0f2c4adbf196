// How long the viewer's user-interface thread is kept from its events, in the real main
// window (run on an X server; the driver bench/ui-stall.sh uses a virtual one). A 5 ms timer
// on that thread records the longest gap between two of its ticks while the viewer, on a
// generated card, opens a recording, plays it, pauses and goes back to frame 0, seeks,
// steps to the next recording and changes its size, with the map shown (its tiles from a
// server on 127.0.0.1 inside the benchmark). Prints the worst gap of each step and of the
// whole run.
// Usage: viewer_ui_stall [--no-map] [DIR]   (--no-map: without the web engine, so that the
//        map's share can be told; DIR: where to make the card; a temporary folder otherwise)
#include "../tests/app/map/TileServer.h"
#include "CKestrelDlg.h"
#include "ViewerBenchSupport.h"
#include "map/WebEngineRuntime.h"
#include "mkrec/CardMaker.h"
#include "sources/CFilerContainerDlg.h"
// The transport's open state became queries when the controller was split by role; the
// older fields are read too, so that the same program measures the viewer before that.
#if __has_include("transport/CTransportController.h")
#include "transport/CTransportController.h"
#define KESTREL_TRANSPORT_STATE(t, name) (t).name()
#else
#include "CTransportController.h"
#define KESTREL_TRANSPORT_STATE(t, name) (t).name
#endif

#include <QApplication>
#include <QElapsedTimer>
#include <QStyleFactory>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

namespace {

namespace fs = std::filesystem;
using kestrel::CKestrelDlg;
using kestrel::bench::PumpUntil;
using kestrel::bench::RunFor;

// The longest gap between two ticks of a 5 ms timer since the last Reset.
class GapRecorder {
  public:
    GapRecorder() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    }
    void Start() {
        clock_.start();
        last_ = 0;
        timer_.start();
    }
    void Reset() {
        last_ = clock_.nsecsElapsed();
        worst_ = 0;
    }
    double WorstMs() const { return static_cast<double>(worst_) / 1e6; }

  private:
    void Tick() {
        const qint64 now = clock_.nsecsElapsed();
        worst_ = std::max(worst_, now - last_);
        last_ = now;
    }
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 worst_ = 0;
};

bool Loaded(CKestrelDlg& window, int row) {
    const auto& t = window.Transport();
    return window.Engine()->SensorDataLoaded == 1 && KESTREL_TRANSPORT_STATE(t, RecordingOpen) &&
           !KESTREL_TRANSPORT_STATE(t, WaitingForMovie) &&
           KESTREL_TRANSPORT_STATE(t, CurrentIndex) == row;
}

} // namespace

int main(int argc, char** argv) {
    const bool noMap = argc > 1 && std::string(argv[1]) == "--no-map";
    if (noMap) {
        --argc;
        ++argv;
        qputenv("QTWEBENGINEPROCESS_PATH", "/nonexistent/QtWebEngineProcess");
    }
    kestrel::WebEngineRuntime::PrepareProcess();
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const fs::path base =
        argc > 1 ? fs::path(argv[1])
                 : fs::temp_directory_path() / ("kestrel-ui-stall-" + std::to_string(::getpid()));
    const fs::path card = base / "card";
    const fs::path work = base / "work";
    fs::remove_all(card);
    fs::create_directories(work);
    fs::current_path(work);
    std::printf("making a card in %s ...\n", card.c_str());
    kestrel::mkrec::CardOptions options;
    options.Seconds = 6.0;
    options.Start = {2024, 5, 1, 10, 0, 0}; // one day folder
    kestrel::mkrec::MakeCard(options, card);

    kestrel::test::TileServer tiles;
    qputenv("KESTREL_TILE_URL", tiles.Template().toUtf8());
    double worst = 0.0;
    int code = 0;
    {
        QTimer answer;
        kestrel::bench::AnswerModalBoxes(answer);
        CKestrelDlg window;
        window.Initialise(card / "DCIM");
        answer.stop();
        window.show();
        kestrel::CFilerContainerDlg& panel = *window.FilerPanel();
        if (panel.RowCount() < 3 || !PumpUntil([&] { return Loaded(window, 0); }, 15000)) {
            std::fprintf(stderr, "viewer_ui_stall: the card did not open\n");
            return 1;
        }
        // The map's page is made and shows its tiles before the steps are timed.
        const bool mapShown = !noMap && PumpUntil(
                                            [&] {
                                                return window.MapWindow() &&
                                                       window.MapWindow()->isVisible() &&
                                                       tiles.TileRequests() > 0;
                                            },
                                            20000);
        std::printf("map %s, %d tiles served\n",
                    noMap      ? "absent (no web engine)"
                    : mapShown ? "shown"
                               : "NOT shown",
                    tiles.TileRequests());
        RunFor(500);

        GapRecorder gaps;
        gaps.Start();
        bool ok = true;
        const auto step = [&](const char* name, const std::function<bool()>& action) {
            if (!ok)
                return;
            gaps.Reset();
            ok = action();
            const double ms = gaps.WorstMs();
            worst = std::max(worst, ms);
            std::printf("%-44s worst gap %6.1f ms%s\n", name, ms, ok ? "" : "  (step failed)");
        };
        step("open the second recording", [&] {
            panel.SelectRow(1);
            const bool loaded = PumpUntil([&] { return Loaded(window, 1); }, 15000);
            RunFor(300);
            return loaded;
        });
        step("play 1.5 s", [&] {
            window.OnCommand(CKestrelDlg::IdPlayPause);
            RunFor(1500);
            return window.Engine()->PlayState == 2;
        });
        step("pause, to the start, 1 s at frame 0", [&] {
            window.OnCommand(CKestrelDlg::IdPlayPause);
            RunFor(200);
            window.OnCommand(CKestrelDlg::IdStart);
            RunFor(1000);
            return window.Engine()->PlayState != 2;
        });
        // Playing from the stopped start: the session prerolls before its clock runs.
        step("play from the start, 1 s", [&] {
            window.OnCommand(CKestrelDlg::IdPlayPause);
            RunFor(1000);
            return window.Engine()->PlayState == 2;
        });
        step("seek to frame 90 while playing, 1 s", [&] {
            window.Transport().SeekTo(90);
            RunFor(1000);
            return true;
        });
        step("next recording", [&] {
            window.OnCommand(CKestrelDlg::IdNext);
            const bool loaded = PumpUntil([&] { return Loaded(window, 2); }, 15000);
            RunFor(500);
            return loaded;
        });
        step("change the size, three times", [&] {
            for (int i = 0; i < 3; ++i) {
                window.OnCommand(CKestrelDlg::IdNextSize);
                RunFor(400);
            }
            return true;
        });
        std::printf("worst gap of the user-interface thread: %.1f ms (goal 20 ms or less)\n",
                    worst);
        if (!ok)
            code = 1;
        window.Shutdown();
    }
    if (argc <= 1)
        fs::remove_all(base);
    return code;
}
