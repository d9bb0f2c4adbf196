#include "CKestrelDlg.h"

#include "engine/KnownBoxTypes.h"
#include "engine/RecordingCatalogue.h"
#include "jobs/CCsvExportCommand.h"
#include "jobs/CDeleteCommand.h"
#include "jobs/CJobController.h"
#include "jobs/CJoinCommand.h"
#include "jobs/CSnapshotCommand.h"
#include "map/CGoogleMapDlg2.h"
#include "map/CGoogleMapDlgWrap.h"
#include "map/MapTileSettings.h"
#include "map/WebEngineRuntime.h"
#include "settings/CSettingDlg.h"
#include "settings/EventMarkerToggles.h"
#include "settings/SettingsStore.h"
#include "shell/AppEvent.h"
#include "shell/SharedFonts.h"
#include "shell/UiQText.h"
#include "shell/UserLanguage.h"
#include "skin/CLogoDlg.h"
#include "skin/CMovieResource.h"
#include "skin/CMsgBox.h"
#include "skin/CSkinButton.h"
#include "skin/CSkinDialog.h"
#include "skin/CSkinProgressBarCtrl.h"
#include "skin/CSkinSliderCtrl.h"
#include "skin/SkinArtwork.h"
#include "skin/SkinPictures.h"
#include "sources/CFileListCtrl.h"
#include "sources/CFilerContainerDlg.h"
#include "sources/CSourceOpenDlg.h"
#include "transport/CEventJumps.h"
#include "transport/CTransportController.h"
#include "update/CInetConnectionAsync.h"
#include "update/UpdateSite.h"
#include "video/CMovieStatic.h"
#include "video/VideoModeHandler.h"
#include "views/CGSensorDlg.h"
#include "views/CInfoDlg.h"
#include "views/CObdDlg.h"
#include "views/ShownRecording.h"
#include "window/CEmptyPanel.h"
#include "window/MapOrLogo.h"
#include "window/PlayerKeys.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QToolTip>
#include <QTreeWidgetItem>
#include <QWindow>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>

