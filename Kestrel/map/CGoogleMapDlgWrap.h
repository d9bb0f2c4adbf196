#pragma once
// The bridge between the viewer and the map page: answers the page's calls, sends it the
// tracks and the event markers, feeds it the shown position and the playback status, and runs
// the connectivity monitor. One instance, owned by the main window; everything but the monitor
// runs on the user-interface thread.
#include "map/IHostWebViewFuncs.h"
#include "map/MapEventMarker.h"
#include "map/MapTileSettings.h"
#include "platform/NamedMutex.h"
#include "views/EventPosition.h"
#include "views/ShownTracks.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace kestrel {

struct EngineContext;
class CGoogleMapDlg2;
class CMapConnectionMonitor;

class CGoogleMapDlgWrap : public QObject, public IHostWebViewFuncs {
    Q_OBJECT
  public:
    // The event positions of the shown recording, rebuilt when asked; called with
    // "hMutexCpSet" held.
    using EventCollector = std::function<std::vector<MapEventMarker>()>;

    CGoogleMapDlgWrap(CGoogleMapDlg2* dialog, EngineContext& engine,
                      platform::RecursiveNamedMutex& cpSetMutex, QObject* mainWindow,
                      MapTileSettings tiles = MapTileSettings::Load());
    ~CGoogleMapDlgWrap() override;

    void SetEventCollector(EventCollector collector) { collect_ = std::move(collector); }
    // The tracks the page asks for; they belong to the shown recording's owner.
    void SetTracks(const ShownTracks* tracks) { tracks_ = tracks; }

    // IHostWebViewFuncs
    int ConnectTest() override;
    void OnInitHtml() override;
    QVariantList GetGPSData() override;
    QVariant GetGridData(const QString& unused) override;
    QString GetRelJpgNum() override;
    void OnClickCrashPoint(int ifile, int igrid, int ipos, int valid, double lat, double lng,
                           double speed, double direction) override;
    QString GetMapURL() override;
    QVariantMap GetTileLayer() override;
    void SetSend() override;

    // The markers of the shown recording's event positions, with the G values and the GPS
    // sample of each event's frame.
    static std::vector<MapEventMarker> MarkersOf(const std::vector<EventPosition>& events);
    // Latitude, longitude and frame of each point, then their count.
    static QVariantList ValueArray(const std::vector<TrackPoint>& points);

    // Clears the page's markers and lines and sends the tracks and the event markers of
    // recording `recordingIndex` (its row in the file list). False when the page is not ready
    // or an event has no GPS point yet, so that the periodic step tries again.
    bool CreateMapTrack(int recordingIndex);
    // 0 follow the position, 1 "pause", 2 "stop" (and the marker placed once more).
    void SetMapStatus(int state);
    bool ShowMap(bool show);
    void SetMapPosition(int frame, bool valid, double latitude, double longitude);

    // The main window's triggers.
    void PeriodicStep(int selectedIndex);
    void OnPageReady(int selectedIndex);
    void OnRecordingOpened(int selectedIndex);
    // Playback state 2 playing, 3 paused, anything else stopped.
    void OnPlayState(int playState);

    const MapTileSettings& Tiles() const { return tiles_; }
    CGoogleMapDlg2* MapDialog() const { return dialog_; }
    int IsConnected() const;

    int PageReady = 0;
    int MapShown = 0;
    int CurrentFrame = -1;
    bool TrackDrawn = false; // for this page load
    bool UpdateCheckStarted = false;

  signals:
    // The first ready page of the run: the update check starts here.
    void UpdateCheckWanted();

  private:
    CGoogleMapDlg2* dialog_;
    EngineContext& engine_;
    platform::RecursiveNamedMutex& cpSet_;
    QObject* mainWindow_;
    MapTileSettings tiles_;
    EventCollector collect_;
    const ShownTracks* tracks_ = nullptr;
    std::unique_ptr<CMapConnectionMonitor> monitor_;
};

} // namespace kestrel
