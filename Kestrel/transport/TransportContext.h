#pragma once
// What the transport's roles share: the engine, the views and the window they act on, the
// state of the recording being shown, and each other. The transport controller builds one and
// owns it; only the roles in this folder read or write it.
#include "engine/EngineApi.h"
#include "platform/NamedMutex.h"

#include <cstdint>

class QObject;

namespace kestrel {

class CContinuousPlayback;
class CFilerContainerDlg;
class CFrameFanOut;
class CGSensorDlg;
class CInfoDlg;
class COpenSequence;
class CSkinSliderCtrl;
class CTransportCommands;
class CTransportController;
class PlaybackHost;
class ShownRecording;

namespace transport {
inline constexpr int kGraphLeftMargin = 50;
} // namespace transport

// The main window's state of the recording being shown.
struct TransportState {
    int CurrentIndex = -1;   // the list row being shown; guarded by "hMutexCache"
    int RecordingOpen = 0;   // its movie is open and its data load was tried
    int WaitingForMovie = 0; // an open is under way (delay, open, ready, load)
    int FolderAdvance = 0;   // the end of the list continues in the next folder
    int IgnoreNextEnd = 0;   // the next end of the movie is not an end of the recording
    int NearEndLock = 0;     // the tick disabled the buttons near the end
    int EndHandling = 0;     // the end of a recording is being handled
    int PlayWhenLoaded = 0;  // play as soon as the data is loaded
    int PendingSeek = -1;    // the frame a seek asked for, until the clock reaches it
    int ResetPending = 0;    // the views were reset and wait for the next recording's data
    int MapHasData = 0;      // a valid position was shown since the recording was opened
    int LastOpenFailed = 0;
    int RestoreAfterJob = 0; // a job closed the movie: reopen it and return to SavedFrame
    int SavedFrame = 0;
};

struct TransportContext {
    const EngineApi& Api;
    EngineContext& Engine;
    PlaybackHost& Host;
    CFilerContainerDlg& Panel;
    CSkinSliderCtrl& Seek;
    CInfoDlg& Info;
    CGSensorDlg& Graph;
    platform::RecursiveNamedMutex& MutexCache;
    QObject* Messages; // receives the loader's WM_APP+1301
    ShownRecording& Shown;
    CTransportController& Timers; // owns the transport's timers
    TransportState State;

    COpenSequence* Open = nullptr;
    CContinuousPlayback* Continuous = nullptr;
    CTransportCommands* Commands = nullptr;
    CFrameFanOut* Frames = nullptr;
};

} // namespace kestrel
