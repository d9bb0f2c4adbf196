// Playing: speeds advance the pictures by the right amount and in order, a seek while
// playing goes on from there, the end posts its message after 200 ms, the one-frame-per-
// second mode steps the main window, and sound works with and without an audio device.
#include "PlayerFixture.h"

#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

namespace kestrel::testing {
namespace {

class Transport : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder_ = new TempFolder;
        movie_ = *folder_ / "FILE0002.MOV";
        // Five seconds: 150 pictures, 166 engine frames of 30 ms.
        MakeTestMovie(movie_, 5.0);
    }
    static void TearDownTestSuite() { delete folder_; }

    static TempFolder* folder_;
    static std::filesystem::path movie_;
};

TempFolder* Transport::folder_ = nullptr;
std::filesystem::path Transport::movie_;

// The patterns shown while playing for `span` from `frame` at speed `code`.
std::vector<int> PlayFor(EnginePlayer& player, int64_t frame, int code,
                         std::chrono::milliseconds span) {
    EXPECT_TRUE(player.Seek(frame));
    EXPECT_TRUE(SetSpeed(player.ctx, code));
    player.window.ClearShown();
    EXPECT_TRUE(kestrel::Run(player.ctx));
    std::this_thread::sleep_for(span);
    EXPECT_TRUE(Pause(player.ctx));
    EXPECT_TRUE(player.window.Messages().WaitFor(WM_APP_MEDIA_PAUSED, 5s));
    std::vector<int> patterns;
    for (const ShownPicture& shown : player.window.Shown())
        patterns.push_back(shown.Pattern);
    return patterns;
}

TEST_F(Transport, SpeedsAdvanceThePicturesInOrderByTheirRate) {
    EnginePlayer player;
    ASSERT_TRUE(player.Open(movie_));
    const struct {
        int Code;
        double Rate;
    } speeds[] = {{1, 1.0}, {2, 2.0}, {4, 4.0}, {-2, 0.5}, {-4, 0.25}};
    constexpr auto kSpan = 1000ms;
    for (const auto& speed : speeds) {
        SCOPED_TRACE(speed.Code);
        const std::vector<int> shown = PlayFor(player, 0, speed.Code, kSpan);
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(1, shown.front()); // picture 0 is on the screen already
        for (size_t i = 1; i < shown.size(); ++i) {
            EXPECT_LT(shown[i - 1], shown[i]) << "at " << i; // in order, none twice
        }
        const double expected = 30.0 * speed.Rate;
        EXPECT_NEAR(expected, shown.back(), expected * 0.3 + 3);
        if (speed.Code == 1 || speed.Code < 0) {
            // Nothing is left out at normal speed and below.
            EXPECT_EQ(static_cast<size_t>(shown.back()), shown.size());
        }
    }
}

TEST_F(Transport, SeekWhilePlayingGoesOnFromTheNewFrame) {
    EnginePlayer player;
    ASSERT_TRUE(player.Open(movie_));
    ASSERT_TRUE(kestrel::Run(player.ctx));
    std::this_thread::sleep_for(200ms);
    player.window.ClearShown();
    ASSERT_TRUE(SeekFrameWhilePlaying(player.ctx, 50));
    std::this_thread::sleep_for(400ms);
    const std::vector<ShownPicture> shown = player.window.Shown();
    ASSERT_GE(shown.size(), 5u);
    EXPECT_EQ(PictureOfFrame(50), shown.front().Pattern);
    for (size_t i = 1; i < shown.size(); ++i)
        EXPECT_EQ(shown[i - 1].Pattern + 1, shown[i].Pattern);
    EXPECT_NEAR(50 + 400 / 30, GetCurrentFrame(player.ctx), 4);
}

TEST_F(Transport, TheEndOfTheRecordingIsPostedAboutTwoHundredMillisecondsAfterItsLastPicture) {
    EnginePlayer player;
    ASSERT_TRUE(player.Open(movie_));
    ASSERT_TRUE(player.Seek(162));
    player.window.Messages().Clear();
    ASSERT_TRUE(kestrel::Run(player.ctx));
    const std::optional<playback::PostedMessage> ended =
        player.window.Messages().WaitFor(WM_APP_MEDIA_ENDED, 5s);
    ASSERT_TRUE(ended.has_value());
    const std::vector<ShownPicture> shown = player.window.Shown();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(149, shown.back().Pattern);
    const auto after =
        std::chrono::duration_cast<std::chrono::milliseconds>(ended->When - shown.back().When);
    EXPECT_GE(after.count(), 190);
    EXPECT_LE(after.count(), 400);
}

