#pragma once
// The viewer's one top-level window: a frameless 1120 x 700 window in three display sizes or
// full screen. It owns every view, routes the commands of its buttons and the messages posted
// to it, and runs its timers; the engine is reached only through the operation table.
#include "engine/EngineApi.h"
#include "engine/EngineContext.h"
#include "jobs/JobHost.h"
#include "platform/NamedMutex.h"
#include "shell/CommandHandler.h"
#include "skin/CLapTimeArea.h"
#include "skin/COffScreenDC.h"
#include "skin/CResourceImage.h"
#include "transport/PlaybackHost.h"
#include "video/VideoModeHost.h"
#include "window/ButtonEnabling.h"
#include "window/MainLayout.h"

#include <QBasicTimer>
#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

namespace kestrel {

class CJobController;
class CFilerContainerDlg;
class CGoogleMapDlg2;
class CGoogleMapDlgWrap;
class CGSensorDlg;
class CInfoDlg;
class CObdDlg;
class CTransportController;
class PlayerKeys;
class VideoModeHandler;
class CEventJumps;
class CLogoDlg;
class CMovieStatic;
class CSkinButton;
class CSettingDlg;
class CSkinDialog;
class CInetConnectionAsync;
class EventMarkerToggles;
class CSkinProgressBarCtrl;
class CSkinSliderCtrl;

class CKestrelDlg : public QWidget, public PlaybackHost, public VideoModeHost, public JobHost {
    Q_OBJECT
  public:
    // Commands of the buttons, the caption buttons and the menus.
    enum Command : int {
        IdClose = 13,
        IdMinimise = 14,
        IdNextSize = 15,
        IdStart = 38000,
        IdPrevious,
        IdPlayPause,
        IdSlower,
        IdFaster,
        IdNext,
        IdSnapshot,
        IdJoin,
        IdZoom,
        IdBrowse,
        IdDelete,
        IdSettings,
        IdCsv,
        IdObdPanel,
        IdAspect = 38200,
        IdFilterFirst = 38700,
        IdFilterLast = 38705,
    };
    enum Control : int { IdSeekSlider = 38100, IdVolumeSlider = 38101, IdProgressBar = 38102 };
    enum Timer : int {
        TimerTick = 100,
        TimerOpen = 101,
        TimerOpenTimeout = 102,
        TimerHousekeeping = 103,
        TimerIgnoreEnd = 104,
    };
    enum Caption : int { CaptionClose = 0, CaptionSize = 1, CaptionMinimise = 2 };
    static constexpr int kMaxVolume = 65535;

    explicit CKestrelDlg(QWidget* parent = nullptr);
    ~CKestrelDlg() override;

    // The start-up of the window, before it is shown. False when it had to stop early (the
    // window then stays empty and closes normally). `startPath` (a folder or a movie) is opened
    // instead of the initial source when it is given.
    bool Initialise(const std::filesystem::path& startPath = {});
    // Stops playback, the engine and the window's locks, in that order. Runs once.
    void Shutdown();
    bool IsShutDown() const { return shutDown_; }

    // Runs command `id` as a button or menu would.
    void OnCommand(int id);
    // Adds a part of the window that handles commands of its own; the window asks it for every
    // id that is not one of its window commands. The handler must outlive the window's use.
    void AddCommandHandler(CommandHandler* handler);

    // Lays the window out in its display size; in full screen only the video is shown.
    void ApplyLayout() override;
    // Full screen entered or left with everything that goes with it.
    void SetFullScreen(bool on);
    // The window's own part of entering and leaving full screen: on top of every window and
    // over the whole screen, or back at its corner in its display size.
    void ApplyFullScreenLayout(bool on) override;
    void RefreshButtons() override;
    // Stores the volume, writes it to the settings, hands it to the engine, moves the slider.
    void ApplyVolume(int value) override;

    int DisplaySize() const override { return displaySize_; }
    bool FullScreen() const override { return fullScreen_; }
    int Volume() const override { return volume_; }
    int AspectFlag() const;
    bool JobRunning() const override;
    int CsvBlocked() const { return csvBlocked_; }
    int LogoShown() const { return logoShown_; }
    const ZoomState& Zoom() const;
    QPoint Corner() const { return corner_; }
    bool TimerActive(int id) const;
    EngineContext* Engine() const { return engine_.get(); }
    // The playback side of the window; it exists from start-up until shutdown.
    CTransportController& Transport() const { return *transport_; }
    // Zoom, aspect and full screen; from start-up until shutdown.
    VideoModeHandler& VideoModes() const { return *videoModes_; }
    // The file commands and their jobs; from start-up until shutdown.
    CJobController& Jobs() const { return *jobs_; }

