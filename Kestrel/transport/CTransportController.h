#pragma once
// The playback side of the main window: opening the recording chosen in the file panel,
// loading its data through the prefetch workers, the transport commands, the position
// slider, the per-frame update of the views, and continuous playback into the next
// recording and the next folder. The main window owns it and routes to it the commands,
// messages and keys that concern playback.
#include "transport/CPrefetchWorker.h"
#include "engine/EngineApi.h"
#include "platform/NamedMutex.h"

#include <QBasicTimer>
#include <QObject>

#include <cstdint>
#include <map>
#include <string>

class QTreeWidgetItem;

namespace kestrel {

class CFilerContainerDlg;
class CGSensorDlg;
class CInfoDlg;
class CSkinSliderCtrl;
class PlaybackHost;
struct RecordingEntry;

class CTransportController : public QObject {
    Q_OBJECT
  public:
    enum Timer : int {
        TimerTick = 100,
        TimerOpen = 101,
        TimerOpenTimeout = 102,
        TimerIgnoreEnd = 104
    };
    enum Command : int { IdStart = 38000, IdPrevious, IdPlayPause, IdSlower, IdFaster, IdNext };
    enum OpenModeCode : int { OpenByUser = 0, OpenByNext = 1, OpenByPrevious = 2 };
    static constexpr int kOpenDelayMs = 500;
    static constexpr int kOpenTimeoutMs = 30000;
    static constexpr int kTickMs = 30;
    static constexpr int kLoaderDelayMs = 80;

    // `messages` receives the loader's WM_APP+1301 (the main window, which routes it back).
    CTransportController(const EngineApi& api, EngineContext& engine, PlaybackHost& host,
                         CFilerContainerDlg& panel, CSkinSliderCtrl& seek, CInfoDlg& info,
                         CGSensorDlg& graph, platform::RecursiveNamedMutex& mutexCache,
                         QObject* messages);
    ~CTransportController() override;

    // Frames before the end within which a playing recording refuses commands: 20, 40 at
    // speed code 2, 80 at code 4.
    static int EndMargin(int speedCode);
    // UI text of the speed label: "再生速度x2.0" ... for codes 2, 4, -2, -4; 0 (no text) else.
    static int SpeedLabelSlot(int speedCode, bool engineReady);
    // The resolution class of a movie `height` lines high: 1..6, 0 for other heights.
    static int ResolutionClass(int height, char pictureLetter);
    // The graph scale of a recording's peak G.
    static int GraphScale(double peakG);

    // Commands 38000..38005; false for other ids.
    bool OnCommand(int id);
    // Engine, player, slider and loader messages; false for messages it does not handle.
    bool OnMessage(int message, intptr_t wParam, intptr_t lParam);
    // The file panel's notifications.
    void OnRowSelected(int row);
    void OnFolderSelected(QTreeWidgetItem* previous, QTreeWidgetItem* current);

    void SelectRecording(int index, int openMode);
    void ResetPlaybackViews();
    void StopPlayback();
    bool PlayAndResume();
    bool PauseAndHold();
    void SeekTo(int target);
    void ShowFrame(int frame);
    void RepaintVideo();
    void NextRecording();
    void NextFolder();
    // The near-end guard: true when a command must be ignored now.
    bool GuardRefuses();

    bool TimerActive(int id) const;
    const RecordingEntry* CurrentEntry() const;

    // Main-window state of the recording being shown.
    int CurrentIndex = -1;
    int RecordingOpen = 0;
    int WaitingForMovie = 0;
    int FolderAdvance = 0;
    int IgnoreNextEnd = 0;
    int NearEndLock = 0;
    int EndHandling = 0;
    int PlayWhenLoaded = 0;
    int PendingSeek = -1;
    int ResetPending = 0;
    int MapHasData = 0;
    int LastOpenFailed = 0;

  protected:
    void timerEvent(QTimerEvent* event) override;

  private:
    void OpenRequest(bool hold);
    void OnOpenTimer();
    void OnOpenTimeout();
    void OnMovieReady();
    void OnLoaderDone(intptr_t result);
    bool LoadAndPlay();
    void StartPrefetch();
    void ApplyLoadedData();
    void Tick();
    void OnEndOfMedia();
    bool EndOfRecording();
    // The seek slider's press, drag and release.
    void OnSlider(int message, int position);
    void PlayPause();
    void ChangeSpeed(bool faster);
    void ToStart();
    void Previous();
    // Selects the neighbour `index` with the slider and the graph back at the start.
    void StepTo(int index, int openMode);
    void EndWait();
    // Frees the shown recording's data and closes its movie.
    void CloseRecording();
    void RefreshSpeedLabel();
    bool LoadFolderOrFollowing(QTreeWidgetItem* item);
    void RebuildAllFilesTrack();

    void StartTimer(int id, int periodMs);
    void KillTimer(int id);

    const EngineApi& api_;
    EngineContext& engine_;
    PlaybackHost& host_;
    CFilerContainerDlg& panel_;
    CSkinSliderCtrl& seek_;
    CInfoDlg& info_;
    CGSensorDlg& graph_;
    platform::RecursiveNamedMutex& mutexCache_;
    QObject* messages_;

    CPrefetchWorker loader_;
    CPrefetchWorker prefetcher_;
    std::map<int, QBasicTimer> timers_;
    bool openArmed_ = true;
    std::string currentPath_; // the recording CurrentIndex stood for when it was selected
    int sliderPlayState_ = 0;
};

} // namespace kestrel
