#pragma once
// A receiver of posted messages that keeps them in order until someone takes them: the
// message loop of windows that have no screen (the command line, tests, benchmarks).
#include "platform/AppMessages.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

namespace kestrel::playback {

struct PostedMessage {
    int Message = 0;
    intptr_t WParam = 0;
    intptr_t LParam = 0;
    std::chrono::steady_clock::time_point When;
};

class AppMessageQueue : public MessageTarget {
  public:
    void PostAppMessage(int message, intptr_t wParam, intptr_t lParam) override;
    // Takes messages until `message` arrives (returned) or the time is up (none).
    std::optional<PostedMessage> WaitFor(int message, std::chrono::milliseconds timeout);
    // Takes the next message of any kind.
    std::optional<PostedMessage> Next(std::chrono::milliseconds timeout);
    void Clear();

  private:
    // Guards messages_. Taken by any thread that posts and by the reader that waits for a
    // message; a leaf.
    std::mutex lock_;
    std::condition_variable posted_;
    std::deque<PostedMessage> messages_;
};

} // namespace kestrel::playback
