#pragma once
// One recorder movie decoded as the viewer decodes the recording it shows: its length
// measured the way the player counts frames, its recorder data taken into the engine's
// loaded slot and, when asked, indexed per frame.
#include "EngineSession.h"

#include "engine/BoxScanner.h"
#include "engine/MovieMeasurement.h"

#include <filesystem>
#include <string>

namespace kestrel::cli {

struct LoadedRecording {
    MovieMeasurement Movie;
    bool Indexed = false;                // the samples' times are frame numbers
    const BoxScanner* Data = nullptr;    // the engine's loaded slot
};

enum class FrameIndexing {
    None,       // sample times stay in milliseconds
    IfPossible, // indexed when the movie's frames can be counted
    Required,   // a movie whose frames cannot be counted fails
};

// False, with a one-line reason, when the file is not a readable recorder movie or its
// frames are required but cannot be counted.
bool LoadRecording(EngineSession& engine, const std::filesystem::path& file,
                   FrameIndexing indexing, LoadedRecording& out, std::string& error);

// "YYYY-MM-DD hh:mm:ss"
std::string FormatDateTime(const DateTime& time);

// A single-precision value as its shortest decimal text reads back, for output that shows
// 1.2 rather than the double nearest to the float nearest to 1.2.
double ShortestOfFloat(double value);

// Writes the text to stdout; false when it could not be written completely.
bool WriteOut(const std::string& text);

} // namespace kestrel::cli
