#pragma once
// One event position as the map receives it: a plain copy of what the event list holds, so
// that sending it reads no engine data.
namespace kestrel {

struct MapEventMarker {
    int Kind = 0;          // the event's kind, which is also the page's icon
    bool ShowOnMap = true; // its classification entry shows it on the map
    bool HasGps = false;   // the event has a sample with a linked GPS point
    double X = 0.0, Y = 0.0, Z = 0.0;
    int Time = 0; // the sample's frame
    double Latitude = 0.0;
    double Longitude = 0.0;
    int Valid = 0;
    double SpeedKmh = 0.0;
    double Heading = 0.0;
};

} // namespace kestrel
