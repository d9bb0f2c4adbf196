#pragma once
// What the engine and the player see of the video surface: a receiver of their messages,
// the screen facts they need, and the drawing they do into it. The Qt video surface
// implements it; tests and the command line use an off-screen one.
#include "platform/AppMessages.h"

#include <cstdint>

namespace kestrel {

// A rectangle in window pixels; right and bottom are exclusive. A rectangle whose left is
// right of its right (or top below its bottom) is a mirrored one: the picture drawn into it
// is turned over on that axis.
struct Rect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// A finished picture: 32-bit pixels in the byte order blue, green, red, unused (the
// platform's "RGB32"), top row first. Valid only during the call that receives it.
struct VideoPicture {
    const uint8_t* Pixels = nullptr;
    int Width = 0;
    int Height = 0;
    int Stride = 0;   // bytes from one row to the next
    int64_t Time = 0; // the picture's media time, 100 ns units
};

// Every drawing call has a do-nothing default so that a window which only receives
// messages stays small.
class VideoWindow : public MessageTarget {
  public:
    // Vertical pixels per inch of the screen the window is on.
    virtual int VerticalDpi() const { return 96; }
    // The client area's size; the client rectangle is (0, 0, width, height).
    virtual void ClientSize(int& width, int& height) const {
        width = 0;
        height = 0;
    }
    // The size in device pixels the window gives a picture placed at `destination`, so that
    // the player makes each picture at that size once and the window paints it without
    // resampling; 0 x 0: the picture's own size. Called on the player's threads.
    virtual void ShownSize(const Rect& destination, int& width, int& height) const {
        (void)destination;
        width = 0;
        height = 0;
    }
    // Shows `picture` in `destination` (window pixels, never mirrored: the player turns the
    // picture itself), scaled only when it is not at the size ShownSize asked for. Called on
    // the player's presenting thread.
    virtual void PresentPicture(const VideoPicture&, const Rect&) {}
    // Paints `area` black. Called on the engine's thread or the presenting thread.
    virtual void FillBlack(const Rect&) {}
    // The main window, receiver of the one-frame-per-second step messages; none when the
    // surface has no parent.
    virtual MessageTarget* ParentWindow() const { return nullptr; }
};

} // namespace kestrel
