#pragma once
// Writes a recorder movie with its own box layout: "ftyp", "mdat", "moov" and the
// recorder's "udat" box, nothing else at the top level. The media data starts with eight
// bytes that are not media, as the recorder writes them; the video is the first track.
#include "mkrec/CivilTime.h"
#include "mkrec/MediaEncoder.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace kestrel::mkrec {

inline constexpr uint32_t kVideoTimescale = 90000;
inline constexpr uint32_t kMovieTimescale = 90000;
inline constexpr size_t kMdatFiller = 8;

enum class UdatPlace { AfterMoov, BeforeMdat, None };

// Damage done on purpose, for the tests of what a viewer does with a broken movie.
enum class MovieDamage {
    None,
    CutTimeTable,   // the picture track's time table announces an entry it does not hold
    HugeCounts,     // the picture track's sample counts are far larger than their tables
    NoDescription,  // the picture track's sample description lists no entry
    NoMediaBox,     // no media box: the tables point at pictures the file does not hold
    ChunksPastEnd,  // the picture track's chunks lie past the end of the file
    NoPictureTrack, // only the sound track is written
};

struct MovieParts {
    const VideoTrackData* Video = nullptr;
    VideoSettings Settings;
    const AudioTrackData* Audio = nullptr; // may hold AudioKind::None
    std::vector<uint8_t> Udat;             // the whole box
    UdatPlace Place = UdatPlace::AfterMoov;
    CivilTime Created; // the movie's creation time
    // Rate figures of this file's own media, as many encoders write them: a "btrt" box
    // after "avcC" and the measured rates in the audio decoder configuration. Without it
    // both stay fixed, the same in every file.
    bool PerFileRates = false;
    MovieDamage Damage = MovieDamage::None;
};

// The 20-byte "ftyp" box every generated file starts with.
std::vector<uint8_t> FileTypeBox();

// Writes the movie to `path` (created or replaced); throws std::runtime_error on failure.
void WriteMovie(const MovieParts& parts, const std::filesystem::path& path);

} // namespace kestrel::mkrec
