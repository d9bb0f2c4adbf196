// A recording whose picture data is damaged still opens, seeks and plays to its end: the
// damaged pictures are passed over, nothing hangs and nothing reads out of bounds.
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

} // namespace
} // namespace kestrel::testing
