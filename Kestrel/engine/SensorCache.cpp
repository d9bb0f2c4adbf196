#include "engine/SensorCache.h"

#include "engine/FrameIndexBuilder.h"
#include "engine/SensorDecoder.h"

#include <mutex>

namespace kestrel {
namespace {

// Makes a running prefetch give up and waits until it has (it holds hCacheFileMutex for
// its whole decoding). The flag is consumed by the walk that sees it, or cleared here.
void CancelRunningPrefetch(EngineContext& ctx) {
    ctx.Prefetch.Scanner.Cancel = 1;
    ctx.CacheFileMutex->lock();
    ctx.CacheFileMutex->unlock();
    ctx.Prefetch.Scanner.Cancel = 0;
}

bool SamePath(const std::filesystem::path& a, const std::filesystem::path& b) {
    return a.native() == b.native();
}

} // namespace

int PrefetchSensorData(EngineContext& ctx, const std::filesystem::path* path) {
    if (!ctx.Ready || !ctx.CacheFileMutex) return 0;
    ScannerSlot& slot = ctx.Prefetch;
    CancelRunningPrefetch(ctx);

    slot.PrefetchBusy = 1;
    bool decoded = true;
    {
        // The slot is emptied under the lock too: LoadSensorData may be moving its lists
        // out on another thread at this very moment.
        std::lock_guard cacheLock(*ctx.CacheFileMutex);
        slot.Scanner.Release();
        slot.SetPendingPath(path ? *path : std::filesystem::path{});
        if (path && !path->empty()) decoded = slot.Scanner.OpenAndAnalyse(*path);
    }
    slot.PrefetchBusy = 0;
    return decoded ? 1 : 0;
}

bool IsPrefetching(const EngineContext& ctx, const std::filesystem::path& path) {
    return ctx.Prefetch.PrefetchBusy && ctx.Prefetch.PendingPathIs(path);
}

int LoadSensorDataWithFrames(EngineContext& ctx, const std::filesystem::path& path,
                             int64_t frames) {
    if (!ctx.FileMutex || !ctx.CacheFileMutex) return 0;
    std::lock_guard fileLock(*ctx.FileMutex);
    ScannerSlot& prefetch = ctx.Prefetch;
    if (prefetch.PrefetchBusy && prefetch.PendingPathIs(path)) {
        // The file is being prefetched: wait for it and take its samples.
        ctx.CacheFileMutex->lock();
        ctx.CacheFileMutex->unlock();
    } else {
        CancelRunningPrefetch(ctx);
    }

    bool decoded = false;
    {
        std::lock_guard cacheLock(*ctx.CacheFileMutex);
        ctx.Displayed.Scanner.Path = path;
        BoxScanner& cached = prefetch.Scanner;
        if (cached.Analysed && !cached.Path.empty() && SamePath(cached.Path, path)) {
            BoxScanner::MoveResults(cached, ctx.Loaded.Scanner);
            decoded = true;
        } else {
            cached.Release();
            decoded = ctx.Loaded.Scanner.OpenAndAnalyse(path);
        }
    }
    if (!decoded || !ctx.Ready) return 0;
    return BuildFrameIndex(ctx.Loaded.Scanner, frames) ? 1 : 0;
}

int ReleaseScan(EngineContext& ctx) {
    std::unique_lock<platform::RecursiveNamedMutex> fileLock;
    if (ctx.FileMutex) fileLock = std::unique_lock(*ctx.FileMutex);
    ctx.Displayed.Scanner.Release();
    ctx.Loaded.Scanner.FreeLists();
    return 1;
}

bool BuildAllFilesTrack(EngineContext& ctx, const std::vector<RecordingEntry>& entries,
                        size_t* skipped) {
    std::unique_lock<platform::RecursiveNamedMutex> fileLock;
    if (ctx.FileMutex) fileLock = std::unique_lock(*ctx.FileMutex);
    ctx.AllFilesTrack = std::make_unique<GpsSampleList>();
    ScanOutputs out;
    out.Gps = ctx.AllFilesTrack.get();
    size_t missed = 0;
    for (const RecordingEntry& entry : entries) {
        BoxScanner scanner;
        if (!scanner.Prepare()) return false;
        if (!scanner.OpenFile(entry.FullPath)) {
            scanner.Destroy();
            ++missed;
            continue;
        }
        BoxPattern udat = BoxPattern::For("udat", &DecodeGpsOnly);
        scanner.FindBoxAfter(udat, nullptr, out);
        scanner.Release();
        scanner.Destroy();
    }
    if (skipped)
        *skipped = missed;
    return missed == 0;
}

} // namespace kestrel
