#include "map/CGoogleMapDlgWrap.h"

#include "engine/EngineContext.h"
#include "map/CGoogleMapDlg2.h"
#include "map/CMapConnectionMonitor.h"
#include "shell/AppEvent.h"

#include <QWidget>

namespace kestrel {
namespace {


} // namespace

CGoogleMapDlgWrap::CGoogleMapDlgWrap(CGoogleMapDlg2* dialog, EngineContext& engine,
                                     platform::RecursiveNamedMutex& cpSetMutex, QObject* mainWindow,
                                     MapTileSettings tiles)
    : dialog_(dialog), engine_(engine), cpSet_(cpSetMutex), mainWindow_(mainWindow),
      tiles_(std::move(tiles)) {
    if (dialog_)
        dialog_->Bridge = this;
    monitor_ = std::make_unique<CMapConnectionMonitor>(
        tiles_.ProbeUrl(), tiles_.IsLocalFolder() ? tiles_.LocalFolder() : QString());
    monitor_->start();
}

CGoogleMapDlgWrap::~CGoogleMapDlgWrap() {
    monitor_->Stop();
    if (dialog_) {
        dialog_->Browser.Close();
        dialog_->Bridge = nullptr;
    }
}

int CGoogleMapDlgWrap::IsConnected() const {
    return monitor_->IsConnected.load();
}

// ---- What the page asks ----

int CGoogleMapDlgWrap::ConnectTest() {
    // The page keeps its map without a connection (only the tiles go), so a missing connection
    // does not make the page unready.
    return IsConnected();
}

void CGoogleMapDlgWrap::OnInitHtml() {
    PageReady = 1;
    PostAppEvent(mainWindow_, WM_APP_MAP_LOADED, 0, 0);
}

QVariantList CGoogleMapDlgWrap::ValueArray(const std::vector<TrackPoint>& points) {
    QVariantList values;
    values.reserve(static_cast<qsizetype>(points.size() * 3 + 1));
    for (const TrackPoint& p : points) {
        values.append(p.Latitude);
        values.append(p.Longitude);
        values.append(p.Time);
    }
    values.append(static_cast<int>(values.size()));
    return values;
}

std::vector<MapEventMarker> CGoogleMapDlgWrap::MarkersOf(const std::vector<EventPosition>& events) {
    std::vector<MapEventMarker> markers;
    markers.reserve(events.size());
    for (const EventPosition& e : events) {
        MapEventMarker m;
        m.Kind = e.Kind;
        m.Time = e.Slot;
        m.HasGps = e.HasGps;
        m.X = e.X;
        m.Y = e.Y;
        m.Z = e.Z;
        m.Latitude = e.Latitude;
        m.Longitude = e.Longitude;
        m.Valid = e.Valid;
        m.SpeedKmh = e.SpeedKmh;
        m.Heading = e.Heading;
        markers.push_back(m);
    }
    return markers;
}

QVariantList CGoogleMapDlgWrap::GetGPSData() {
    return ValueArray(tracks_ ? tracks_->AllFiles : std::vector<TrackPoint>{});
}

QVariant CGoogleMapDlgWrap::GetGridData(const QString&) {
    if (!engine_.Ready || !tracks_ || !tracks_->Recording)
        return {};
    return ValueArray(*tracks_->Recording);
}

QString CGoogleMapDlgWrap::GetRelJpgNum() {
    return QString::number(CurrentFrame);
}

void CGoogleMapDlgWrap::OnClickCrashPoint(int, int, int ipos, int, double, double, double, double) {
    PostAppEvent(mainWindow_, WM_APP_MAP_PICKED, 0, ipos);
}

QString CGoogleMapDlgWrap::GetMapURL() {
    // The map library travels with the program.
    return QStringLiteral("qrc:/map/leaflet.js");
}

QVariantMap CGoogleMapDlgWrap::GetTileLayer() {
    return {{QStringLiteral("url"), tiles_.PageTemplate()},
            {QStringLiteral("attribution"), tiles_.Attribution}};
}

void CGoogleMapDlgWrap::SetSend() {
    if (dialog_)
        dialog_->Browser.PostUpdate(dialog_->MapStatus, dialog_->MapLatitude,
                                    dialog_->MapLongitude);
}

// ---- What the viewer sends ----

bool CGoogleMapDlgWrap::CreateMapTrack(int recordingIndex) {
    if (!PageReady || !dialog_)
        return false;
    std::lock_guard events(cpSet_);
    CWebView2Holder& browser = dialog_->Browser;
    browser.RunScript(QStringLiteral("cplist.ClearCrashPos()"));
    browser.RunScript(QStringLiteral("orbitgrplist.RemoveLineList()"));
    browser.RunScript(QStringLiteral("orbitgrplist.CreateLine()"));
    browser.RunScript(QString::asprintf("orbitgrplist.CreateGridLine(%d)", recordingIndex));
    const std::vector<MapEventMarker> list = collect_ ? collect_() : std::vector<MapEventMarker>{};
    // From the last collected to the first: the page's marker list ends up reversed.
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        const MapEventMarker& e = *it;
        if (!e.ShowOnMap)
            continue;
        if (!e.HasGps)
            return false;
        if (e.Latitude == 0.0 && e.Longitude == 0.0)
            continue;
        browser.RunScript(QString::asprintf(
            "cplist.AddCrashPos(%d,%f,%f,%f,%d,%d,%d,%f,%f,%d,%f,%f)", e.Kind, e.X, e.Y, e.Z, 0,
            recordingIndex, e.Time, e.Latitude, e.Longitude, e.Valid, e.SpeedKmh, e.Heading));
    }
    return true;
}

