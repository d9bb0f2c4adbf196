#include "engine/TransportSlots.h"

#include "engine/PlayerAccess.h"

#include <algorithm>
#include <cmath>
#include <mutex>

namespace kestrel {

using playback::CPlayer;
using playback::Failed;
using playback::MediaSession;
using playback::Succeeded;

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
        // A seek stops the clock while the session prerolls; the clock then reports the
        // position it is about to start from, so the answer needs no waiting for it.
        const int64_t time = clock->GetPosition();
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

int SetVolume(EngineContext& ctx, int volume) {
    ctx.Volume = volume;
    CPlayer* player = PlayerOf(ctx);
    if (player == nullptr)
        return 1;
    return Succeeded(player->SetVolume(VolumeForSpeed(ctx))) ? 1 : 0;
}

} // namespace kestrel
