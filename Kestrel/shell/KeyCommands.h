#pragma once
// The commands that only keys give (the buttons' and menus' ids are the main window's): they
// reach the window's command handlers like any other command.
namespace kestrel {

enum KeyCommand : int {
    IdFrameBack = 38800, // one frame back, while paused
    IdFrameForward,      // one frame on, while paused
    IdSeekBack,          // five seconds back
    IdSeekForward,       // five seconds on
    IdVolumeUp,          // one step louder
    IdVolumeDown,        // one step softer
    IdFullScreenToggle,  // into full screen as a double click asks, or out of it
    IdLeaveFullScreen,   // out of full screen; nothing in the window
};

} // namespace kestrel
