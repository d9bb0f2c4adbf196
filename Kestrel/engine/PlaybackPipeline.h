#pragma once
// The engine side of playback: opening a movie, transport in units of frames, picture
// placement, the overlay text and the JPEG capture.
#include "engine/EngineContext.h"
#include "engine/PlaybackGraph.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kestrel {

int OpenMovie(EngineContext& ctx, const std::filesystem::path& path);
int CloseMovie(EngineContext& ctx);
int Run(EngineContext& ctx);
int SeekFrameWhilePlaying(EngineContext& ctx, int32_t frame);
int Pause(EngineContext& ctx);
int Stop(EngineContext& ctx);
int32_t GetCurrentFrame(EngineContext& ctx);
int SeekToFrame(EngineContext& ctx, int64_t frame);
int JumpToFrame(EngineContext& ctx, int64_t frame);
int SetSpeed(EngineContext& ctx, int speedCode);
int SetOneFramePerSecond(EngineContext& ctx, float flag);
int SetAspect(EngineContext& ctx, int mode);
int64_t GetTotalFrames(EngineContext& ctx);
int64_t GetTotalFrames2(EngineContext& ctx);
double GetFrameMs(EngineContext& ctx);
int GetVideoSize(EngineContext& ctx, int* width, int* height);
int SetVolume(EngineContext& ctx, int volume);
int DrawOverlayText(EngineContext& ctx, const std::string& text);
int ClearOverlay(EngineContext& ctx);
int SetUpsideDown(EngineContext& ctx, int flag);
int SetVideoRect(EngineContext& ctx, int anchorX, int anchorY, int offsetX, int offsetY, float zoom,
                 int repaint);
int SaveJpeg(EngineContext& ctx, const std::filesystem::path& path);
// The picture shown now at the movie's own size, as the snapshot saves it: 32-bit pixels
// (blue, green, red, unused), rows bottom-up. False when no picture has been decoded.
struct CapturedPicture {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Pixels;
};
bool CaptureCurrentPicture(EngineContext& ctx, CapturedPicture& out);
int Refresh(EngineContext& ctx);
int ReapplyRect(EngineContext& ctx);

// Not in the operation table: the next speed code for the faster and slower commands.
int NextSpeedCode(EngineContext& ctx, int faster);
// The playback rate of a speed code; `canPlayBackwards` as the context's flag. Code -1 on
// a player that cannot play backwards is resolved by SetSpeed, not here (rate 1).
float RateOfSpeedCode(int code, int canPlayBackwards);
// The movie's frame period into FramePeriodMs: the first stts delta, else the frame rate
// of the movie's streams. Also given to the loaded slot's scanner.
bool MeasureFramePeriod(EngineContext& ctx, const std::filesystem::path& path);

// Slot 5: the file's decoded data in the loaded slot, indexed per frame of the open movie
// (GetTotalFrames).
int LoadSensorData(EngineContext& ctx, const std::filesystem::path& path);

// Frame arithmetic of the player: frame n is media time n x FramePeriodMs x 10 000 (100 ns,
// truncated), and back.
int64_t FrameToMediaTime(float framePeriodMs, int64_t frame);
int64_t MediaTimeToFrame(float framePeriodMs, int64_t time);

} // namespace kestrel
