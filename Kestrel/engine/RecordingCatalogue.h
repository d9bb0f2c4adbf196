#pragma once
// The catalogue of recordings: which files are the recorder's, their kinds, and the walks
// that list a folder or a card's tree in order.
#include "engine/RecordingEntry.h"

#include <filesystem>

namespace kestrel {

// True when the file ends with the recorder's trailer and starts with an "ftyp" box.
bool IsRecorderFile(const std::filesystem::path& path);

} // namespace kestrel
