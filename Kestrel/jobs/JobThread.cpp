#include "jobs/JobThread.h"

namespace kestrel {

bool JobThread::Start(std::function<void()> work) {
    if (thread_.joinable())
        return false;
    thread_ = std::thread(std::move(work));
    return true;
}

void JobThread::Join() {
    if (thread_.joinable())
        thread_.join();
}

} // namespace kestrel
