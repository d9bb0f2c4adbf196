#pragma once
// Which of the main window's thirteen command buttons are enabled, from the state of the list,
// the engine and the window. Recomputed after every change of state.
#include <array>

namespace kestrel {

enum SourceKindCode : int { SourceNone = 0, SourceSdCard = 1, SourceFolder = 2, SourceFile = 3 };

struct ButtonInputs {
    int ListCount = 0;     // rows of the file panel's list; 0 also when there is no list
    int CurrentIndex = -1; // the selected recording, -1 for none
    bool EngineReady = false;
    int PlayState = 0; // 0 no movie, 1 stopped, 2 playing, 3 paused
    int SpeedCode = 1;
    int SensorDataLoaded = 0;
    int SourceKind = SourceNone;
    int CsvBlocked = 1;
    bool Busy = false; // a recording is being opened or a job runs
};

class ButtonEnabling {
  public:
    static constexpr int kCount = 13;
    // Button numbers, left to right.
    enum : int {
        Start = 0,
        Previous,
        PlayPause,
        Slower,
        Faster,
        Next,
        Snapshot,
        Join,
        Zoom,
        Browse,
        Delete,
        Settings,
        Csv
    };

    static std::array<bool, kCount> Compute(const ButtonInputs& in);
};

} // namespace kestrel
