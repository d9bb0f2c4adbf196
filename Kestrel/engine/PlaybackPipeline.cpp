#include "engine/PlaybackPipeline.h"

#include "engine/JpegFile.h"
#include "engine/MediaErrorBox.h"
#include "engine/OverlayText.h"
#include "engine/PictureGeometry.h"
#include "engine/SensorCache.h"
#include "playback/MediaSource.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

namespace kestrel {

using playback::CPlayer;
using playback::Failed;
using playback::MediaResult;
using playback::MediaSession;
using playback::Succeeded;

namespace {

constexpr int kPlayStateNone = 0;
constexpr int kPlayStateStopped = 1;
constexpr int kPlayStatePlaying = 2;
constexpr int kPlayStatePaused = 3;

// PlayState and OneFramePerSecond are read by the one-frame-per-second worker while the
// main window's thread changes them; both sides go through these.
void SetPlayState(EngineContext& ctx, int state) {
    std::atomic_ref(ctx.PlayState).store(state);
}
int ReadPlayState(EngineContext& ctx) {
    return std::atomic_ref(ctx.PlayState).load();
}
void SetStepFlag(EngineContext& ctx, float flag) {
    std::atomic_ref(ctx.OneFramePerSecond).store(flag);
}
float ReadStepFlag(EngineContext& ctx) {
    return std::atomic_ref(ctx.OneFramePerSecond).load();
}

CPlayer* PlayerOf(EngineContext& ctx) {
    return ctx.Graph ? ctx.Graph->Player.get() : nullptr;
}

// Transport and placement do nothing until the player has its video display: the
// topology is not ready yet.
bool WaitingForDisplay(EngineContext& ctx) {
    CPlayer* player = PlayerOf(ctx);
    return player != nullptr && !player->DisplayControl();
}

// Runs `slot` on the player under the file lock once the movie's picture is on display;
// 0 when no movie is open or its first picture is still awaited.
template <class Slot> int WithShownPlayer(EngineContext& ctx, Slot&& slot) {
    if (!ctx.FileMutex)
        return 0;
    std::lock_guard fileLock(*ctx.FileMutex);
    CPlayer* player = PlayerOf(ctx);
    if (player == nullptr || WaitingForDisplay(ctx))
        return 0;
    return slot(*player);
}

int VolumeForSpeed(const EngineContext& ctx) {
    return ctx.SpeedCode == 1 ? ctx.Volume : 0;
}

bool Check(MediaResult r) {
    if (Succeeded(r))
        return true;
    ReportMediaError(r);
    return false;
}

// Pauses the session when the player is started, as the engine's Pause does.
void PauseIfStarted(CPlayer& player) {
    if (player.GetState() != CPlayer::kStarted)
        return;
    std::shared_ptr<MediaSession> session = player.Session();
    if (session && player.Source() && Succeeded(session->Pause()))
        player.SetState(CPlayer::kPaused);
}

// Starts at `position` and pauses at once: the picture of that time is shown and the
// clock waits there. The two commands are carried out together.
void ShowStillAt(CPlayer& player, int64_t position) {
    std::shared_ptr<MediaSession> session = player.Session();
    if (!session)
        return;
    MediaSession::CommandHold hold(*session);
    if (Succeeded(player.StartAt(position)))
        PauseIfStarted(player);
}

bool ReadFileStart(const std::filesystem::path& path) {
    // Only a regular file is opened: a named pipe under a movie's name would hold the open.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    char head[260];
    if (!file.read(head, sizeof head))
        return false;
    return head[4] == 'f' && head[5] == 't' && head[6] == 'y' && head[7] == 'p';
}

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

// Duration and frame period by the box walks; true when the movie may be played: longer
// than 1.5 seconds, or a short one whose frame period is exactly 15.
bool IsPlayableLength(EngineContext& ctx, const std::filesystem::path& path) {
    BoxScanner& scanner = ctx.Displayed.Scanner;
    float duration = 0.0f;
    if (scanner.OpenFile(path)) {
        ScanOutputs durationOut;
        durationOut.DurationSeconds = &duration;
        BoxPattern moov = BoxPattern::For("moov", &BoxScanner::MoovFound);
        BoxPattern mvhd = BoxPattern::For("mvhd", &BoxScanner::ReadMovieDuration);
        if (scanner.FindPattern(mvhd, &moov, durationOut)) {
            BoxPattern stts = BoxPattern::For("stts", &BoxScanner::ReadFramePeriod);
            if (scanner.FindBoxByPath(stts, ScanOutputs{}))
                ctx.FramePeriodMs = scanner.FramePeriod;
        }
    }
    const bool playable = duration > 1.5f || scanner.FramePeriod == 15.0f;
    scanner.Release();
    return playable;
}

// The frame rate FFmpeg reads from the streams, as the media detector would give it.
bool FramePeriodFromStreams(EngineContext& ctx, const std::filesystem::path& path) {
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0)
        return false;
    bool measured = avformat_find_stream_info(format, nullptr) >= 0;
    for (unsigned i = 0; measured && i < format->nb_streams; ++i) {
        const AVStream* stream = format->streams[i];
        double rate = av_q2d(stream->avg_frame_rate);
        if (!(rate > 0.0) && stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            rate = av_q2d(stream->r_frame_rate);
        }
        if (rate > 0.0)
            ctx.FramePeriodMs = static_cast<float>(1000.0 / rate);
    }
    avformat_close_input(&format);
    return measured;
}

// Places the picture: zoom and offsets, the letter box when the picture keeps its shape,
// the four black bars, then shows the right picture for the state.
bool PlacePicture(EngineContext& ctx, bool keepAspect) {
    int clientWidth = 0;
    int clientHeight = 0;
    if (ctx.Video != nullptr)
        ctx.Video->ClientSize(clientWidth, clientHeight);
    Rect r;
    if (!ZoomedRect(clientWidth, clientHeight, ctx.ZoomAnchorX, ctx.ZoomAnchorY, ctx.ZoomFactor,
                    r)) {
        return false;
    }
    r.Left += ctx.OffsetX;
    r.Right += ctx.OffsetX;
    r.Top += ctx.OffsetY;
    r.Bottom += ctx.OffsetY;
    ctx.DestinationRect = r;

    CPlayer* player = PlayerOf(ctx);
    std::shared_ptr<playback::VideoPresenter> display = player ? player->DisplayControl() : nullptr;
    if (keepAspect && display) {
        int w = 0;
        int h = 0;
        if (Failed(display->GetNativeVideoSize(w, h)) ||
            !LetterBox(r, w, h, clientWidth, clientHeight)) {
            return false;
        }
    }
    if (display) {
        Rect destination = r;
        if (ctx.UpsideDown) {
            std::swap(destination.Left, destination.Right);
            std::swap(destination.Top, destination.Bottom);
        }
        const playback::NormalizedRect whole;
        if (Succeeded(display->SetVideoPosition(&whole, &destination))) {
            display->SetAspectRatioMode(1);
        }
    }
    if (ctx.Video != nullptr && player != nullptr) {
        for (const Rect& bar : BlackBars(r, clientWidth, clientHeight)) {
            if (!bar.IsEmpty())
                ctx.Video->FillBlack(bar);
        }
    }
    if (player == nullptr)
        return true;
    switch (ReadPlayState(ctx)) {
    case kPlayStateStopped:
        // The stopped picture is the first frame.
        player->SetVolume(0);
        ShowStillAt(*player, 0);
        break;
    case kPlayStatePlaying:
    case kPlayStatePaused:
        if (display)
            display->RepaintVideo();
        break;
    default:
        player->SetVolume(VolumeForSpeed(ctx));
        break;
    }
    return true;
}

void StepWorker(EngineContext* ctx) {
    int turns = 0;
    while (ReadStepFlag(*ctx) != 0.0f) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (++turns < 100)
            continue;
        turns = 0;
        if (ReadPlayState(*ctx) != kPlayStatePaused) {
            if (ctx->StepTarget != nullptr) {
                ctx->StepTarget->PostAppMessage(WM_APP_STEP_FRAME, 0,
                                                static_cast<intptr_t>(ctx->StepCounter));
            }
            ++ctx->StepCounter;
        }
        if (ctx->StepCounter >= ctx->StepTotalFrames) {
            if (ctx->StepTarget != nullptr) {
                ctx->StepTarget->PostAppMessage(WM_APP_STEP_END, 0,
                                                static_cast<intptr_t>(ctx->StepCounter));
            }
            ctx->StepCounter = 0;
            return;
        }
    }
}

} // namespace

