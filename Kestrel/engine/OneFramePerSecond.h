#pragma once
// The one-frame-per-second mode: a worker that posts the main window one step a second
// until the movie's last frame. It is ended by EndStepWorker (EngineContext.h).
#include "engine/EngineContext.h"

namespace kestrel {

int SetOneFramePerSecond(EngineContext& ctx, float flag);

} // namespace kestrel
