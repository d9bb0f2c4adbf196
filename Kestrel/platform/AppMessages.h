#pragma once
// Messages the engine posts to the video surface and the main window. Values are offsets
// from the application message base (WM_APP); the Qt side turns each into its own event type.
#include <cstdint>

namespace kestrel {

enum AppMessage : int {
    WM_APP_GRAPH_NOTIFY = 4,
    WM_APP_STEP_FRAME = 5,
    WM_APP_STEP_END = 6,
    WM_APP_MEDIA_PAUSED = 1001,
    WM_APP_MEDIA_ENDED = 1002,
    WM_APP_MEDIA_READY = 1003,
};

// Anything that can receive posted messages. Posting never waits for the receiver;
// implementations must be callable from any thread.
class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    virtual void PostAppMessage(int message, intptr_t wParam, intptr_t lParam) = 0;
};

} // namespace kestrel