namespace kestrel {
namespace {

struct ButtonSpec {
    int Id;
    int Bitmap;
    int TipSlot;
};

constexpr ButtonSpec kButtons[ButtonEnabling::kCount] = {
    {CKestrelDlg::IdStart, pictures::kButtonStart, 20},       // 先頭
    {CKestrelDlg::IdPrevious, pictures::kButtonPrevious, 13}, // 前
    {CKestrelDlg::IdPlayPause, pictures::kButtonPlay, 12},    // 再生
    {CKestrelDlg::IdSlower, pictures::kButtonSlower, 17},     // スロー
    {CKestrelDlg::IdFaster, pictures::kButtonFaster, 4},      // 早送り
    {CKestrelDlg::IdNext, pictures::kButtonNext, 9},          // 次
    {CKestrelDlg::IdSnapshot, pictures::kButtonSnapshot, 19}, // 静止画
    {CKestrelDlg::IdJoin, pictures::kButtonJoin, 1},          // 結合
    {CKestrelDlg::IdZoom, pictures::kButtonZoom, 21},         // 拡大
    {CKestrelDlg::IdBrowse, pictures::kButtonBrowse, 10},     // 参照
    {CKestrelDlg::IdDelete, pictures::kButtonDelete, 3},      // 削除
    {CKestrelDlg::IdSettings, pictures::kButtonSettings, 16}, // 設定
    {CKestrelDlg::IdCsv, pictures::kButtonCsv, 2},            // CSV
};

constexpr const char* kTitle = "Ravenlog4";
// The OBD panel: three gauges of 212 pixels, the lists under them and the title strip.
constexpr QSize kObdPanelSize{640, 230};

// Panels of views that have no drawing of their own yet.
const QColor kPanelBackground(0x1b, 0x1f, 0x24);
const QColor kPanelFrame(0x33, 0x3a, 0x43);

} // namespace

CKestrelDlg::CKestrelDlg(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      programPath_(QCoreApplication::applicationFilePath()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(MainLayout::kWindowSize);
    updateCheck_ = std::make_unique<CInetConnectionAsync>();
}

CKestrelDlg::~CKestrelDlg() {
    Shutdown();
    // The children go after the members: the surface must not ask the handler any more.
    if (video_)
        video_->SetHandler(nullptr);
}

bool CKestrelDlg::Initialise(const std::filesystem::path& startPath) {
    setWindowIcon(QIcon(SkinArtwork::Make(pictures::kAppIcon, CResourceImage::RatioFor(this))));

    mutexCache_ = std::make_unique<platform::RecursiveNamedMutex>("hMutexCache");
    mutexCpSet_ = std::make_unique<platform::RecursiveNamedMutex>("hMutexCpSet");
    if (!mutexCache_ || !mutexCpSet_)
        return false;

    SettingsStore::CaptureSettingsFolder();
    LanguageRow = UiTextTable::RowForLanguage(UserLanguage::DefaultId());
    SharedFonts::Create(UiQText(113), logicalDpiX(), logicalDpiY());
    QToolTip::setFont(SharedFonts::Font10());

    setWindowTitle(QString::fromUtf8(kTitle));
    const QRect work = WorkArea();
    corner_ = MainLayout::KeepOnWorkArea(
        QRect(work.center() - QPoint(width() / 2, height() / 2), MainLayout::kWindowSize), work);
    move(corner_);

    bank_.Load(this);
    CreateChildren();

    if (!SettingsStore::File().Exists()) {
        WriteSetting("DISPLAY", "INFOCHECK", "31");
        WriteSetting("DISPLAY", "ASPECT", "on");
        WriteSetting("DISPLAY", "VOLUME", "65535");
        MapTileSettings::WriteDefaults();
        UpdateSite::WriteDefaults();
    }

    StartEngine();
    noMap_ = WebEngineRuntime::CanRun() ? 0 : 1;
    mapBridge_ = std::make_unique<CGoogleMapDlgWrap>(map_, *engine_, *mutexCpSet_, this);
    mapBridge_->SetTracks(&transport_->Shown().Tracks());
    mapBridge_->SetEventCollector([this] {
        return transport_ ? CGoogleMapDlgWrap::MarkersOf(transport_->Shown().EventPositions())
                          : std::vector<MapEventMarker>{};
    });
    // The update check runs once per run, when the map page is first ready.
    connect(mapBridge_.get(), &CGoogleMapDlgWrap::UpdateCheckWanted, this, [this] {
        updateCheck_->StartUpdateCheck(QString::fromStdString(filePanel_->FirmwareVersion));
    });
    KnownBoxTypes::Shared();
    ReadDisplaySettings();
    CreatePopups();

    lapTime_ = std::make_unique<CLapTimeArea>(surface_);
    lapTime_->Setup(SharedFonts::Font10());

    ApplyLayout();
    ApplyVolume(volume_);
    SetPlayFace(false);
    RefreshButtons();

    progress_->SetRange(0, 100);
    progress_->SetPos(0);
    progress_->PlaceOver(this, video_);
    progress_->raise();
    progress_->repaint();
    progress_->hide();

    keys_ = std::make_unique<PlayerKeys>(
        *this, PlayerKeys::Hooks{[this] { return WaitingForMovie() || JobRunning(); },
                                 [this](int id) { return ButtonEnabled(id); },
                                 [this](int id) { OnCommand(id); }});
    initialised_ = true;
    OpenStartSource(startPath);
    SetTimer(TimerHousekeeping, 1000);
    if (noMap_) {
        CMsgBox(this).Show(
            QStringLiteral("地図を表示する Web エンジン (Qt WebEngine) を起動できません。"
                           "地図の代わりにロゴを表示します。"),
            CMsgBox::ErrorCaption());
    }
    return true;
}

void CKestrelDlg::OpenStartSource(const std::filesystem::path& startPath) {
    std::error_code ec;
    if (!startPath.empty() && std::filesystem::exists(startPath, ec)) {
        const bool folder = std::filesystem::is_directory(startPath, ec);
        filePanel_->OpenSource(startPath, folder ? SourceFolder : SourceFile);
        RefreshButtons();
        return;
    }
    if (filePanel_->OpenInitialSource() || filePanel_->RowCount() > 0) {
        if (filePanel_->SourceKind == SourceSdCard)
            csvBlocked_ = 0;
        RefreshButtons();
    }
}

void CKestrelDlg::CreateChildren() {
    const QRect screen = ScreenRect();
    const int side = std::max(screen.width(), screen.height());
    surface_.Create(QSize(side, side), CResourceImage::RatioFor(this));

    filePanel_ = new CFilerContainerDlg(this, this);
    filePanel_->setObjectName(QStringLiteral("FilePanel"));
    connect(filePanel_, &CFilerContainerDlg::Command, this, [this](int id) { OnCommand(id); });
    video_ = new CMovieStatic(this, this);
    video_->setObjectName(QStringLiteral("VideoSurface"));
    map_ = new CGoogleMapDlg2(this);
    map_->hide();
    gsensor_ = new CGSensorDlg(this);
    gsensor_->setObjectName(QStringLiteral("GSensorView"));
    infoPanel_ = new CInfoDlg(this);
    infoPanel_->setObjectName(QStringLiteral("InfoPanel"));
    gsensor_->LendSurface(&surface_);
    gsensor_->SetPictures(bank_);
    infoPanel_->LendSurface(&surface_);
    infoPanel_->SetPictures(&bank_);
    logo_ = new CLogoDlg(bank_, this);
    logo_->setObjectName(QStringLiteral("LogoPanel"));
    logo_->hide();

    seekSlider_ = new CSkinSliderCtrl(IdSeekSlider, this);
    seekSlider_->setObjectName(QStringLiteral("SeekSlider"));
    seekSlider_->LoadImages(pictures::kSeekFilled, pictures::kSeekEmpty, pictures::kSeekThumb,
                            pictures::kSeekThumbPressed);
    volumeSlider_ = new CSkinSliderCtrl(IdVolumeSlider, this);
    volumeSlider_->setObjectName(QStringLiteral("VolumeSlider"));
    volumeSlider_->LoadImages(pictures::kVolumeFilled, pictures::kVolumeEmpty,
                              pictures::kVolumeThumb, pictures::kVolumeThumbPressed);
    volumeSlider_->Min = 0;
    volumeSlider_->Max = kMaxVolume;

    progress_ = new CSkinProgressBarCtrl(IdProgressBar, this);
    progress_->setObjectName(QStringLiteral("ProgressBar"));
    progress_->setFont(SharedFonts::Font10());
    progress_->setGeometry(0, height() - CSkinProgressBarCtrl::kHeight, width(),
                           CSkinProgressBarCtrl::kHeight);

    CreateButtons();
}

void CKestrelDlg::CreateButtons() {
    for (size_t i = 0; i < buttons_.size(); ++i) {
        auto* button = new CSkinButton(kButtons[i].Id, QSize(32, 32), this);
        button->setObjectName(QStringLiteral("Button%1").arg(kButtons[i].Id));
        button->SetImage(kButtons[i].Bitmap);
        button->setToolTip(UiQText(kButtons[i].TipSlot));
        connect(button, &QAbstractButton::clicked, this,
                [this, id = kButtons[i].Id] { OnCommand(id); });
        buttons_[i] = button;
    }
    struct CaptionSpec {
        int Id;
        int Bitmap;
        QSize Cell;
        int TipSlot;
    };
    const CaptionSpec captions[3] = {
        {IdClose, pictures::kCaptionClose, QSize(46, 18), 0},         // 閉じる
        {IdNextSize, pictures::kCaptionSize, QSize(26, 18), 8},       // 中
        {IdMinimise, pictures::kCaptionMinimise, QSize(26, 18), 137}, // 最小化
    };
    for (size_t i = 0; i < captions_.size(); ++i) {
        auto* button = new CSkinButton(captions[i].Id, captions[i].Cell, this);
        button->setObjectName(QStringLiteral("Caption%1").arg(captions[i].Id));
        button->SetImage(captions[i].Bitmap);
        button->setToolTip(UiQText(captions[i].TipSlot));
        connect(button, &QAbstractButton::clicked, this,
                [this, id = captions[i].Id] { OnCommand(id); });
        captions_[i] = button;
    }
}

void CKestrelDlg::CreatePopups() {
    settingsDlg_ = new CSettingDlg(this);
    settingsDlg_->setObjectName(QStringLiteral("SettingsDialog"));
    markerToggles_ = std::make_unique<EventMarkerToggles>(
        [this](int entry, bool shown) { ShowGraphEntry(entry, shown); },
        [this] { gsensor_->update(); }, [this] { SendEventPositions(); });
    obdPanel_ = new CObdDlg(this);
    obdPanel_->setObjectName(QStringLiteral("ObdPanel"));
    obdPanel_->setWindowTitle(UiQText(140)); // 車両情報
    obdPanel_->CreateCloseButton(2);
    obdPanel_->SetPictures(bank_);
    obdPanel_->SetPlayingQuery(
        [this] { return engine_ && engine_->Ready && engine_->PlayState == 2; });
    obdPanel_->hide();
}

void CKestrelDlg::StartEngine() {
    api_ = &GetEngineApi();
    engine_ = std::make_unique<EngineContext>();
    api_->Init(*engine_, video_, std::string(UiText(113)));
    engine_->Ready = 1;
    engine_->SensorDataLoaded = 0;
    api_->SetHardwareDecoding(*engine_, ReadSetting("DECODE", "HW") == "on" ? 1 : 0);

    filePanel_->SetEngine(api_, engine_.get());
    transport_ =
        std::make_unique<CTransportController>(*api_, *engine_, *this, *filePanel_, *seekSlider_,
                                               *infoPanel_, *gsensor_, *mutexCache_, this);
    AddCommandHandler(transport_.get());
    gsensor_->SetData(&transport_->Shown().Events(), &transport_->Shown().GraphData());
    eventJumps_ = std::make_unique<CEventJumps>(*transport_, *gsensor_, *mutexCpSet_,
                                                [this] { SendEventPositionsToMap(); });
    videoModes_ = std::make_unique<VideoModeHandler>(*this, *video_, *api_, *engine_);
    video_->SetHandler(videoModes_.get());
    AddCommandHandler(videoModes_.get());
    jobs_ = std::make_unique<CJobController>(
        JobContext{*api_, *engine_, *transport_, *filePanel_, *progress_, *video_, *this, *this},
        JobDialogs::System());
    AddCommandHandler(jobs_.get());
    connect(filePanel_, &CFilerContainerDlg::RowSelected, this,
            [this](int row) { transport_->OnRowSelected(row); });
    connect(filePanel_, &CFilerContainerDlg::FolderSelected, this,
            [this](QTreeWidgetItem* previous, QTreeWidgetItem* current) {
                transport_->OnFolderSelected(previous, current);
            });
}

void CKestrelDlg::ReadDisplaySettings() {
    videoModes_->ReadAspectSetting();
    const std::string volume = ReadSetting("DISPLAY", "VOLUME");
    // A hand-edited value outside 0..65535 is held to the range the engine accepts.
    volume_ = volume.empty() ? kMaxVolume : std::clamp(SettingToInt(volume), 0, kMaxVolume);
}

QRect CKestrelDlg::WorkArea() const {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(QPoint(0, 0), MainLayout::kWindowSize);
}

QRect CKestrelDlg::ScreenRect() const {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? s->geometry() : QRect(QPoint(0, 0), MainLayout::kWindowSize);
}

QWidget* CKestrelDlg::InfoPanel() const {
    return infoPanel_;
}
QWidget* CKestrelDlg::GSensorView() const {
    return gsensor_;
}
QWidget* CKestrelDlg::MapWindow() const {
    return map_;
}
QWidget* CKestrelDlg::FilePanel() const {
    return filePanel_;
}

// ---- Shutdown ----

void CKestrelDlg::Shutdown() {
    if (shutDown_)
        return;
    shutDown_ = true;
    KillTimer(TimerHousekeeping);
    // The update check gives up a fetch in progress and its notice goes with the window.
    updateCheck_->Stop();
    if (!initialised_) {
        mutexCache_.reset();
        mutexCpSet_.reset();
        return;
    }
    // A running job is told to stop and waited for before anything it uses goes.
    if (jobs_)
        jobs_->Stop();
    StopAndClearPlayback();
    commandHandlers_.clear();
    jobs_.reset();
    eventJumps_.reset();
    gsensor_->SetData(nullptr, nullptr);
    // The tracks the map reads go with the transport.
    if (mapBridge_)
        mapBridge_->SetTracks(nullptr);
    // The transport's timers and workers end here; it holds on to "hMutexCache".
    transport_.reset();
    mapBridge_.reset();
    // A source that goes now is nobody's business any more.
    filePanel_->Watcher().SetWatchedPath({});
    if (engine_->Ready) {
        engine_->Ready = 0;
        api_->Shutdown(*engine_);
    }
    // The box-type index is shared by the whole process and lives until it ends: a worker that
    // still walks a box tree may be reading it.
    for (auto* mutex : {&mutexCache_, &mutexCpSet_}) {
        if (!*mutex)
            continue;
        (*mutex)->lock();
        (*mutex)->unlock();
        mutex->reset();
    }
    for (auto& [id, timer] : timers_)
        timer.stop();
}

// ---- Layout ----

void CKestrelDlg::ApplyLayout() {
    if (!video_)
        return;
    setUpdatesEnabled(false);
    const MainLayoutPlan plan = MainLayout::Plan(displaySize_, fullScreen_, ScreenRect());
    if (!fullScreen_)
        setGeometry(QRect(corner_, MainLayout::kWindowSize));
    video_->SetClientEdge(!fullScreen_);
    video_->setGeometry(plan.Video);

    const auto place = [](QWidget* w, const QRect& r, bool shown) {
        if (shown)
            w->setGeometry(r);
        w->setVisible(shown);
    };
    place(seekSlider_, plan.Seek, plan.SeekShown);
    infoPanel_->SetLayout(displaySize_);
    place(infoPanel_, plan.Info, plan.InfoShown);
    place(gsensor_, plan.GSensor, plan.GSensorShown);
    map_->setGeometry(plan.MapLogo);
    logo_->setGeometry(plan.MapLogo);
    place(filePanel_, plan.FilePanel, plan.FilePanelShown);
    if (plan.FilePanelShown) {
        filePanel_->PlaceControls(displaySize_ == SizeSmall ? CFilerContainerDlg::SideBySide
                                                            : CFilerContainerDlg::Stacked);
    }
    for (size_t i = 0; i < buttons_.size(); ++i) {
        place(buttons_[i], plan.Buttons[i], plan.ButtonShown[i]);
    }
    place(captions_[CaptionClose], plan.CaptionClose, plan.CaptionsShown);
    place(captions_[CaptionSize], plan.CaptionSize, plan.CaptionsShown);
    place(captions_[CaptionMinimise], plan.CaptionMinimise, plan.CaptionsShown);
    place(volumeSlider_, plan.Volume, plan.VolumeShown);
    if (progress_->isVisible())
        progress_->PlaceOver(this, video_);

    captions_[CaptionSize]->setToolTip(UiQText(MainLayout::NextSizeTextSlot(displaySize_)));
    DecideMapOrLogo();
    setUpdatesEnabled(true);
    update();
}

void CKestrelDlg::NextSize() {
    displaySize_ = MainLayout::NextSize(displaySize_);
    ApplyLayout();
    videoModes_->ResetZoom();
    const QPoint kept = MainLayout::KeepOnWorkArea(QRect(pos(), size()), WorkArea());
    if (kept != pos())
        move(kept);
}

const ZoomState& CKestrelDlg::Zoom() const {
    static const ZoomState unzoomed;
    return videoModes_ ? videoModes_->Zoom() : unzoomed;
}

int CKestrelDlg::AspectFlag() const {
    return videoModes_ ? videoModes_->AspectFlag() : 0;
}

void CKestrelDlg::SetFullScreen(bool on) {
    if (videoModes_)
        videoModes_->SetFullScreen(on);
}

void CKestrelDlg::ApplyFullScreenLayout(bool on) {
    if (on == fullScreen_ || !video_)
        return;
    if (on) {
        fullScreen_ = true;
        SetStaysOnTop(true);
        setGeometry(ScreenRect());
        ApplyLayout();
        raise();
        return;
    }
    // Still in full screen while the window leaves the top: none of its moves is a drop.
    SetStaysOnTop(false);
    fullScreen_ = false;
    ApplyLayout();
}

void CKestrelDlg::SetStaysOnTop(bool on) {
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    // Told to the window system in place: setting the flags on the widget would make a new
    // native window, which hides the window and moves it.
    overrideWindowFlags(flags);
    if (QWindow* native = windowHandle())
        native->setFlags(flags);
}

void CKestrelDlg::DecideMapOrLogo() {
    MapOrLogoInputs in;
    in.DisplaySize = displaySize_;
    in.FullScreen = fullScreen_;
    in.RecordingSelected = transport_ && transport_->CurrentIndex() >= 0;
    in.SampleHasPosition = mapMarker_.Valid;
    in.MapPageReady = mapBridge_ && mapBridge_->PageReady;
    in.DisplayedSlotHasGps =
        engine_ && engine_->Ready && transport_ && transport_->Shown().HasGpsSamples();
    if (in.RecordingSelected && transport_->CurrentIndex() < filePanel_->RowCount()) {
        in.RecordingKind = ClassifyName(
            filePanel_->List()->Rows[static_cast<size_t>(transport_->CurrentIndex())].FileName);
    }
    in.NoMap = noMap_ != 0;
    const MapOrLogoChoice choice = MapOrLogo::Decide(in);
    if (mapBridge_)
        mapBridge_->ShowMap(choice.ShowMap);
    logo_->setVisible(choice.ShowLogo);
    logoShown_ = choice.ShowLogo ? 1 : 0;
}

// ---- Buttons ----

bool CKestrelDlg::JobRunning() const {
    return jobs_ && jobs_->JobRunning != 0;
}

ButtonInputs CKestrelDlg::CollectButtonInputs() const {
    ButtonInputs in;
    in.ListCount = filePanel_ ? filePanel_->RowCount() : 0;
    in.CurrentIndex = transport_ ? transport_->CurrentIndex() : -1;
    in.SourceKind = filePanel_ ? filePanel_->SourceKind : SourceNone;
    in.CsvBlocked = csvBlocked_;
    in.Busy = (transport_ && transport_->WaitingForMovie() != 0) || JobRunning();
    if (engine_) {
        in.EngineReady = engine_->Ready != 0;
        in.PlayState = engine_->PlayState;
        in.SpeedCode = engine_->SpeedCode;
        in.SensorDataLoaded = engine_->SensorDataLoaded;
    }
    return in;
}

void CKestrelDlg::RefreshButtons() {
    if (!buttons_[0])
        return;
    const auto enabled = ButtonEnabling::Compute(CollectButtonInputs());
    for (size_t i = 0; i < buttons_.size(); ++i)
        buttons_[i]->setEnabled(enabled[i]);
}

void CKestrelDlg::SetPlayFace(bool pauseFace) {
    if (fullScreen_ || !buttons_[ButtonEnabling::PlayPause])
        return;
    CSkinButton* play = buttons_[ButtonEnabling::PlayPause];
    play->SetImage(pauseFace ? pictures::kButtonPause : pictures::kButtonPlay);
    play->setToolTip(UiQText(pauseFace ? 11 : 12)); // 一時停止 / 再生
}

// ---- Playback state the window keeps in order ----

void CKestrelDlg::PauseUnlessPaused() {
    if (engine_ && engine_->Ready && engine_->PlayState != 3)
        api_->Pause(*engine_);
}

void CKestrelDlg::StopPlayback() {
    if (transport_)
        transport_->StopPlayback();
}

void CKestrelDlg::ResetPlaybackViews() {
    if (transport_)
        transport_->ResetPlaybackViews();
}

void CKestrelDlg::StopAndClearPlayback() {
    PauseUnlessPaused();
    StopPlayback();
    api_->SetSpeed(*engine_, 1);
    ResetPlaybackViews();
    SetPlayFace(false);
}

// ---- What the transport asks of the window ----

void CKestrelDlg::DisableAllControls() {
    for (CSkinButton* button : buttons_)
        button->setEnabled(false);
}

void CKestrelDlg::EnableBrowseOnly() {
    DisableAllControls();
    buttons_[ButtonEnabling::Browse]->setEnabled(true);
    filePanel_->setEnabled(true);
}

void CKestrelDlg::EndZoomMode() {
    videoModes_->EndZoomMode();
}

// ---- What zoom and full screen ask of the window ----

void CKestrelDlg::PlaceFilePanel() {
    filePanel_->PlaceControls(filePanel_->LayoutMode());
}

void CKestrelDlg::RefreshSpeedLabel() {
    transport_->RefreshSpeedLabel();
}

void CKestrelDlg::ShowZoomMode(bool on) {
    // While zooming the file panel's controls stand aside: a click meant for the picture must
    // not open another recording.
    filePanel_->SetCollapsed(on);
    CSkinButton* zoom = buttons_[ButtonEnabling::Zoom];
    zoom->PressedLook = on ? 1 : 0;
    zoom->update();
}

bool CKestrelDlg::GuardRefuses() {
    return transport_->GuardRefuses();
}

bool CKestrelDlg::RecordingOpen() const {
    return transport_ && transport_->RecordingOpen();
}

bool CKestrelDlg::WaitingForMovie() const {
    return transport_ && transport_->WaitingForMovie();
}

int CKestrelDlg::ListCount() const {
    return filePanel_ ? filePanel_->RowCount() : 0;
}

int CKestrelDlg::StoredAspect() const {
    return ReadSetting("DISPLAY", "ASPECT") == "on" ? 1 : 0;
}

void CKestrelDlg::StoreAspect(int on) {
    WriteSetting("DISPLAY", "ASPECT", on ? "on" : "off");
}

bool CKestrelDlg::ButtonEnabled(int id) const {
    const int index = id - IdStart;
    return index >= 0 && index < ButtonEnabling::kCount &&
           buttons_[static_cast<size_t>(index)]->isEnabled();
}

void CKestrelDlg::SetWaitCursor(bool on) {
    if (on)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void CKestrelDlg::EndFolderAdvance() {
    videoModes_->EndZoomMode();
    if (fullScreen_)
        SetFullScreen(false);
    else
        ApplyLayout();
}

void CKestrelDlg::ReportOpenFailure() {
    CMsgBox(this).Show(UiQText(99), CMsgBox::ErrorCaption()); // 動画のオープンに失敗しました。
}

void CKestrelDlg::FillVideoBlack() {
    video_->ClearPicture();
}

void CKestrelDlg::ShowMapPosition(int frame, bool valid, double latitude, double longitude) {
    const bool validityChanged = mapMarker_.Valid != valid;
    mapMarker_.Frame = frame;
    mapMarker_.Valid = valid;
    if (valid) {
        mapMarker_.Latitude = latitude;
        mapMarker_.Longitude = longitude;
    }
    if (!mapBridge_)
        return;
    mapBridge_->SetMapPosition(frame, valid, latitude, longitude);
    if (validityChanged)
        DecideMapOrLogo();
    mapBridge_->PeriodicStep(transport_ ? transport_->CurrentIndex() : -1);
}

void CKestrelDlg::ShowPlayStateOnMap(int playState) {
    if (mapBridge_)
        mapBridge_->OnPlayState(playState);
}

void CKestrelDlg::ShowRecordingOnMap() {
    if (!mapBridge_ || !transport_)
        return;
    mapBridge_->OnRecordingOpened(transport_->CurrentIndex());
    mapBridge_->SetMapPosition(mapMarker_.Frame, mapMarker_.Valid, mapMarker_.Latitude,
                               mapMarker_.Longitude);
}

void CKestrelDlg::ShowVehicleValues(const ObdSample* obd, char vehicleDataLetter, int gpsValid) {
    if (obdPanel_)
        obdPanel_->SetValues(obd, vehicleDataLetter, gpsValid);
}

void CKestrelDlg::RebuildEventPositions() {
    if (eventJumps_)
        eventJumps_->RebuildEventPositions();
}

CSkinDialog* CKestrelDlg::ObdPanel() const {
    return obdPanel_;
}

void CKestrelDlg::ApplyVolume(int value) {
    volume_ = std::clamp(value, 0, kMaxVolume);
    WriteSetting("DISPLAY", "VOLUME", std::to_string(volume_));
    if (engine_)
        api_->SetVolume(*engine_, volume_);
    volumeSlider_->SetValue(volume_);
}

void CKestrelDlg::ShowPopup(QWidget* popup) {
    if (!popup)
        return;
    popup->show();
    popup->raise();
    popup->activateWindow();
}

// ---- Commands ----

void CKestrelDlg::OnCommand(int id) {
    // While a job runs its own dialogs are the only thing to answer; the keys are ignored too.
    if (JobRunning() && id != IdClose)
        return;
    switch (id) {
    case IdClose:
        Shutdown();
        close();
        QCoreApplication::quit();
        break;
    case IdMinimise:
        showMinimized();
        break;
    case IdNextSize:
        NextSize();
        break;
    case IdBrowse:
        OnOpenSource();
        break;
    case IdSettings:
        ShowPopup(settingsDlg_);
        break;
    case IdObdPanel:
        // The key V toggles the panel, so the same command closes it when it is open.
        if (obdPanel_->isVisible()) {
            obdPanel_->close();
            break;
        }
        obdPanel_->ShowPanel(this, kObdPanelSize.width(), kObdPanelSize.height());
        ShowPopup(obdPanel_);
        break;
    default:
        if (id >= IdFilterFirst && id < IdFilterFirst + CFileListCtrl::kFilterCount) {
            OnFilterCommand(id - IdFilterFirst);
            break;
        }
        for (CommandHandler* handler : commandHandlers_) {
            if (handler->OnCommand(id))
                break;
        }
        break;
    }
}

void CKestrelDlg::AddCommandHandler(CommandHandler* handler) {
    commandHandlers_.push_back(handler);
}

void CKestrelDlg::OnFilterCommand(int index) {
    const int shown = filePanel_->List()->KindFilter[static_cast<size_t>(index)];
    filePanel_->SetKindFilter(index, shown ? 0 : 1);
    if (filePanel_->RowCount() > 0) {
        filePanel_->update();
        RefreshButtons();
        return;
    }
    // Nothing is listed any more: nothing is played either.
    if (engine_->PlayState == 2)
        api_->Pause(*engine_);
    StopPlayback();
    api_->SetSpeed(*engine_, 1);
    ResetPlaybackViews();
    SetPlayFace(false);
    infoPanel_->AudioState = 0;
    infoPanel_->update();
    update();
    filePanel_->update();
    RefreshButtons();
}

void CKestrelDlg::ShowGraphEntry(int entry, bool shown) {
    gsensor_->SetEntryVisibility(entry, shown);
}

void CKestrelDlg::SendEventPositions() {
    RebuildEventPositions();
    SendEventPositionsToMap();
}

void CKestrelDlg::SendEventPositionsToMap() {
    if (mapBridge_ && transport_)
        mapBridge_->CreateMapTrack(transport_->CurrentIndex());
}

void CKestrelDlg::OnOpenSource() {
    PauseUnlessPaused();
    StopPlayback();
    infoPanel_->AudioState = 'R';
    ResetPlaybackViews();
    videoModes_->EndZoomMode();
    filePanel_->SelectFirstRow();
    CSourceOpenDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted) {
        csvBlocked_ = 1;
        RefreshButtons();
        return;
    }
    const int kind = dialog.Kind();
    // A path that is not there any more is not opened, and not reported either.
    if (const std::optional<std::filesystem::path> path =
            CSourceOpenDlg::PathToOpen(dialog.ChosenPath())) {
        filePanel_->OpenSource(*path, kind);
    }
    csvBlocked_ = kind == SourceSdCard && filePanel_->RowCount() > 0 ? 0 : 1;
    RefreshButtons();
}

// ---- Messages ----

void CKestrelDlg::showEvent(QShowEvent* event) {
    // The map page starts loading with the window, so that it is ready when a recording is.
    if (!noMap_ && initialised_ && !shutDown_)
        map_->CreateBrowserOnce();
    QWidget::showEvent(event);
}

bool CKestrelDlg::event(QEvent* event) {
    const int message = AppEvent::MessageOf(event);
    if (message < 0)
        return QWidget::event(event);
    const auto* app = static_cast<const AppEvent*>(event);
    OnAppMessage(message, app->WParam(), app->LParam());
    return true;
}

void CKestrelDlg::OnAppMessage(int message, intptr_t wParam, intptr_t lParam) {
    if (shutDown_)
        return;
    switch (message) {
    case WM_APP_SLIDER_DRAG:
    case WM_APP_SLIDER_PRESS:
    case WM_APP_SLIDER_RELEASE:
        OnSliderMessage(message, wParam, lParam);
        break;
    case WM_APP_SOURCE_GONE:
        OnSourceGone();
        break;
    case WM_APP_SETTING_TOGGLE:
        markerToggles_->OnToggle(wParam, lParam);
        break;
    case WM_APP_JOB_DONE:
    case WM_APP_JOB_PROGRESS:
    case WM_APP_DELETE_DONE:
        jobs_->OnMessage(message, wParam, lParam);
        break;
    case WM_APP_MAP_LOADED:
        if (mapBridge_)
            mapBridge_->OnPageReady(transport_ ? transport_->CurrentIndex() : -1);
        DecideMapOrLogo();
        update();
        break;
    case WM_APP_MAP_PICKED:
        if (transport_ && transport_->RecordingOpen() && engine_->Ready)
            transport_->SeekTo(static_cast<int>(lParam));
        break;
    default:
        // The graph's clicks and the axis buttons, then the engine's and the loader's reports.
        if (eventJumps_ && eventJumps_->OnMessage(message, wParam, lParam))
            break;
        if (transport_)
            transport_->OnMessage(message, wParam, lParam);
        break;
    }
}

void CKestrelDlg::OnSliderMessage(int message, intptr_t id, intptr_t position) {
    if (transport_ && transport_->WaitingForMovie())
        return;
    if (id == IdVolumeSlider) {
        if (message != WM_APP_SLIDER_PRESS)
            ApplyVolume(static_cast<int>(position));
        return;
    }
    if (transport_)
        transport_->OnMessage(message, id, position);
}

void CKestrelDlg::OnSourceGone() {
    StopAndClearPlayback();
    csvBlocked_ = 1;
    videoModes_->EndZoomMode();
    SetFullScreen(false);
    filePanel_->ClearSource();
    RefreshButtons();
    if (ProgramDriveRemoved()) {
        Shutdown();
        close();
        QCoreApplication::quit();
    }
}

bool CKestrelDlg::ProgramDriveRemoved() const {
    // The program runs from the vanished source's drive when its own file has gone with it.
    // Comparing path prefixes instead would end the program whenever any folder on its own
    // disk was removed.
    if (programPath_.isEmpty())
        return false;
    std::error_code ec;
    const std::filesystem::path self(programPath_.toStdString());
    return !std::filesystem::exists(self, ec) && ec != std::errc::permission_denied;
}

void CKestrelDlg::SetControlsForJob(bool enabled) {
    for (CSkinButton* button : buttons_)
        button->setEnabled(enabled);
    for (CSkinButton* button : captions_)
        button->setEnabled(enabled);
    for (QWidget* view : std::initializer_list<QWidget*>{filePanel_, infoPanel_, seekSlider_,
                                                         volumeSlider_, gsensor_, video_, map_})
        view->setEnabled(enabled);
}

void CKestrelDlg::RestoreLayout() {
    ApplyLayout();
}

void CKestrelDlg::ClearAfterEmptiedSource() {
    EndZoomMode();
    ResetPlaybackViews();
    infoPanel_->AudioState = 0;
    infoPanel_->update();
}

// ---- Timers ----

void CKestrelDlg::SetTimer(int id, int periodMs) {
    timers_[id].start(periodMs, this);
}

void CKestrelDlg::KillTimer(int id) {
    const auto it = timers_.find(id);
    if (it != timers_.end())
        it->second.stop();
}

bool CKestrelDlg::TimerActive(int id) const {
    if (id != TimerHousekeeping)
        return transport_ && transport_->TimerActive(id);
    const auto it = timers_.find(id);
    return it != timers_.end() && it->second.isActive();
}

void CKestrelDlg::timerEvent(QTimerEvent* event) {
    for (auto& [id, timer] : timers_) {
        if (timer.timerId() != event->timerId())
            continue;
        switch (id) {
        case TimerHousekeeping:
            // Once a second: objects whose deletion was deferred are deleted.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            break;
        default:
            // The playback tick and the open timers are the transport's own.
            KillTimer(id);
            break;
        }
        return;
    }
    QWidget::timerEvent(event);
}

// ---- Window ----

void CKestrelDlg::paintEvent(QPaintEvent* event) {
    const qreal dpr = devicePixelRatioF();
    const QPixmap* background = bank_.Picture(pictures::kBackground);
    if (background && scaledBackground_.size() != size() * dpr) {
        scaledBackground_ =
            background->scaled(size() * dpr, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        scaledBackground_.setDevicePixelRatio(dpr);
    }
    surface_.EnsureSize(size());
    {
        // Only what needs painting is drawn again: the slider and the strip ask for a small
        // part of the window with every shown frame while the movie plays.
        const QRect dirty = event->rect();
        QPainter s(&surface_.Bitmap());
        s.setClipRegion(event->region());
        if (background)
            s.drawPixmap(dirty.topLeft(), scaledBackground_,
                         QRectF(QPointF(dirty.topLeft()) * dpr, QSizeF(dirty.size()) * dpr));
        else
            s.fillRect(dirty, Qt::black);
        const QRect title(10, 4, 390, 26);
        if (!fullScreen_) {
            surface_.ApplyTextStyle(s);
            if (dirty.intersects(title)) {
                s.drawText(title, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                           QString::fromUtf8(kTitle));
            }
            // The large size has no information window: its readouts run along the bottom.
            if (displaySize_ == SizeLarge) {
                infoPanel_->DrawLarge(s, rect());
                infoPanel_->DrawVolumeIcon(s, rect());
            }
        }
    }
    QPainter painter(this);
    surface_.CopyTo(painter, QPoint(0, 0), size());
}

void CKestrelDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || fullScreen_)
        return;
    if (windowHandle() && windowHandle()->startSystemMove())
        return;
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - pos();
}

void CKestrelDlg::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - dragOffset_);
    }
}

void CKestrelDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        dragging_ = false;
}

void CKestrelDlg::moveEvent(QMoveEvent* event) {
    if (!fullScreen_ && !isMinimized())
        corner_ = pos();
    QWidget::moveEvent(event);
}

void CKestrelDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept(); // the window has no default or cancel action
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void CKestrelDlg::closeEvent(QCloseEvent* event) {
    Shutdown();
    event->accept();
    QCoreApplication::quit();
}

} // namespace kestrel
