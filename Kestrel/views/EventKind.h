#pragma once
// The kinds of event the recorder marks along a recording. The numbering is shared by the
// graph's marks, the map's marker icons and the event jumps, so it never changes.
#include <QColor>
#include <QString>

namespace kestrel {

enum EventKind : int {
    KindGX = 0,            // G event, X axis (急ハンドル)
    KindGYAccel = 1,       // G event, Y axis, sudden acceleration (never classified)
    KindGYBrake = 2,       // G event, Y axis, hard braking
    KindGZDrop = 3,        // G event, Z axis, drop
    KindGZRise = 4,        // G event, Z axis, rise (never classified)
    KindManual = 5,        // manual recording, user point
    KindEmergencyStop = 6, // emergency recording stop
    KindParking = 7,       // parking monitoring
    KindSpeeding = 8,      // speeding; also the band along the bottom of the graph
    KindSpeedCamera = 9,   // automatic speed-enforcement camera
    KindRadar = 10,        // radar warning
    KindSupportSteer = 11, // drive support, sudden steering (drawn as the star)
    KindSupportAccel = 12, // drive support, sudden acceleration
    KindSupportBrake = 13, // drive support, hard braking
    kEventKindCount = 14,
};

// How the graph marks one kind: the label above the band, its row, the colour of its line.
struct EventKindStyle {
    const char* Label; // UTF-8; empty for the star of kind 11
    int Row;
    QColor Pen;
};

inline const EventKindStyle& StyleOf(int kind) {
    static const EventKindStyle kStyles[kEventKindCount] = {
        {"G", 1, QColor(0, 255, 0)},          {"G", 1, QColor(0, 255, 0)},
        {"G", 0, QColor(255, 0, 0)},          {"G", 2, QColor(128, 128, 255)},
        {"G", 2, QColor(128, 128, 255)},      {"M", 3, QColor(255, 255, 255)},
        {"\u203B", 3, QColor(255, 255, 255)}, {"P", 3, QColor(255, 255, 255)},
        {"#", 3, QColor(255, 255, 255)},      {"O", 3, QColor(255, 255, 255)},
        {"R", 3, QColor(255, 255, 255)},      {"", 4, QColor(255, 255, 0)},
        {"\u25B2", 5, QColor(255, 0, 255)},   {"\u25BC", 6, QColor(0, 255, 255)},
    };
    return kStyles[kind >= 0 && kind < kEventKindCount ? kind : 0];
}

} // namespace kestrel
