// OpenMovie's checks: the file's head, the length rule (over 1.5 s, or a 15 ms frame
// period), and a picture format nothing can decode, reported in the "ERROR" box.
#include "PlayerFixture.h"

#include "engine/SystemMessageBox.h"

#include <fstream>
#include <iterator>

namespace kestrel::testing {
namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class BoxCatcher {
  public:
    BoxCatcher()
        : previous_(SystemMessageBox::SetSink(
              [this](const std::string& caption, const std::string& text) {
                  boxes.push_back(caption + ": " + text);
              })) {}
    ~BoxCatcher() { SystemMessageBox::SetSink(previous_); }
    std::vector<std::string> boxes;

  private:
    SystemMessageBox::Sink previous_;
};

TEST(OpenMovie, OpensOnlyMoviesLongerThanOneAndAHalfSecondsOrWithAFifteenMillisecondPeriod) {
    TempFolder folder;
    mkrec::MovieOptions options;
    options.Video.Width = 160;
    options.Video.Height = 90;
    options.Audio = mkrec::AudioKind::None;
    const struct {
        const char* Name;
        double Seconds;
        int SttsDelta;
        bool Opens;
    } table[] = {
        {"S1000.MOV", 1.0, 3000, false}, // one second at 30 ms
        {"S1600.MOV", 1.6, 3000, true},  // longer than 1.5 s
        {"S1015.MOV", 1.0, 6000, true},  // one second, but a frame period of exactly 15
    };
    for (const auto& c : table) {
        SCOPED_TRACE(c.Name);
        options.Seconds = c.Seconds;
        options.Video.SttsDelta = c.SttsDelta;
        mkrec::MakeMovie(options, folder / c.Name);
        EnginePlayer player;
        EXPECT_EQ(c.Opens, OpenMovie(player.ctx, folder / c.Name) == 1);
        EXPECT_EQ(c.Opens ? 1 : 0, player.ctx.PlayState);
    }
}

TEST(OpenMovie, RefusesFilesThatAreNotMoviesWithoutABox) {
    TempFolder folder;
    const std::filesystem::path good = folder / "GOOD.MOV";
    MakeTestMovie(good, 2.0, mkrec::AudioKind::None);
    const std::string bytes = ReadAll(good);
    const struct {
        const char* Name;
        std::string Bytes;
    } cases[] = {
        {"EMPTY.MOV", ""},
        {"SHORT.MOV", bytes.substr(0, 200)},                             // under 260 bytes
        {"NOFTYP.MOV", std::string(4, '\0') + "moov" + bytes.substr(8)}, // no ftyp first
        {"HALF.MOV", bytes.substr(0, bytes.size() / 2)},                 // cut in the middle
    };
    BoxCatcher catcher;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        WriteAll(folder / c.Name, c.Bytes);
        EnginePlayer player;
        EXPECT_EQ(0, OpenMovie(player.ctx, folder / c.Name));
        EXPECT_EQ(0, player.ctx.PlayState);
    }
    EXPECT_EQ(0, OpenMovie(*std::make_unique<EngineContext>(), good)); // engine not initialised
    EXPECT_TRUE(catcher.boxes.empty());
}

TEST(OpenMovie, APictureFormatNothingCanDecodeIsReportedInTheErrorBox) {
    TempFolder folder;
    const std::filesystem::path good = folder / "GOOD.MOV";
    MakeTestMovie(good, 2.0, mkrec::AudioKind::None);
    std::string bytes = ReadAll(good);
    const size_t entry = bytes.find("avc1");
    ASSERT_NE(std::string::npos, entry);
    bytes.replace(entry, 4, "kx99");
    const std::filesystem::path odd = folder / "ODD.MOV";
    WriteAll(odd, bytes);

    BoxCatcher catcher;
    EnginePlayer player;
    EXPECT_EQ(0, OpenMovie(player.ctx, odd));
    ASSERT_EQ(1u, catcher.boxes.size());
    EXPECT_EQ("ERROR: コーデックとスプリッターをインストールしてください。", catcher.boxes[0]);
}

} // namespace
} // namespace kestrel::testing
