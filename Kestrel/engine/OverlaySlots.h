#pragma once
// The overlay text over the picture: drawn into the overlay bitmap and handed to the
// player's mixer in the picture's lower right corner, or taken away.
#include "engine/EngineContext.h"

#include <string>

namespace kestrel {

int DrawOverlayText(EngineContext& ctx, const std::string& text);
int ClearOverlay(EngineContext& ctx);

} // namespace kestrel
