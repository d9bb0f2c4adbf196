#pragma once
// The prefetch cache of decoded recorder data, the take-over into the loaded slot and the
// all-files track.
#include "engine/EngineContext.h"
#include "engine/RecordingEntry.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace kestrel {

// Decodes `path` into the prefetch slot (no path: cancels and empties it). Called by the
// main window's workers directly. 0 when the engine is not ready.
int PrefetchSensorData(EngineContext& ctx, const std::filesystem::path* path);
// The file's decoded data in the loaded slot, indexed per frame of a movie of `frames`
// frames (slot 5, LoadSensorData, passes the open movie's count; callers that measured the
// movie themselves pass theirs). The loaded slot's FramePeriod must hold the movie's frame
// period.
int LoadSensorDataWithFrames(EngineContext& ctx, const std::filesystem::path& path,
                             int64_t frames);
// True while a prefetch is decoding exactly `path`. LoadSensorData for that file would wait
// for the whole decoding; the main window asks first and leaves the take-over to the
// worker's completion message, so that its own thread never waits for a decoding.
bool IsPrefetching(const EngineContext& ctx, const std::filesystem::path& path);
// Slot 6: ends one-off use of the displayed slot and frees the displayed and loaded lists.
int ReleaseScan(EngineContext& ctx);
// Replaces the all-files track with the GPS samples of `entries`, in order. A recording that
// cannot be opened is skipped (counted in `skipped` when given), so one damaged file does not
// cost the track of the recordings after it; false when any was skipped.
bool BuildAllFilesTrack(EngineContext& ctx, const std::vector<RecordingEntry>& entries,
                        size_t* skipped = nullptr);

} // namespace kestrel
