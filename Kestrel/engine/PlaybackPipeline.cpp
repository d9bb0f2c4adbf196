#include "engine/PlaybackPipeline.h"

// Playback is not built yet: every operation reports failure (0) and changes nothing,
// except the frame period, which is plain context state.
namespace kestrel {

int OpenMovie(EngineContext&, const std::filesystem::path&) { return 0; }
int CloseMovie(EngineContext&) { return 0; }
int Run(EngineContext&) { return 0; }
int SeekFrameWhilePlaying(EngineContext&, int32_t) { return 0; }
int Pause(EngineContext&) { return 0; }
int Stop(EngineContext&) { return 0; }
int32_t GetCurrentFrame(EngineContext&) { return 0; }
int SeekToFrame(EngineContext&, int64_t) { return 0; }
int JumpToFrame(EngineContext&, int64_t) { return 0; }
int SetSpeed(EngineContext&, int) { return 0; }
int SetOneFramePerSecond(EngineContext&, float) { return 0; }
int SetAspect(EngineContext&, int) { return 0; }
int64_t GetTotalFrames(EngineContext&) { return 0; }
int64_t GetTotalFrames2(EngineContext&) { return 0; }
double GetFrameMs(EngineContext& ctx) { return ctx.FramePeriodMs; }
int GetVideoSize(EngineContext&, int*, int*) { return 0; }
int SetVolume(EngineContext&, int) { return 0; }
int DrawOverlayText(EngineContext&, const std::string&) { return 0; }
int ClearOverlay(EngineContext&) { return 0; }
int SetUpsideDown(EngineContext&, int) { return 0; }
int SetVideoRect(EngineContext&, int, int, int, int, float, int) { return 0; }
int SaveJpeg(EngineContext&, const std::filesystem::path&) { return 0; }
int Refresh(EngineContext&) { return 0; }
int ReapplyRect(EngineContext&) { return 0; }

} // namespace kestrel
