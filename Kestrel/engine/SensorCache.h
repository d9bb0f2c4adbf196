#pragma once
// The prefetch cache of decoded recorder data, the take-over into the loaded slot and the
// all-files track.
#include "engine/EngineContext.h"
#include "engine/RecordingEntry.h"

#include <filesystem>
#include <vector>

namespace kestrel {

// Decodes `path` into the prefetch slot (no path: cancels and empties it). Called by the
// main window's workers directly. 0 when the engine is not ready.
int PrefetchSensorData(EngineContext& ctx, const std::filesystem::path* path);
// Slot 5: the file's decoded data in the loaded slot, indexed per frame.
int LoadSensorData(EngineContext& ctx, const std::filesystem::path& path);
// Slot 6: ends one-off use of the displayed slot and frees the displayed and loaded lists.
int ReleaseScan(EngineContext& ctx);
// Replaces the all-files track with the GPS samples of `entries`, in order.
bool BuildAllFilesTrack(EngineContext& ctx, const std::vector<RecordingEntry>& entries);

} // namespace kestrel
