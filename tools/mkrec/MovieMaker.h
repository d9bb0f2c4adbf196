#pragma once
// Makes one recorder movie from options: picture and sound, the recorder's data from the
// scripted drive, and the odd layouts that tests of damaged files need.
#include "mkrec/MediaEncoder.h"
#include "mkrec/MovieWriter.h"
#include "mkrec/RecorderScript.h"
#include "mkrec/UdatBox.h"

#include <cstdint>
#include <filesystem>

namespace kestrel::mkrec {

struct MovieOptions {
    double Seconds = 2.0;
    VideoSettings Video;          // Frames is computed from Seconds and SttsDelta
    AudioKind Audio = AudioKind::Aac;
    DriveOptions Drive;           // Records is computed unless RecordsOverride is set
    bool DefaultEvents = true;    // fill Drive's events and stretches from the test drive
    int RecordsOverride = -1;     // 0..65535
    HeaderValues Header;
    int ChainedHeaders = 0;       // extra headers after the first, 0..24
    UdatPlace Place = UdatPlace::AfterMoov;
    bool BadTrailer = false;
    bool Short = false;           // under 260 bytes: ftyp, an empty mdat and the udat box
    int64_t TruncateTo = -1;      // cut the finished file to this many bytes
    bool PerFileRates = false;    // the rate figures of the file's own media in its descriptions
    MovieDamage Damage = MovieDamage::None;
};

struct MovieSummary {
    int Frames = 0;
    int SttsDelta = 0;
    int Width = 0;
    int Height = 0;
    double Seconds = 0.0;         // frames x delta / 90000
    AudioKind Audio = AudioKind::None;
    uint64_t Bytes = 0;           // size of the file as left on disk
    bool HasUdat = false;
    UdatContent Udat;             // what the udat box holds, as built
};

// The headers written for `options`: the first, then ChainedHeaders more whose last
// differs from the first (higher thresholds and build number).
std::vector<HeaderValues> HeaderChain(const MovieOptions& options);

// The number of frames and records the options give.
int FrameCount(const MovieOptions& options);
int RecordCount(const MovieOptions& options);

// Makes the movie at `path`, written under a temporary name beside it and renamed when
// complete; nothing is left behind on failure. Throws std::runtime_error or
// std::invalid_argument with a one-line message.
MovieSummary MakeMovie(const MovieOptions& options, const std::filesystem::path& path);

// Writes `bytes` to `path` through a temporary file in the same folder.
void WriteFileAtomically(const std::filesystem::path& path, const std::string& bytes);

} // namespace kestrel::mkrec
