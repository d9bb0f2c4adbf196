#pragma once
// One event marker of the shown recording, for the map and the previous/next-event jumps: the
// sample slot where a run of one event kind starts, the kind (also the map page's icon index),
// the classification entry that yielded it, and the position of the GPS sample linked to it.
// The main window's list of them is guarded by "hMutexCpSet".
namespace kestrel {

struct EventPosition {
    int Slot = 0;  // index of the G sample (one per video frame in the frame index)
    int Kind = 0;  // EventKind 0..13
    int Entry = 0; // GraphEventEntry 0..9
    bool HasGps = false;
    double Latitude = 0.0;
    double Longitude = 0.0;
};

} // namespace kestrel
