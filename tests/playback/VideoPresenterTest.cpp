// The presenter's two-sample pool: a stopped presenter shows one picture (the preroll) and
// holds the rest; a flush starts a new generation, and a sample of the old one coming back
// is not taken into the new pool; a repaint shows the newest picture again.
#include "playback/VideoPresenter.h"
#include "playback/OffscreenVideoWindow.h"

#include <gtest/gtest.h>

#include <memory>

extern "C" {
#include <libavutil/frame.h>
}

namespace kestrel::playback {
namespace {

struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;

FramePtr GreyFrame() {
    FramePtr f(av_frame_alloc());
    f->format = AV_PIX_FMT_YUV420P;
    f->width = 64;
    f->height = 36;
    EXPECT_EQ(0, av_frame_get_buffer(f.get(), 0));
    for (int plane = 0; plane < 3; ++plane) {
        const int rows = plane == 0 ? 36 : 18;
        for (int y = 0; y < rows; ++y)
            std::fill_n(f->data[plane] + y * f->linesize[plane], f->linesize[plane], 128);
    }
    return f;
}

class NoEvents : public PresenterEventSink {
  public:
    void Notify(int32_t, int64_t, int64_t) override {}
};

class CountingWindow : public OffscreenVideoWindow {
  public:
    CountingWindow() : OffscreenVideoWindow(64, 36) {}
    int64_t lastTime = -1;

  protected:
    void OnPicture(const VideoPicture& picture, const Rect&) override { lastTime = picture.Time; }
};

TEST(VideoPresenter, PoolOfTwoWithPrerollFlushGenerationsAndRepaint) {
    CountingWindow window;
    VideoMixer mixer;
    PresentationClock clock;
    NoEvents sink;
    VideoPresenter presenter(&window);
    ASSERT_EQ(kOk, presenter.InitServicePointers(&mixer, &clock, &sink));
    ASSERT_EQ(kOk, presenter.SetMediaType({64, 36, 30, 1, 1, 1}));
    ASSERT_EQ(kOk, presenter.ProcessMessage(VideoPresenter::Message::BeginStreaming));
    EXPECT_EQ(2u, presenter.FreeSampleCount());

    const FramePtr frame = GreyFrame();
    // Stopped: the first picture is shown at once and stays out of the pool on the screen.
    ASSERT_EQ(kOk, mixer.ProcessInput(frame.get(), 0, 333'333));
    ASSERT_EQ(kOk, presenter.ProcessMessage(VideoPresenter::Message::ProcessInputNotify));
    EXPECT_EQ(1, window.PresentedCount());
    EXPECT_EQ(1u, presenter.FreeSampleCount());
    // A second picture waits in the mixer until the clock starts.
    ASSERT_EQ(kOk, mixer.ProcessInput(frame.get(), 333'333, 333'333));
    presenter.ProcessMessage(VideoPresenter::Message::ProcessInputNotify);
    EXPECT_EQ(1, window.PresentedCount());
    EXPECT_TRUE(mixer.HasInput());

    // A flush: a new generation of two samples; the one on the screen is of the old one.
    const uint32_t token = presenter.Token();
    mixer.Flush();
    presenter.ProcessMessage(VideoPresenter::Message::Flush);
    EXPECT_EQ(token + 1, presenter.Token());
    EXPECT_EQ(2u, presenter.FreeSampleCount());
    ASSERT_EQ(kOk, mixer.ProcessInput(frame.get(), 666'666, 333'333));
    presenter.ProcessMessage(VideoPresenter::Message::ProcessInputNotify);
    EXPECT_EQ(2, window.PresentedCount());
    // The replaced old sample came back and was not taken in: one free, one on the screen.
    EXPECT_EQ(1u, presenter.FreeSampleCount());

    // Repaint: the newest picture again, with no sample taken from the pool.
    window.lastTime = -1;
    ASSERT_EQ(kOk, presenter.RepaintVideo());
    EXPECT_EQ(3, window.PresentedCount());
    EXPECT_EQ(666'666, window.lastTime);
    EXPECT_EQ(1u, presenter.FreeSampleCount());
    presenter.Shutdown();
}

} // namespace
} // namespace kestrel::playback
