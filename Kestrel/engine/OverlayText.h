#pragma once
// Draws the overlay text into the overlay bitmap: green on black, word-wrapped in the
// whole bitmap, with the overlay font (the family asked for, or the system's nearest
// Japanese font when it is not installed).
#include "engine/EngineContext.h"
#include "engine/PlaybackGraph.h"

#include <string>

namespace kestrel {

// Clears `bitmap` to black and draws `text` (UTF-8) into it. False when no font could be
// loaded; the bitmap is black then.
bool DrawOverlayBitmap(const OverlayFontSpec& font, const std::string& text, OverlayBitmap& bitmap);

} // namespace kestrel