int64_t FrameToMediaTime(float framePeriodMs, int64_t frame) {
    // In double precision: a single-precision product loses whole frames' worth of
    // rounding past about a minute, and the frame read back would be one less.
    const double product =
        static_cast<double>(frame) * static_cast<double>(framePeriodMs) * 10000.0;
    return static_cast<int64_t>(product);
}

int64_t MediaTimeToFrame(float framePeriodMs, int64_t time) {
    const double unit = static_cast<double>(framePeriodMs) * 10000.0;
    if (!(unit > 0.0))
        return 0;
    // The time of frame n was truncated to 100 ns: a hair below n still means n.
    return static_cast<int64_t>(std::floor(static_cast<double>(time) / unit + 1e-4));
}

float RateOfSpeedCode(int code, int canPlayBackwards) {
    switch (code) {
    case 4:
        return 4.0f;
    case 2:
        return 2.0f;
    case -1:
        return canPlayBackwards ? -1.0f : 1.0f;
    case -2:
        return canPlayBackwards ? -2.0f : 0.5f;
    case -4:
        return canPlayBackwards ? -4.0f : 0.25f;
    default:
        return 1.0f;
    }
}

bool MeasureFramePeriod(EngineContext& ctx, const std::filesystem::path& path) {
    if (!ctx.FileMutex)
        return false;
    std::lock_guard fileLock(*ctx.FileMutex);
    BoxScanner& scanner = ctx.Displayed.Scanner;
    bool measured = false;
    if (scanner.OpenFile(path)) {
        BoxPattern stts = BoxPattern::For("stts", &BoxScanner::ReadFramePeriod);
        if (scanner.FindBoxByPath(stts, ScanOutputs{})) {
            ctx.FramePeriodMs = scanner.FramePeriod;
            measured = true;
        }
    }
    scanner.Release();
    if (!measured)
        measured = FramePeriodFromStreams(ctx, path);
    // Every frame conversion divides by the period: a movie without one cannot be played.
    if (!measured || !(ctx.FramePeriodMs > 0.0f))
        return false;
    ctx.Loaded.Scanner.FramePeriod = ctx.FramePeriodMs;
    ctx.Loaded.Scanner.FramePeriodCopy = ctx.FramePeriodMs;
    return true;
}

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

