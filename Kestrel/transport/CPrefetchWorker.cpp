#include "transport/CPrefetchWorker.h"

#include "shell/AppEvent.h"
#include "views/ShownRecording.h"

#include <chrono>

namespace kestrel {

void CPrefetchWorker::Start(const std::filesystem::path& path, int delayMs, QObject* notify) {
    Join();
    finished_ = false;
    thread_ = std::thread([this, path, delayMs, notify] {
        if (delayMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        const int result = shown_.Prefetch(path);
        finished_ = true;
        if (notify)
            PostAppEvent(notify, WM_APP_LOADER_DONE, 0, result);
    });
}

void CPrefetchWorker::Join() {
    if (!thread_.joinable())
        return;
    // A finished thread is not asked, so that the request cannot reach a prefetch the other
    // worker has started since.
    if (!finished_)
        shown_.AskPrefetchToStop();
    thread_.join();
}

} // namespace kestrel
