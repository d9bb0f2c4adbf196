#pragma once
// One recording (or folder) of the catalogue, copied by value between lists.
#include "engine/DateTime.h"

#include <cstdint>
#include <string>

namespace kestrel {

// The kind of a recording, from the letter of its file name's kind marker.
enum RecordingKind : int32_t {
    KindNone = -1,
    KindContinuous = 0,   // A
    KindImpact = 1,       // G
    KindManual = 2,       // M
    KindParking = 3,      // P
    KindParkingImpact = 4, // S
    KindSpeedCamera = 5,  // O
    KindRadar = 6,        // R
    KindParkingT = 7,     // T
    KindParkingImpactU = 8, // U
};

// Bit set of the kinds of recording in a folder.
using KindMask = uint32_t;

enum EntryTypeCode : int32_t { EntryRecording = 0, EntryFolder = -1 };

struct RecordingEntry {
    std::string FullPath;  // UTF-8, full path of the file or folder
    std::string FileName;  // UTF-8, last path component
    int32_t ListIndex = 0;
    int32_t Serial = 0;
    int32_t EntryType = EntryRecording;
    int32_t NameInitial = 0;
    int32_t Checked = 0;
    int32_t ResolutionClass = 0;
    float FramesPerSecond = 0.0f;
    DateTime StartTime;
    DateTime EndTime;
    uint64_t FileSize = 0;
};

} // namespace kestrel
