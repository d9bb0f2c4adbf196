// kestrel-frame FILE N -o OUT.jpg, run by `kestrel-cli frame`: the picture the viewer shows
// at frame N, saved as the snapshot command saves it (the movie's own size). The movie is
// played into a window without a screen; the file is written completely or not at all.
// A program of its own because it alone of the command line needs the player and its media
// libraries; the other commands start without loading them.
#include "engine/EngineContext.h"
#include "engine/JpegFile.h"
#include "engine/PlaybackPipeline.h"
#include "engine/RecordingCatalogue.h"
#include "engine/SystemMessageBox.h"
#include "playback/OffscreenVideoWindow.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace kestrel::frame {
namespace {

using Args = std::vector<std::string>;

constexpr auto kPlayerTimeout = std::chrono::seconds(20);

int Failure(const std::string& text) {
    std::fprintf(stderr, "kestrel-cli frame: %s\n", text.c_str());
    return 1;
}

bool ParseFrame(const std::string& text, int64_t& frame) {
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, frame);
    return error == std::errc() && at == end && frame >= 0;
}

// The engine's own error boxes, kept so that a failure is told in one line together with
// the command's own words rather than on a line of its own before them.
class EngineBoxes {
  public:
    EngineBoxes() {
        previous_ = SystemMessageBox::SetSink([this](const std::string&, const std::string& text) {
            std::lock_guard lock(lock_);
            texts_.push_back(text);
        });
    }
    ~EngineBoxes() { SystemMessageBox::SetSink(previous_); }
    EngineBoxes(const EngineBoxes&) = delete;
    EngineBoxes& operator=(const EngineBoxes&) = delete;

    // " (TEXT)" of the boxes shown so far, or nothing.
    std::string Detail() {
        std::lock_guard lock(lock_);
        std::string detail;
        for (const std::string& text : texts_)
            detail += (detail.empty() ? "" : ", ") + text;
        return detail.empty() ? detail : " (" + detail + ")";
    }

  private:
    SystemMessageBox::Sink previous_;
    std::mutex lock_;
    std::vector<std::string> texts_;
};

// The engine as the viewer drives it, on an off-screen window, for one command.
class FramePlayer {
  public:
    FramePlayer() : window_(640, 360) {
        ok_ = Init(ctx_, &window_, "メイリオ") != 0;
        if (ok_)
            ctx_.Ready = 1;
    }
    ~FramePlayer() {
        CloseMovie(ctx_);
        ctx_.Ready = 0;
        Shutdown(ctx_);
    }
    FramePlayer(const FramePlayer&) = delete;
    FramePlayer& operator=(const FramePlayer&) = delete;

    bool Ok() const { return ok_; }
    EngineContext& Context() { return ctx_; }
    bool WaitFor(int message) {
        return window_.Messages().WaitFor(message, kPlayerTimeout).has_value();
    }

  private:
    playback::OffscreenVideoWindow window_;
    EngineContext ctx_;
    bool ok_ = false;
};

} // namespace

int RunFrame(const Args& args) {
    std::string file;
    std::string output;
    std::string frameText;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size()) {
            output = args[++i];
        } else if (file.empty()) {
            file = args[i];
        } else if (frameText.empty()) {
            frameText = args[i];
        } else {
            return Failure("unexpected argument '" + args[i] + "'");
        }
    }
    int64_t frame = 0;
    if (file.empty() || output.empty() || !ParseFrame(frameText, frame)) {
        std::fprintf(stderr, "usage: kestrel-cli frame FILE N -o OUT.jpg\n");
        return 2;
    }
    // The command never plays sound: no audio device is needed.
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);

    if (const std::string problem = RecorderFileProblem(file); !problem.empty())
        return Failure(problem);
    EngineBoxes boxes;
    FramePlayer player;
    if (!player.Ok())
        return Failure("the engine could not start" + boxes.Detail());
    EngineContext& ctx = player.Context();
    if (!OpenMovie(ctx, file))
        return Failure(file + " cannot be played: it is damaged or holds no pictures" +
                       boxes.Detail());
    if (!player.WaitFor(WM_APP_MEDIA_READY))
        return Failure(file + " cannot be played: its pictures never became ready" +
                       boxes.Detail());
    const int64_t total = GetTotalFrames(ctx);
    if (frame >= total) {
        return Failure("frame " + frameText + " is past the end (" + std::to_string(total) +
                       " frames)");
    }
    if (!SeekToFrame(ctx, frame) || !player.WaitFor(WM_APP_MEDIA_PAUSED)) {
        return Failure(file + ": frame " + frameText + " cannot be shown" + boxes.Detail());
    }
    // As the snapshot saves it, in two steps so that the failure is told as it is.
    CapturedPicture picture;
    if (!CaptureCurrentPicture(ctx, picture))
        return Failure(file + ": no picture can be decoded at frame " + frameText);
    errno = 0;
    if (!WriteJpegFile(output, picture.Pixels.data(), picture.Width, picture.Height)) {
        return Failure("cannot write " + output +
                       (errno != 0 ? std::string(": ") + std::strerror(errno) : std::string()));
    }
    return 0;
}

} // namespace kestrel::frame

int main(int argc, char** argv) {
    return kestrel::frame::RunFrame(kestrel::frame::Args(argv + 1, argv + argc));
}
