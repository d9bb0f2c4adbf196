#pragma once
// The owner, on the window's side, of the shown recording's data. It alone moves the loaded
// data into the engine's displayed slot (under the engine's data mutex), answers per frame
// what every view draws (one plain FrameValues), and drives the engine's data slots for the
// window: loading, releasing, prefetching and the all-files track. Views take plain values
// from it and never take an engine lock or read the context's slots themselves.
#include "engine/DateTime.h"
#include "engine/EngineApi.h"
#include "views/EventPosition.h"
#include "views/FrameValues.h"
#include "views/GraphEvents.h"
#include "views/ShownTracks.h"

#include <filesystem>
#include <vector>

namespace kestrel {

struct RecordingEntry;

class ShownRecording {
  public:
    ShownRecording(const EngineApi& api, EngineContext& engine) : api_(api), engine_(engine) {}

    // What the window learns of a recording when its loaded data becomes the shown data.
    struct Facts {
        bool HasGps = false;   // the recording holds at least one GPS sample
        DateTime FirstGpsTime; // local time of the first GPS sample, when HasGps
        double PeakG = 0.0;
        char RecordingType = 0; // 'T' time-lapse
        char VehicleData = 0;   // the header's vehicle-data letter
    };

    // The engine's LoadSensorData for `path`; on success the data counts as loaded.
    bool Load(const std::filesystem::path& path);
    // Frees the shown data (the engine's ReleaseScan) and marks the data as not loaded.
    void Release();
    bool DataLoaded() const { return engine_.SensorDataLoaded == 1; }
    // The picture letter of the recording loaded but not yet shown.
    char LoadedPictureLetter() const;
    // Moves the loaded slot into the displayed slot under the engine's data mutex.
    Facts Adopt();
    // Whether the shown recording holds at least one GPS sample, fix or not.
    bool HasGpsSamples() const { return hasGpsSamples_; }
    // The values of `frame` (already limited to the recording's range by the caller).
    FrameValues At(int frame) const;

    // Runs on a worker thread: decodes `path` into the engine's prefetch slot.
    int Prefetch(const std::filesystem::path& path);
    // Asks a running prefetch to stop at its next check.
    void AskPrefetchToStop();
    // Stops a running prefetch and forgets what the prefetch slot holds.
    void CancelPrefetch();
    // The route of `entries` for the map; none while the engine is not ready.
    void RebuildAllFilesTrack(const std::vector<RecordingEntry>& entries);
    // The map's tracks: the shown recording's points (from Adopt to Release) and the route.
    const ShownTracks& Tracks() const { return tracks_; }
    // The points of `samples` that have a fix, in list order.
    static std::vector<TrackPoint> PointsWithFix(const GpsSampleList& samples);

    // The event markers sent to the map and searched by the event jumps. Guarded by the
    // main window's "hMutexCpSet"; filled when the graph classifies the shown recording.
    std::vector<EventPosition>& EventPositions() { return eventPositions_; }
    // Classifies the shown recording again with the entries' present flags into the event
    // positions; the caller holds "hMutexCpSet".
    void RebuildEventPositions();
    void ClearEventPositions() { eventPositions_.clear(); }

    // The graph's copy of the shown recording's G samples and frame index, taken under the
    // engine's data mutex when the data is adopted, and the classification over it.
    GraphEvents& Events() { return events_; }
    const GraphSamples& GraphData() const { return graphData_; }

  private:
    const EngineApi& api_;
    EngineContext& engine_;
    std::vector<EventPosition> eventPositions_;
    bool hasGpsSamples_ = false; // as Adopt found the displayed slot; false after Release
    struct Position {
        bool Linked = false;
        int Valid = 0;
        double Latitude = 0.0;
        double Longitude = 0.0;
        double SpeedKmh = 0.0;
        double Heading = 0.0;
    };
    void TakeGraphData();
    ShownTracks tracks_;
    GSensorSampleList graphSamples_;
    FrameIndexList graphFrames_;
    std::vector<Position> graphPositions_; // the GPS sample linked to each G sample
    GraphSamples graphData_;
    GraphEvents events_;
};

} // namespace kestrel
