// Viewer figures on generated recordings, in the real main window (run on an X server; the
// driver bench/viewer.sh uses a virtual one). One measurement per run, so that each starts
// from a fresh process (the web engine cannot be taken down and started again in one):
//   click  - the time from a click on a list row to the first picture of that recording on
//            the video surface, 500 ms open delay included; median and extremes of several
//            clicks between two 720p recordings;
//   engine - the engine alone playing the 1080p recording at normal speed into a window
//            without a screen (the baseline of the viewer's figures);
//   nodata - the viewer playing a 1080p recording without recorder data: the data views show
//            their placeholders and stand still; no web engine, so no map;
//   views  - the viewer playing the same size of recording with the recorder's scripted drive
//            (GPS, speed and every event kind): graph, information strip and OBD panel live;
//            no web engine, so no map;
//   map    - as views, with the map shown and its tiles from a server on 127.0.0.1 here.
// The playing runs print the CPU use of every process of the viewer (the web engine's
// renderer and GPU processes are its children) as a share of one core, and the pictures
// shown later than their time by more than a picture's duration, as one line that starts
// with "result".
// Usage: viewer_playback MODE [DIR]   (DIR: where to make the recordings; a temporary folder
//        otherwise)
#include "../tests/app/map/TileServer.h"
#include "CKestrelDlg.h"
#include "ViewerBenchSupport.h"
#include "engine/PlaybackPipeline.h"
#include "engine/PlayerAccess.h"
#include "map/WebEngineRuntime.h"
#include "mkrec/FramePattern.h"
#include "mkrec/MovieMaker.h"
#include "playback/CPlayer.h"
#include "playback/OffscreenVideoWindow.h"
#include "playback/VideoPresenter.h"
#include "skin/CSkinDialog.h"
#include "sources/CFileListCtrl.h"
#include "sources/CFilerContainerDlg.h"
#include "transport/CTransportController.h"
#include "video/CMovieStatic.h"
#include "video/VideoPictureStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMouseEvent>
#include <QStyleFactory>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using kestrel::CKestrelDlg;
using kestrel::CTransportController;

using kestrel::bench::ProcessTree;
using kestrel::bench::PumpUntil;
using kestrel::bench::RunFor;

constexpr int kSettleMs = 1000;
constexpr int kMeasureMs = 8000;

// The frame number painted into the surface's newest picture; -2 without one.
int ShownPattern(const CKestrelDlg& window) {
    const QImage picture = window.VideoSurface()->Pictures().Picture();
    if (picture.isNull())
        return -2;
    const QImage rgb = picture.convertToFormat(QImage::Format_RGBX8888);
    return kestrel::mkrec::DecodeFramePatternRgb(
        rgb.constBits(), static_cast<int>(rgb.bytesPerLine()), rgb.width(), rgb.height(), 4);
}

void MakeRecording(const fs::path& path, double seconds, int width, int height,
                   bool recorderData = true) {
    kestrel::mkrec::MovieOptions options;
    options.Seconds = seconds;
    options.Video.Width = width;
    options.Video.Height = height;
    if (recorderData) {
        kestrel::mkrec::MakeMovie(options, path);
        return;
    }
    // Without its data box only the trailer, in a box of its own, tells it is the recorder's.
    options.Place = kestrel::mkrec::UdatPlace::None;
    kestrel::mkrec::MakeMovie(options, path);
    std::string trailer(8 + 18, '\0');
    trailer[3] = static_cast<char>(trailer.size());
    trailer.replace(4, 4, "free");
    trailer.replace(8, 6, "CSNEND");
    std::ofstream(path, std::ios::binary | std::ios::app) << trailer;
}

