// A double click on the video to full screen and another back, in the real main window (run
// on an X server; the driver bench/fullscreen.sh uses a virtual one): the time from the
// double click to the first paint of the picture at its new place, for a paused 720p
// recording. Baseline in the same run: the size command (Small to Medium and back), the other
// change of the video's size, timed the same way.
// Usage: viewer_fullscreen [ROUNDS]
#include "CKestrelDlg.h"
#include "ViewerBenchSupport.h"
#include "mkrec/MovieMaker.h"
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
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using kestrel::CKestrelDlg;
using kestrel::CMovieStatic;

using kestrel::bench::PumpUntil;
using kestrel::bench::RunFor;

// Notes when the surface paints and where the picture stood then.
class PaintWatch : public QObject {
  public:
    explicit PaintWatch(CMovieStatic& surface) : surface_(surface) {
        surface.installEventFilter(this);
    }
    QRect Painted;
    qint64 PaintedAtNs = -1;
    QElapsedTimer Clock;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && Clock.isValid()) {
            Painted = surface_.Pictures().Destination();
            PaintedAtNs = Clock.nsecsElapsed();
        }
        return false;
    }

  private:
    CMovieStatic& surface_;
};

void Send(QWidget* w, QEvent::Type type, QPoint at) {
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void DoubleClick(QWidget* w) {
    const QPoint at = w->rect().center();
    Send(w, QEvent::MouseButtonPress, at);
    Send(w, QEvent::MouseButtonRelease, at);
    Send(w, QEvent::MouseButtonDblClick, at);
    Send(w, QEvent::MouseButtonRelease, at);
}

// Milliseconds from `act` to the first paint with the picture as wide as the surface of
// `width` pixels; -1 when it does not come.
double TimeToPicture(CKestrelDlg& window, PaintWatch& watch, int width,
                     const std::function<void()>& act) {
    CMovieStatic& surface = *window.VideoSurface();
    watch.Clock.start();
    watch.PaintedAtNs = -1;
    watch.Painted = QRect();
    act();
    const bool shown = PumpUntil(
        [&] {
            return surface.width() == width && watch.PaintedAtNs >= 0 &&
                   watch.Painted.width() >= width;
        },
        5000);
    const double ms = shown ? static_cast<double>(watch.PaintedAtNs) / 1e6 : -1.0;
    watch.Clock.invalidate();
    RunFor(300); // let the window system settle before the next change
    return ms;
}

struct Figures {
    std::vector<double> Values;
    double Median() {
        std::sort(Values.begin(), Values.end());
        return Values[Values.size() / 2];
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    const fs::path base =
        fs::temp_directory_path() / ("kestrel-fullscreen-bench-" + std::to_string(::getpid()));
    const fs::path folder = base / "rec";
    fs::create_directories(folder);
    fs::create_directories(base / "work");
    fs::current_path(base / "work");
    kestrel::mkrec::MovieOptions options;
    options.Seconds = 4.0;
    options.Video.Width = 1280;
    options.Video.Height = 720;
    kestrel::mkrec::MakeMovie(options, folder / "240501_120000_A.MOV");

    int code = 0;
    {
        CKestrelDlg window;
        window.Initialise(folder);
        window.show();
        const auto loaded = [&] {
            return window.Engine()->SensorDataLoaded == 1 && window.Transport().RecordingOpen() &&
                   !window.Transport().WaitingForMovie();
        };
        if (!PumpUntil(loaded, 10000)) {
            std::fprintf(stderr, "viewer_fullscreen: the recording did not open\n");
            return 1;
        }
        window.Transport().SeekTo(30);
        RunFor(500);
        CMovieStatic& surface = *window.VideoSurface();
        PaintWatch watch(surface);
        const int windowed = surface.width();
        const int screen = window.screen()->geometry().width();
        Figures enter, leave, grow, shrink;
        for (int i = 0; i < rounds; ++i) {
            enter.Values.push_back(
                TimeToPicture(window, watch, screen, [&] { DoubleClick(&surface); }));
            leave.Values.push_back(
                TimeToPicture(window, watch, windowed, [&] { DoubleClick(&surface); }));
            grow.Values.push_back(TimeToPicture(
                window, watch, 868, [&] { window.OnCommand(CKestrelDlg::IdNextSize); }));
            // Medium -> Large -> Small: the baseline's way back is two size commands.
            shrink.Values.push_back(TimeToPicture(window, watch, windowed, [&] {
                window.OnCommand(CKestrelDlg::IdNextSize);
                window.OnCommand(CKestrelDlg::IdNextSize);
            }));
        }
        for (Figures* f : {&enter, &leave, &grow, &shrink}) {
            if (std::find(f->Values.begin(), f->Values.end(), -1.0) != f->Values.end())
                code = 1;
        }
        const double in = enter.Median();
        const double out = leave.Median();
        const double sizeIn = grow.Median();
        const double sizeOut = shrink.Median();
        std::printf("720p paused, %d rounds, ms from the command to the picture painted:\n",
                    rounds);
        std::printf("  double click to full screen:   median %.1f\n", in);
        std::printf("  double click back to window:   median %.1f\n", out);
        std::printf("  baseline size Small->Medium:   median %.1f\n", sizeIn);
        std::printf("  baseline size Medium->Small:   median %.1f\n", sizeOut);
        std::printf("  full screen and back against the size change and back: %.2f x\n",
                    (in + out) / (sizeIn + sizeOut));
        window.Shutdown();
    }
    fs::remove_all(base);
    if (code != 0)
        std::fprintf(stderr, "viewer_fullscreen: a picture did not come\n");
    return code;
}
