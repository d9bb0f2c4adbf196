// The video surface on its own: single clicks told from double clicks by the system's
// double-click time, the context menu request, the zoom cursor, the black without a movie and
// the size it asks its pictures to be made at.
#include "AppTestSupport.h"
#include "video/CMovieStatic.h"
#include "video/VideoSurfaceHandler.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace kestrel {
namespace {

class RecordingHandler : public VideoSurfaceHandler {
  public:
    void ZoomStep(const QPoint& point) override {
        Steps.push_back(point);
        StepAfterMs.push_back(clock.elapsed());
    }
    void VideoDoubleClicked() override { ++DoubleClicks; }
    void VideoMenuRequested(const QPoint& globalPoint) override { Menus.push_back(globalPoint); }
    bool MovieShown() const override { return Movie; }

    std::vector<QPoint> Steps;
    std::vector<qint64> StepAfterMs;
    int DoubleClicks = 0;
    std::vector<QPoint> Menus;
    bool Movie = true;
    QElapsedTimer clock;
};

class MovieSurface : public testing::Test {
  protected:
    void SetUp() override {
        owner.resize(700, 400);
        surface.setGeometry(6, 24, 656, 373);
        surface.SetHandler(&handler);
        owner.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
        owner.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
    }
    // Press, release, the second press as the window system reports it, release.
    void DoubleClick(QPoint at) {
        QTest::mouseClick(&surface, Qt::LeftButton, {}, at);
        QTest::mouseDClick(&surface, Qt::LeftButton, {}, at);
        QTest::mouseRelease(&surface, Qt::LeftButton, {}, at);
    }
    // Waits out every click timer.
    void Settle() { QTest::qWait(QApplication::doubleClickInterval() + 100); }

    QWidget owner;
    CMovieStatic surface{&owner, &owner};
    RecordingHandler handler;
};

TEST_F(MovieSurface, ASingleClickStepsTheZoomOnlyAfterTheDoubleClickTime) {
    const int interval = QApplication::doubleClickInterval();
    handler.clock.start();
    QTest::mouseClick(&surface, Qt::LeftButton, {}, QPoint(100, 80));
    EXPECT_TRUE(handler.Steps.empty()) << "a second click may still come";
    EXPECT_TRUE(surface.TimerActive(CMovieStatic::TimerClick));
    ASSERT_TRUE(test::PumpUntil([&] { return !handler.Steps.empty(); }, interval + 1000));
    EXPECT_EQ(handler.Steps.front(), QPoint(100, 80)) << "the point pressed";
    EXPECT_GE(handler.StepAfterMs.front(), interval - 20);
    Settle();
    EXPECT_EQ(handler.Steps.size(), 1u) << "one step per click";
    EXPECT_EQ(handler.DoubleClicks, 0);
    EXPECT_TRUE(surface.hasFocus()) << "a click takes the focus";

    // Three clicks, three steps.
    for (int i = 0; i < 2; ++i) {
        QTest::mouseClick(&surface, Qt::LeftButton, {}, QPoint(200 + i, 100));
        Settle();
    }
    EXPECT_EQ(handler.Steps.size(), 3u);
}

TEST_F(MovieSurface, ADoubleClickRunsTheFullScreenRuleAndStepsNoZoom) {
    DoubleClick(QPoint(300, 200));
    EXPECT_EQ(handler.DoubleClicks, 1);
    Settle();
    EXPECT_TRUE(handler.Steps.empty());

    // The click after the pair is a click of its own again.
    QTest::mouseClick(&surface, Qt::LeftButton, {}, QPoint(10, 10));
    Settle();
    ASSERT_EQ(handler.Steps.size(), 1u);
    EXPECT_EQ(handler.Steps.front(), QPoint(10, 10));
}

TEST_F(MovieSurface, InZoomModeADoubleClickDoesNothingAndTheZoomCursorShows) {
    surface.SetZoomMode(true);
    EXPECT_EQ(surface.cursor().pixmap().size(), QSize(32, 32));
    EXPECT_EQ(surface.cursor().hotSpot(), QPoint(12, 12));
    DoubleClick(QPoint(300, 200));
    Settle();
    EXPECT_EQ(handler.DoubleClicks, 0);
    EXPECT_TRUE(handler.Steps.empty());
    surface.SetZoomMode(false);
    EXPECT_EQ(surface.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(MovieSurface, TheRightButtonAsksForTheMenuAtTheScreenPoint) {
    const QPoint local(50, 60);
    QContextMenuEvent event(QContextMenuEvent::Mouse, local, surface.mapToGlobal(local));
    QApplication::sendEvent(&surface, &event);
    ASSERT_EQ(handler.Menus.size(), 1u);
    EXPECT_EQ(handler.Menus.front(), surface.mapToGlobal(local));
}

TEST_F(MovieSurface, WithoutAMovieTheStoredPictureIsNotShown) {
    QImage white(32, 18, QImage::Format_RGB32);
    white.fill(Qt::white);
    const VideoPicture picture{white.constBits(), 32, 18, static_cast<int>(white.bytesPerLine()),
                               0};
    surface.PresentPicture(picture, Rect{0, 0, 656, 373});
    QApplication::processEvents();
    EXPECT_EQ(surface.grab().toImage().pixelColor(300, 200), QColor(Qt::white));
    handler.Movie = false;
    EXPECT_EQ(surface.grab().toImage().pixelColor(300, 200), QColor(Qt::black));
}

TEST_F(MovieSurface, PicturesAreAskedForAtTheirPlacesSizeAndPaintedPixelForPixel) {
    const struct {
        const char* What;
        Rect Destination;
        int Width, Height;
    } cases[] = {
        {"letter box inside", Rect{10, 20, 330, 200}, 320, 180},
        {"the whole surface", Rect{0, 0, 656, 373}, 656, 373},
        {"zoomed past the edges: its own size", Rect{-100, -50, 1212, 696}, 0, 0},
        {"no area", Rect{10, 10, 10, 50}, 0, 0},
    };
    for (const auto& c : cases) {
        int width = -1;
        int height = -1;
        surface.ShownSize(c.Destination, width, height);
        EXPECT_EQ(c.Width, width) << c.What;
        EXPECT_EQ(c.Height, height) << c.What;
    }

    // One-pixel stripes survive only a copy: any resampling would grey them.
    QImage stripes(320, 180, QImage::Format_RGB32);
    for (int y = 0; y < stripes.height(); ++y) {
        for (int x = 0; x < stripes.width(); ++x)
            stripes.setPixel(x, y, (x + y) % 2 ? 0xFFFFFFFF : 0xFF203040);
    }
    surface.PresentPicture(
        VideoPicture{stripes.constBits(), 320, 180, static_cast<int>(stripes.bytesPerLine()), 0},
        Rect{10, 20, 330, 200});
    QApplication::processEvents();
    const QImage shown = surface.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(stripes, shown.copy(10, 20, 320, 180));
    EXPECT_EQ(QColor(Qt::black), shown.pixelColor(5, 100)); // black around it
}

} // namespace
} // namespace kestrel
