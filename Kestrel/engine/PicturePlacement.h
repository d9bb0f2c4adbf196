#pragma once
// Where the player shows the picture in the video surface: zoom, offsets, the letter box,
// the black bars, turning it over, and repainting it.
#include "engine/EngineContext.h"

namespace kestrel {

// Places the picture: zoom and offsets, the letter box when the picture keeps its shape,
// the four black bars, then shows the right picture for the state.
bool PlacePicture(EngineContext& ctx, bool keepAspect);

int SetAspect(EngineContext& ctx, int mode);
int SetUpsideDown(EngineContext& ctx, int flag);
int SetVideoRect(EngineContext& ctx, int anchorX, int anchorY, int offsetX, int offsetY, float zoom,
                 int repaint);
int ReapplyRect(EngineContext& ctx);
int Refresh(EngineContext& ctx);

} // namespace kestrel
