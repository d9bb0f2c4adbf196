#pragma once
// The media objects of the open movie: the player and the overlay drawing objects.
// Made and filled by OpenMovie, emptied by CloseMovie, released with the context.
#include "engine/EngineContext.h"
#include "playback/CPlayer.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace kestrel {

// The picture the overlay text is drawn into before it is handed to the player's mixer.
struct OverlayBitmap {
    static constexpr int kWidth = 300;
    static constexpr int kHeight = 120;
    std::vector<uint8_t> Pixels; // 32-bit blue, green, red, unused; top row first
};

struct PlaybackGraph {
    std::unique_ptr<playback::CPlayer> Player; // none when no movie is open
    std::unique_ptr<OverlayBitmap> Overlay;
};

// An empty graph that the context releases through its own deleter.
PlaybackGraphPtr MakePlaybackGraph();

} // namespace kestrel
