#include "engine/MovieSlots.h"

#include "engine/JpegFile.h"
#include "engine/MovieProbe.h"
#include "engine/PlayerAccess.h"
#include "engine/SensorCache.h"
#include "engine/TransportSlots.h"
#include "playback/MediaSource.h"

#include <mutex>
#include <vector>

namespace kestrel {

using playback::CPlayer;
using playback::Failed;
using playback::MediaSession;
using playback::Succeeded;

PlaybackGraphPtr MakePlaybackGraph() {
    return PlaybackGraphPtr(new PlaybackGraph,
                            PlaybackGraphRelease{[](PlaybackGraph* graph) { delete graph; }});
}

namespace {
// A movie with sound only passes every other check, and its pictures would never come.
bool HasPictureTrack(const CPlayer& player) {
    const std::shared_ptr<playback::MediaSource> source = player.Source();
    if (!source)
        return false;
    for (const playback::StreamDescriptor& stream : source->CreatePresentationDescriptor()) {
        if (stream.Type == playback::MajorType::Video && stream.Selected)
            return true;
    }
    return false;
}
} // namespace

int OpenMovie(EngineContext& ctx, const std::filesystem::path& path) {
    if (!ctx.FileMutex)
        return 0;
    std::lock_guard fileLock(*ctx.FileMutex);
    std::error_code error;
    if (std::filesystem::file_size(path, error) == 0 || error || !ReadFileStart(path))
        return 0;
    if (!IsPlayableLength(ctx, path))
        return 0;
    if (!MeasureFramePeriod(ctx, path))
        return 0;

    // Build: the player and the overlay's bitmap.
    std::unique_ptr<CPlayer> player;
    if (!Check(CPlayer::CreateInstance(ctx.Video, player)))
        return 0;
    if (!ctx.Graph)
        ctx.Graph = MakePlaybackGraph();
    ctx.Graph->Player = std::move(player);
    ctx.Graph->Overlay = std::make_unique<OverlayBitmap>();
    ctx.Graph->Overlay->Pixels.assign(
        static_cast<size_t>(OverlayBitmap::kWidth) * OverlayBitmap::kHeight * 4, 0);

    // Open: the session, the source and the topology.
    CPlayer& p = *ctx.Graph->Player;
    p.SetHardwareDecoding(ctx.HardwareDecoding != 0);
    if (!Check(p.OpenRecording(path)))
        return 0;
    if (!HasPictureTrack(p)) {
        // Its session would go on to report the movie as ready.
        p.CloseSession();
        return 0;
    }

    // Configure: normal rate, every picture.
    if (std::shared_ptr<MediaSession> rate = p.RateControl()) {
        if (!Check(rate->SetRate(false, 1.0f)))
            return 0;
    }
    ctx.CanPlayBackwards = 0;
    if (!ctx.Ready || GetTotalFrames2(ctx) <= 0)
        return 0;
    SetPlayState(ctx, kPlayStateStopped);
    return 1;
}

int CloseMovie(EngineContext& ctx) {
    if (!ctx.FileMutex)
        return 0;
    std::lock_guard fileLock(*ctx.FileMutex);
    CPlayer* player = PlayerOf(ctx);
    if (player != nullptr && ReadPlayState(ctx) != kPlayStateNone) {
        PauseIfStarted(*player);
        if (player->Session())
            player->CloseSession();
    }
    if (ctx.Graph) {
        ctx.Graph->Overlay.reset();
        ctx.Graph->Player.reset();
    }
    SetPlayState(ctx, kPlayStateNone);
    return 1;
}

int LoadSensorData(EngineContext& ctx, const std::filesystem::path& path) {
    if (!ctx.FileMutex)
        return 0;
    std::lock_guard fileLock(*ctx.FileMutex);
    return LoadSensorDataWithFrames(ctx, path, GetTotalFrames(ctx));
}

int64_t GetTotalFrames(EngineContext& ctx) {
    if (!ctx.FileMutex)
        return 0;
    std::lock_guard fileLock(*ctx.FileMutex);
    CPlayer* player = PlayerOf(ctx);
    std::shared_ptr<playback::MediaSource> source = player ? player->Source() : nullptr;
    if (!source)
        return 0;
    return MediaTimeToFrame(ctx.FramePeriodMs, source->Duration());
}

int64_t GetTotalFrames2(EngineContext& ctx) {
    return GetTotalFrames(ctx);
}

double GetFrameMs(EngineContext& ctx) {
    return ctx.FramePeriodMs;
}

int GetVideoSize(EngineContext& ctx, int* width, int* height) {
    CPlayer* player = PlayerOf(ctx);
    std::shared_ptr<playback::VideoPresenter> display = player ? player->DisplayControl() : nullptr;
    if (!display || width == nullptr || height == nullptr)
        return 0;
    return Succeeded(display->GetNativeVideoSize(*width, *height)) ? 1 : 0;
}

bool CaptureCurrentPicture(EngineContext& ctx, CapturedPicture& out) {
    CPlayer* player = PlayerOf(ctx);
    std::shared_ptr<playback::VideoPresenter> display = player ? player->DisplayControl() : nullptr;
    int width = 0;
    int height = 0;
    if (!display || Failed(display->GetNativeVideoSize(width, height)) || width <= 0 ||
        height <= 0) {
        return false;
    }
    std::vector<uint8_t> pixels;
    if (Failed(display->CaptureFrame(width, height, pixels)) ||
        pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 4) {
        return false;
    }
    out.Width = width;
    out.Height = height;
    out.Pixels = std::move(pixels);
    return true;
}

int SaveJpeg(EngineContext& ctx, const std::filesystem::path& path) {
    CapturedPicture picture;
    if (!CaptureCurrentPicture(ctx, picture))
        return 0;
    return WriteJpegFile(path, picture.Pixels.data(), picture.Width, picture.Height) ? 1 : 0;
}

} // namespace kestrel
