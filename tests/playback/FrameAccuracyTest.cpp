// The picture shown is exactly the one of the frame asked for: after opening, after seeks
// to and around key frames and to the end, in GetCurrentFrame, in SaveJpeg's file and in
// kestrel-cli frame.
#include "../tools/CliRun.h"
#include "PlayerFixture.h"

#include <turbojpeg.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <ostream>
#include <thread>

namespace kestrel::testing {
namespace {

struct DecodedJpeg {
    int Width = 0;
    int Height = 0;
    int Pattern = -1;
    bool operator==(const DecodedJpeg&) const = default;
    friend void PrintTo(const DecodedJpeg& j, std::ostream* os) {
        *os << j.Width << "x" << j.Height << " showing frame " << j.Pattern;
    }
};

// The test movie's picture of `frame` at its own size.
DecodedJpeg MovieSized(int64_t frame) { return {320, 180, PictureOfFrame(frame)}; }

DecodedJpeg DecodeJpeg(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
    DecodedJpeg out;
    tjhandle handle = tjInitDecompress();
    int subsampling = 0;
    int colourspace = 0;
    if (tjDecompressHeader3(handle, bytes.data(), bytes.size(), &out.Width, &out.Height,
                            &subsampling, &colourspace) == 0) {
        std::vector<unsigned char> gray(static_cast<size_t>(out.Width) * out.Height);
        if (tjDecompress2(handle, bytes.data(), bytes.size(), gray.data(), out.Width, out.Width,
                          out.Height, TJPF_GRAY, 0) == 0) {
            out.Pattern = mkrec::DecodeFramePattern(gray.data(), out.Width, out.Width, out.Height);
        }
    }
    tjDestroy(handle);
    return out;
}

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class FrameAccuracy : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder_ = new TempFolder;
        movie_ = *folder_ / "FILE0001.MOV";
        // Three seconds, a key frame every 30 pictures: 90 pictures, 100 engine frames.
        summary_ = MakeTestMovie(movie_, 3.0);
    }
    static void TearDownTestSuite() { delete folder_; }

    static TempFolder* folder_;
    static std::filesystem::path movie_;
    static mkrec::MovieSummary summary_;
};

TempFolder* FrameAccuracy::folder_ = nullptr;
std::filesystem::path FrameAccuracy::movie_;
mkrec::MovieSummary FrameAccuracy::summary_;

TEST_F(FrameAccuracy, OpeningShowsTheFirstPictureAndCountsFramesInThirtyMillisecondUnits) {
    EnginePlayer player;
    ASSERT_TRUE(player.Open(movie_));
    EXPECT_FLOAT_EQ(30.0f, static_cast<float>(GetFrameMs(player.ctx)));
    EXPECT_EQ(100, GetTotalFrames(player.ctx));
    EXPECT_EQ(0, player.window.LastPattern());
    EXPECT_EQ(0, GetCurrentFrame(player.ctx));
    int width = 0;
    int height = 0;
    ASSERT_TRUE(GetVideoSize(player.ctx, &width, &height));
    EXPECT_EQ(320, width);
    EXPECT_EQ(180, height);
}

TEST_F(FrameAccuracy, SeeksShowExactlyThePictureOfTheFramesMediaTime) {
    EnginePlayer player;
    ASSERT_TRUE(player.Open(movie_));
    // Key frames are pictures 0, 30 and 60 (engine frames 0, 34 and 67); the picture
    // before each, the pictures after, backwards and forwards, and the last frame.
    const int64_t frames[] = {1, 33, 34, 35, 66, 67, 68, 10, 0, 50, 99, 98, 2, 67};
    for (int64_t frame : frames) {
        SCOPED_TRACE(frame);
        player.window.ClearShown();
        ASSERT_TRUE(player.Seek(frame));
        EXPECT_EQ(PictureOfFrame(frame), player.window.LastPattern());
        EXPECT_EQ(frame, GetCurrentFrame(player.ctx));
        // Only the target reaches the screen: the pictures decoded on the way are not shown.
        for (const ShownPicture& shown : player.window.Shown()) {
            EXPECT_EQ(PictureOfFrame(frame), shown.Pattern);
        }
    }
    // JumpToFrame is the same operation.
    player.window.Messages().Clear();
    ASSERT_TRUE(JumpToFrame(player.ctx, 77));
    ASSERT_TRUE(player.window.Messages().WaitFor(WM_APP_MEDIA_PAUSED, 10s));
    EXPECT_EQ(PictureOfFrame(77), player.window.LastPattern());
    EXPECT_EQ(77, GetCurrentFrame(player.ctx));
}