    CSkinButton* CommandButton(int index) const { return buttons_.at(static_cast<size_t>(index)); }
    CSkinButton* CaptionButton(int which) const { return captions_.at(static_cast<size_t>(which)); }
    CMovieStatic* VideoSurface() const { return video_; }
    CSkinSliderCtrl* SeekSlider() const { return seekSlider_; }
    CSkinSliderCtrl* VolumeSlider() const { return volumeSlider_; }
    CSkinProgressBarCtrl* ProgressBar() const { return progress_; }
    CLogoDlg* LogoPanel() const { return logo_; }
    QWidget* InfoPanel() const;
    QWidget* GSensorView() const;
    QWidget* MapWindow() const;
    QWidget* FilePanel() const;
    CInfoDlg* InfoView() const { return infoPanel_; }
    CGSensorDlg* GraphView() const { return gsensor_; }
    CFilerContainerDlg* FilerPanel() const { return filePanel_; }
    CSettingDlg* SettingsDialog() const { return settingsDlg_; }
    // The once-a-run update check; the map bridge starts it on its first ready page.
    CInetConnectionAsync& UpdateCheck() const { return *updateCheck_; }
    CSkinDialog* ObdPanel() const;
    CObdDlg* ObdView() const { return obdPanel_; }
    // What the map is given of the shown frame until the map itself shows it.
    struct MapMarker {
        int Frame = -1;
        bool Valid = false;
        double Latitude = 0.0;
        double Longitude = 0.0;
    };
    const MapMarker& MapPosition() const { return mapMarker_; }
    CGoogleMapDlg2* MapView() const { return map_; }
    CGoogleMapDlgWrap* MapBridge() const { return mapBridge_.get(); }
    int NoMap() const { return noMap_; }
    const CResourceImage& Pictures() const { return bank_; }

  protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

  private:
    void CreateChildren();
    void CreateButtons();
    void CreatePopups();
    void StartEngine();
    void ReadDisplaySettings();
    QRect WorkArea() const;
    QRect ScreenRect() const;

    void NextSize();
    void SetStaysOnTop(bool on);
    ButtonInputs CollectButtonInputs() const;
    void PauseUnlessPaused();
    // Playback stopped at normal speed, the recording closed and its views cleared.
    void StopAndClearPlayback();
    void StopPlayback();
    void ResetPlaybackViews();
    void ShowPopup(QWidget* popup);
    void OpenStartSource(const std::filesystem::path& startPath);
    void OnFilterCommand(int index);
    // A toggle of the settings dialog: graph entry `entry` shown or hidden on the graph and
    // the map, then the map given the event positions again.
    void ShowGraphEntry(int entry, bool shown);
    void SendEventPositions();
    // The event positions as they are to the map (its lines drawn again with them).
    void SendEventPositionsToMap();

    // PlaybackHost: what the transport asks of the window.
    void DecideMapOrLogo() override;
    void SetPlayFace(bool pauseFace) override;
    void DisableAllControls() override;
    void EnableBrowseOnly() override;
    void EndZoomMode() override;
    void SetWaitCursor(bool on) override;
    ZoomState CurrentZoom() const override { return Zoom(); }

    // VideoModeHost: the rest of what zoom and full screen ask of the window.
    void PlaceFilePanel() override;
    void RefreshSpeedLabel() override;
    void ShowZoomMode(bool on) override;
    bool GuardRefuses() override;
    bool RecordingOpen() const override;
    bool WaitingForMovie() const override;
    int ListCount() const override;
    int StoredAspect() const override;
    void StoreAspect(int on) override;
    void RunCommand(int id) override { OnCommand(id); }
    QWidget* MenuOwner() override { return this; }
    // A key's command runs only while its button could be pressed.
    bool ButtonEnabled(int id) const;
    void EndFolderAdvance() override;
    void ReportOpenFailure() override;
    void FillVideoBlack() override;
    void ShowMapPosition(int frame, bool valid, double latitude, double longitude) override;
    void ShowPlayStateOnMap(int playState) override;
    void ShowRecordingOnMap() override;
    void ShowVehicleValues(const ObdSample* obd, char vehicleDataLetter, int gpsValid) override;
    void RebuildEventPositions() override;

