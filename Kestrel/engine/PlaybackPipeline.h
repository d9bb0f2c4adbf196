#pragma once
// The engine side of playback: opening a movie, transport in units of frames, picture
// placement, the one-frame-per-second mode, the overlay text and the JPEG capture.
#include "engine/EngineContext.h"
#include "engine/MovieProbe.h"
#include "engine/MovieSlots.h"
#include "engine/OneFramePerSecond.h"
#include "engine/OverlaySlots.h"
#include "engine/PicturePlacement.h"
#include "engine/PlaybackGraph.h"
#include "engine/TransportSlots.h"
