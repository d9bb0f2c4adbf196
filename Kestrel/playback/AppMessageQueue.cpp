#include "playback/AppMessageQueue.h"

namespace kestrel::playback {

void AppMessageQueue::PostAppMessage(int message, intptr_t wParam, intptr_t lParam) {
    std::lock_guard lock(lock_);
    messages_.push_back({message, wParam, lParam, std::chrono::steady_clock::now()});
    posted_.notify_all();
}

std::optional<PostedMessage> AppMessageQueue::WaitFor(int message,
                                                      std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(lock_);
    for (;;) {
        while (!messages_.empty()) {
            PostedMessage m = messages_.front();
            messages_.pop_front();
            if (m.Message == message)
                return m;
        }
        if (posted_.wait_until(lock, deadline) == std::cv_status::timeout && messages_.empty()) {
            return std::nullopt;
        }
    }
}

std::optional<PostedMessage> AppMessageQueue::Next(std::chrono::milliseconds timeout) {
    std::unique_lock lock(lock_);
    if (!posted_.wait_for(lock, timeout, [&] { return !messages_.empty(); }))
        return std::nullopt;
    PostedMessage m = messages_.front();
    messages_.pop_front();
    return m;
}

void AppMessageQueue::Clear() {
    std::lock_guard lock(lock_);
    messages_.clear();
}

} // namespace kestrel::playback
