#include "engine/RecorderHeaderReader.h"

#include "engine/BoxScanner.h"
#include "engine/SensorDecoder.h"

#include <cstdio>
#include <mutex>

namespace kestrel {

bool ReadHeaderOnly(EngineContext* ctx, const std::filesystem::path& path, RecorderHeader& out) {
    std::unique_lock<platform::RecursiveNamedMutex> fileLock;
    if (ctx && ctx->FileMutex) fileLock = std::unique_lock(*ctx->FileMutex);
    out = RecorderHeader{};
    BoxScanner scanner;
    if (!scanner.Prepare()) return false;
    bool found = false;
    if (scanner.OpenFile(path)) {
        BoxPattern udat = BoxPattern::For("udat", &DecodeHeader);
        ScanOutputs outputs;
        outputs.Header = &out;
        found = scanner.FindTopLevelBox(udat, outputs) && scanner.RecordCount > 0;
    }
    scanner.Release();
    scanner.Destroy();
    return found;
}

std::string FirmwareVersionText(const RecorderHeader& header) {
    const auto* v = reinterpret_cast<const uint8_t*>(header.VersionChars);
    const int major = static_cast<int>(TextToDouble(v + 1, 1));
    const int minor = static_cast<int>(TextToDouble(v + 2, 2));
    const int build = static_cast<int>(TextToDouble(v + 4, 2));
    const char* suffix = "";
    if (header.VersionChars[0] == '0') {
        suffix = ".0";
    } else if (header.VersionChars[0] == 'A') {
        suffix = "A";
    } else if (header.VersionChars[0] == 'C') {
        suffix = "C";
    }
    char text[48];
    std::snprintf(text, sizeof(text), "%d.%d.%d%s", major, minor, build, suffix);
    return text;
}

} // namespace kestrel