TEST_F(FrameAccuracy, AfterASeekFromAStoppedClockThePositionIsTheTargetAtOnce) {
    EnginePlayer player;
    ASSERT_TRUE(player.Open(movie_));
    EXPECT_EQ(0, GetCurrentFrame(player.ctx));
    // The session stopped under the engine: its clock reads 0, as it does during a preroll.
    ASSERT_TRUE(playback::Succeeded(player.ctx.Graph->Player->Session()->Stop()));
    const playback::PresentationClock* clock = player.ctx.Graph->Player->Clock();
    ASSERT_NE(nullptr, clock);
    for (int i = 0; i < 1000 && clock->GetState() != playback::PresentationClock::State::Stopped;
         ++i) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(0, GetCurrentFrame(player.ctx));
    // The clock reads 0 until the session has prerolled and started it; asked before that,
    // the position is the frame the seek goes to.
    player.window.Messages().Clear();
    ASSERT_TRUE(SeekToFrame(player.ctx, 50));
    EXPECT_EQ(50, GetCurrentFrame(player.ctx));
    ASSERT_TRUE(player.window.Messages().WaitFor(WM_APP_MEDIA_PAUSED, 10s));
    EXPECT_EQ(50, GetCurrentFrame(player.ctx));
    ASSERT_TRUE(player.Seek(0));
    EXPECT_EQ(0, GetCurrentFrame(player.ctx));
}

TEST_F(FrameAccuracy, SaveJpegAndTheFrameCommandWriteThePictureOfTheFrameAtTheMoviesSize) {
    EnginePlayer player;
    ASSERT_TRUE(player.Open(movie_));
    ASSERT_TRUE(player.Seek(45));
    const std::filesystem::path snapshot = *folder_ / "snapshot.jpg";
    ASSERT_TRUE(SaveJpeg(player.ctx, snapshot));
    EXPECT_EQ(MovieSized(45), DecodeJpeg(snapshot));

    for (int64_t frame : {0, 34, 99}) {
        SCOPED_TRACE(frame);
        const std::filesystem::path out = *folder_ / ("frame" + std::to_string(frame) + ".jpg");
        const CliResult r =
            RunCli({"frame", movie_.string(), std::to_string(frame), "-o", out.string()});
        ASSERT_EQ(0, r.ExitCode) << r.Err;
        EXPECT_EQ(MovieSized(frame), DecodeJpeg(out));
    }
}

// A window that shows its pictures at a size of its choosing, as the video surface does.
class SizedWindow : public PatternWindow {
  public:
    void ShownSize(const Rect&, int& width, int& height) const override {
        width = width_;
        height = height_;
    }
    void SetShownSize(int width, int height) {
        width_ = width;
        height_ = height;
    }

  private:
    // Too small for the frame pattern to be read from.
    std::atomic<int> width_{32};
    std::atomic<int> height_{18};
};

TEST_F(FrameAccuracy, PicturesAreMadeAtTheShownSizeAndSavedAtTheMoviesSize) {
    BasicEnginePlayer<SizedWindow> player;
    ASSERT_TRUE(player.Open(movie_));
    ASSERT_TRUE(player.Seek(45));
    int width = 0;
    int height = 0;
    Rect destination;
    player.window.LastPixels(width, height, destination);
    EXPECT_EQ(32, width);
    EXPECT_EQ(18, height);

    // The snapshot is made from the decoded frame, not from the smaller picture: the same
    // file as a window that takes the pictures at the movie's size saves.
    const std::filesystem::path snapshot = *folder_ / "shown-smaller.jpg";
    ASSERT_TRUE(SaveJpeg(player.ctx, snapshot));
    EXPECT_EQ(MovieSized(45), DecodeJpeg(snapshot));
    {
        EnginePlayer whole;
        ASSERT_TRUE(whole.Open(movie_));
        ASSERT_TRUE(whole.Seek(45));
        const std::filesystem::path reference = *folder_ / "shown-whole.jpg";
        ASSERT_TRUE(SaveJpeg(whole.ctx, reference));
        EXPECT_EQ(ReadAll(reference), ReadAll(snapshot));
    }

    // Shown at another size, the picture on display is made again at that size from its
    // frame, larger than the movie too.
    for (const auto& [w, h] : {std::pair{240, 135}, std::pair{480, 270}}) {
        player.window.SetShownSize(w, h);
        ASSERT_TRUE(Refresh(player.ctx));
        player.window.LastPixels(width, height, destination);
        EXPECT_EQ(w, width);
        EXPECT_EQ(h, height);
        EXPECT_EQ(PictureOfFrame(45), player.window.LastPattern());
    }
}

TEST_F(FrameAccuracy, TheFrameCommandWritesNothingWhenItCannotShowTheFrame) {
    const std::filesystem::path out = *folder_ / "never.jpg";
    const std::filesystem::path notMovie = *folder_ / "note.MOV";
    std::ofstream(notMovie) << "not a movie at all";
    struct Case {
        std::vector<std::string> Args;
        int Exit;
    } cases[] = {
        {{"frame", movie_.string(), "100", "-o", out.string()}, 1}, // past the last frame
        {{"frame", notMovie.string(), "0", "-o", out.string()}, 1},
        {{"frame", movie_.string(), "-3", "-o", out.string()}, 2},
        {{"frame", movie_.string(), "0", "-o", (*folder_ / "no/such/dir/x.jpg").string()}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Args[1] + " " + c.Args[2] + " " + c.Args[4]);
        const CliResult r = RunCli(c.Args);
        EXPECT_EQ(c.Exit, r.ExitCode) << r.Err;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

} // namespace
} // namespace kestrel::testing
