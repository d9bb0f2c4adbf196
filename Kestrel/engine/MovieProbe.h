#pragma once
// Whether a file can be played, and its frame period: the file's start, its length by the
// box walks, and the frame rate of its streams when the boxes give none.
#include "engine/EngineContext.h"

#include <filesystem>

namespace kestrel {

// True when the file starts like a movie: an "ftyp" box within its first 260 bytes.
bool ReadFileStart(const std::filesystem::path& path);
// Duration and frame period by the box walks; true when the movie may be played: longer
// than 1.5 seconds, or a short one whose frame period is exactly 15.
bool IsPlayableLength(EngineContext& ctx, const std::filesystem::path& path);
// The movie's frame period into FramePeriodMs: the first stts delta, else the frame rate
// of the movie's streams. Also given to the loaded slot's scanner.
bool MeasureFramePeriod(EngineContext& ctx, const std::filesystem::path& path);

} // namespace kestrel
