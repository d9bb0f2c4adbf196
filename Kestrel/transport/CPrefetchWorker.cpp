#include "transport/CPrefetchWorker.h"

#include "shell/AppEvent.h"
#include "engine/SensorCache.h"

#include <chrono>

namespace kestrel {

void CPrefetchWorker::Start(const std::filesystem::path& path, int delayMs, QObject* notify) {
    Join();
    finished_ = false;
    thread_ = std::thread([this, path, delayMs, notify] {
        if (delayMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        const int result = PrefetchSensorData(engine_, &path);
        finished_ = true;
        if (notify)
            PostAppEvent(notify, WM_APP_LOADER_DONE, 0, result);
    });
}

void CPrefetchWorker::Join() {
    if (!thread_.joinable())
        return;
    // The walk that sees the flag stops and clears it. A finished thread is not asked, so
    // that the flag cannot reach a prefetch the other worker has started since.
    if (!finished_)
        engine_.Prefetch.Scanner.Cancel = 1;
    thread_.join();
}

} // namespace kestrel