TEST_F(Transport, OneFramePerSecondStepsTheMainWindowToTheEnd) {
    EnginePlayer player;
    ASSERT_TRUE(player.Open(movie_));
    ASSERT_TRUE(player.Seek(164));
    ASSERT_TRUE(kestrel::Run(player.ctx));
    const auto start = Clock::now();
    ASSERT_TRUE(SetOneFramePerSecond(player.ctx, 1.0f));
    playback::AppMessageQueue& parent = player.window.ParentMessages();
    std::vector<playback::PostedMessage> steps;
    std::optional<playback::PostedMessage> end;
    while (!end) {
        std::optional<playback::PostedMessage> m = parent.Next(3s);
        ASSERT_TRUE(m.has_value());
        if (m->Message == WM_APP_STEP_FRAME)
            steps.push_back(*m);
        if (m->Message == WM_APP_STEP_END)
            end = m;
    }
    ASSERT_FALSE(steps.empty());
    EXPECT_LE(steps.size(), 3u);
    for (size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(0, steps[i].WParam);
        if (i > 0) {
            EXPECT_EQ(steps[i - 1].LParam + 1, steps[i].LParam);
        }
        // A step a second: never early, and late only by what a loaded machine adds.
        const auto since = [&](Clock::time_point from) {
            return std::chrono::duration_cast<std::chrono::milliseconds>(steps[i].When - from)
                .count();
        };
        EXPECT_GE(since(i == 0 ? start : steps[i - 1].When), 750) << "step " << i;
        EXPECT_LE(since(start), 1000 * static_cast<long>(i + 1) + 1500) << "step " << i;
    }
    EXPECT_EQ(166, end->LParam);
    EXPECT_TRUE(SetOneFramePerSecond(player.ctx, 0.0f));
    EXPECT_EQ(0.0f, player.ctx.OneFramePerSecond);
}

TEST_F(Transport, ShutdownEndsARunningOneFramePerSecondWorker) {
    auto player = std::make_unique<EnginePlayer>();
    ASSERT_TRUE(player->Open(movie_));
    ASSERT_TRUE(kestrel::Run(player->ctx));
    ASSERT_TRUE(SetOneFramePerSecond(player->ctx, 1.0f));
    ASSERT_TRUE(player->ctx.StepThread);
    player.reset(); // CloseMovie and Shutdown with the worker still stepping
    SUCCEED();
}

// Sets an environment variable for the life of one test.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        ::setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST_F(Transport, WithAnAudioDeviceTheVolumeIsSetOnEveryChannel) {
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    EnginePlayer player;
    ASSERT_TRUE(player.Open(movie_));
    ASSERT_TRUE(SetVolume(player.ctx, 65535 / 2));
    std::shared_ptr<playback::AudioRenderer> audio = player.ctx.Graph->Player->AudioVolume();
    ASSERT_TRUE(audio);
    std::vector<float> volumes;
    ASSERT_EQ(playback::kOk, audio->GetAllVolumes(volumes));
    ASSERT_FALSE(volumes.empty());
    for (float v : volumes)
        EXPECT_NEAR(0.5f, v, 0.001f);
    // Any speed but normal is silent; back at normal the volume returns.
    ASSERT_TRUE(SetSpeed(player.ctx, 2));
    audio->GetAllVolumes(volumes);
    for (float v : volumes)
        EXPECT_EQ(0.0f, v);
    ASSERT_TRUE(SetSpeed(player.ctx, 1));
    audio->GetAllVolumes(volumes);
    for (float v : volumes)
        EXPECT_NEAR(0.5f, v, 0.001f);
}

TEST_F(Transport, WithoutAnAudioDeviceThePlayerPlaysTheVideoAloneAndVolumeFails) {
    ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    EnginePlayer player;
    ASSERT_TRUE(player.Open(movie_));
    EXPECT_EQ(1, player.ctx.Graph->Player->AudioDisabled());
    EXPECT_EQ(playback::kInvalidPointer, player.ctx.Graph->Player->SetVolume(1000));
    EXPECT_FALSE(SetVolume(player.ctx, 1000));
    const std::vector<int> shown = PlayFor(player, 0, 1, 300ms);
    ASSERT_GE(shown.size(), 5u);
    EXPECT_EQ(static_cast<size_t>(shown.back()), shown.size());
}

} // namespace
} // namespace kestrel::testing
