#include "engine/RecordingCatalogue.h"

namespace kestrel {

bool IsRecorderFile(const std::filesystem::path&) { return false; }

} // namespace kestrel
