// Viewer figures on generated recordings, in the real main window (run on an X server; the
// driver bench/viewer.sh uses a virtual one):
//   click - the time from a click on a list row to the first picture of that recording on
//           the video surface, 500 ms open delay included; median and extremes of several
//           clicks between two 720p recordings;
//   cpu   - the CPU use of the whole viewer (all its threads) while it plays a 1080p
//           recording at normal speed, as a share of one core.
// Usage: viewer_playback [DIR]   (DIR: where to make the recordings; a temporary folder
//        otherwise)
#include "CKestrelDlg.h"
#include "ViewerBenchSupport.h"
#include "engine/PlaybackPipeline.h"
#include "mkrec/FramePattern.h"
#include "mkrec/MovieMaker.h"
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

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using kestrel::CKestrelDlg;
using kestrel::CTransportController;

using kestrel::bench::PumpUntil;
using kestrel::bench::RunFor;

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The frame number painted into the surface's newest picture; -2 without one.
int ShownPattern(const CKestrelDlg& window) {
    const QImage picture = window.VideoSurface()->Pictures().Picture();
    if (picture.isNull())
        return -2;
    const QImage rgb = picture.convertToFormat(QImage::Format_RGBX8888);
    return kestrel::mkrec::DecodeFramePatternRgb(
        rgb.constBits(), static_cast<int>(rgb.bytesPerLine()), rgb.width(), rgb.height(), 4);
}

void MakeRecording(const fs::path& path, double seconds, int width, int height) {
    kestrel::mkrec::MovieOptions options;
    options.Seconds = seconds;
    options.Video.Width = width;
    options.Video.Height = height;
    kestrel::mkrec::MakeMovie(options, path);
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

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const fs::path base = argc > 1 ? fs::path(argv[1])
                                   : fs::temp_directory_path() /
                                         ("kestrel-viewer-bench-" + std::to_string(::getpid()));
    const fs::path folder = base / "rec";
    const fs::path work = base / "work";
    fs::create_directories(folder);
    fs::create_directories(work);
    fs::current_path(work);
    std::printf("making recordings in %s ...\n", folder.c_str());
    MakeRecording(folder / "240501_120000_A.MOV", 3.0, 1280, 720);
    MakeRecording(folder / "240501_120003_A.MOV", 3.0, 1280, 720);
    MakeRecording(folder / "240501_120006_A.MOV", 12.0, 1920, 1080);

    int code = 0;
    {
        CKestrelDlg window;
        window.Initialise(folder);
        window.show();
        kestrel::CFilerContainerDlg& panel = *window.FilerPanel();
        kestrel::CFileListCtrl& list = *panel.List();
        if (panel.RowCount() != 3 || !PumpUntil([&] { return Loaded(window); }, 10000)) {
            std::fprintf(stderr, "viewer_playback: the folder did not open\n");
            return 1;
        }

        // Clicks between the two 720p recordings. The one shown is first moved to frame 30,
        // so that the first picture of the other (frame 0) can be told from it.
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
                        return window.Transport().CurrentIndex() == row &&
                               ShownPattern(window) == 0;
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

        // Playing 1080p.
        window.FilerPanel()->SelectRow(2);
        if (!PumpUntil([&] { return Loaded(window); }, 10000)) {
            std::fprintf(stderr, "viewer_playback: the 1080p recording did not open\n");
            return 1;
        }
        window.OnCommand(CKestrelDlg::IdPlayPause);
        RunFor(1000); // settle
        const double cpu0 = CpuSeconds();
        QElapsedTimer wall;
        wall.start();
        const int frame0 = kestrel::GetCurrentFrame(*window.Engine());
        RunFor(8000);
        const double seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
        const double cpu = CpuSeconds() - cpu0;
        const int frames = kestrel::GetCurrentFrame(*window.Engine()) - frame0;
        std::printf("playing 1920x1080 at normal speed: %.1f %% of one core over %.1f s "
                    "(%d engine frames, %.1f per second)\n",
                    100.0 * cpu / seconds, seconds, frames, frames / seconds);
        if (window.Engine()->PlayState != 2)
            code = 1;
        window.Shutdown();
    }
    if (argc <= 1)
        fs::remove_all(base);
    return code;
}
