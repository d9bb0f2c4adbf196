#pragma once
// Opening and closing the movie, what the open movie measures, its data loaded per frame,
// and the JPEG capture of its picture.
#include "engine/EngineContext.h"

#include <cstdint>
#include <filesystem>

namespace kestrel {

int OpenMovie(EngineContext& ctx, const std::filesystem::path& path);
int CloseMovie(EngineContext& ctx);
// Slot 5: the file's decoded data in the loaded slot, indexed per frame of the open movie
// (GetTotalFrames).
int LoadSensorData(EngineContext& ctx, const std::filesystem::path& path);
int64_t GetTotalFrames(EngineContext& ctx);
int64_t GetTotalFrames2(EngineContext& ctx);
double GetFrameMs(EngineContext& ctx);
int GetVideoSize(EngineContext& ctx, int* width, int* height);
int SaveJpeg(EngineContext& ctx, const std::filesystem::path& path);

} // namespace kestrel
