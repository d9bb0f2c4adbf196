#pragma once
// The playback side of the main window. It owns the state of the recording being shown, the
// owner of that recording's data and the transport's timers, and routes the commands, messages
// and file-panel notifications that concern playback to the role that handles them: the open
// sequence, continuous playback, the transport commands and the per-frame update of the views.
#include "shell/CommandHandler.h"
#include "transport/TransportContext.h"

#include <QBasicTimer>
#include <QObject>

#include <cstdint>
#include <map>
#include <memory>

class QTreeWidgetItem;

namespace kestrel {

class CStepCommands;
struct RecordingEntry;

class CTransportController : public QObject, public CommandHandler {
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

    // Commands 38000..38005 and the keys' steps (IdFrameBack..IdVolumeDown); false for other
    // ids.
    bool OnCommand(int id) override;
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
    // The information panel's speed text for the engine's speed.
    void RefreshSpeedLabel();
    // To the start (command 38000): normal speed, frame 0, stopped.
    void ToStart();

    // What the jobs ask of playback. A job that needs every file free closes the recording
    // (its frame kept); with RestoreAfterJob set the end of the job opens it again, and once its
    // data is loaded it stands at the kept frame (paused unless that is frame 0).
    void CloseForJob();
    bool ReopenAfterJob();
    void SetRestoreAfterJob(bool on) { c_->State.RestoreAfterJob = on ? 1 : 0; }
    void SetSavedFrame(int frame) { c_->State.SavedFrame = frame; }
    int RestoreAfterJob() const { return c_->State.RestoreAfterJob; }
    // The paused picture made the exact current frame again; the end of the movie this may
    // report is not the recording's.
    void SeekToCurrentFrame();
    // No row counts as shown: the next selection opens whatever row it is.
    void ForgetCurrentRow() { c_->State.CurrentIndex = -1; }

    bool TimerActive(int id) const;
    void StartTimer(int id, int periodMs);
    void KillTimer(int id);
    const RecordingEntry* CurrentEntry() const;
    // The owner of the shown recording's data, from which the views take their values.
    ShownRecording& Shown() const { return *shown_; }

    // The state of the recording being shown.
    int CurrentIndex() const { return c_->State.CurrentIndex; }
    int RecordingOpen() const { return c_->State.RecordingOpen; }
    // The recording's frame count; 0 while the engine is not ready.
    int TotalFrames() const;
    int WaitingForMovie() const { return c_->State.WaitingForMovie; }
    int FolderAdvance() const { return c_->State.FolderAdvance; }
    int IgnoreNextEnd() const { return c_->State.IgnoreNextEnd; }
    int NearEndLock() const { return c_->State.NearEndLock; }
    int LastOpenFailed() const { return c_->State.LastOpenFailed; }

  protected:
    void timerEvent(QTimerEvent* event) override;

  private:
    std::unique_ptr<ShownRecording> shown_;
    std::unique_ptr<TransportContext> c_;
    std::unique_ptr<CFrameFanOut> frames_;
    std::unique_ptr<CTransportCommands> commands_;
    std::unique_ptr<CStepCommands> steps_;
    std::unique_ptr<CContinuousPlayback> continuous_;
    std::unique_ptr<COpenSequence> open_; // first to go: it joins the data workers
    std::map<int, QBasicTimer> timers_;
};

} // namespace kestrel
