#pragma once
// What the engine sees of the video surface: a receiver of its messages and the screen
// facts it needs. The Qt video surface implements it; tests use an off-screen one.
#include "engine/AppMessages.h"

namespace kestrel {

class VideoWindow : public MessageTarget {
public:
    // Vertical pixels per inch of the screen the window is on.
    virtual int VerticalDpi() const { return 96; }
};

} // namespace kestrel
