#pragma once
// Reading just the recorder header of a movie (for the firmware version of a card and the
// list export), and the firmware version text.
#include "engine/EngineContext.h"
#include "engine/SensorSamples.h"

#include <filesystem>
#include <string>

namespace kestrel {

// Decodes the header of the movie's first "udat" box into `out` with a scanner of its own.
// Holds the context's hFileMutex when a context is given. True when the file could be
// walked and had a "udat" box; `out` is zero otherwise.
bool ReadHeaderOnly(EngineContext* ctx, const std::filesystem::path& path, RecorderHeader& out);

// "major.minor.build" plus the suffix ('0' gives ".0", 'A' and 'C' themselves, else none).
std::string FirmwareVersionText(const RecorderHeader& header);

} // namespace kestrel
