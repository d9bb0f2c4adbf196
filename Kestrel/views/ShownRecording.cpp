#include "views/ShownRecording.h"

#include "engine/RecordingEntry.h"
#include "engine/SensorCache.h"

#include <mutex>

namespace kestrel {

bool ShownRecording::Load(const std::filesystem::path& path) {
    if (!api_.LoadSensorData(engine_, path))
        return false;
    engine_.SensorDataLoaded = 1;
    return true;
}

void ShownRecording::Release() {
    api_.ReleaseScan(engine_);
    engine_.SensorDataLoaded = 0;
    hasGpsSamples_ = false;
    eventPositions_.clear();
    tracks_.Recording.reset();
    graphData_ = {};
    graphSamples_.clear();
    graphFrames_.clear();
    graphPositions_.clear();
}

void ShownRecording::TakeGraphData() {
    graphData_ = {};
    graphSamples_.clear();
    graphFrames_.clear();
    graphPositions_.clear();
    const BoxScanner& shown = engine_.Displayed.Scanner;
    if (!shown.GSensorSamples || !shown.FrameIndex)
        return;
    graphSamples_ = *shown.GSensorSamples;
    graphPositions_.resize(graphSamples_.size());
    for (size_t i = 0; i < graphSamples_.size(); ++i) {
        GSensorSample& g = graphSamples_[i];
        if (const GpsSample* gps = g.LinkedGps) {
            graphPositions_[i] = {true,           gps->Valid,    gps->Latitude,
                                  gps->Longitude, gps->SpeedKmh, gps->Heading};
        }
        // The copy outlives nothing of the engine's: its links are not followed.
        g.LinkedGps = nullptr;
        g.LinkedObd = nullptr;
        g.Index = static_cast<int32_t>(i);
    }
    // The copy's frame index points into the copy; a frame whose sample lies outside the
    // engine's list keeps no sample.
    graphFrames_.reserve(shown.FrameIndex->size());
    const GSensorSample* first = shown.GSensorSamples->data();
    const size_t count = shown.GSensorSamples->size();
    for (const GSensorSample* g : *shown.FrameIndex) {
        const bool inside = g && g >= first && g < first + count;
        graphFrames_.push_back(inside ? &graphSamples_[static_cast<size_t>(g - first)] : nullptr);
    }
    graphData_ = {&graphSamples_, &graphFrames_};
}

void ShownRecording::RebuildEventPositions() {
    eventPositions_ = events_.CollectAll(graphData_);
    for (EventPosition& event : eventPositions_) {
        const GSensorSample* g = graphData_.SampleAt(event.Slot);
        if (!g)
            continue;
        event.X = g->X;
        event.Y = g->Y;
        event.Z = g->Z;
        // A linked sample without a fix still counts as the event's GPS point: the map then
        // leaves out the event at (0, 0) instead of waiting for a fix that never comes.
        const Position& at = graphPositions_[static_cast<size_t>(g->Index)];
        event.HasGps = at.Linked;
        event.Valid = at.Valid;
        event.Latitude = at.Latitude;
        event.Longitude = at.Longitude;
        event.SpeedKmh = at.SpeedKmh;
        event.Heading = at.Heading;
    }
}

char ShownRecording::LoadedPictureLetter() const {
    return engine_.Loaded.Scanner.Header.PictureLetter;
}

ShownRecording::Facts ShownRecording::Adopt() {
    Facts facts;
    std::lock_guard data(*engine_.FileMutex);
    facts.HasGps = BoxScanner::MoveResults(engine_.Loaded.Scanner, engine_.Displayed.Scanner);
    hasGpsSamples_ = facts.HasGps;
    const BoxScanner& shown = engine_.Displayed.Scanner;
    if (facts.HasGps)
        facts.FirstGpsTime = shown.GpsSamples->front().LocalTime;
    facts.PeakG = shown.PeakG;
    facts.RecordingType = shown.Header.RecordingType;
    facts.VehicleData = shown.Header.VehicleData;
    if (shown.GpsSamples)
        tracks_.Recording = PointsWithFix(*shown.GpsSamples);
    else
        tracks_.Recording.reset();
    TakeGraphData();
    return facts;
}

FrameValues ShownRecording::At(int frame) const {
    FrameValues v;
    v.Frame = frame;
    std::unique_lock<platform::RecursiveNamedMutex> data;
    if (engine_.FileMutex)
        data = std::unique_lock(*engine_.FileMutex);
    const FrameIndexList* index = engine_.Displayed.Scanner.FrameIndex.get();
    if (!engine_.Ready || !index || frame < 0 || static_cast<size_t>(frame) >= index->size())
        return v;
    const GSensorSample* g = (*index)[static_cast<size_t>(frame)];
    if (!g)
        return v;
    v.HasSample = true;
    v.AccelX = g->X;
    v.AccelY = g->Y;
    v.AccelZ = g->Z;
    v.CameraByte = g->CameraByte;
    if (const GpsSample* gps = g->LinkedGps) {
        v.GpsValid = gps->Valid;
        if (gps->Valid) {
            v.Latitude = gps->Latitude;
            v.Longitude = gps->Longitude;
            v.SpeedKmh = gps->SpeedKmh;
        }
    }
    if (g->LinkedObd) {
        v.HasObd = true;
        v.Obd = *g->LinkedObd;
    }
    v.VehicleData = engine_.Displayed.Scanner.Header.VehicleData;
    return v;
}

int ShownRecording::Prefetch(const std::filesystem::path& path) {
    return PrefetchSensorData(engine_, &path);
}

void ShownRecording::AskPrefetchToStop() {
    // The walk that sees the flag stops and clears it.
    engine_.Prefetch.Scanner.Cancel = 1;
}

void ShownRecording::CancelPrefetch() {
    PrefetchSensorData(engine_, nullptr);
}

void ShownRecording::RebuildAllFilesTrack(const std::vector<RecordingEntry>& entries) {
    if (!engine_.Ready)
        return;
    BuildAllFilesTrack(engine_, entries);
    std::unique_lock<platform::RecursiveNamedMutex> data;
    if (engine_.FileMutex)
        data = std::unique_lock(*engine_.FileMutex);
    tracks_.AllFiles =
        engine_.AllFilesTrack ? PointsWithFix(*engine_.AllFilesTrack) : std::vector<TrackPoint>{};
}

std::vector<TrackPoint> ShownRecording::PointsWithFix(const GpsSampleList& samples) {
    std::vector<TrackPoint> points;
    points.reserve(samples.size());
    for (const GpsSample& s : samples) {
        if (s.Valid)
            points.push_back({s.Latitude, s.Longitude, s.Time});
    }
    return points;
}

} // namespace kestrel
