#pragma once
// What zoom, aspect and full screen ask of the main window: its layouts, its buttons, the
// state of the recording being shown, and the stored aspect setting.
class QWidget;

namespace kestrel {

class VideoModeHost {
  public:
    virtual ~VideoModeHost() = default;
    virtual bool FullScreen() const = 0;
    virtual int DisplaySize() const = 0;
    // The window's own part of entering and leaving full screen: on top of every window and
    // over the whole screen with only the video shown, or back at its corner in its size.
    virtual void ApplyFullScreenLayout(bool on) = 0;
    // The display size's layout again.
    virtual void ApplyLayout() = 0;
    // The file panel places its controls again for the size.
    virtual void PlaceFilePanel() = 0;
    virtual void SetPlayFace(bool pauseFace) = 0;
    virtual void RefreshButtons() = 0;
    virtual void RefreshSpeedLabel() = 0;
    // Zoom mode's look: the file panel's controls aside and the zoom button pressed, or back.
    virtual void ShowZoomMode(bool on) = 0;

    // The near-end guard of the transport.
    virtual bool GuardRefuses() = 0;
    virtual bool RecordingOpen() const = 0;
    virtual bool WaitingForMovie() const = 0;
    virtual bool JobRunning() const = 0;
    // Rows of the file panel's list.
    virtual int ListCount() const = 0;

    // DISPLAY/ASPECT: 1 for "on".
    virtual int StoredAspect() const = 0;
    virtual void StoreAspect(int on) = 0;

    // Runs a command chosen in the video's menu.
    virtual void RunCommand(int id) = 0;
    // The window the menu belongs to.
    virtual QWidget* MenuOwner() = 0;
};

} // namespace kestrel
