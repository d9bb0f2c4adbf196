// What the engine does to the picture on the screen: the overlay text keyed into the lower
// right corner, the picture turned over, the letter box, and the black bars; decoding in
// hardware when asked falls back without a word; the sensor data is indexed per frame.
#include "PlayerFixture.h"

#include "engine/SensorCache.h"
#include "engine/SystemMessageBox.h"

namespace kestrel::testing {
namespace {

class PictureEffects : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder_ = new TempFolder;
        movie_ = *folder_ / "FILE0003.MOV";
        MakeTestMovie(movie_, 2.0, mkrec::AudioKind::None);
    }
    static void TearDownTestSuite() { delete folder_; }

    static TempFolder* folder_;
    static std::filesystem::path movie_;
};

TempFolder* PictureEffects::folder_ = nullptr;
std::filesystem::path PictureEffects::movie_;

// Pixels clearly greener than they are red or blue, in a part of the picture.
int GreenPixels(const std::vector<uint8_t>& pixels, int width, int x0, int y0, int x1, int y1) {
    int green = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const uint8_t* p = pixels.data() + (static_cast<size_t>(y) * width + x) * 4;
            if (p[1] > p[0] + 80 && p[1] > p[2] + 80)
                ++green;
        }
    }
    return green;
}

class BlackFills : public PatternWindow {
  public:
    std::vector<Rect> Fills() {
        std::lock_guard lock(lock_);
        return fills_;
    }

  protected:
    void OnFillBlack(const Rect& area) override {
        std::lock_guard lock(lock_);
        fills_.push_back(area);
    }

  private:
    std::mutex lock_;
    std::vector<Rect> fills_;
};

TEST_F(PictureEffects, OverlayTextIsKeyedIntoTheLowerRightCornerUntilCleared) {
    EnginePlayer player;
    ASSERT_TRUE(player.Open(movie_));
    ASSERT_TRUE(player.Seek(20));
    ASSERT_TRUE(DrawOverlayText(player.ctx, "12:34 56km/h 緊急"));
    ASSERT_TRUE(Refresh(player.ctx));
    int w = 0;
    int h = 0;
    Rect destination;
    std::vector<uint8_t> pixels = player.window.LastPixels(w, h, destination);
    ASSERT_EQ(320, w);
    // The window is the picture's size: the 300 x 120 bitmap covers 300 x 120 of it.
    EXPECT_GT(GreenPixels(pixels, w, 20, 60, 320, 180), 200);
    EXPECT_EQ(0, GreenPixels(pixels, w, 0, 0, 20, 180));
    EXPECT_EQ(0, GreenPixels(pixels, w, 0, 0, 320, 60));
    EXPECT_EQ(PictureOfFrame(20), player.window.LastPattern()); // the pattern stays readable

    // An empty text leaves nothing to key in (the snapshot draws one before saving).
    ASSERT_TRUE(DrawOverlayText(player.ctx, ""));
    ASSERT_TRUE(Refresh(player.ctx));
    pixels = player.window.LastPixels(w, h, destination);
    EXPECT_EQ(0, GreenPixels(pixels, w, 0, 0, 320, 180));

    ASSERT_TRUE(DrawOverlayText(player.ctx, "ABC"));
    ASSERT_TRUE(ClearOverlay(player.ctx));
    ASSERT_TRUE(Refresh(player.ctx));
    pixels = player.window.LastPixels(w, h, destination);
    EXPECT_EQ(0, GreenPixels(pixels, w, 0, 0, 320, 180));
}

TEST_F(PictureEffects, UpsideDownTurnsThePictureOverAndBack) {
    EnginePlayer player;
    ASSERT_TRUE(player.Open(movie_));
    ASSERT_TRUE(player.Seek(30));
    ASSERT_TRUE(SetUpsideDown(player.ctx, 1));
    int w = 0;
    int h = 0;
    Rect destination;
    std::vector<uint8_t> pixels = player.window.LastPixels(w, h, destination);
    EXPECT_EQ((Rect{0, 0, 320, 180}), destination); // the window is never given a mirror
    EXPECT_NE(PictureOfFrame(30), player.window.LastPattern());
    std::reverse(pixels.begin(), pixels.end()); // both axes, channels reversed too
    EXPECT_EQ(PictureOfFrame(30), mkrec::DecodeFramePatternRgb(pixels.data(), w * 4, w, h, 4));

    ASSERT_TRUE(SetUpsideDown(player.ctx, 0));
    EXPECT_EQ(PictureOfFrame(30), player.window.LastPattern());
}

TEST_F(PictureEffects, AspectModeLetterBoxesThePictureAndPaintsTheBarsBlack) {
    EngineContext ctx;
    BlackFills window;
    ASSERT_TRUE(Init(ctx, &window, "メイリオ"));
    ctx.Ready = 1;
    ASSERT_TRUE(OpenMovie(ctx, movie_));
    ASSERT_TRUE(window.Messages().WaitFor(WM_APP_MEDIA_READY, 10s));
    // A zoom of 2 around the middle: the picture twice the window's size, centred, and
    // 2 pixels larger from the letter box; nothing is left for the bars.
    ASSERT_TRUE(SetVideoRect(ctx, 160, 90, 0, 0, 2.0f, 1));
    ASSERT_TRUE(window.Messages().WaitFor(WM_APP_MEDIA_PAUSED, 10s));
    ASSERT_TRUE(SetAspect(ctx, 1));
    ASSERT_TRUE(window.Messages().WaitFor(WM_APP_MEDIA_PAUSED, 10s));
    int w = 0;
    int h = 0;
    Rect destination;
    window.LastPixels(w, h, destination);
    EXPECT_EQ((Rect{-160, -90, 482, 272}), destination);
    EXPECT_EQ((Rect{-160, -90, 480, 270}), ctx.DestinationRect);
    // Shifted right by 100: the left bar is painted black.
    ASSERT_TRUE(SetVideoRect(ctx, 0, 0, 100, 0, 1.0f, 1));
    const std::vector<Rect> fills = window.Fills();
    EXPECT_NE(std::find(fills.begin(), fills.end(), Rect{0, 0, 100, 180}), fills.end());
    CloseMovie(ctx);
    ctx.Ready = 0;
    Shutdown(ctx);
}

TEST_F(PictureEffects, HardwareDecodingFallsBackToSoftwareWithoutABox) {
    std::vector<std::string> boxes;
    const SystemMessageBox::Sink previous =
        SystemMessageBox::SetSink([&](const std::string& caption, const std::string& text) {
            boxes.push_back(caption + ": " + text);
        });
    {
        EnginePlayer player;
        SetHardwareDecoding(player.ctx, 1);
        ASSERT_TRUE(player.Open(movie_));
        ASSERT_TRUE(player.Seek(40));
        EXPECT_EQ(PictureOfFrame(40), player.window.LastPattern());
    }
    SystemMessageBox::SetSink(previous);
    EXPECT_TRUE(boxes.empty()) << boxes.front();
}

TEST_F(PictureEffects, SensorDataIsIndexedOverTheFramesTheMovieHas) {
    EnginePlayer player;
    ASSERT_TRUE(player.Open(movie_));
    const int64_t frames = GetTotalFrames(player.ctx);
    ASSERT_EQ(66, frames); // 2 s in 30 ms units
    ASSERT_TRUE(LoadSensorData(player.ctx, movie_));
    ASSERT_TRUE(player.ctx.Loaded.Scanner.FrameIndex);
    EXPECT_EQ(static_cast<size_t>(frames), player.ctx.Loaded.Scanner.FrameIndex->size());
}

} // namespace
} // namespace kestrel::testing