int Run(EngineContext& ctx) {
    return WithShownPlayer(ctx, [&](CPlayer& player) -> int {
        if (ReadPlayState(ctx) == kPlayStatePlaying)
            return 1;
        // A player that is running already (left so by the one-frame-per-second mode) is
        // playing; any other refusal leaves the state as it was.
        if (player.GetState() != CPlayer::kStarted && Failed(player.Play()))
            return 0;
        SetPlayState(ctx, kPlayStatePlaying);
        return 1;
    });
}

int SeekFrameWhilePlaying(EngineContext& ctx, int32_t frame) {
    return WithShownPlayer(ctx, [&](CPlayer& player) -> int {
        if (ReadPlayState(ctx) != kPlayStatePlaying)
            return 1;
        return Succeeded(player.StartAt(FrameToMediaTime(ctx.FramePeriodMs, std::max(frame, 0))))
                   ? 1
                   : 0;
    });
}

int Pause(EngineContext& ctx) {
    return WithShownPlayer(ctx, [&](CPlayer& player) -> int {
        if (ReadPlayState(ctx) == kPlayStatePaused)
            return 1;
        PauseIfStarted(player);
        SetPlayState(ctx, kPlayStatePaused);
        return 1;
    });
}

int Stop(EngineContext& ctx) {
    return WithShownPlayer(ctx, [&](CPlayer& player) -> int {
        if (ReadPlayState(ctx) == kPlayStateStopped)
            return 1;
        const int state = player.GetState();
        if (state == CPlayer::kStarted || state == CPlayer::kPaused) {
            std::shared_ptr<MediaSession> session = player.Session();
            if (session && Succeeded(session->Stop()))
                player.SetState(CPlayer::kStopped);
        }
        SetPlayState(ctx, kPlayStateStopped);
        return 1;
    });
}

