#pragma once
// The media objects of the open movie. Filled by the playback pipeline.

namespace kestrel {

struct PlaybackGraph {
    void* Player = nullptr; // the media session player, none when no movie is open
};

} // namespace kestrel
