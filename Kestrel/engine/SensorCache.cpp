#include "engine/SensorCache.h"

// Decoding is not built yet: the operations report failure.
namespace kestrel {

int PrefetchSensorData(EngineContext&, const std::filesystem::path*) { return 0; }
int LoadSensorData(EngineContext&, const std::filesystem::path&) { return 0; }
int ReleaseScan(EngineContext&) { return 0; }
bool BuildAllFilesTrack(EngineContext&, const std::vector<RecordingEntry>&) { return false; }

} // namespace kestrel
