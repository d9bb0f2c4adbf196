#pragma once
// One event marker of the shown recording, for the map and the previous/next-event jumps: the
// sample slot where a run of one event kind starts, the kind (also the map page's icon index),
// the classification entry that yielded it, the sample's G values and the values of the GPS
// sample linked to it. Plain copies: nothing here points into the engine's lists.
// The main window's list of them is guarded by "hMutexCpSet".
namespace kestrel {

struct EventPosition {
    int Slot = 0;  // index of the G sample (one per video frame in the frame index)
    int Kind = 0;  // EventKind 0..13
    int Entry = 0; // GraphEventEntry 0..9
    double X = 0.0, Y = 0.0, Z = 0.0;
    bool HasGps = false; // the sample has a linked GPS sample (with or without a fix)
    int Valid = 0;       // that GPS sample had a fix
    double Latitude = 0.0;
    double Longitude = 0.0;
    double SpeedKmh = 0.0;
    double Heading = 0.0;
};

} // namespace kestrel
