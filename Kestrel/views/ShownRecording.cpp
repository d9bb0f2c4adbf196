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
}

char ShownRecording::LoadedPictureLetter() const {
    return engine_.Loaded.Scanner.Header.PictureLetter;
}

ShownRecording::Facts ShownRecording::Adopt() {
    Facts facts;
    std::lock_guard data(*engine_.FileMutex);
    facts.HasGps = BoxScanner::MoveResults(engine_.Loaded.Scanner, engine_.Displayed.Scanner);
    const BoxScanner& shown = engine_.Displayed.Scanner;
    if (facts.HasGps)
        facts.FirstGpsTime = shown.GpsSamples->front().LocalTime;
    facts.PeakG = shown.PeakG;
    facts.RecordingType = shown.Header.RecordingType;
    facts.VehicleData = shown.Header.VehicleData;
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
    if (engine_.Ready)
        BuildAllFilesTrack(engine_, entries);
}

} // namespace kestrel
