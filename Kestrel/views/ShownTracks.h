#pragma once
// The tracks the map draws, as plain values: the points with a fix of the shown recording and
// of the all-files track. ShownRecording copies them from the engine's lists under its data
// mutex, so that the map reads them without any engine lock.
#include <optional>
#include <vector>

namespace kestrel {

struct TrackPoint {
    double Latitude = 0.0;
    double Longitude = 0.0;
    int Time = 0; // the point's frame number
};

struct ShownTracks {
    // The shown recording's points; none while no recording's data is shown.
    std::optional<std::vector<TrackPoint>> Recording;
    // The route of the listed recordings.
    std::vector<TrackPoint> AllFiles;
};

} // namespace kestrel