void CGoogleMapDlgWrap::SetMapStatus(int state) {
    if (!dialog_)
        return;
    if (state == 0) {
        dialog_->MapStatus.clear();
    } else if (state == 1) {
        dialog_->MapStatus = QStringLiteral("pause");
    } else if (state == 2) {
        dialog_->MapStatus = QStringLiteral("stop");
        dialog_->Browser.RunScript(QStringLiteral("orbitgrplist.MoveMarker()"));
    }
}

bool CGoogleMapDlgWrap::ShowMap(bool show) {
    if (!dialog_)
        return false;
    if (show) {
        if (dialog_->isVisible())
            return false;
        dialog_->show();
        MapShown = 1;
        return true;
    }
    if (!MapShown || !dialog_->isVisible())
        return false;
    dialog_->hide();
    MapShown = 0;
    return true;
}

void CGoogleMapDlgWrap::SetMapPosition(int frame, bool valid, double latitude, double longitude) {
    CurrentFrame = frame;
    if (valid && dialog_) {
        dialog_->MapLatitude = latitude;
        dialog_->MapLongitude = longitude;
    }
}

void CGoogleMapDlgWrap::PeriodicStep(int selectedIndex) {
    if (TrackDrawn || !PageReady)
        return;
    if (!UpdateCheckStarted) {
        UpdateCheckStarted = true;
        emit UpdateCheckWanted();
        if (auto* window = qobject_cast<QWidget*>(mainWindow_))
            window->raise();
    }
    if (selectedIndex >= 0 && CreateMapTrack(selectedIndex))
        TrackDrawn = true;
    if (!engine_.Ready)
        return;
    if (engine_.PlayState == kPlayStatePlaying)
        return;
    if (engine_.PlayState == kPlayStatePaused)
        SetMapStatus(1);
    else
        SetMapStatus(2);
}

void CGoogleMapDlgWrap::OnPageReady(int selectedIndex) {
    TrackDrawn = false;
    PeriodicStep(selectedIndex);
}

void CGoogleMapDlgWrap::OnRecordingOpened(int selectedIndex) {
    // A new recording needs its own lines; a failed send is tried again by the periodic step
    // instead of leaving the previous recording's markers up.
    if (!CreateMapTrack(selectedIndex))
        TrackDrawn = false;
    PeriodicStep(selectedIndex);
}

void CGoogleMapDlgWrap::OnPlayState(int playState) {
    if (playState == kPlayStatePlaying)
        SetMapStatus(0);
    else if (playState == kPlayStatePaused)
        SetMapStatus(1);
    else
        SetMapStatus(2);
}

} // namespace kestrel
