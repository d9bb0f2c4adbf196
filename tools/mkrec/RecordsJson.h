#pragma once
// The header and every record of a made movie as JSON field texts, so that other tools
// and tests can compare what they decode with what was written.
#include "mkrec/MovieMaker.h"

#include <string>

namespace kestrel::mkrec {

// One object: the movie's facts ("frames", "sttsDelta", "width", "height", "seconds",
// "audio", "bytes", "udat"), "headers" (the stored chain; the viewer uses the last),
// "recordCount" (as stored) and "records" (one object per record inside the box, texts
// as stored, bytes as numbers, the 18 words as numbers). Bytes outside printable ASCII
// in texts are written as \u00XX.
std::string RecordsJson(const MovieSummary& summary);

} // namespace kestrel::mkrec