int32_t GetCurrentFrame(EngineContext& ctx) {
    if (!ctx.FileMutex)
        return 0;
    std::lock_guard fileLock(*ctx.FileMutex);
    if (WaitingForDisplay(ctx))
        return 0;
    int64_t frame = 0;
    CPlayer* player = PlayerOf(ctx);
    if (const playback::PresentationClock* clock = player ? player->Clock() : nullptr) {
        // A clock that has just been started may still read 0: look again for up to 100 ms.
        int64_t time = 0;
        for (int reads = 0; reads < 10; ++reads) {
            time = clock->GetTime();
            if (time != 0)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        frame = time < 0 ? -1 : MediaTimeToFrame(ctx.FramePeriodMs, time);
    }
    ctx.LastFrame = frame;
    return static_cast<int32_t>(frame);
}

int SeekToFrame(EngineContext& ctx, int64_t frame) {
    return WithShownPlayer(ctx, [&](CPlayer& player) -> int {
        std::shared_ptr<MediaSession> session = player.Session();
        if (!session)
            return 0;
        const int64_t position = FrameToMediaTime(ctx.FramePeriodMs, std::max<int64_t>(frame, 0));
        {
            MediaSession::CommandHold hold(*session);
            if (Failed(player.StartAt(position)))
                return 0;
            PauseIfStarted(player);
        }
        SetPlayState(ctx, kPlayStatePaused);
        return 1;
    });
}

int JumpToFrame(EngineContext& ctx, int64_t frame) {
    return SeekToFrame(ctx, frame);
}

int SetSpeed(EngineContext& ctx, int speedCode) {
    float rate = RateOfSpeedCode(speedCode, ctx.CanPlayBackwards);
    if (speedCode == -1 && !ctx.CanPlayBackwards) {
        // Without backward play the slower command toggles between normal and half speed.
        if (ctx.SpeedCode == -2) {
            speedCode = 1;
            rate = 1.0f;
        } else if (ctx.SpeedCode == 1) {
            speedCode = -2;
            rate = 0.5f;
        }
    }
    ctx.SpeedCode = speedCode;
    CPlayer* player = PlayerOf(ctx);
    if (player == nullptr)
        return 1;
    // A movie without sound has no volume to set; the speed still changes.
    player->SetVolume(VolumeForSpeed(ctx));
    std::shared_ptr<MediaSession> rateControl = player->RateControl();
    if (!rateControl)
        return 0;
    return Succeeded(rateControl->SetRate(rate > 2.0f, rate)) ? 1 : 0;
}

int NextSpeedCode(EngineContext& ctx, int faster) {
    if (!ctx.Ready)
        return 0;
    if (ReadPlayState(ctx) != kPlayStatePlaying)
        return 1;
    // Faster: 4 and 2 go to 4, 1 to 2, -1 and -2 to 1 (-2 to -1 with backward play),
    // -4 to -2. Slower on this player: 4 to 2, 2 to 1, 1 to -1, -1 and -2 to -2, -4 to 1.
    switch (ctx.SpeedCode) {
    case 4:
        return faster ? 4 : 2;
    case 2:
        return faster ? 4 : 1;
    case 1:
        return faster ? 2 : -1;
    case -1:
        return faster ? 1 : -2;
    case -2:
        return faster ? (ctx.CanPlayBackwards ? -1 : 1) : -2;
    case -4:
        return faster ? -2 : 1;
    default:
        return 1;
    }
}

int SetOneFramePerSecond(EngineContext& ctx, float flag) {
    EndStepWorker(ctx);
    CPlayer* player = PlayerOf(ctx);
    if (flag != 0.0f) {
        if (ctx.FramePeriodMs == 0.0f)
            return 0;
        if (player != nullptr) {
            player->SetVolume(0);
            player->Play();
            ctx.StepTotalFrames = GetTotalFrames(ctx);
            ctx.StepCounter = GetCurrentFrame(ctx);
            ctx.StepTarget = ctx.Video != nullptr ? ctx.Video->ParentWindow() : nullptr;
            PauseIfStarted(*player);
            // The flag is set before the worker starts: it runs only while the flag is on.
            SetStepFlag(ctx, flag);
            ctx.StepThread = std::make_unique<std::thread>(StepWorker, &ctx);
        }
    } else if (player != nullptr) {
        player->Play();
        SetSpeed(ctx, ctx.SpeedCode);
    }
    SetStepFlag(ctx, flag);
    return 1;
}

int SetAspect(EngineContext& ctx, int mode) {
    if (PlayerOf(ctx) != nullptr) {
        if (WaitingForDisplay(ctx) || !PlacePicture(ctx, mode == 1))
            return 0;
    }
    ctx.AspectMode = mode;
    return 1;
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

int SetVolume(EngineContext& ctx, int volume) {
    ctx.Volume = volume;
    CPlayer* player = PlayerOf(ctx);
    if (player == nullptr)
        return 1;
    return Succeeded(player->SetVolume(VolumeForSpeed(ctx))) ? 1 : 0;
}

int DrawOverlayText(EngineContext& ctx, const std::string& text) {
    if (!ctx.FileMutex)
        return 0;
    std::lock_guard fileLock(*ctx.FileMutex);
    if (!ctx.Graph || !ctx.Graph->Overlay || !ctx.OverlayFont)
        return 0;
    if (!DrawOverlayBitmap(*ctx.OverlayFont, text, *ctx.Graph->Overlay))
        return 0;
    CPlayer* player = PlayerOf(ctx);
    std::shared_ptr<playback::VideoPresenter> mixer = player ? player->MixerBitmap() : nullptr;
    if (!mixer)
        return 0;
    int videoWidth = 0;
    int videoHeight = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    if (Failed(mixer->GetNativeVideoSize(videoWidth, videoHeight)))
        return 0;
    if (ctx.Video != nullptr)
        ctx.Video->ClientSize(clientWidth, clientHeight);
    const OverlayPlacement place =
        PlaceOverlay(clientWidth, clientHeight, videoWidth, videoHeight, ctx.AspectMode);
    playback::AlphaBitmap bitmap;
    bitmap.Pixels = ctx.Graph->Overlay->Pixels;
    bitmap.Width = OverlayBitmap::kWidth;
    bitmap.Height = OverlayBitmap::kHeight;
    bitmap.ColorKey = 0x000000;
    bitmap.Alpha = 0.8f;
    bitmap.DestLeft = place.Left;
    bitmap.DestTop = place.Top;
    bitmap.DestRight = place.Right;
    bitmap.DestBottom = place.Bottom;
    mixer->ClearAlphaBitmap();
    return Check(mixer->SetAlphaBitmap(std::move(bitmap))) ? 1 : 0;
}

int ClearOverlay(EngineContext& ctx) {
    if (!ctx.FileMutex)
        return 0;
    std::lock_guard fileLock(*ctx.FileMutex);
    CPlayer* player = PlayerOf(ctx);
    if (std::shared_ptr<playback::VideoPresenter> mixer =
            player ? player->MixerBitmap() : nullptr) {
        mixer->ClearAlphaBitmap();
    }
    return 1;
}

int SetUpsideDown(EngineContext& ctx, int flag) {
    CPlayer* player = PlayerOf(ctx);
    std::shared_ptr<playback::VideoPresenter> display = player ? player->DisplayControl() : nullptr;
    if (display) {
        Rect r;
        display->GetVideoPosition(r);
        // The normal rectangle, then turned over on both axes when the flag is set.
        if (r.Left > r.Right)
            std::swap(r.Left, r.Right);
        if (r.Top > r.Bottom)
            std::swap(r.Top, r.Bottom);
        if (flag) {
            std::swap(r.Left, r.Right);
            std::swap(r.Top, r.Bottom);
        }
        if (Failed(display->SetVideoPosition(nullptr, &r)))
            return 0;
        display->RepaintVideo();
    } else if (player != nullptr) {
        return 0;
    }
    ctx.UpsideDown = flag;
    return 1;
}

int SetVideoRect(EngineContext& ctx, int anchorX, int anchorY, int offsetX, int offsetY, float zoom,
                 int repaint) {
    if (!ctx.FileMutex)
        return 0;
    std::lock_guard fileLock(*ctx.FileMutex);
    if (WaitingForDisplay(ctx))
        return 0;
    ctx.ZoomAnchorX = anchorX;
    ctx.ZoomAnchorY = anchorY;
    ctx.OffsetX = offsetX;
    ctx.OffsetY = offsetY;
    ctx.ZoomFactor = zoom;
    (void)repaint; // the player repaints by its state
    return PlacePicture(ctx, ctx.AspectMode == 1) ? 1 : 0;
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

int Refresh(EngineContext& ctx) {
    CPlayer* player = PlayerOf(ctx);
    std::shared_ptr<playback::VideoPresenter> display = player ? player->DisplayControl() : nullptr;
    if (!display)
        return 0;
    return Succeeded(display->RepaintVideo()) ? 1 : 0;
}

int ReapplyRect(EngineContext& ctx) {
    if (!ctx.FileMutex)
        return 0;
    std::lock_guard fileLock(*ctx.FileMutex);
    return SetVideoRect(ctx, ctx.ZoomAnchorX, ctx.ZoomAnchorY, ctx.OffsetX, ctx.OffsetY,
                        ctx.ZoomFactor, 1);
}

PlaybackGraphPtr MakePlaybackGraph() {
    return PlaybackGraphPtr(new PlaybackGraph,
                            PlaybackGraphRelease{[](PlaybackGraph* graph) { delete graph; }});
}

int LoadSensorData(EngineContext& ctx, const std::filesystem::path& path) {
    if (!ctx.FileMutex)
        return 0;
    std::lock_guard fileLock(*ctx.FileMutex);
    return LoadSensorDataWithFrames(ctx, path, GetTotalFrames(ctx));
}

} // namespace kestrel
