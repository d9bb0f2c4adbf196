#pragma once
// What every playback operation needs of the open movie's player: the engine's play state,
// the one-frame-per-second flag, the player when its picture is on display, and the steps
// several operations share (pausing, showing a still, reporting a failed media call).
#include "engine/EngineContext.h"
#include "engine/PlaybackGraph.h"

#include <cstdint>
#include <mutex>

namespace kestrel {

// PlayState and OneFramePerSecond are read by the one-frame-per-second worker while the
// main window's thread changes them; both sides go through these.
void SetPlayState(EngineContext& ctx, int state);
int ReadPlayState(EngineContext& ctx);
void SetStepFlag(EngineContext& ctx, float flag);
float ReadStepFlag(EngineContext& ctx);

// The open movie's player; none when no movie is open.
playback::CPlayer* PlayerOf(EngineContext& ctx);
// Transport and placement do nothing until the player has its video display: the
// topology is not ready yet.
bool WaitingForDisplay(EngineContext& ctx);

// Runs `slot` on the player under the file lock once the movie's picture is on display;
// 0 when no movie is open or its first picture is still awaited.
template <class Slot> int WithShownPlayer(EngineContext& ctx, Slot&& slot) {
    if (!ctx.FileMutex)
        return 0;
    std::lock_guard fileLock(*ctx.FileMutex);
    playback::CPlayer* player = PlayerOf(ctx);
    if (player == nullptr || WaitingForDisplay(ctx))
        return 0;
    return slot(*player);
}

// The volume the player gets: the user's at normal speed, none at any other.
int VolumeForSpeed(const EngineContext& ctx);
// True for a successful media call; a failed one is reported in the error box.
bool Check(playback::MediaResult r);
// Pauses the session when the player is started, as the engine's Pause does.
void PauseIfStarted(playback::CPlayer& player);
// Starts at `position` and pauses at once: the picture of that time is shown and the
// clock waits there. The two commands are carried out together.
void ShowStillAt(playback::CPlayer& player, int64_t position);

} // namespace kestrel
