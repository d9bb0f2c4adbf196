#pragma once
// Puts decoded samples on the movie's frames: sample times become frame numbers, each frame
// gets the G-sensor sample to show, G, GPS and vehicle samples are linked, and the peak G
// of the recording is found.
#include "engine/BoxScanner.h"

#include <cstdint>

namespace kestrel {

// Frame counts above this are refused: no recorder movie comes near it, and a hostile
// duration must not make the index take all memory (16.7 million frames is over 150 hours
// at 30 frames per second).
inline constexpr int64_t kMaxIndexedFrames = int64_t{1} << 24;

// The frame number of a sample time in milliseconds: trunc(time / period) in single
// precision (kept inside the 32-bit range).
int32_t FrameOfTime(int32_t timeMs, float framePeriodMs);

// Builds the scanner's frame index for a movie of `frames` frames using its FramePeriod.
// Fails, changing nothing, without frames, lists or frame period.
bool BuildFrameIndex(BoxScanner& scanner, int64_t frames);

} // namespace kestrel