void Click(QWidget* viewport, QPoint at) {
    const QPointF local(at);
    const QPointF global(viewport->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(viewport, &release);
}

bool Loaded(CKestrelDlg& window) {
    const CTransportController& t = window.Transport();
    return window.Engine()->SensorDataLoaded == 1 && t.RecordingOpen() && !t.WaitingForMovie();
}

int64_t LatePictures(kestrel::EngineContext& engine) {
    kestrel::playback::CPlayer* player = kestrel::PlayerOf(engine);
    const auto display = player ? player->DisplayControl() : nullptr;
    return display ? display->LatePictureCount() : 0;
}

void PrintResult(const char* mode, double cpu, double seconds, int frames, int64_t late,
                 int processes) {
    std::printf("result %s: %.1f %% of one core over %.1f s (%d engine frames, %.1f per second; "
                "%d processes); late pictures: %lld\n",
                mode, 100.0 * cpu / seconds, seconds, frames, frames / seconds, processes,
                static_cast<long long>(late));
}

int Clicks(const fs::path& folder) {
    MakeRecording(folder / "240501_120000_A.MOV", 3.0, 1280, 720);
    MakeRecording(folder / "240501_120003_A.MOV", 3.0, 1280, 720);
    CKestrelDlg window;
    window.Initialise(folder);
    window.show();
    kestrel::CFilerContainerDlg& panel = *window.FilerPanel();
    kestrel::CFileListCtrl& list = *panel.List();
    if (panel.RowCount() != 2 || !PumpUntil([&] { return Loaded(window); }, 10000)) {
        std::fprintf(stderr, "viewer_playback: the folder did not open\n");
        return 1;
    }
    // Clicks between the two 720p recordings. The one shown is first moved to frame 30, so
    // that the first picture of the other (frame 0) can be told from it.
    std::vector<double> clicks;
    for (int i = 0; i < 8; ++i) {
        window.Transport().SeekTo(30);
        const int moved = 30 * 30 * 30 / 1000; // the picture of engine frame 30
        if (!PumpUntil([&] { return ShownPattern(window) == moved; }, 5000)) {
            std::fprintf(stderr, "viewer_playback: seek not shown\n");
            return 1;
        }
        const int row = window.Transport().CurrentIndex() == 0 ? 1 : 0;
        const QPoint at = list.visualItemRect(list.item(row)).center();
        QElapsedTimer clock;
        clock.start();
        Click(list.viewport(), at);
        if (!PumpUntil(
                [&] {
                    return window.Transport().CurrentIndex() == row && ShownPattern(window) == 0;
                },
                10000)) {
            std::fprintf(stderr, "viewer_playback: no picture after the click\n");
            return 1;
        }
        clicks.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        PumpUntil([&] { return Loaded(window); }, 10000);
    }
    std::sort(clicks.begin(), clicks.end());
    std::printf("click to first picture (ms, %zu clicks, 500 ms delay included): "
                "median %.0f, min %.0f, max %.0f\n",
                clicks.size(), clicks[clicks.size() / 2], clicks.front(), clicks.back());
    window.Shutdown();
    return 0;
}

// The engine alone: the same recording played into a window without a screen, which takes
// the pictures at their own size and does nothing with them.
int EngineAlone(const fs::path& folder) {
    const fs::path movie = folder / "240501_120006_M.MOV";
    MakeRecording(movie, 12.0, 1920, 1080);
    using namespace std::chrono_literals;
    kestrel::playback::OffscreenVideoWindow window(1280, 720);
    kestrel::EngineContext engine;
    kestrel::Init(engine, &window, "メイリオ");
    engine.Ready = 1;
    int code = 1;
    if (kestrel::OpenMovie(engine, movie) &&
        window.Messages().WaitFor(kestrel::WM_APP_MEDIA_READY, 10s) &&
        kestrel::SetVideoRect(engine, 640, 360, 0, 0, 1.0f, 0)) {
        kestrel::Run(engine);
        std::this_thread::sleep_for(std::chrono::milliseconds(kSettleMs));
        const double cpu0 = ProcessTree().Seconds;
        const int64_t late0 = LatePictures(engine);
        const int frame0 = kestrel::GetCurrentFrame(engine);
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(kMeasureMs));
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const kestrel::bench::ProcessTreeCpu cpu = ProcessTree();
        PrintResult("engine", cpu.Seconds - cpu0, seconds,
                    kestrel::GetCurrentFrame(engine) - frame0, LatePictures(engine) - late0,
                    cpu.Processes);
        code = 0;
    } else {
        std::fprintf(stderr, "viewer_playback: the engine did not open the recording\n");
    }
    kestrel::CloseMovie(engine);
    engine.Ready = 0;
    kestrel::Shutdown(engine);
    return code;
}

