#include "engine/EngineApi.h"

#include "engine/PlaybackPipeline.h"
#include "engine/RecordingCatalogue.h"
#include "engine/SensorCache.h"

#include <mutex>

namespace kestrel {
namespace {

template <auto Op>
struct ReadyGate;

template <class R, class... A, R (*Op)(EngineContext&, A...)>
struct ReadyGate<Op> {
    static R Call(EngineContext& ctx, A... args) {
        if (!ctx.Ready) return R{};
        return Op(ctx, args...);
    }
};

template <auto Op>
constexpr auto Gated = &ReadyGate<Op>::Call;

} // namespace

int IsRecorderFileSlot(EngineContext& ctx, const Path& path) {
    if (!ctx.FileMutex) return 0;
    std::lock_guard lock(*ctx.FileMutex);
    return IsRecorderFile(path) ? 1 : 0;
}

const EngineApi& GetEngineApi() {
    static const EngineApi api{
        &Init,
        &Shutdown,
        Gated<&IsRecorderFileSlot>,
        Gated<&OpenMovie>,
        Gated<&CloseMovie>,
        Gated<&LoadSensorData>,
        Gated<&ReleaseScan>,
        Gated<&Run>,
        Gated<&SeekFrameWhilePlaying>,
        Gated<&Pause>,
        Gated<&Stop>,
        Gated<&GetCurrentFrame>,
        Gated<&SeekToFrame>,
        Gated<&JumpToFrame>,
        Gated<&SetReservedOption>,
        Gated<&ReservedQuery>,
        Gated<&SetHardwareDecoding>,
        Gated<&ReservedQuery2>,
        Gated<&SetSpeed>,
        Gated<&SetOneFramePerSecond>,
        Gated<&SetAspect>,
        Gated<&GetTotalFrames>,
        Gated<&GetTotalFrames2>,
        Gated<&ReservedQuery3>,
        Gated<&GetFrameMs>,
        Gated<&GetVideoSize>,
        Gated<&SetVolume>,
        Gated<&DrawOverlayText>,
        Gated<&ClearOverlay>,
        Gated<&SetUpsideDown>,
        Gated<&SetVideoRect>,
        Gated<&SaveJpeg>,
        Gated<&Refresh>,
        Gated<&ReapplyRect>,
    };
    return api;
}

} // namespace kestrel
