#pragma once
// Opening and closing the movie, what the open movie measures, its data loaded per frame,
// and the JPEG capture of its picture.
#include "engine/EngineContext.h"

#include <cstdint>
#include <filesystem>
#include <vector>

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
// The picture shown now at the movie's own size, as the snapshot saves it: 32-bit pixels
// (blue, green, red, unused), rows bottom-up. False when no picture has been decoded.
struct CapturedPicture {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Pixels;
};
bool CaptureCurrentPicture(EngineContext& ctx, CapturedPicture& out);

} // namespace kestrel
