// A recording whose picture data is damaged still opens, seeks and plays to its end: the
// damaged pictures are passed over, nothing hangs and nothing reads out of bounds. A movie
// that cannot be played is refused at once, and the snapshot command says in one line what
// failed.
#include "../tools/CliRun.h"
#include "PlayerFixture.h"

#include <fstream>
#include <iterator>

namespace kestrel::testing {
namespace {

TEST(DamagedMovie, SeeksAndPlaysToTheEndPastDamagedPictureData) {
    TempFolder folder;
    const std::filesystem::path movie = folder / "FILE0009.MOV";
    MakeTestMovie(movie, 2.0, mkrec::AudioKind::Aac, 15);
    std::string bytes;
    {
        std::ifstream in(movie, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    const size_t mdat = bytes.find("mdat");
    const size_t moov = bytes.find("moov");
    ASSERT_NE(std::string::npos, mdat);
    ASSERT_LT(mdat, moov);
    // Scribble over three stretches of the media data, key frames among them.
    for (size_t at : {mdat + 64, mdat + (moov - mdat) / 3, mdat + (moov - mdat) * 2 / 3}) {
        for (size_t i = 0; i < 600 && at + i < moov; ++i)
            bytes[at + i] = static_cast<char>(0xA5 ^ i);
    }
    std::ofstream(movie, std::ios::binary | std::ios::trunc) << bytes;

    EnginePlayer player;
    ASSERT_TRUE(player.Open(movie));
    for (int64_t frame : {5, 30, 60, 65}) {
        SCOPED_TRACE(frame);
        EXPECT_TRUE(player.Seek(frame));
        EXPECT_EQ(frame, GetCurrentFrame(player.ctx));
    }
    ASSERT_TRUE(player.Seek(0));
    player.window.Messages().Clear();
    ASSERT_TRUE(kestrel::Run(player.ctx));
    EXPECT_TRUE(player.window.Messages().WaitFor(WM_APP_MEDIA_ENDED, 5s).has_value());
}

TEST(DamagedMovie, AMovieWithoutPicturesIsRefusedWhenItIsOpened) {
    TempFolder folder;
    const std::filesystem::path movie = folder / "240501_100000_A.MOV";
    mkrec::MovieOptions options;
    options.Video.Width = 320;
    options.Video.Height = 180;
    options.Damage = mkrec::MovieDamage::NoPictureTrack;
    mkrec::MakeMovie(options, movie);
    EnginePlayer player;
    EXPECT_EQ(0, OpenMovie(player.ctx, movie));
    EXPECT_EQ(0, player.ctx.PlayState);
}

// Each damage ends the command with one line that names the movie once and says what
// failed, never a wait for pictures that do not come and never a half-written picture.
TEST(DamagedMovie, FrameSaysInOneLineWhatFailed) {
    TempFolder folder;
    const std::string notPlayable = " cannot be played: it is damaged or holds no pictures";
    const std::string noPicture = ": no picture can be decoded at frame 5";
    const struct {
        mkrec::MovieDamage Damage;
        std::string Words;
    } cases[] = {
        {mkrec::MovieDamage::CutTimeTable, notPlayable},
        {mkrec::MovieDamage::HugeCounts, notPlayable},
        {mkrec::MovieDamage::NoDescription, notPlayable},
        {mkrec::MovieDamage::NoPictureTrack, notPlayable},
        {mkrec::MovieDamage::NoMediaBox, noPicture},
        {mkrec::MovieDamage::ChunksPastEnd, noPicture},
    };
    const std::filesystem::path out = folder / "out.jpg";
    int n = 0;
    for (const auto& c : cases) {
        const std::filesystem::path movie =
            folder / ("240501_1000" + std::to_string(10 + n++) + "_A.MOV");
        mkrec::MovieOptions options;
        options.Video.Width = 320;
        options.Video.Height = 180;
        options.Damage = c.Damage;
        mkrec::MakeMovie(options, movie);
        SCOPED_TRACE(movie.filename().string() + c.Words);
        // The limit only catches a wait; the command answers in well under a second.
        const CliResult r = RunProgram(
            "timeout", {"15", KESTREL_CLI, "frame", movie.string(), "5", "-o", out.string()});
        EXPECT_EQ(1, r.ExitCode) << r.Err;
        EXPECT_EQ(1, std::count(r.Err.begin(), r.Err.end(), '\n')) << r.Err;
        EXPECT_NE(std::string::npos, r.Err.find(movie.string() + c.Words)) << r.Err;
        EXPECT_EQ(std::string::npos, r.Err.find("Unknown")) << r.Err;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

} // namespace
} // namespace kestrel::testing
