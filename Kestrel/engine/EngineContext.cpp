#include "engine/EngineContext.h"

#include <cmath>
#include <mutex>

namespace kestrel {
namespace {

// The face name is kept to 31 characters, as the font description allows.
std::string ClipFaceName(const std::string& face) {
    size_t chars = 0;
    for (size_t i = 0; i < face.size(); ++i) {
        if ((static_cast<unsigned char>(face[i]) & 0xC0) != 0x80 && chars++ == 31) {
            return face.substr(0, i);
        }
    }
    return face;
}

std::unique_ptr<OverlayFontSpec> MakeOverlayFont(const VideoWindow* video, const std::string& face) {
    const int dpi = video ? video->VerticalDpi() : 96;
    auto font = std::make_unique<OverlayFontSpec>();
    font->FaceName = ClipFaceName(face);
    font->Height = -static_cast<int>(std::lround(42.0 * dpi / 72.0));
    font->Weight = 700;
    font->CharSet = 128; // Shift-JIS
    font->PitchAndFamily = 1; // fixed pitch
    return font;
}

} // namespace

int Init(EngineContext& ctx, VideoWindow* video, const std::string& faceName) {
    Shutdown(ctx);
    ctx.FileMutex = std::make_unique<platform::RecursiveNamedMutex>("hFileMutex");
    ctx.CacheFileMutex = std::make_unique<platform::PlainNamedMutex>("hCacheFileMutex");
    std::lock_guard fileLock(*ctx.FileMutex);
    ctx.Video = video;
    ctx.SpeedCode = 1;
    ctx.PlayState = 0;
    ctx.Graph.reset();
    ctx.StepThread.reset();
    ctx.AllFilesTrack.reset();
    ctx.LastFrame = 0;
    ctx.OverlayFont = MakeOverlayFont(video, faceName);
    const bool displayed = ctx.Displayed.Scanner.Prepare();
    const bool prefetch = ctx.Prefetch.Scanner.Prepare();
    return displayed && prefetch ? 1 : 0;
}

int Shutdown(EngineContext& ctx) {
    // Make a running prefetch give up, and wait until it has.
    ctx.Prefetch.Scanner.Cancel = 1;
    if (ctx.CacheFileMutex) {
        ctx.CacheFileMutex->lock();
        ctx.CacheFileMutex->unlock();
    }
    ctx.Prefetch.Scanner.Cancel = 0;

    if (ctx.FileMutex) {
        std::lock_guard fileLock(*ctx.FileMutex);
        ReleasePlayback(ctx);
        ctx.AllFilesTrack.reset();
        ctx.OverlayFont.reset();
        ctx.PlayState = 0;
    }
    ctx.FileMutex.reset();
    ctx.CacheFileMutex.reset();
    ctx.Prefetch.Scanner.Destroy();
    ctx.Displayed.Scanner.Destroy();
    ctx.Loaded.Scanner.Release();
    return 1;
}

void EndStepWorker(EngineContext& ctx) {
    // The worker reads the flag through an atomic view; so is it cleared.
    std::atomic_ref(ctx.OneFramePerSecond).store(0.0f);
    if (ctx.StepThread) {
        if (ctx.StepThread->joinable())
            ctx.StepThread->join();
        ctx.StepThread.reset();
    }
}

void ReleasePlayback(EngineContext& ctx) {
    EndStepWorker(ctx);
    ctx.Graph.reset();
}

EngineContext* SetReservedOption(EngineContext& ctx, int value) {
    ctx.ReservedOption = value;
    return &ctx;
}

int ReservedQuery(EngineContext&) { return 0; }

EngineContext* SetHardwareDecoding(EngineContext& ctx, int flag) {
    ctx.HardwareDecoding = flag;
    return &ctx;
}

int ReservedQuery2(EngineContext&) { return 0; }

int64_t ReservedQuery3(EngineContext&) { return 0; }

} // namespace kestrel