// The viewer playing a 1080p recording with the views (and the map) as the mode asks.
int Playing(const char* mode, const fs::path& folder) {
    const bool data = std::strcmp(mode, "nodata") != 0;
    const bool map = std::strcmp(mode, "map") == 0;
    MakeRecording(folder / "240501_120006_M.MOV", 12.0, 1920, 1080, data);
    kestrel::test::TileServer tiles;
    if (map) {
        qputenv("KESTREL_TILE_URL", tiles.Template().toUtf8());
    } else {
        // No web engine: the window shows its logo where the map would be.
        qputenv("QTWEBENGINEPROCESS_PATH", "/nonexistent/QtWebEngineProcess");
    }
    // Without the web engine the window tells so once at start-up; it is answered as a user
    // would.
    QTimer answer;
    kestrel::bench::AnswerModalBoxes(answer);
    CKestrelDlg window;
    window.Initialise(folder);
    answer.stop();
    window.show();
    if (window.FilerPanel()->RowCount() != 1 || !PumpUntil([&] { return Loaded(window); }, 15000)) {
        std::fprintf(stderr, "viewer_playback: the 1080p recording did not open\n");
        return 1;
    }
    if (data) {
        window.OnCommand(CKestrelDlg::IdObdPanel);
        if (!window.ObdPanel() || !window.ObdPanel()->isVisible()) {
            std::fprintf(stderr, "viewer_playback: the OBD panel is not shown\n");
            return 1;
        }
    }
    window.OnCommand(CKestrelDlg::IdPlayPause);
    if (map) {
        // The map is made when the recording plays; once it shows its tiles, the measuring
        // starts again from the recording's start.
        if (!PumpUntil(
                [&] {
                    return window.MapWindow() && window.MapWindow()->isVisible() &&
                           tiles.TileRequests() > 0;
                },
                20000)) {
            std::fprintf(stderr, "viewer_playback: the map was not shown with its tiles\n");
            return 1;
        }
        window.Transport().SeekTo(0);
    }
    RunFor(kSettleMs);
    const double cpu0 = ProcessTree().Seconds;
    const int64_t late0 = LatePictures(*window.Engine());
    QElapsedTimer wall;
    wall.start();
    const int frame0 = kestrel::GetCurrentFrame(*window.Engine());
    RunFor(kMeasureMs);
    const double seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    const kestrel::bench::ProcessTreeCpu cpu = ProcessTree();
    const int frames = kestrel::GetCurrentFrame(*window.Engine()) - frame0;
    const QSize surface = window.VideoSurface()->size();
    std::printf("surface %dx%d, map %s, graph %s, strip %s, OBD panel %s, %d tiles served\n",
                surface.width(), surface.height(),
                window.MapWindow() && window.MapWindow()->isVisible() ? "shown" : "not shown",
                window.GSensorView() && window.GSensorView()->isVisible() ? "shown" : "hidden",
                window.InfoPanel() && window.InfoPanel()->isVisible() ? "shown" : "hidden",
                window.ObdPanel() && window.ObdPanel()->isVisible() ? "shown" : "hidden",
                tiles.TileRequests());
    PrintResult(mode, cpu.Seconds - cpu0, seconds, frames, LatePictures(*window.Engine()) - late0,
                cpu.Processes);
    const int code = window.Engine()->PlayState == 2 ? 0 : 1;
    window.Shutdown();
    return code;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> modes{"click", "engine", "nodata", "views", "map"};
    if (argc < 2 || std::find(modes.begin(), modes.end(), argv[1]) == modes.end()) {
        std::fprintf(stderr, "usage: viewer_playback click|engine|nodata|views|map [DIR]\n");
        return 2;
    }
    const std::string mode = argv[1];
    kestrel::WebEngineRuntime::PrepareProcess();
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const fs::path base = argc > 2 ? fs::path(argv[2])
                                   : fs::temp_directory_path() /
                                         ("kestrel-viewer-bench-" + std::to_string(::getpid()));
    // A folder of its own for each mode: the viewer opens every recording in it.
    const fs::path folder = base / mode / "rec";
    const fs::path work = base / mode / "work";
    fs::remove_all(base / mode);
    fs::create_directories(folder);
    fs::create_directories(work);
    fs::current_path(work);
    int code = 0;
    if (mode == "click")
        code = Clicks(folder);
    else if (mode == "engine")
        code = EngineAlone(folder);
    else
        code = Playing(mode.c_str(), folder);
    if (argc <= 2)
        fs::remove_all(base);
    return code;
}