    // JobHost: what the jobs ask of the window.
    void SetControlsForJob(bool enabled) override;
    void RestoreLayout() override;
    void SetCsvBlocked(int blocked) override { csvBlocked_ = blocked; }
    void ClearAfterEmptiedSource() override;

    void OnAppMessage(int message, intptr_t wParam, intptr_t lParam);
    void OnSliderMessage(int message, intptr_t id, intptr_t position);
    void OnSourceGone();
    void OnOpenSource();
    bool ProgramDriveRemoved() const;

    void SetTimer(int id, int periodMs);
    void KillTimer(int id);

    // Engine
    const EngineApi* api_ = nullptr;
    std::unique_ptr<EngineContext> engine_;

    // Locks of the main window, taken before any of the engine's (then hFileMutex, then
    // hCacheFileMutex, then a scanner's hMutexFind).
    // "hMutexCache": the current recording index and the listed catalogue (the file list's
    // rows), against the loader and prefetch workers, which copy a path under it before they
    // start. Taken by the transport where it changes the index or reads a row for a worker.
    // Shutdown takes and releases it only to wait until no holder is left.
    // "hMutexCpSet": the event positions (ShownRecording::EventPositions) while they are
    // rebuilt and sent to the map and while the previous/next-event jumps search them. It
    // guards nothing yet: the positions arrive with the graph's classification and the map.
    std::unique_ptr<platform::RecursiveNamedMutex> mutexCache_;
    std::unique_ptr<platform::RecursiveNamedMutex> mutexCpSet_;
    // The map's bridge reads the engine and "hMutexCpSet": it goes before both.
    std::unique_ptr<CGoogleMapDlgWrap> mapBridge_;

    // Pictures and drawing
    CResourceImage bank_;
    COffScreenDC surface_;
    std::unique_ptr<CLapTimeArea> lapTime_;
    QPixmap scaledBackground_;

    // Children
    CMovieStatic* video_ = nullptr;
    CSkinSliderCtrl* seekSlider_ = nullptr;
    CSkinSliderCtrl* volumeSlider_ = nullptr;
    CSkinProgressBarCtrl* progress_ = nullptr;
    CInfoDlg* infoPanel_ = nullptr;
    CGSensorDlg* gsensor_ = nullptr;
    CGoogleMapDlg2* map_ = nullptr;
    CFilerContainerDlg* filePanel_ = nullptr;
    CLogoDlg* logo_ = nullptr;
    CSettingDlg* settingsDlg_ = nullptr;
    CObdDlg* obdPanel_ = nullptr;
    std::array<CSkinButton*, ButtonEnabling::kCount> buttons_{};
    std::array<CSkinButton*, 3> captions_{};

    // Window state
    int displaySize_ = SizeSmall;
    bool fullScreen_ = false;
    QPoint corner_;
    int volume_ = kMaxVolume;
    int csvBlocked_ = 1;
    int noMap_ = 0;
    int logoShown_ = 0;
    MapMarker mapMarker_;
    bool initialised_ = false;
    bool shutDown_ = false;

    // Dragging by the background
    bool dragging_ = false;
    QPoint dragOffset_;

    QString programPath_;
    std::map<int, QBasicTimer> timers_;
    // Parts of the window with commands of their own, asked in order (the transport first).
    std::vector<CommandHandler*> commandHandlers_;

    // The recording being shown and its transport; after the engine and the locks, so that it
    // goes before them.
    std::unique_ptr<CTransportController> transport_;
    std::unique_ptr<VideoModeHandler> videoModes_;
    std::unique_ptr<CEventJumps> eventJumps_;
    std::unique_ptr<PlayerKeys> keys_;
    // The jobs use the transport: they go first.
    std::unique_ptr<CJobController> jobs_;
    std::unique_ptr<EventMarkerToggles> markerToggles_;
    std::unique_ptr<CInetConnectionAsync> updateCheck_;
};

} // namespace kestrel
