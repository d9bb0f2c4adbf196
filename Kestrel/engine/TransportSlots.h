#pragma once
// Transport in units of frames: play, pause, stop, seek, the position, speed and volume.
#include "engine/EngineContext.h"

#include <cstdint>

namespace kestrel {

int Run(EngineContext& ctx);
int SeekFrameWhilePlaying(EngineContext& ctx, int32_t frame);
int Pause(EngineContext& ctx);
int Stop(EngineContext& ctx);
int32_t GetCurrentFrame(EngineContext& ctx);
int SeekToFrame(EngineContext& ctx, int64_t frame);
int JumpToFrame(EngineContext& ctx, int64_t frame);
int SetSpeed(EngineContext& ctx, int speedCode);
int SetVolume(EngineContext& ctx, int volume);

// Not in the operation table: the next speed code for the faster and slower commands.
int NextSpeedCode(EngineContext& ctx, int faster);
// The playback rate of a speed code; `canPlayBackwards` as the context's flag. Code -1 on
// a player that cannot play backwards is resolved by SetSpeed, not here (rate 1).
float RateOfSpeedCode(int code, int canPlayBackwards);

// Frame arithmetic of the player: frame n is media time n x FramePeriodMs x 10 000 (100 ns,
// truncated), and back.
int64_t FrameToMediaTime(float framePeriodMs, int64_t frame);
int64_t MediaTimeToFrame(float framePeriodMs, int64_t time);

} // namespace kestrel
